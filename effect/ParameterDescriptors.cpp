#include "effect/ParameterDescriptors.h"

#include <cmath>
#include <cstdio>
#include <cstring>

void FillDescriptors(ParamData (&params)[kNumParams], ParamData& outputGain, ParamData& inputGain)
{
    for (int i = 0; i < kNumParams; ++i) {
        ParamData& d = params[i];
        d = DescriptorFromRow(AutomateParamMinMax_Tbl[i]);
        std::snprintf(d.name, sizeof d.name, "%s", strParameName[i]);
        std::snprintf(d.unit, sizeof d.unit, "%s", strLavel[i]);
    }
    outputGain = DescriptorFromRow(VolParamMinMax_Tbl[0]);
    inputGain = DescriptorFromRow(VolParamMinMax_Tbl[1]);
}

std::vector<ParamValueNames> MakeValueNameLists()
{
    std::vector<ParamValueNames> lists;
    auto add = [&lists](const char* const* names, uint32_t count) {
        ParamValueNames list;
        list.count = count;
        for (uint32_t k = 0; k < count; ++k) list.names[k] = names[k];
        lists.push_back(list);
    };
    add(szParamString, 2);
    add(szParamStringTimeMode, 3);
    add(szParamStringNote, 10);
    return lists;
}

void FormatDisplay(const ParamData* d, const ParamValueNames* names, char* text)
{
    if (!text) return;
    std::strcpy(text, "0");
    if (!d) return;
    const int32_t n = d->GetInt();
    if (!d->isList) {
        if (d->decimals == 0) {
            std::sprintf(text, "%d", n);
        } else {
            char format[16];
            std::snprintf(format, sizeof format, "%%.%df", d->decimals);
            std::sprintf(text, format, static_cast<double>(d->GetReal()));
        }
        return;
    }
    const int32_t entry = n - d->min;
    if (names && n >= 0 && n < 128 && entry >= 0 && static_cast<uint32_t>(entry) < names->count)
        std::strcpy(text, names->names[entry]);
}

void GainFromLevel(const ParamData& level, ParamData& gain)
{
    const float g = std::pow(2.0f, level.GetReal() / 6.0f);
    const int32_t n = static_cast<int32_t>(g * 1000.0f);
    gain.SetFrom(n);
}

void LevelFromGain(const ParamData& gain, ParamData& level)
{
    const float d = 6.0f * std::log(gain.GetReal()) / std::log(2.0f);
    const int32_t n = static_cast<int32_t>(d * 10.0f);
    level.SetFrom(n);
}
