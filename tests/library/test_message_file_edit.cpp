// Writing message files: a changed or added text keeps every other byte,
// texts go into the file's code page, and what the game would read
// otherwise is refused. Expected bytes are written out by hand from the
// code page charts and the message file format.
#include <doctest/doctest.h>

#include "library/MessageFile.h"
#include "library/MessageFileEdit.h"
#include "platform/Refusal.h"

#include <string>
#include <vector>

using namespace quarnel;

namespace {

std::string Edited(const std::string& file, const std::vector<MessageTextEdit>& edits,
                   NameEncoding encoding = NameEncoding::Cp1252)
{
    return EditMessageBytes(file, edits, encoding, "pro_item.msg");
}

// The refusal's message, or "" when the text is taken.
std::string RefusalOf(const std::string& text, NameEncoding encoding)
{
    try {
        MessageTextBytes(text, encoding);
        return "";
    } catch (const Refusal& refusal) {
        CHECK(refusal.Kind() == RefusalKind::Invalid);
        return refusal.what();
    }
}

} // namespace

TEST_CASE("a changed or added text keeps every other byte of the file")
{
    // CR LF: a comment, a blank line, an entry over two lines, a sound field.
    const std::string crlf = "# items\r\n\r\n{100}{}{Knife}\r\n{101}{snd}{A sharp\r\n knife}  # note\r\n"
                             "{200}{}{Spear}\r\n";
    CHECK(Edited(crlf, {{100, "Dagger"}}) ==
          "# items\r\n\r\n{100}{}{Dagger}\r\n{101}{snd}{A sharp\r\n knife}  # note\r\n{200}{}{Spear}\r\n");
    // The entry over two lines becomes one; the note after it stays.
    CHECK(Edited(crlf, {{101, "Blunt"}}) == "# items\r\n\r\n{100}{}{Knife}\r\n{101}{snd}{Blunt}  # note\r\n"
                                            "{200}{}{Spear}\r\n");
    CHECK(Edited(crlf, {{300, "Rock"}, {301, "A rock"}}) == crlf + "{300}{}{Rock}\r\n{301}{}{A rock}\r\n");
    CHECK(Edited(crlf, {{200, "Pike"}, {201, ""}}) ==
          "# items\r\n\r\n{100}{}{Knife}\r\n{101}{snd}{A sharp\r\n knife}  # note\r\n{200}{}{Pike}\r\n{201}{}{}\r\n");

    // LF, with a text holding a '{', which the reader keeps as a character.
    const std::string lf = "{1}{}{a}\n#c\n{2}{}{b}\n";
    CHECK(Edited(lf, {{2, "x{y"}, {3, "z"}}) == "{1}{}{a}\n#c\n{2}{}{x{y}\n{3}{}{z}\n");

    // No line end at the end: one is added before the new entry, in the file's kind.
    CHECK(Edited("{1}{}{a}\n{2}{}{b}", {{3, "c"}}) == "{1}{}{a}\n{2}{}{b}\n{3}{}{c}\n");
    CHECK(Edited("{1}{}{a}", {{3, "c"}}) == "{1}{}{a}\r\n{3}{}{c}\r\n");
    CHECK(Edited("", {{3, "c"}}) == "{3}{}{c}\r\n");

    // A repeated number: the later entry is the one the game shows, so it is changed.
    CHECK(Edited("{5}{}{old}\n{5}{}{used}\n", {{5, "new"}}) == "{5}{}{old}\n{5}{}{new}\n");
    // A number written with a sign or leading zeros is the same number.
    CHECK(Edited("{+007}{}{seven}\n", {{7, "sieben"}}) == "{+007}{}{sieben}\n");
    // The later of two edits of a number wins.
    CHECK(Edited(lf, {{1, "first"}, {1, "second"}}) == "{1}{}{second}\n#c\n{2}{}{b}\n");
}

TEST_CASE("a file with a fault is not changed: where the game stops reading, nothing after is known")
{
    try {
        Edited("{1}{}{a}\n}\n{2}{}{b}\n", {{2, "x"}});
        FAIL("a damaged file was changed");
    } catch (const Refusal& refusal) {
        CHECK(refusal.Kind() == RefusalKind::Damaged);
        CHECK(std::string(refusal.what()).find("pro_item.msg, line 2: a '}' outside an entry") == 0);
    }
}

