// rename: a prototype's name and description set in its type's message
// file, each only when it changes.
#include "cli/Commands.h"
#include "cli/CommandSource.h"
#include "cli/WriteFailure.h"
#include "library/TextEncoding.h"
#include "source/PrototypeNaming.h"

#include <CLI/CLI.hpp>

namespace quarnel::cli {

void AddRenameOptions(CLI::App& command, RenameOptions& options)
{
    AddDataOption(command, options.data);
    command.add_option("FILE", options.file, "the prototype named")->required();
    command.add_option("--msg", options.messageFile,
                       "the message file (default: the type's message file of the tree; without --data, the one "
                       "in the text/<language>/game of a mod's tree above the file)");
    AddNameTextOptions(command, options.texts, true);
}

int RunRename(const RenameOptions& options, std::ostream& /*out*/, std::ostream& err)
{
    const NameEncoding chosen = NameEncodingFromOption(options.texts.encoding).value_or(NameEncoding::Automatic);
    std::unique_ptr<PrototypeSource> source;
    RenamePlan plan;
    try {
        source = OpenCommandSource(options.data, err);
        std::optional<MessageFileRef> messages;
        if (!options.messageFile.empty())
            messages = source->NamedMessageFile(options.messageFile, chosen);
        plan = PlanRename(*source, source->ResolveOne(options.file), {options.texts.name, options.texts.description},
                          messages, chosen);
    } catch (const std::exception& error) {
        ReportError(err, options.file, error);
        return kExitError;
    }
    try {
        WriteRename(*source, plan, options.texts.force);
    } catch (const std::exception& error) {
        ReportWriteFailure(err, plan.messages.label, error);
        return kExitError;
    }
    return kExitSuccess;
}

} // namespace quarnel::cli
