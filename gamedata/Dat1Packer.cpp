#include "gamedata/Dat1Packer.h"

#include "gamedata/LzssEncoder.h"
#include "platform/ByteOrder.h"
#include "platform/Errors.h"

#include <algorithm>
#include <map>

namespace quarnel {
namespace {

constexpr std::uint32_t kStoredAttributes = 0x20;
constexpr std::uint32_t kChunksAttributes = 0x40;

void Be32(std::vector<std::uint8_t>& out, std::uint64_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void Name(std::vector<std::uint8_t>& out, std::string_view name)
{
    out.push_back(static_cast<std::uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
}

// The folder ("" the top) and the file's name of an archive name.
std::pair<std::string_view, std::string_view> Split(std::string_view name)
{
    const std::size_t slash = name.find_last_of('\\');
    if (slash == std::string_view::npos)
        return {{}, name};
    return {name.substr(0, slash), name.substr(slash + 1)};
}

} // namespace

std::optional<std::string> Dat1Packer::Refusal(std::string_view path) const
{
    if (auto common = ArchivePacker::Refusal(path))
        return common;
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.size() > kMaxNameLength)
        return "a file name of " + std::to_string(name.size()) + " characters, more than the " +
               std::to_string(kMaxNameLength) + " the first game's archive holds";
    if (slash == std::string_view::npos)
        return std::nullopt;
    if (slash > kMaxNameLength)
        return "a folder path of " + std::to_string(slash) + " characters, more than the " +
               std::to_string(kMaxNameLength) + " the first game's archive holds";
    if (static_cast<unsigned char>(path.front()) < '.')
        return std::string("a folder name starting with a character before \".\", which the first game's search "
                           "would look for before the top folder");
    return std::nullopt;
}

ArchivePacker::PackedFile Dat1Packer::Prepare(std::string_view path, std::vector<std::uint8_t> bytes, bool store) const
{
    PackedFile file{std::string(path), bytes.size(), {}, false};
    for (char& c : file.name)
        c = c == '/' ? '\\' : c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    if (!store && !bytes.empty()) {
        std::vector<std::uint8_t> packed = EncodeLzssChunks(bytes.data(), bytes.size());
        if (packed.size() < bytes.size()) {
            file.compressed = true;
            file.data = std::move(packed);
            return file;
        }
    }
    file.data = std::move(bytes);
    return file;
}

std::vector<std::uint8_t> Dat1Packer::Finish()
{
    // Folders in the game's search order, the top one first; their files likewise.
    auto folderOrder = [](std::string_view a, std::string_view b) {
        if (a.empty() || b.empty())
            return a.empty() && !b.empty();
        return SearchOrder(a, b);
    };
    std::map<std::string_view, std::vector<std::size_t>, decltype(folderOrder)> folders(folderOrder);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        folders[Split(entries_[i].name).first].push_back(i);
    // An archive of no files still has its top folder: a directory count of 0 is no archive.
    if (folders.empty())
        folders[{}];
    std::size_t directorySize = 16;
    for (auto& [folder, files] : folders) {
        std::stable_sort(files.begin(), files.end(), [&](std::size_t a, std::size_t b) {
            return SearchOrder(Split(entries_[a].name).second, Split(entries_[b].name).second);
        });
        directorySize += 1 + (folder.empty() ? 1 : folder.size()) + 16;
        for (const std::size_t i : files)
            directorySize += 1 + Split(entries_[i].name).second.size() + 16;
    }
    if (directorySize + data_.size() > UINT32_MAX)
        throw ArchiveError("the archive would pass the 4 GiB its sizes and offsets can hold", RefusalKind::TooLarge);

    std::vector<std::uint8_t> out;
    out.reserve(directorySize + data_.size());
    // Folder count, an allocation hint (the count itself), 0, a time stamp (none).
    Be32(out, folders.size());
    Be32(out, folders.size());
    Be32(out, 0);
    Be32(out, 0);
    for (const auto& [folder, files] : folders)
        Name(out, folder.empty() ? std::string_view(".") : folder);
    for (const auto& [folder, files] : folders) {
        // File count, a hint (the count), 16, a time stamp (none).
        Be32(out, files.size());
        Be32(out, files.size());
        Be32(out, 16);
        Be32(out, 0);
        for (const std::size_t i : files) {
            const Entry& entry = entries_[i];
            Name(out, Split(entry.name).second);
            Be32(out, entry.compressed ? kChunksAttributes : kStoredAttributes);
            Be32(out, directorySize + entry.dataAt);
            Be32(out, entry.unpackedSize);
            Be32(out, entry.compressed ? entry.packedSize : 0);
        }
    }
    out.insert(out.end(), data_.begin(), data_.end());
    // Readers tell the formats apart by content, the second game's first: an
    // archive whose last four bytes read as its size (little-endian) would
    // be taken for one. A byte after the data, which no entry reads, ends that.
    while (out.size() >= 4 && ReadLittleEndian32(out.data() + out.size() - 4) == out.size())
        out.push_back(0);
    entries_.clear();
    data_.clear();
    data_.shrink_to_fit();
    return out;
}

} // namespace quarnel
