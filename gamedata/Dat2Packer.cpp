#include "gamedata/Dat2Packer.h"

#include "platform/Errors.h"

#include <zlib.h>

#include <algorithm>
#include <numeric>

namespace quarnel {
namespace {

void Le32(std::vector<std::uint8_t>& out, std::uint64_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// The zlib stream of the bytes when it is smaller than they are.
std::optional<std::vector<std::uint8_t>> Compressed(const std::vector<std::uint8_t>& bytes, int level)
{
    if (bytes.empty())
        return std::nullopt;
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), level) != Z_OK ||
        size >= bytes.size())
        return std::nullopt;
    out.resize(size);
    return out;
}

} // namespace

ArchivePacker::PackedFile Dat2Packer::Prepare(std::string_view path, std::vector<std::uint8_t> bytes, bool store) const
{
    PackedFile file{std::string(path), bytes.size(), {}, false};
    std::replace(file.name.begin(), file.name.end(), '/', '\\');
    auto packed = store || bytes.size() > UINT32_MAX ? std::nullopt : Compressed(bytes, kLevel);
    file.compressed = packed.has_value();
    file.data = packed ? std::move(*packed) : std::move(bytes);
    return file;
}

std::vector<std::uint8_t> Dat2Packer::Finish()
{
    std::vector<std::size_t> order(entries_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return SearchOrder(entries_[a].name, entries_[b].name); });
    std::vector<std::uint8_t> out = std::move(data_);
    const std::size_t treeStart = out.size();
    Le32(out, entries_.size());
    for (const std::size_t i : order) {
        const Entry& entry = entries_[i];
        Le32(out, entry.name.size());
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        out.push_back(entry.compressed ? 1 : 0);
        Le32(out, entry.unpackedSize);
        Le32(out, entry.packedSize);
        Le32(out, entry.dataAt);
    }
    const std::uint64_t treeSize = out.size() - treeStart;
    const std::uint64_t archiveSize = out.size() + 8;
    if (archiveSize > UINT32_MAX)
        throw ArchiveError("the archive would pass the 4 GiB its sizes and offsets can hold", RefusalKind::TooLarge);
    Le32(out, treeSize);
    Le32(out, archiveSize);
    entries_.clear();
    data_.clear();
    return out;
}

} // namespace quarnel
