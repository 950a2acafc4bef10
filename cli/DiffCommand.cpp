// diff: the fields in which two prototype files differ, "key: a -> b"; two
// prototypes of different types or subtypes are said to be so.
#include "cli/Commands.h"
#include "cli/CommandSource.h"
#include "cli/PrototypeDiff.h"
#include "proto/RecordFields.h"
#include "platform/Utf8.h"

#include <CLI/CLI.hpp>

namespace quarnel::cli {

void AddDiffOptions(CLI::App& command, DiffOptions& options)
{
    AddDataOption(command, options.data);
    command.add_option("A.pro", options.first, "first file")->required();
    command.add_option("B.pro", options.second, "second file")->required();
}

int RunDiff(const DiffOptions& options, std::ostream& out, std::ostream& err)
{
    const std::unique_ptr<PrototypeSource> source = OpenCommandSource(options.data, err);
    Prototype prototypes[2];
    const std::string* names[2] = {&options.first, &options.second};
    for (int i = 0; i < 2; ++i) {
        try {
            prototypes[i] = PrototypeOf(source->Read(source->ResolveOne(*names[i])));
        } catch (const std::exception& error) {
            ReportError(err, *names[i], error);
            return kExitError;
        }
    }
    if (const auto kinds = KindChangeText(prototypes[0], prototypes[1])) {
        out << *kinds << "\n";
        return kExitFindings;
    }
    std::string lines;
    for (const FieldChange& change : FieldChanges(prototypes[0], prototypes[1]))
        lines += change.key + ": " + change.before + " -> " + change.after + "\n";
    out << lines;
    return lines.empty() ? kExitSuccess : kExitFindings;
}

} // namespace quarnel::cli
