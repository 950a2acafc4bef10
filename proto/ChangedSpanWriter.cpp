#include "proto/ChangedSpanWriter.h"

#include "platform/FileAttributes.h"

namespace quarnel {

SpanWrite WriteChangedSpan(const std::filesystem::path& file, const SpanWriteRules& rules,
                           const std::function<void(ProRecord&)>& edit)
{
    const bool readOnlyAfter = rules.leaveReadOnly || IsReadOnly(file);
    SetArchiveOnly(file);
    struct Restore {
        const std::filesystem::path& file;
        bool readOnly;
        ~Restore()
        {
            if (readOnly)
                SetReadOnlyOnly(file);
        }
    } const restore{file, readOnlyAfter};

    bool otherBytes = false;
    bool changed = false;
    const bool sameSize = ProRecord::UpdateChanged(file, rules.expectedSize, [&](ProRecord& record) {
        if (rules.expectedBytes && record.bytes() != *rules.expectedBytes) {
            otherBytes = true;
            return;
        }
        const std::vector<std::uint8_t> read = record.bytes();
        edit(record);
        changed = record.bytes() != read;
    });
    if (!sameSize)
        return SpanWrite::OtherSize;
    if (otherBytes)
        return SpanWrite::OtherBytes;
    return changed ? SpanWrite::Written : SpanWrite::Unchanged;
}

std::function<void(ProRecord&)> ChangedBytesOf(const std::vector<std::uint8_t>& before,
                                               const std::vector<std::uint8_t>& after)
{
    return [before, after](ProRecord& record) {
        for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
            if (before[i] != after[i])
                record.SetField(static_cast<int>(i), 1, after[i]);
    };
}

} // namespace quarnel
