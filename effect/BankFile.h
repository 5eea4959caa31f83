#pragma once
// The default bank file: a VST 2 bank of the opaque-chunk kind holding the 32 program
// records. Headers are big-endian; the chunk is the raw little-endian records.
#include "effect/AKestruneProgram.h"

#include <cstdint>
#include <string>

class CFile;

constexpr int kBankChunkSize = static_cast<int>(sizeof(AKestruneProgram)) * kNumPrograms;
constexpr int kBankHeaderSize = 160;
constexpr int kBankFileSize = kBankHeaderSize + kBankChunkSize;
constexpr const char* kDefaultBankName = "KestruneDef.fxb";

uint32_t ReadBigEndian32(CFile& file);
uint16_t ReadBigEndian16(CFile& file);

// The whole file image for these programs, with the given effect ID.
void BuildBankImage(const AKestruneProgram programs[kNumPrograms], int32_t fxId, unsigned char out[kBankFileSize]);

// Reads a bank file's chunk into chunk (at most capacity bytes). Returns the number of
// bytes to load, or 0 when the file is not a complete opaque-chunk bank of fxId.
int ReadBankChunk(CFile& file, int32_t fxId, void* chunk, int capacity);

// Replaces path with data so that a crash or a full disk never leaves a torn file: write
// a temporary file in the same folder, flush it to disk, then rename it over path.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size);

// Program records that came from outside: values forced into 0..1, names terminated.
void SanitizePrograms(AKestruneProgram* programs, int count);
