// The almanac's one typeface, "MS ゴシック", resolved to the Japanese gothic
// fonts a Linux desktop has (IPAGothic from fonts-ipafont-gothic first).
#pragma once

#include <QFont>
#include <QString>

// A fixed-pitch gothic font of the given pixel height.
QFont AlmanacFont(int pixelHeight = 12);

// When no installed font has Japanese characters (every text of the windows
// would be empty boxes): what to tell the user, in English so that it can be
// read with the fonts there are. Empty when a Japanese font is there.
QString MissingJapaneseFontText();
