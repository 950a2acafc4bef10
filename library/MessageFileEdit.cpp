#include "library/MessageFileEdit.h"

#include "library/MessageFile.h"
#include "platform/IntegerText.h"
#include "platform/Refusal.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace quarnel {
namespace {

// Where the text of an entry lies: the bytes between its third field's braces.
struct TextSpan {
    std::size_t begin;
    std::size_t end;
};

// The text spans of a file the reader takes without a fault, in file order.
std::vector<TextSpan> TextSpans(std::string_view bytes)
{
    std::vector<TextSpan> spans;
    std::size_t pos = 0;
    auto nextField = [&]() -> TextSpan {
        const std::size_t open = bytes.find('{', pos);
        const std::size_t close = bytes.find('}', open + 1);
        pos = close + 1;
        return {open + 1, close};
    };
    while (bytes.find('{', pos) != std::string_view::npos) {
        nextField();
        nextField();
        spans.push_back(nextField());
    }
    return spans;
}

// "'Ж' (U+0416)": the character of a valid UTF-8 text at the offset, as users read it.
std::string CharacterText(std::string_view utf8, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    const std::size_t length = byte(at) < 0x80 ? 1 : byte(at) < 0xE0 ? 2 : byte(at) < 0xF0 ? 3 : 4;
    char32_t point = length == 1 ? byte(at) : byte(at) & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        point = point << 6 | (byte(at + i) & 0x3F);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(point));
    return "'" + std::string(utf8.substr(at, length)) + "' (" + code + ")";
}

} // namespace

NameEncoding MessageWriteEncoding(std::string_view fileBytes, std::string_view language, NameEncoding chosen)
{
    if (chosen != NameEncoding::Automatic)
        return chosen;
    const bool beyondAscii =
        std::any_of(fileBytes.begin(), fileBytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (beyondAscii && IsValidUtf8(fileBytes))
        return NameEncoding::Utf8;
    return CodePageOfLanguage(language);
}

std::string MessageTextBytes(std::string_view utf8, NameEncoding encoding)
{
    if (utf8.find('}') != std::string_view::npos)
        throw Refusal(RefusalKind::Invalid, "holds a '}', which ends a message text for the game");
    if (utf8.find_first_of("\r\n") != std::string_view::npos)
        throw Refusal(RefusalKind::Invalid, "holds a line break, which the game does not read as one");
    if (!IsValidUtf8(utf8))
        throw Refusal(RefusalKind::Invalid, "is not UTF-8 text");
    std::size_t failedAt = 0;
    const std::optional<std::string> bytes = EncodeName(utf8, encoding, &failedAt);
    if (!bytes)
        throw Refusal(RefusalKind::Invalid, CharacterText(utf8, failedAt) + " is not in " +
                                                NameEncodingCaption(encoding) + ", the message file's encoding");
    if (bytes->size() > kMessageFieldLimit)
        throw Refusal(RefusalKind::Invalid, "has " + std::to_string(bytes->size()) + " bytes in " +
                                                NameEncodingCaption(encoding) + "; the game reads at most " +
                                                std::to_string(kMessageFieldLimit));
    return *bytes;
}

std::string_view FileLineEnding(std::string_view fileBytes)
{
    const std::size_t lf = fileBytes.find('\n');
    if (lf != std::string_view::npos && (lf == 0 || fileBytes[lf - 1] != '\r'))
        return "\n";
    return "\r\n";
}

std::string EditMessageBytes(std::string_view fileBytes, const std::vector<MessageTextEdit>& edits,
                             NameEncoding encoding, const std::string& label)
{
    const MessageFileResult before = ParseMessageText(fileBytes);
    if (before.fault)
        throw Refusal(RefusalKind::Damaged,
                      MessageFaultText(label, *before.fault) + "; the game stops reading there, so it is not changed");

    // The last edit of a number wins; each text encoded before anything is changed.
    std::map<std::string, std::string> wanted;
    std::vector<std::string> order;
    for (const MessageTextEdit& edit : edits) {
        const std::string key = IntToStr(edit.number);
        if (!wanted.count(key))
            order.push_back(key);
        wanted[key] = MessageTextBytes(edit.text, encoding);
    }

    // The span of the entry the games use for each number: the last one.
    const std::vector<TextSpan> spans = TextSpans(fileBytes);
    std::map<std::string, TextSpan> used;
    for (std::size_t i = 0; i < before.entries.size() && i < spans.size(); ++i)
        used[before.entries[i].key] = spans[i];

    std::vector<std::pair<TextSpan, const std::string*>> replaced;
    std::string appended;
    std::size_t added = 0;
    const std::string_view ending = FileLineEnding(fileBytes);
    for (const std::string& key : order) {
        const auto span = used.find(key);
        if (span != used.end()) {
            replaced.emplace_back(span->second, &wanted[key]);
        } else {
            appended += "{" + key + "}{}{" + wanted[key] + "}";
            appended += ending;
            ++added;
        }
    }
    std::sort(replaced.begin(), replaced.end(),
              [](const auto& a, const auto& b) { return a.first.begin > b.first.begin; });
    std::string after(fileBytes);
    for (const auto& [span, text] : replaced)
        after.replace(span.begin, span.end - span.begin, *text);
    if (!appended.empty()) {
        if (!after.empty() && after.back() != '\n')
            after += ending;
        after += appended;
    }

    // Read back as the games will read it.
    const MessageFileResult check = ParseMessageText(after);
    bool same = !check.fault && check.entries.size() == before.entries.size() + added;
    for (const auto& [key, text] : wanted)
        same = same && check.table.Lookup(key) == text;
    if (!same)
        throw Refusal(RefusalKind::Damaged, label + ": the changed file would not read back as written; not changed");
    return after;
}

} // namespace quarnel
