// merge: git's merge driver for prototypes (merge BASE OURS THEIRS, as git's
// %O %A %B). The merged record goes into OURS; fields changed on both sides
// to different values are listed on err and make the exit status 1, which
// git takes for a conflict. Three prototypes not of one kind and size are
// left alone, OURS untouched.
#include "cli/Commands.h"
#include "cli/PrototypeMerge.h"
#include "platform/NewFile.h"
#include "platform/Utf8.h"
#include "proto/RecordFields.h"

#include <CLI/CLI.hpp>

namespace quarnel::cli {
namespace {

std::string Described(const Prototype& prototype)
{
    return KindText(prototype.kind) + " of " + std::to_string(prototype.record.size()) + " bytes";
}

} // namespace

void AddMergeOptions(CLI::App& command, MergeOptions& options)
{
    command.add_option("BASE.pro", options.base, "the common ancestor (git's %O)")->required();
    command.add_option("OURS.pro", options.ours, "our version, replaced by the merge (git's %A)")->required();
    command.add_option("THEIRS.pro", options.theirs, "their version (git's %B)")->required();
}

int RunMerge(const MergeOptions& options, std::ostream&, std::ostream& err)
{
    const std::string* names[3] = {&options.base, &options.ours, &options.theirs};
    Prototype prototypes[3];
    for (int i = 0; i < 3; ++i) {
        try {
            prototypes[i] = ReadPrototype(PathFromUtf8(*names[i]));
        } catch (const std::exception& error) {
            ReportError(err, *names[i], error);
            return kExitError;
        }
    }
    const auto& [base, ours, theirs] = prototypes;
    const std::size_t size = ours.record.size();
    if (base.kind != ours.kind || theirs.kind != ours.kind || base.record.size() != size ||
        theirs.record.size() != size) {
        ReportError(err, options.ours,
                    "not merged, left as it was: the base is " + Described(base) + ", ours " + Described(ours) +
                        ", theirs " + Described(theirs));
        return kExitFindings;
    }
    const PrototypeMergeResult merged = MergePrototypes(base, ours, theirs);
    try {
        if (merged.bytes != ours.record.bytes())
            WriteNewFile(PathFromUtf8(options.ours), merged.bytes);
    } catch (const std::exception& error) {
        ReportError(err, options.ours, error);
        return kExitError;
    }
    if (merged.conflicts.empty())
        return kExitSuccess;
    std::string lines;
    for (const MergeConflict& conflict : merged.conflicts)
        lines += conflict.key + ": " + conflict.base + " -> " + conflict.ours + " | " + conflict.theirs + '\n';
    ReportError(err, options.ours,
                std::to_string(merged.conflicts.size()) + " changed on both sides, ours kept (base -> ours | theirs):");
    err << lines;
    return kExitFindings;
}

} // namespace quarnel::cli
