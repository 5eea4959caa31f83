#include "toolkit/TextField.h"

#include <algorithm>

namespace VSTGUI {
namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at text[i], or 0 when it is not one.
size_t sequenceLength(const std::string& text, size_t i)
{
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k)
        if (!isContinuation(static_cast<unsigned char>(text[i + k])))
            return 0;
    return length;
}

} // namespace

size_t TextField::countCharacters(const std::string& text)
{
    size_t count = 0;
    for (unsigned char byte : text)
        if (!isContinuation(byte))
            ++count;
    return count;
}

void TextField::setText(const std::string& text)
{
    content.clear();
    caretPos = anchor = 0;
    insert(text);
}

void TextField::selectAll()
{
    anchor = 0;
    caretPos = content.size();
}

void TextField::setCaret(size_t offset, bool extend)
{
    if (offset > content.size())
        offset = content.size();
    while (offset > 0 && offset < content.size() && isContinuation(static_cast<unsigned char>(content[offset])))
        --offset;
    caretPos = offset;
    if (!extend)
        anchor = offset;
}

void TextField::deleteSelection()
{
    const size_t start = selectionStart();
    content.erase(start, selectionEnd() - start);
    caretPos = anchor = start;
}

void TextField::insert(const std::string& text)
{
    deleteSelection();
    size_t room = kMaxCharacters - std::min(kMaxCharacters, countCharacters(content));
    std::string accepted;
    for (size_t i = 0; i < text.size() && room > 0;) {
        const size_t length = sequenceLength(text, i);
        if (length == 0) {
            ++i;
            continue;
        }
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (length > 1 || (lead >= 0x20 && lead != 0x7F)) {
            const std::string one = text.substr(i, length);
            std::string candidate = content;
            candidate.insert(caretPos, accepted + one);
            if (!fits(candidate))
                break; // full: the rest is not taken
            accepted += one;
            --room;
        }
        i += length;
    }
    content.insert(caretPos, accepted);
    caretPos += accepted.size();
    anchor = caretPos;
}

size_t TextField::previousBoundary(size_t offset) const
{
    if (offset == 0)
        return 0;
    --offset;
    while (offset > 0 && isContinuation(static_cast<unsigned char>(content[offset])))
        --offset;
    return offset;
}

size_t TextField::nextBoundary(size_t offset) const
{
    if (offset >= content.size())
        return content.size();
    ++offset;
    while (offset < content.size() && isContinuation(static_cast<unsigned char>(content[offset])))
        ++offset;
    return offset;
}

void TextField::backspace()
{
    if (!hasSelection())
        anchor = previousBoundary(caretPos);
    deleteSelection();
}

void TextField::deleteForward()
{
    if (!hasSelection())
        anchor = nextBoundary(caretPos);
    deleteSelection();
}

void TextField::moveLeft(bool extend)
{
    if (hasSelection() && !extend)
        setCaret(selectionStart(), false);
    else
        setCaret(previousBoundary(caretPos), extend);
}

void TextField::moveRight(bool extend)
{
    if (hasSelection() && !extend)
        setCaret(selectionEnd(), false);
    else
        setCaret(nextBoundary(caretPos), extend);
}

} // namespace VSTGUI
