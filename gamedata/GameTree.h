#pragma once
// The game's file tree of an install or of a mod's tree, read as the games
// read it: each path is served by the first layer (archive or loose folder)
// that holds it, and every change goes to the override folder.
//
// An install (master.dat, fallout.cfg or fallout2.cfg in the folder) takes
// the [system] keys of its cfg. Which game it is follows from the master
// archive's format (DAT2: the second game), else from the cfg's name.
// - Second game, one tree: f2_res.dat, patch999.dat down to patch000.dat,
//   the master_patches folder, the critter_patches folder (when another
//   one), the critter archive, the master archive.
// - First game, two trees: art/critters/... from the critter_patches folder,
//   then the critter archive; everything else from the master_patches
//   folder, then the master archive.
// A mod's tree (a folder holding proto, art or text, or whose data folder
// holds one of them) is one loose folder; its critter list may be empty.
#include "gamedata/ArchiveLayer.h"
#include "gamedata/FolderLayer.h"
#include "gamedata/GameConfig.h"
#include "gamedata/Layer.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

enum class Game { Unknown, First, Second };

// One layer's copy of a path.
struct Holding {
    const Layer* layer = nullptr;
    std::string path;       // in the layer's own case, "/" between folders
    std::uint64_t size = 0; // unpacked
};

class GameTree {
public:
    // ArchiveError when the folder is neither an install nor a mod's tree. A
    // damaged or missing archive does not stop the opening: it is left out
    // and reported once in Warnings(). A missing critter archive is reported
    // when the install has a cfg (which names it, or keeps its default).
    static GameTree Open(const std::filesystem::path& folder);

    GameTree(GameTree&&) noexcept = default;
    GameTree& operator=(GameTree&&) noexcept = default;

    Game Which() const { return game_; }
    bool IsInstall() const { return install_; }
    const std::filesystem::path& Folder() const { return folder_; }
    const std::string& Language() const { return language_; }
    // One text per archive that could not be opened, naming it.
    const std::vector<std::string>& Warnings() const { return warnings_; }

    // The layers a path ("/" or "\", any case) is looked up in, in order.
    const std::vector<const Layer*>& LayersFor(std::string_view path) const;
    // The folder that changes of the path go to: master_patches (the first
    // game's critter art: critter_patches); for a mod's tree, the tree.
    const FolderLayer& OverrideFor(std::string_view path) const;

    // The winning copy, if any layer holds the path.
    std::optional<Holding> Find(std::string_view path) const;
    // Every layer's copy, the winner first.
    std::vector<Holding> Holders(std::string_view path) const;
    // The winning copy's bytes; ArchiveError when no layer holds it.
    std::vector<std::uint8_t> Read(std::string_view path) const;

    // The merged tree: every path once, with its winning copy, in the order
    // of the paths' keys; only those under folder when one is given.
    std::vector<Holding> List(std::string_view folder = {}) const;

    // The path of a message file (such as "pro_crit.msg") of the game's
    // language, text/<language>/game/<name>; the english one when that is
    // missing; nothing when neither is there.
    std::optional<std::string> MessageFile(std::string_view name) const;

private:
    GameTree() = default;
    // What an install's layers do in the order of lookups.
    enum class LayerRole {
        Critter,         // the critter archive
        Override,        // master_patches, where changes go
        CritterOverride, // critter_patches, when another folder than master_patches
        Patch,           // f2_res.dat and the patch archives, read before the override folder
    };
    // A layer of an install worked out before anything is opened: archives
    // but for the override folders, which are loose folders.
    struct PlannedLayer {
        std::string name;
        std::filesystem::path path;
        LayerRole role;
    };

    void OpenInstall();
    // Reads the cfg into config and opens the master archive, whose format
    // tells the game; nullptr when it is missing or cannot be opened.
    std::unique_ptr<ArchiveLayer> OpenMaster(GameConfig& config);
    std::vector<PlannedLayer> PlanLayers(const GameConfig& config);
    // An archive's layer; nullptr, with a warning, when it cannot be opened.
    std::unique_ptr<ArchiveLayer> OpenArchive(const std::string& name, const std::filesystem::path& file);
    const Layer* Keep(std::unique_ptr<Layer> layer);
    const FolderLayer* AddFolder(const std::string& name, const std::filesystem::path& folder);

    std::filesystem::path folder_;
    Game game_ = Game::Unknown;
    bool install_ = false;
    std::string language_ = "english";
    std::vector<std::string> warnings_;
    std::vector<std::unique_ptr<Layer>> layers_;
    std::vector<const Layer*> mainOrder_;    // every path (second game), all but critter art (first)
    std::vector<const Layer*> critterOrder_; // the first game's critter art
    const FolderLayer* override_ = nullptr;
    const FolderLayer* critterOverride_ = nullptr;
};

} // namespace quarnel
