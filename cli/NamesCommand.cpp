// names: the pro_crit.ini equivalent of a game's pro_crit.msg.
#include "cli/Commands.h"
#include "library/MessageFile.h"
#include "platform/Utf8.h"

#include <unordered_set>

namespace quarnel::cli {

int RunNames(const NamesOptions& options, std::ostream& out, std::ostream& err)
{
    MessageFileResult messages;
    try {
        messages = ReadMessageFile(PathFromUtf8(options.messageFile));
    } catch (const std::exception& error) {
        ReportError(err, options.messageFile, error);
        return kExitError;
    }
    // A damaged file gives no table at all: a half table would pass for a whole one.
    if (!messages.error.empty()) {
        ReportError(err, options.messageFile, messages.error);
        return kExitError;
    }
    // One line per number, where it first appears, with the text the games
    // use (the last entry of a repeated number); the bytes as they are.
    std::string text = "[Description]\r\n";
    std::unordered_set<std::string> written;
    for (const MessageEntry& entry : messages.entries)
        if (written.insert(entry.key).second)
            text += entry.key + "=" + messages.table.Lookup(entry.key) + "\r\n";
    out << text;
    return kExitSuccess;
}

} // namespace quarnel::cli