TEST_CASE("texts are written in the code page and read back as they were given")
{
    struct Row {
        NameEncoding encoding;
        std::string utf8;
        std::string bytes;
    };
    const Row rows[] = {
        // Czech: Ž 0x8E, l, u, ť 0x9D, o, u, č 0xE8, k, ý 0xFD, space, k, ů 0xF9, ň 0xF2
        {NameEncoding::Cp1250, "\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88",
         "\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2"},
        // Russian: Н 0xCD, о 0xEE, ж 0xE6, space, № 0xB9, Ё 0xA8
        {NameEncoding::Cp1251, "\xD0\x9D\xD0\xBE\xD0\xB6 \xE2\x84\x96\xD0\x81", "\xCD\xEE\xE6 \xB9\xA8"},
        // Western: é 0xE9, € 0x80, Œ 0x8C, ÿ 0xFF
        {NameEncoding::Cp1252, "Caf\xC3\xA9 \xE2\x82\xAC\xC5\x92\xC3\xBF", "Caf\xE9 \x80\x8C\xFF"},
        {NameEncoding::Utf8, "\xD0\x9D\xD0\xBE\xD0\xB6", "\xD0\x9D\xD0\xBE\xD0\xB6"},
    };
    for (const Row& row : rows) {
        CAPTURE(NameEncodingOption(row.encoding));
        CHECK(MessageTextBytes(row.utf8, row.encoding) == row.bytes);
        const std::string file = Edited("{1}{}{x}\r\n", {{1, row.utf8}, {2, row.utf8}}, row.encoding);
        CHECK(file == "{1}{}{" + row.bytes + "}\r\n{2}{}{" + row.bytes + "}\r\n");
        // Read back by the reader and decoded in the code page: the text given.
        const MessageFileResult read = ParseMessageText(file);
        CHECK(DecodeName(read.table.Lookup("2"), row.encoding) == row.utf8);
    }
}

TEST_CASE("a text the game would read otherwise is refused, naming why")
{
    CHECK(RefusalOf("a}b", NameEncoding::Cp1252) == "holds a '}', which ends a message text for the game");
    CHECK(RefusalOf("a\nb", NameEncoding::Cp1252) == "holds a line break, which the game does not read as one");
    CHECK(RefusalOf("a\rb", NameEncoding::Cp1251) == "holds a line break, which the game does not read as one");
    // Characters the code page lacks: Ж and ř in Windows-1252, Ă in Windows-1251, an emoji anywhere.
    CHECK(RefusalOf("a\xD0\x96", NameEncoding::Cp1252) ==
          "'\xD0\x96' (U+0416) is not in Windows-1252, the message file's encoding");
    CHECK(RefusalOf("\xC5\x99", NameEncoding::Cp1252) ==
          "'\xC5\x99' (U+0159) is not in Windows-1252, the message file's encoding");
    CHECK(RefusalOf("\xC5\x99", NameEncoding::Cp1250).empty());
    CHECK(RefusalOf("\xC4\x82", NameEncoding::Cp1251) ==
          "'\xC4\x82' (U+0102) is not in Windows-1251, the message file's encoding");
    CHECK(RefusalOf("\xF0\x9F\x98\x80", NameEncoding::Cp1250) ==
          "'\xF0\x9F\x98\x80' (U+1F600) is not in Windows-1250, the message file's encoding");
    // A C1 control stands for a byte the code page leaves unassigned: no character of it.
    CHECK(RefusalOf("\xC2\x81", NameEncoding::Cp1252) ==
          "'\xC2\x81' (U+0081) is not in Windows-1252, the message file's encoding");
    CHECK(RefusalOf("a\xE9", NameEncoding::Cp1252) == "is not UTF-8 text");

    // The reader takes 1023 bytes of a field: counted in the code page's bytes.
    std::string cyrillic;
    for (int i = 0; i < 1023; ++i)
        cyrillic += "\xD0\x96"; // 2046 bytes of UTF-8, 1023 of Windows-1251
    CHECK(RefusalOf(cyrillic, NameEncoding::Cp1251).empty());
    CHECK(RefusalOf(cyrillic + "a", NameEncoding::Cp1251) ==
          "has 1024 bytes in Windows-1251; the game reads at most 1023");
    CHECK(RefusalOf(cyrillic, NameEncoding::Utf8) == "has 2046 bytes in UTF-8; the game reads at most 1023");
    // Refused in an edit too, with the file left as it was.
    CHECK_THROWS_AS(Edited("{1}{}{a}\n", {{1, "b}"}}), Refusal);
}

TEST_CASE("the encoding written is the one the file is read in, the language's code page for a file without one")
{
    CHECK(MessageWriteEncoding("{1}{}{a}\n", "russian", NameEncoding::Automatic) == NameEncoding::Cp1251);
    CHECK(MessageWriteEncoding("{1}{}{a}\n", "czech", NameEncoding::Automatic) == NameEncoding::Cp1250);
    CHECK(MessageWriteEncoding("{1}{}{a}\n", "", NameEncoding::Automatic) == NameEncoding::Cp1252);
    // A UTF-8 file beyond ASCII is read as UTF-8: its new texts must be too.
    CHECK(MessageWriteEncoding("{1}{}{\xD0\x96}\n", "russian", NameEncoding::Automatic) == NameEncoding::Utf8);
    // Code-page bytes that are no valid UTF-8: the language's code page.
    CHECK(MessageWriteEncoding("{1}{}{\xC6}\n", "russian", NameEncoding::Automatic) == NameEncoding::Cp1251);
    CHECK(MessageWriteEncoding("{1}{}{\xD0\x96}\n", "russian", NameEncoding::Cp1252) == NameEncoding::Cp1252);
    CHECK(FileLineEnding("a\nb\r\n") == "\n");
    CHECK(FileLineEnding("a\r\nb\n") == "\r\n");
    CHECK(FileLineEnding("\n") == "\n");
}
