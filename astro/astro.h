// The astronomical computation: functions of the values they are given (a
// Moment, an Ephemeris); no global records.
#pragma once

#include "astro/Clock.h"
#include "astro/TimeScales.h"
#include "astro/Coordinates.h"
#include "astro/Sun.h"
#include "astro/Moon.h"
#include "astro/Planets.h"
#include "astro/RiseSet.h"
#include "astro/TermsPhases.h"
#include "astro/Tides.h"
#include "astro/Model.h"
