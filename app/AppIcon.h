// The program's icon, from the resources compiled into the window library.
#pragma once

#include <QIcon>

QIcon AppIcon();
