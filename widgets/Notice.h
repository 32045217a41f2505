// Warnings in a message box centred over the window they concern.
#pragma once

#include <QString>

class QWidget;

// Shows a modal warning over `over`'s window: centred on it once that window
// is on screen (a box shown before would open where the window manager puts
// boxes without a placed owner, often a corner of the screen).
void WarnOver(QWidget* over, const QString& title, const QString& text);
