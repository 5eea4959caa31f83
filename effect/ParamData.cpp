#include "effect/ParamData.h"

#include "effect/ParameterTable.h"

#include <cmath>

int32_t ParamData::GetInt() const
{
    float x = static_cast<float>(max - min) * Load() + static_cast<float>(min);
    if (!(x == x)) return min;
    // Keep the truncation below defined for any stored value.
    if (x > static_cast<float>(max) + 1.0f) x = static_cast<float>(max) + 1.0f;
    if (x < static_cast<float>(min) - 1.0f) x = static_cast<float>(min) - 1.0f;
    x = x >= 0.0f ? x + 0.5f : x - 0.5f;
    int32_t n = static_cast<int32_t>(x);
    if (n < min) n = min;
    if (n > max) n = max;
    return n;
}

float ParamData::GetReal() const
{
    const int32_t n = GetInt();
    if (decimals < 1) return static_cast<float>(n);
    double scale = 1.0;
    for (int32_t i = 0; i < decimals; ++i) scale *= 10.0;
    float r = static_cast<float>(static_cast<double>(n) / scale);
    if (r > 0.0f)
        r = static_cast<float>(static_cast<double>(r) + 0.00005);
    else if (r < 0.0f)
        r = static_cast<float>(static_cast<double>(r) - 0.00005);
    return r;
}

float ParamData::NormFrom(double target) const
{
    if (max == min) return 0.0f;
    if (!(target == target)) target = min;
    if (target < min) target = min;
    if (target > max) target = max;
    return (static_cast<float>(target) - static_cast<float>(min)) / static_cast<float>(max - min);
}

float SanitizeNormalized(float value)
{
    if (!(value >= 0.0f)) return 0.0f; // NaN and negatives
    if (value > 1.0f) return 1.0f;     // includes +inf
    return value;
}

ParamData DescriptorFromRow(const ParamRow& row)
{
    ParamData d;
    d.id = row.id;
    d.min = row.min;
    d.max = row.max;
    d.def = row.def;
    d.decimals = row.decimals;
    d.isList = row.isList != 0;
    d.list = row.list;
    d.value = d.NormDefault();
    return d;
}
