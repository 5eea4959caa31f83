#pragma once
// The effect's parameters in the units the panel shows (dB, ms, %, Hz, BPM; a list's
// entry number), to and from the normalised values the effect keeps. No allocation, no
// lock: safe on the audio thread.
#include "effect/ParameterTable.h"

// The number the panel shows for a normalised value: GetInt() / 10^decimals, or the entry
// number (0 for the first) of a list.
double UnitsFromNormalised(int index, float normalised);

// The normalised value that shows units, found as kestrune-render's --set finds it; units
// outside the range are taken as its nearer end, NaN as its lower end. A list takes the
// nearest entry.
float NormalisedFromUnits(int index, double units);

// The range and default of a parameter in units.
double UnitsMinimum(int index);
double UnitsMaximum(int index);
double UnitsDefault(int index);
