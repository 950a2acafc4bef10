#include "cli/CommandSource.h"

#include "cli/CliError.h"
#include "cli/Commands.h"
#include "platform/Utf8.h"
#include "proto/ProLayout.h"
#include "source/FolderSource.h"

namespace quarnel::cli {

std::unique_ptr<PrototypeSource> OpenCommandSource(const std::string& data, std::ostream& err)
{
    if (data.empty())
        return std::make_unique<FolderSource>();
    return OpenCommandTree(data, err);
}

std::unique_ptr<TreeSource> OpenCommandTree(const std::string& data, std::ostream& err)
{
    auto tree = std::make_unique<TreeSource>(PathFromUtf8(data));
    for (const std::string& warning : tree->Tree().Warnings())
        ReportError(err, data, warning);
    return tree;
}

ProRecord CritterRecordOf(const LoadedPrototype& loaded)
{
    ProRecord record = ProRecord::FromBytes(loaded.bytes);
    if (!IsCritterRecordSize(static_cast<long long>(record.size())))
        throw CliError(loaded.sizeText + ": not a critter prototype (412 or 416 bytes)");
    return record;
}

Prototype PrototypeOf(const LoadedPrototype& loaded)
{
    ProRecord record = ProRecord::FromBytes(loaded.bytes);
    const RecordKind kind = KindOf(record, loaded.sizeText);
    return {std::move(record), kind};
}

} // namespace quarnel::cli
