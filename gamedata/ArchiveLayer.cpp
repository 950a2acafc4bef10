#include "gamedata/ArchiveLayer.h"

#include "platform/Errors.h"

namespace quarnel {

std::optional<LayerFile> ArchiveLayer::Find(std::string_view path) const
{
    const auto index = archive_->Find(path);
    if (!index)
        return std::nullopt;
    const ArchiveEntry entry = archive_->Entry(*index);
    return LayerFile{std::string(entry.path), entry.unpackedSize};
}

std::vector<std::uint8_t> ArchiveLayer::Read(std::string_view path) const
{
    const auto index = archive_->Find(path);
    if (!index)
        throw ArchiveError(archive_->Name() + ": " + std::string(path) + ": not in the archive");
    return archive_->Read(*index);
}

void ArchiveLayer::ForEach(const std::function<void(std::string_view path, std::uint64_t size)>& visit) const
{
    for (std::size_t i = 0; i < archive_->Count(); ++i) {
        const ArchiveEntry entry = archive_->Entry(i);
        // A path of several entries once, as the entry the game reads.
        if (archive_->IsRepeated(i) && archive_->Find(entry.path) != i)
            continue;
        visit(entry.path, entry.unpackedSize);
    }
}

} // namespace quarnel
