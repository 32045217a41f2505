// Dialog layouts are given in dialog units; every window converts them with
// one factor, the same in both directions.
#pragma once

inline constexpr int kPixelsPerDialogUnit = 2;
