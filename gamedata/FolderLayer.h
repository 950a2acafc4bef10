#pragma once
// A loose folder as a layer of a game's file tree. Paths are looked up
// without regard to case on every system, one part at a time, so that
// DATA/PROTO/CRITTERS/00000001.PRO answers proto\critters\00000001.pro.
// Each folder is listed once, when a lookup first passes through it. Links
// to folders are followed; the walk over every file visits each folder once.
#include "gamedata/Layer.h"

#include <filesystem>
#include <unordered_map>

namespace quarnel {

// The existing path under base that relative ("/" or "\") names without
// regard to case; the parts from the first one that is not there are kept
// as given. Where two names differ only in case, the lower one in byte order
// is taken.
std::filesystem::path FindIgnoringCase(const std::filesystem::path& base, std::string_view relative);

class FolderLayer : public Layer {
public:
    // The folder need not exist: it then holds nothing.
    FolderLayer(std::string name, std::filesystem::path folder);

    const std::filesystem::path& Folder() const { return folder_; }

    // The file's path on disk, if the folder holds it. Paths with "." or
    // ".." parts name nothing.
    std::optional<std::filesystem::path> Locate(std::string_view path) const;

    // Drops what was listed, after the folder changed.
    void Forget() const { listings_.clear(); }

    std::optional<LayerFile> Find(std::string_view path) const override;
    std::vector<std::uint8_t> Read(std::string_view path) const override;
    // Every folder once, known by its identity on disk (a link back up adds
    // nothing), under its real path where it has one in the folder, else
    // under the first link to it in name order.
    void ForEach(const std::function<void(std::string_view path, std::uint64_t size)>& visit) const override;

private:
    struct Item {
        std::string name; // as on disk, UTF-8
        bool folder = false;
        bool link = false; // a link to a folder
        std::uint64_t size = 0;
    };
    using Listing = std::unordered_map<std::string, Item>; // by GamePathKey of the name

    struct Found {
        std::filesystem::path file;
        std::string path; // the layer's own case
        std::uint64_t size = 0;
    };
    std::optional<Found> Resolve(std::string_view path) const;
    const Listing& ListingOf(const std::string& key, const std::filesystem::path& folder) const;
    struct WalkState;
    void Walk(const std::string& key, const std::filesystem::path& folder, const std::string& prefix, int depth,
              WalkState& state) const;

    std::filesystem::path folder_;
    mutable std::unordered_map<std::string, Listing> listings_; // by the folder's key ("" the top)
};

} // namespace quarnel
