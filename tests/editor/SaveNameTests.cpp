// Names typed in the save dialog become Shift-JIS program names of at most 23 bytes.
#include "editor/SaveName.h"
#include "toolkit/TextField.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Saved(const char* typed)
{
    char out[kProgramNameBytes + 1];
    std::memset(out, 'x', sizeof out);
    MakeSjisProgramName(typed, out);
    return out;
}

} // namespace

TEST(SaveName, AsciiIsKeptAndCutAtTwentyThreeBytes)
{
    EXPECT_EQ(Saved("Tape Echo"), "Tape Echo");
    EXPECT_EQ(Saved("abcdefghijklmnopqrstuvwxyz0123"), "abcdefghijklmnopqrstuvw");
    EXPECT_EQ(Saved(""), "");
    EXPECT_EQ(Saved(nullptr), "");
}

TEST(SaveName, JapaneseIsConvertedAndNeverSplit)
{
    // Katakana "a" is 0x83 0x41 in Shift-JIS.
    EXPECT_EQ(Saved("\xE3\x82\xA2"), "\x83\x41");
    // Twelve two-byte characters make 24 bytes: eleven fit.
    const std::string twelve = [] {
        std::string s;
        for (int i = 0; i < 12; ++i) s += "\xE3\x82\xA2";
        return s;
    }();
    const std::string cut = Saved(twelve.c_str());
    EXPECT_EQ(cut.size(), 22u);
    // 22 single bytes then a two-byte character: the character does not fit whole.
    EXPECT_EQ(Saved("0123456789012345678901\xE3\x82\xA2"), "0123456789012345678901");
    // A trail byte of 0x80 or above right at the cut is no lead byte: 21 + 2 bytes fit.
    EXPECT_EQ(Saved("012345678901234567890\xE3\x82\xBD").size(), 23u); // "so" is 0x83 0x5C
}

TEST(SaveName, CharactersShiftJisCannotHoldBecomeQuestionMarks)
{
    EXPECT_EQ(Saved("warm \xF0\x9F\x98\x80 lead"), "warm ? lead"); // an emoji
    EXPECT_EQ(Saved("bad\xFFutf8"), "bad?utf8");
    EXPECT_EQ(Saved("\xE3\x82\xA2\xF0\x9F\x98\x80"), "\x83\x41?");
}

TEST(SaveName, BytesCountedAsStoredForTheNameFieldsLimit)
{
    EXPECT_EQ(SjisNameBytes(""), 0u);
    EXPECT_EQ(SjisNameBytes("Tape Echo"), 9u);
    EXPECT_EQ(SjisNameBytes("\xE3\x82\xA2\xE3\x82\xA2"), 4u); // two katakana: two bytes each
    EXPECT_EQ(SjisNameBytes("a\xF0\x9F\x98\x80"), 2u);        // the emoji is stored as "?"
    EXPECT_EQ(SjisNameBytes(nullptr), 0u);
}

TEST(SaveName, TextFieldStopsAtTheStoredLimit)
{
    VSTGUI::TextField field;
    field.setLimit(SjisNameBytes, kProgramNameBytes);
    field.insert(std::string(40, 'w'));
    EXPECT_EQ(field.text(), std::string(23, 'w'));
    field.setText(std::string(21, 'x'));
    field.insert("\xE3\x82\xA2\xE3\x82\xA2"); // the first katakana fits (23 bytes), the second not
    EXPECT_EQ(field.text(), std::string(21, 'x') + "\xE3\x82\xA2");
    field.selectAll();
    field.insert("new"); // replacing a selection makes room again
    EXPECT_EQ(field.text(), "new");
}
