#include "library/MessageFile.h"

#include "platform/TextLines.h"
#include "platform/Utf8.h"
#include "rules/IntegerText.h"

#include <optional>

namespace quarnel {
namespace {

// Walks the bytes one brace group at a time, counting lines (LF, CR LF or a
// lone CR each end one line).
class GroupReader {
public:
    explicit GroupReader(std::string_view bytes) : bytes_(bytes) {}

    int line() const { return line_; }

    // Skips the comment text up to the next '{'; false at the end of the bytes.
    bool SkipToGroup()
    {
        while (pos_ < bytes_.size() && bytes_[pos_] != '{')
            Advance();
        return pos_ < bytes_.size();
    }

    // Reads the group that starts at the current '{'. Line breaks inside
    // become single blanks. An error text when the group is not closed or
    // holds another '{'.
    std::optional<std::string> ReadGroup(std::string& content)
    {
        const int opened = line_;
        content.clear();
        ++pos_; // the '{'
        while (pos_ < bytes_.size()) {
            const char c = bytes_[pos_];
            if (c == '}') {
                ++pos_;
                return std::nullopt;
            }
            if (c == '{')
                return "a '{' inside the group opened on line " + std::to_string(opened);
            // CR LF, LF and a lone CR each end one line: one blank.
            if (c == '\n' || (c == '\r' && NextIsNot('\n')))
                content += ' ';
            else if (c != '\r')
                content += c;
            Advance();
        }
        line_ = opened;
        return std::string("the '{' is never closed");
    }

private:
    bool NextIsNot(char c) const { return pos_ + 1 >= bytes_.size() || bytes_[pos_ + 1] != c; }

    void Advance()
    {
        const char c = bytes_[pos_++];
        if (c == '\n' || (c == '\r' && (pos_ >= bytes_.size() || bytes_[pos_] != '\n')))
            ++line_;
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

std::string_view TrimBlanks(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Decimal digits with an optional minus sign, within 32 signed bits.
std::optional<std::int32_t> MessageNumber(std::string_view text)
{
    const std::string_view digits = !text.empty() && text.front() == '-' ? text.substr(1) : text;
    if (digits.empty() || digits.size() > 10)
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (digits.size() != text.size())
        value = -value;
    if (value != Wrap32(value))
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

MessageFileResult ParseMessageText(std::string_view bytes, const std::string& fileLabel)
{
    MessageFileResult result;
    std::unordered_map<std::string, std::string> values;
    GroupReader reader(bytes);
    auto fail = [&](int line, const std::string& fault) {
        result.error = fileLabel + ", line " + std::to_string(line) + ": " + fault;
    };

    std::string groups[3];
    while (result.error.empty() && reader.SkipToGroup()) {
        const int entryLine = reader.line();
        for (int g = 0; g < 3 && result.error.empty(); ++g) {
            if (g > 0 && !reader.SkipToGroup()) {
                fail(entryLine, "the entry {" + groups[0] + "} has " + std::to_string(g) + " of its 3 groups");
                break;
            }
            if (const auto fault = reader.ReadGroup(groups[g]))
                fail(reader.line(), *fault);
        }
        if (!result.error.empty())
            break;
        const std::string_view numberText = TrimBlanks(groups[0]);
        const std::optional<std::int32_t> number = MessageNumber(numberText);
        if (!number) {
            // Built piece by piece: GCC 12 warns falsely (-Wrestrict) on "'" + text.
            std::string fault(1, '\'');
            fault.append(numberText).append("' is not a message number");
            fail(entryLine, fault);
            break;
        }
        MessageEntry entry{IntToStr(*number), groups[2], entryLine};
        values[entry.key] = entry.text;
        result.entries.push_back(std::move(entry));
    }
    result.table = NameTable::FromValues(std::move(values));
    return result;
}

MessageFileResult ReadMessageFile(const std::filesystem::path& file)
{
    return ParseMessageText(ReadFileBytes(file), Utf8FromPath(file.filename()));
}

} // namespace quarnel
