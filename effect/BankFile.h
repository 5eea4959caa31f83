#pragma once
// The default bank file: a VST 2 bank of the opaque-chunk kind holding the 32 program
// records. Headers are big-endian; the chunk is the raw little-endian records.
#include "effect/AKestruneProgram.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CFile;

constexpr int kBankChunkSize = static_cast<int>(sizeof(AKestruneProgram)) * kNumPrograms;
constexpr int kBankHeaderSize = 160;
constexpr int kBankFileSize = kBankHeaderSize + kBankChunkSize;
constexpr const char* kDefaultBankName = "KestruneDef.fxb";
// Where a damaged user bank is kept when a save replaces it.
constexpr const char* kDamagedBankSuffix = ".damaged";

uint32_t ReadBigEndian32(CFile& file);
uint16_t ReadBigEndian16(CFile& file);

// The whole file image for these programs, with the given effect ID.
void BuildBankImage(const AKestruneProgram programs[kNumPrograms], int32_t fxId, unsigned char out[kBankFileSize]);

// True when bytes are one whole bank of fxId: exactly kBankFileSize bytes, "CcnK", "FBCh",
// the ID and a chunk of all 32 records (the byte-size field is not read). Then the
// records, sanitised, are in programs; otherwise programs is untouched.
bool ParseBankImage(const unsigned char* bytes, std::size_t size, int32_t fxId,
                    AKestruneProgram programs[kNumPrograms]);

enum class BankFileState { absent, valid, damaged };

// Reads the bank at path (a regular file, or a link to one). absent: nothing is there,
// not even a dangling link; damaged: something is there that is not a whole, valid bank.
BankFileState ReadBankFile(const std::string& path, int32_t fxId, AKestruneProgram programs[kNumPrograms]);

// Program records that came from outside: values forced into 0..1, names terminated.
void SanitizePrograms(AKestruneProgram* programs, int count);
