#include "effect/AKestruneProgram.h"

#include <cstring>

AKestruneProgram::AKestruneProgram() : values {}, name {}, slot(0)
{
    for (int i = 0; i < kNumParams; ++i) {
        const ParamRow& row = AutomateParamMinMax_Tbl[i];
        values[i] = static_cast<float>(row.def - row.min) / static_cast<float>(row.max - row.min);
    }
    std::strcpy(name, "Empty");
}
