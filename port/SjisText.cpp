#include "port/SjisText.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <string>

namespace {

// glibc's CP932 is the Windows code page: ASCII stays ASCII (0x5C is the backslash, where
// SHIFT_JIS would give the yen sign) and the NEC/IBM extension rows round-trip. Names
// typed on Windows or macOS machines come from that set.
constexpr const char* kSjis = "CP932";

// Converts the whole text or nothing.
bool Convert(const char* to, const char* from, const char* text, std::string& out)
{
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    const std::size_t length = std::strlen(text);
    out.assign(length * 4 + 4, '\0');
    char* in = const_cast<char*>(text);
    std::size_t inLeft = length;
    char* dst = out.data();
    std::size_t outLeft = out.size();
    const std::size_t rc = ::iconv(cd, &in, &inLeft, &dst, &outLeft);
    const bool ok = rc != static_cast<std::size_t>(-1) && inLeft == 0
        && ::iconv(cd, nullptr, nullptr, &dst, &outLeft) != static_cast<std::size_t>(-1);
    ::iconv_close(cd);
    if (!ok) return false;
    out.resize(out.size() - outLeft);
    return true;
}

} // namespace

bool IsValidUtf8(const char* text)
{
    if (!text) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        int extra;
        unsigned int cp;
        if (*p < 0x80) { ++p; continue; }
        if ((*p & 0xE0) == 0xC0) { extra = 1; cp = *p & 0x1F; }
        else if ((*p & 0xF0) == 0xE0) { extra = 2; cp = *p & 0x0F; }
        else if ((*p & 0xF8) == 0xF0) { extra = 3; cp = *p & 0x07; }
        else return false;
        ++p;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (*p & 0x3F);
        }
        static const unsigned int kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    }
    return true;
}

char* CheckSJISAndToUFT8(const char* source, char* destination)
{
    if (!destination) return destination;
    if (!source) { destination[0] = '\0'; return destination; }
    std::string utf8;
    if (!IsValidUtf8(source) && Convert("UTF-8", kSjis, source, utf8)) {
        std::memcpy(destination, utf8.c_str(), utf8.size() + 1);
    } else if (destination != source) {
        std::memmove(destination, source, std::strlen(source) + 1);
    }
    return destination;
}

const char* UTF8ToSJSINS(const char* text)
{
    thread_local std::string buffer;
    if (!text || !IsValidUtf8(text)) return nullptr;
    if (!Convert(kSjis, "UTF-8", text, buffer)) return nullptr;
    return buffer.c_str();
}
