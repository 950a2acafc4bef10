#include "cli/RecordWriter.h"

#include "cli/CliError.h"
#include "platform/ReadOnlyRestorer.h"

#include <algorithm>

namespace quarnel::cli {

bool WriteRecordChanges(const std::filesystem::path& file, const ProRecord& before, const ProRecord& after)
{
    const auto& old = before.bytes();
    const auto& now = after.bytes();
    if (old.size() != now.size())
        throw CliError("the edited record has another length");
    const auto first = std::mismatch(old.begin(), old.end(), now.begin()).first;
    if (first == old.end())
        return false;
    const auto last = std::mismatch(old.rbegin(), old.rend(), now.rbegin()).first.base();
    const int begin = static_cast<int>(first - old.begin());
    const int end = static_cast<int>(last - old.begin());

    const ReadOnlyRestorer readOnlyAfter(file);
    const bool written = ProRecord::Update(file, old.size(), begin, end, [&](ProRecord& record) {
        if (record.bytes() != old)
            throw CliError("the file changed since it was read; nothing written");
        for (int offset = begin; offset < end; ++offset)
            record.SetField(offset, 1, now[static_cast<std::size_t>(offset)]);
    });
    if (!written)
        throw CliError("the file changed size since it was read; nothing written");
    return true;
}

} // namespace quarnel::cli
