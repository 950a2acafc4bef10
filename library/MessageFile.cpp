#include "library/MessageFile.h"

#include "gamedata/GamePath.h"
#include "gamedata/GameTree.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"
#include "platform/IntegerText.h"

#include <cstdint>
#include <limits>
#include <unordered_map>

namespace quarnel {
namespace {

constexpr std::size_t kQuotedNumberLimit = 40; // a fault quotes at most this much of a bad number

// Walks the bytes one field at a time, counting lines (each LF ends one).
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}

    int line() const { return line_; }

    enum class Skip { Field, End, StrayBrace };

    // Skips what stands before the next '{'. A '}' on the way stops there.
    Skip SkipToField()
    {
        for (; pos_ < bytes_.size(); ++pos_) {
            const char c = bytes_[pos_];
            if (c == '{')
                return Skip::Field;
            if (c == '}')
                return Skip::StrayBrace;
            if (c == '\n')
                ++line_;
        }
        return Skip::End;
    }

    // Reads the field that starts at the current '{'. A fault text when the
    // field is never closed or too long (the line is then the field's first).
    std::optional<std::string> ReadField(std::string& content)
    {
        const int opened = line_;
        content.clear();
        for (++pos_; pos_ < bytes_.size(); ++pos_) {
            const char c = bytes_[pos_];
            if (c == '}') {
                ++pos_;
                return std::nullopt;
            }
            if (c == '\n') {
                ++line_;
                continue;
            }
            if (c == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n')
                continue; // CR LF reads as LF
            if (content.size() == kMessageFieldLimit) {
                line_ = opened;
                return "a field of more than " + std::to_string(kMessageFieldLimit) + " bytes";
            }
            content += c;
        }
        line_ = opened;
        return std::string("the '{' is never closed");
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

// An optional sign and decimal digits, nothing else, within 32 signed bits.
std::optional<std::int32_t> MessageNumber(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > kLimit)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value == kLimit)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::string NotANumber(std::string_view text)
{
    // Built piece by piece: GCC 12 warns falsely (-Wrestrict) on "'" + text.
    std::string fault(1, '\'');
    fault.append(text.substr(0, kQuotedNumberLimit));
    if (text.size() > kQuotedNumberLimit)
        fault.append("...");
    fault.append("' is not a message number (digits with an optional sign, no blanks, "
                 "-2147483648 to 2147483647)");
    return fault;
}

} // namespace

MessageFileResult ParseMessageText(std::string_view bytes)
{
    MessageFileResult result;
    std::unordered_map<std::string, std::string> values;
    FieldReader reader(bytes);
    auto fail = [&](int line, std::string what) { result.fault = MessageFault{line, std::move(what)}; };

    std::string fields[3];
    std::int32_t number = 0;
    while (!result.fault) {
        FieldReader::Skip skip = reader.SkipToField();
        if (skip == FieldReader::Skip::End)
            break;
        const int entryLine = reader.line();
        for (int f = 0; f < 3 && !result.fault; ++f) {
            if (f > 0)
                skip = reader.SkipToField();
            if (skip == FieldReader::Skip::StrayBrace) {
                fail(reader.line(), "a '}' outside an entry");
            } else if (skip == FieldReader::Skip::End) {
                fail(entryLine, "the entry {" + fields[0] + "} has " + std::to_string(f) + " of its 3 fields");
            } else if (auto fault = reader.ReadField(fields[f])) {
                fail(reader.line(), std::move(*fault));
            } else if (f == 0) {
                const std::optional<std::int32_t> parsed = MessageNumber(fields[0]);
                if (!parsed)
                    fail(entryLine, NotANumber(fields[0]));
                number = parsed.value_or(0);
            }
        }
        if (result.fault)
            break;
        MessageEntry entry{IntToStr(number), fields[2], entryLine};
        values[entry.key] = entry.text;
        result.entries.push_back(std::move(entry));
    }
    result.table = NameTable::FromValues(std::move(values));
    return result;
}

std::string ReadMessageFileBytes(const std::filesystem::path& file)
{
    return ReadFileBytes(file, kMaxMessageFileBytes);
}

std::string ReadTreeMessageFileBytes(const GameTree& tree, std::string_view path)
{
    // The size is known before the bytes are unpacked.
    if (const auto found = tree.Find(path); found && found->size > kMaxMessageFileBytes)
        throw FileRefusedError(RefusalKind::TooLarge,
                               "larger than " + std::to_string(kMaxMessageFileBytes >> 20) + " MiB, not read");
    const std::vector<std::uint8_t> bytes = tree.Read(path);
    return std::string(bytes.begin(), bytes.end());
}

NameEncoding TreeMessageEncoding(const GameTree& tree, std::string_view path, NameEncoding chosen)
{
    if (chosen != NameEncoding::Automatic || !tree.IsInstall())
        return chosen;
    return CodePageOfLanguage(LanguageOfTextPath(path));
}

MessageFileResult ReadMessageFile(const std::filesystem::path& file)
{
    return ParseMessageText(ReadMessageFileBytes(file));
}

std::string MessageFaultPlace(const std::string& fileLabel, const MessageFault& fault)
{
    return fileLabel + ", line " + std::to_string(fault.line);
}

std::string MessageFaultText(const std::string& fileLabel, const MessageFault& fault)
{
    return MessageFaultPlace(fileLabel, fault) + ": " + fault.what;
}

} // namespace quarnel
