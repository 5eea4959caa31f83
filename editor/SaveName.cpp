#include "editor/SaveName.h"

#include "port/SjisText.h"

#include <cstring>
#include <string>

namespace {

// Length of the UTF-8 sequence starting at text, or 0 when it is not a valid one.
size_t Utf8SequenceLength(const unsigned char* text)
{
    const unsigned char lead = text[0];
    size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    for (size_t i = 1; i < length; ++i)
        if ((text[i] & 0xC0) != 0x80) return 0;
    return length;
}

// Shift-JIS lead bytes: the first byte of a two-byte character.
bool IsSjisLead(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string ConvertWithSubstitutes(const char* utf8)
{
    if (const char* whole = UTF8ToSJSINS(utf8)) return whole;
    std::string converted;
    const auto* text = reinterpret_cast<const unsigned char*>(utf8);
    while (*text) {
        const size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            converted += '?';
            ++text;
            continue;
        }
        const std::string one(reinterpret_cast<const char*>(text), length);
        const char* sjis = UTF8ToSJSINS(one.c_str());
        converted += (sjis && *sjis) ? sjis : "?";
        text += length;
    }
    return converted;
}

} // namespace

void MakeSjisProgramName(const char* utf8, char* out)
{
    const std::string sjis = ConvertWithSubstitutes(utf8 ? utf8 : "");
    size_t cut = 0;
    while (cut < sjis.size()) {
        const size_t width = IsSjisLead(static_cast<unsigned char>(sjis[cut])) ? 2 : 1;
        if (cut + width > kProgramNameBytes || cut + width > sjis.size()) break;
        cut += width;
    }
    std::memcpy(out, sjis.data(), cut);
    out[cut] = '\0';
}

size_t SjisNameBytes(const char* utf8)
{
    return ConvertWithSubstitutes(utf8 ? utf8 : "").size();
}
