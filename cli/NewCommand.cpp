// new: a prototype of a tree copied as the next one of its type, with its
// own name and description. Everything is checked before the first write.
#include "cli/Commands.h"
#include "cli/CommandSource.h"
#include "cli/WriteFailure.h"
#include "library/TextEncoding.h"
#include "source/NewPrototype.h"

#include <CLI/CLI.hpp>

namespace quarnel::cli {

void AddNewOptions(CLI::App& command, NewOptions& options)
{
    command.add_option("--data", options.data, "the install or mod's tree the new prototype goes into")->required();
    command.add_option("FILE", options.file, "the prototype copied, a path inside the tree")->required();
    AddNameTextOptions(command, options.texts, false);
    command.footer("Without --name or --description the copied prototype's text is taken. Prints the new file.");
}

int RunNew(const NewOptions& options, std::ostream& out, std::ostream& err)
{
    const std::unique_ptr<TreeSource> source = OpenCommandTree(options.data, err);
    const NameEncoding chosen = NameEncodingFromOption(options.texts.encoding).value_or(NameEncoding::Automatic);
    NewPrototypePlan plan;
    try {
        plan = PlanNewPrototype(*source, source->ResolveOne(options.file),
                                {options.texts.name, options.texts.description}, chosen);
    } catch (const std::exception& error) {
        ReportError(err, options.file, error);
        return kExitError;
    }
    try {
        const SourceFile created = WriteNewPrototype(*source, plan, options.texts.force);
        out << created.label << '\n';
    } catch (const SourceRefusal& refusal) {
        ReportWriteFailure(err, refusal.Label(), refusal);
        return kExitError;
    } catch (const std::exception& error) {
        ReportWriteFailure(err, plan.path, error);
        return kExitError;
    }
    return kExitSuccess;
}

} // namespace quarnel::cli
