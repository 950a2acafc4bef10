// names: the pro_crit.ini equivalent of a game's pro_crit.msg, in UTF-8.
#include "cli/Commands.h"
#include "cli/CommandSource.h"
#include "library/MessageFile.h"
#include "library/TextEncoding.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"

#include <unordered_set>

namespace quarnel::cli {

int RunNames(const NamesOptions& options, std::ostream& out, std::ostream& err)
{
    std::string bytes;
    std::string label = options.messageFile;
    std::string language;
    NameEncoding encoding = NameEncodingFromOption(options.encoding).value_or(NameEncoding::Automatic);
    try {
        const std::unique_ptr<PrototypeSource> source = OpenCommandSource(options.data, err);
        const MessageFileRef file = source->NamedMessageFile(options.messageFile, encoding);
        label = file.label;
        bytes = source->ReadMessageFile(file);
        language = file.language;
        encoding = file.encoding;
    } catch (const std::exception& error) {
        ReportError(err, label, error);
        return kExitError;
    }
    const MessageFileResult messages = ParseMessageText(bytes);
    // A damaged file gives no table at all: a half table would pass for a whole one.
    if (messages.fault) {
        ReportError(err, MessageFaultPlace(label, *messages.fault), messages.fault->what);
        return kExitError;
    }
    // The window reads UTF-8 tables: every text is decoded by the file's one encoding.
    encoding = ChooseNameEncoding(bytes, language, encoding);
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
