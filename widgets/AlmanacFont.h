// The almanac's one typeface, "MS ゴシック", resolved to the Japanese gothic
// fonts a Linux desktop has (IPAGothic from fonts-ipafont-gothic first).
#pragma once

#include <QFont>

// A fixed-pitch gothic font of the given pixel height.
QFont AlmanacFont(int pixelHeight = 12);
