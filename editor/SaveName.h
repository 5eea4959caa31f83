#pragma once
// The name typed in the save dialog (UTF-8) as a program name: Shift-JIS, at most 23 bytes.
#include <cstddef>

constexpr size_t kProgramNameBytes = 23;

// Writes the Shift-JIS form of utf8 into out (at least kProgramNameBytes + 1 bytes),
// terminated. Characters Shift-JIS cannot hold, and bytes that are not UTF-8, become "?",
// so every typed name can be saved. The cut never splits a two-byte character.
void MakeSjisProgramName(const char* utf8, char* out);

// Bytes the Shift-JIS form of utf8 takes before any cut (substitutes counted as "?").
size_t SjisNameBytes(const char* utf8);
