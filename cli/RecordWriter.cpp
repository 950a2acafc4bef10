#include "cli/RecordWriter.h"

#include "cli/CliError.h"
#include "proto/ChangedSpanWriter.h"

namespace quarnel::cli {

bool WriteRecordChanges(const std::filesystem::path& file, const ProRecord& before, const ProRecord& after)
{
    const auto& old = before.bytes();
    const auto& now = after.bytes();
    if (old.size() != now.size())
        throw CliError("the edited record has another length");
    if (old == now)
        return false;
    switch (WriteChangedSpan(file, {old.size(), &old}, ChangedBytesOf(old, now))) {
    case SpanWrite::OtherBytes: throw CliError("the file changed since it was read; nothing written");
    case SpanWrite::OtherSize: throw CliError("the file changed size since it was read; nothing written");
    case SpanWrite::Written:
    case SpanWrite::Unchanged: break;
    }
    return true;
}

} // namespace quarnel::cli
