#include "effect/ParameterUnits.h"

#include "effect/DisplayedValue.h"
#include "effect/ParamData.h"

#include <algorithm>
#include <cmath>

namespace {

ParamData Descriptor(int index)
{
    return DescriptorFromRow(AutomateParamMinMax_Tbl[index]);
}

double Scale(const ParamData& d)
{
    return std::pow(10.0, d.decimals);
}

bool Valid(int index)
{
    return index >= 0 && index < kNumParams;
}

} // namespace

double UnitsFromNormalised(int index, float normalised)
{
    if (!Valid(index)) return 0.0;
    ParamData d = Descriptor(index);
    d.Store(SanitizeNormalized(normalised));
    if (d.isList) return d.GetInt() - d.min;
    // What the display prints with its decimals, read back as a number.
    return d.GetInt() / Scale(d);
}

double UnitsMinimum(int index)
{
    if (!Valid(index)) return 0.0;
    const ParamData d = Descriptor(index);
    return d.isList ? 0.0 : d.min / Scale(d);
}

double UnitsMaximum(int index)
{
    if (!Valid(index)) return 0.0;
    const ParamData d = Descriptor(index);
    return d.isList ? d.max - d.min : d.max / Scale(d);
}

double UnitsDefault(int index)
{
    if (!Valid(index)) return 0.0;
    const ParamData d = Descriptor(index);
    return d.isList ? d.def - d.min : d.def / Scale(d);
}

float NormalisedFromUnits(int index, double units)
{
    if (!Valid(index)) return 0.0f;
    ParamData d = Descriptor(index);
    const double low = UnitsMinimum(index), high = UnitsMaximum(index);
    const double target = std::isnan(units) ? low : std::clamp(units, low, high);
    if (d.isList) {
        const int32_t entry = static_cast<int32_t>(std::lround(target));
        return displayed::MiddleOfMatchingRun([&](float v) {
            d.Store(v);
            return d.GetInt() - d.min == entry;
        });
    }
    return displayed::NearestNormalised(
        [&](float v) {
            d.Store(v);
            return d.GetInt() / Scale(d);
        },
        UnitsFromNormalised(index, 0.0f), UnitsFromNormalised(index, 1.0f), target);
}
