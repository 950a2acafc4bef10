#include "gamedata/ArchivePacker.h"

#include "gamedata/Dat1Packer.h"
#include "gamedata/Dat2Packer.h"
#include "platform/Errors.h"

#include <algorithm>
#include <cstdint>

namespace quarnel {

std::unique_ptr<ArchivePacker> ArchivePacker::For(ArchiveFormat format)
{
    if (format == ArchiveFormat::Dat1)
        return std::make_unique<Dat1Packer>();
    return std::make_unique<Dat2Packer>();
}

std::optional<std::string> ArchivePacker::Refusal(std::string_view path) const
{
    if (path.empty() || path.front() == '/' || path.back() == '/' || path.find("//") != std::string_view::npos)
        return "an empty name";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            return std::string("a \"\\\" in a name (the games' separator between folders)");
        if (byte < 0x20 || byte > 0x7E)
            return std::string("a character other than printable ASCII");
    }
    return std::nullopt;
}

std::size_t ArchivePacker::CompressedCount() const
{
    return static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry& entry) { return entry.compressed; }));
}

void ArchivePacker::Add(PackedFile file)
{
    // Room for the directory too: every offset and the archive's size are 32-bit.
    const std::uint64_t limit = UINT32_MAX - (std::uint64_t{1} << 24);
    if (file.unpackedSize > UINT32_MAX || data_.size() + file.data.size() > limit)
        throw ArchiveError(file.name + ": the archive would pass the 4 GiB its sizes and offsets can hold",
                           RefusalKind::TooLarge);
    entries_.push_back({std::move(file.name), data_.size(), static_cast<std::uint32_t>(file.unpackedSize),
                        static_cast<std::uint32_t>(file.data.size()), file.compressed});
    data_.insert(data_.end(), file.data.begin(), file.data.end());
}

bool ArchivePacker::SearchOrder(std::string_view a, std::string_view b)
{
    auto lowered = [](char c) {
        const auto byte = static_cast<unsigned char>(c == '/' ? '\\' : c);
        return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : int{byte};
    };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return lowered(x) < lowered(y); });
}

} // namespace quarnel
