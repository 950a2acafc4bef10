// names: the pro_crit.ini equivalent of a game's pro_crit.msg, in UTF-8.
#include "cli/Commands.h"
#include "library/MessageFile.h"
#include "library/TextEncoding.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"

#include <unordered_set>

namespace quarnel::cli {

int RunNames(const NamesOptions& options, std::ostream& out, std::ostream& err)
{
    std::string bytes;
    try {
        bytes = ReadFileBytes(PathFromUtf8(options.messageFile));
    } catch (const std::exception& error) {
        ReportError(err, options.messageFile, error);
        return kExitError;
    }
    const MessageFileResult messages = ParseMessageText(bytes);
    // A damaged file gives no table at all: a half table would pass for a whole one.
    if (messages.fault) {
        ReportError(err, MessageFaultPlace(options.messageFile, *messages.fault), messages.fault->what);
        return kExitError;
    }
    // The window reads UTF-8 tables: every text is decoded by the file's one encoding.
    const NameEncoding encoding = ChooseNameEncoding(
        bytes, {}, NameEncodingFromOption(options.encoding).value_or(NameEncoding::Automatic));
    // One line per number, where it first appears, with the text the games
    // use (the last entry of a repeated number).
    std::string text = "[Description]\r\n";
    std::unordered_set<std::string> written;
    for (const MessageEntry& entry : messages.entries)
        if (written.insert(entry.key).second)
            text += entry.key + "=" + DecodeName(messages.table.Lookup(entry.key), encoding) + "\r\n";
    out << text;
    return kExitSuccess;
}

} // namespace quarnel::cli
