#pragma once
// One program: the 88-byte record used alike in memory, in chunks and in bank files.
#include "effect/ParameterTable.h"

#include <cstdint>

struct AKestruneProgram {
    float values[kNumParams];
    char name[24];
    int32_t slot; // record 0 of the working set: the current program number

    AKestruneProgram(); // defaults, named "Empty"
};
static_assert(sizeof(AKestruneProgram) == 88, "program record must be 88 bytes");
static_assert(sizeof(AKestruneProgram[kNumPrograms]) == 2816, "bank must be 2816 bytes");
