// The computer's local calendar time, split the way the almanac reads it:
// year, month, day and hour = h + min × 0.016666666666666666 + s × 0.0002777777777777778
// (the doubles nearest 1/60 and 1/3600).
#pragma once

namespace clock_reading {
void ReadClock(double& year, double& month, double& day, double& hour);
}
