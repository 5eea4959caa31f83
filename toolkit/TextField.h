#pragma once
// The editing model of a single-line UTF-8 text field: text, caret and selection as byte
// offsets on character boundaries, and a limit on the number of characters.
#include <cstddef>
#include <string>

namespace VSTGUI {

class TextField {
public:
    static constexpr size_t kMaxCharacters = 255;

    // A limit in the units of measure (e.g. the bytes of another encoding), on top of the
    // character limit: insert takes characters only while the measured text stays within max.
    typedef size_t (*Measure)(const char* utf8);
    void setLimit(Measure measure, size_t max)
    {
        limitMeasure = measure;
        limitMax = max;
    }
    // The measured size of the text (0 without a limit) and whether it is at the limit.
    size_t measured() const { return limitMeasure ? limitMeasure(content.c_str()) : 0; }
    size_t limit() const { return limitMeasure ? limitMax : 0; }

    // Replaces the text (cut to the limit) and puts the caret at its end.
    void setText(const std::string& text);
    const std::string& text() const { return content; }
    size_t caret() const { return caretPos; }
    size_t selectionStart() const { return caretPos < anchor ? caretPos : anchor; }
    size_t selectionEnd() const { return caretPos < anchor ? anchor : caretPos; }
    bool hasSelection() const { return caretPos != anchor; }

    void selectAll();
    // Puts the caret at byte offset (moved back to a character boundary); extend keeps the anchor.
    void setCaret(size_t offset, bool extend);
    // Inserts UTF-8 text over the selection; line breaks and control characters are dropped,
    // invalid bytes are skipped and characters beyond the limit are not inserted.
    void insert(const std::string& text);
    void backspace();
    void deleteForward();
    void moveLeft(bool extend);
    void moveRight(bool extend);
    void home(bool extend) { setCaret(0, extend); }
    void end(bool extend) { setCaret(content.size(), extend); }

    // Number of characters (code points) in text.
    static size_t countCharacters(const std::string& text);

private:
    void deleteSelection();
    size_t previousBoundary(size_t offset) const;
    size_t nextBoundary(size_t offset) const;

    bool fits(const std::string& candidate) const { return !limitMeasure || limitMeasure(candidate.c_str()) <= limitMax; }

    std::string content;
    Measure limitMeasure = nullptr;
    size_t limitMax = 0;
    size_t caretPos = 0;
    size_t anchor = 0;
};

} // namespace VSTGUI
