#pragma once
// Small Windows-style helpers the effect and editor are written against.
#include <cstddef>
#include <cstring>

inline void ZeroMemory(void* p, std::size_t size) { if (p && size) std::memset(p, 0, size); }

// Every byte of 0x80 and above counts as the first half of a two-byte character,
// so cutting a Shift-JIS name never leaves half a character behind.
inline bool IsDBCSLeadByte(unsigned char byte) { return byte >= 0x80; }
