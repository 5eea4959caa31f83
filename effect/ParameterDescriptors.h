#pragma once
// The parameter descriptors as built from the table, their display texts and the level-gain
// law: shared by the effect and by panels that keep their own copies of the descriptors.
#include "effect/ParamData.h"
#include "effect/ParameterTable.h"

#include <vector>

// The 15 parameters with names and units, and the two gain descriptors, at their defaults.
void FillDescriptors(ParamData (&params)[kNumParams], ParamData& outputGain, ParamData& inputGain);
// The step names of the list parameters, indexed by ParamData::list.
std::vector<ParamValueNames> MakeValueNameLists();
// The display text of a descriptor; names is its list's step names (null for a number).
void FormatDisplay(const ParamData* descriptor, const ParamValueNames* names, char* text);
// Level in dB -> linear gain descriptor, on a law of exactly 6 dB per doubling.
void GainFromLevel(const ParamData& level, ParamData& gain);
// Linear gain descriptor -> level in dB (tenths, truncated toward zero).
void LevelFromGain(const ParamData& gain, ParamData& level);
