#include "gamedata/FolderLayer.h"

#include "gamedata/Archive.h"
#include "gamedata/GamePath.h"
#include "platform/Errors.h"
#include "platform/FileIdentity.h"
#include "platform/RegularFile.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <deque>
#include <fstream>
#include <set>

namespace quarnel {

namespace fs = std::filesystem;

namespace {

// Deeper folders are not listed, a last guard where a file system gives no
// identity to tell a folder seen before.
constexpr int kMaxDepth = 32;

// The parts of a path between separators; empty parts are skipped.
std::vector<std::string_view> SplitParts(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The entry of a folder named like part, without regard to case.
std::optional<std::string> FindEntryIgnoringCase(const fs::path& folder, std::string_view part)
{
    std::error_code ec;
    const std::string key = GamePathKey(part);
    std::optional<std::string> best;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = Utf8FromPath(it->path().filename());
        if (GamePathKey(name) == key && (!best || name < *best))
            best = name;
    }
    return best;
}

} // namespace

fs::path FindIgnoringCase(const fs::path& base, std::string_view relative)
{
    fs::path result = base;
    bool found = true;
    for (std::string_view part : SplitParts(relative)) {
        std::optional<std::string> name;
        if (found && part != "." && part != "..")
            name = FindEntryIgnoringCase(result, part);
        found = name.has_value();
        result /= PathFromUtf8(found ? *name : std::string(part));
    }
    return result;
}

FolderLayer::FolderLayer(std::string name, fs::path folder) : Layer(std::move(name)), folder_(std::move(folder)) {}

const FolderLayer::Listing& FolderLayer::ListingOf(const std::string& key, const fs::path& folder) const
{
    if (const auto it = listings_.find(key); it != listings_.end())
        return it->second;
    Listing listing;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code statusError;
        const fs::file_status status = it->status(statusError); // links followed
        Item item;
        item.name = Utf8FromPath(it->path().filename());
        if (fs::is_directory(status)) {
            item.folder = true;
            item.link = it->is_symlink(statusError);
        } else if (fs::is_regular_file(status)) {
            item.size = it->file_size(statusError);
        } else {
            continue; // devices, pipes, broken links
        }
        auto [slot, added] = listing.try_emplace(GamePathKey(item.name), item);
        if (!added && item.name < slot->second.name)
            slot->second = std::move(item);
    }
    return listings_.emplace(key, std::move(listing)).first->second;
}

std::optional<FolderLayer::Found> FolderLayer::Resolve(std::string_view path) const
{
    const std::vector<std::string_view> parts = SplitParts(path);
    if (parts.empty())
        return std::nullopt;
    Found found;
    found.file = folder_;
    std::string key;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (parts[i] == "." || parts[i] == "..")
            return std::nullopt;
        const Listing& listing = ListingOf(key, found.file);
        const auto it = listing.find(GamePathKey(parts[i]));
        const bool last = i + 1 == parts.size();
        if (it == listing.end() || it->second.folder == last)
            return std::nullopt;
        found.file /= PathFromUtf8(it->second.name);
        if (!found.path.empty())
            found.path += '/';
        found.path += it->second.name;
        key += '/';
        key += it->first;
        found.size = it->second.size;
    }
    return found;
}

std::optional<fs::path> FolderLayer::Locate(std::string_view path) const
{
    if (auto found = Resolve(path))
        return std::move(found->file);
    return std::nullopt;
}

std::optional<LayerFile> FolderLayer::Find(std::string_view path) const
{
    if (auto found = Resolve(path))
        return LayerFile{std::move(found->path), found->size};
    return std::nullopt;
}

std::vector<std::uint8_t> FolderLayer::Read(std::string_view path) const
{
    const auto found = Resolve(path);
    const std::string name = Utf8FromPath(folder_) + "/" + SlashPath(path);
    if (!found)
        throw ArchiveError(name + ": " + IoErrorMessage(2), RefusalKind::NotFound);
    // Read as a regular file only (a FIFO put there since the listing would
    // block), the file system's reason named: a file gone since the listing
    // is "File not found", not a refusal.
    std::string text;
    try {
        text = ReadFilePrefix(found->file, static_cast<std::size_t>(Archive::kMaxUnpackedSize) + 1);
    } catch (const Refusal& error) {
        throw ArchiveError(name + ": " + error.what(), error.Kind());
    }
    if (text.size() > Archive::kMaxUnpackedSize)
        throw ArchiveError(name + ": larger than " + std::to_string(Archive::kMaxUnpackedSize) + " bytes",
                           RefusalKind::TooLarge);
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    return bytes;
}

// Each folder is walked once, known by its identity on disk: a link back up
// ("up -> ..", "self -> .") or to a folder already walked adds nothing. Real
// folders come first and links after them, so that a file is listed under
// its own path, not under a link's path that happens to be met first.
struct FolderLayer::WalkState {
    struct Link {
        std::string key;
        fs::path folder;
        std::string prefix;
        int depth = 0;
    };
    std::set<FileIdentity> seen;
    std::deque<Link> links;
    const std::function<void(std::string_view, std::uint64_t)>& visit;
};

void FolderLayer::Walk(const std::string& key, const fs::path& folder, const std::string& prefix, int depth,
                       WalkState& state) const
{
    if (const auto identity = IdentityOf(folder); identity && !state.seen.insert(*identity).second)
        return;
    // Elements of an unordered_map stay where they are while others are added.
    const Listing& listing = ListingOf(key, folder);
    std::vector<WalkState::Link> links;
    for (const auto& [itemKey, item] : listing) {
        const std::string path = prefix.empty() ? item.name : prefix + "/" + item.name;
        if (!item.folder)
            state.visit(path, item.size);
        else if (depth >= kMaxDepth)
            continue;
        else if (item.link)
            links.push_back({key + "/" + itemKey, folder / PathFromUtf8(item.name), path, depth + 1});
        else
            Walk(key + "/" + itemKey, folder / PathFromUtf8(item.name), path, depth + 1, state);
    }
    // In name order, so that of two links to one folder the same one is listed every time.
    std::sort(links.begin(), links.end(), [](const auto& a, const auto& b) { return a.key < b.key; });
    state.links.insert(state.links.end(), links.begin(), links.end());
}

void FolderLayer::ForEach(const std::function<void(std::string_view path, std::uint64_t size)>& visit) const
{
    WalkState state{{}, {}, visit};
    Walk({}, folder_, {}, 0, state);
    while (!state.links.empty()) {
        const WalkState::Link link = std::move(state.links.front());
        state.links.pop_front();
        Walk(link.key, link.folder, link.prefix, link.depth, state);
    }
}

} // namespace quarnel
