#include "gamedata/GameTree.h"

#include "gamedata/Archive.h"
#include "gamedata/ArchiveLayer.h"
#include "gamedata/GameConfig.h"
#include "gamedata/GamePath.h"
#include "platform/Errors.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <unordered_map>

namespace quarnel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kCritterArt = "art/critters";
// The folders of which one makes a folder (or its data folder) a mod's tree.
constexpr const char* kModTreeFolders[] = {"proto", "art", "text"};

bool IsFile(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool IsFolder(const fs::path& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// A path the cfg gives, relative to the install folder unless absolute.
fs::path ConfigPath(const fs::path& install, const std::string& value)
{
    const fs::path given = PathFromUtf8(value);
    if (given.is_absolute())
        return given;
    return FindIgnoringCase(install, value);
}

// The layer's name: its path under the install folder as it is on disk,
// "/" between folders; the cfg's text when it is not there.
std::string LayerName(const fs::path& install, const fs::path& resolved, const std::string& configured)
{
    std::error_code ec;
    if (!fs::exists(resolved, ec))
        return SlashPath(configured);
    const fs::path relative = resolved.lexically_relative(install);
    if (relative.empty() || *relative.begin() == "..")
        return Utf8FromPath(resolved);
    return SlashPath(Utf8FromPath(relative));
}

// The patch archives of the install folder, patch999.dat first.
std::vector<std::string> PatchArchives(const fs::path& install)
{
    std::map<int, std::string, std::greater<>> found;
    std::error_code ec;
    for (fs::directory_iterator it(install, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = Utf8FromPath(it->path().filename());
        const std::string key = GamePathKey(name);
        if (key.size() != 12 || key.compare(0, 5, "PATCH") != 0 || key.compare(8, 4, ".DAT") != 0 ||
            !std::all_of(key.begin() + 5, key.begin() + 8, [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const int number = std::stoi(key.substr(5, 3));
        auto [slot, added] = found.emplace(number, name);
        if (!added && name < slot->second)
            slot->second = name;
    }
    std::vector<std::string> names;
    for (auto& [number, name] : found)
        names.push_back(std::move(name));
    return names;
}

} // namespace

GameTree GameTree::Open(const fs::path& folder)
{
    if (!IsFolder(folder))
        throw ArchiveError(Utf8FromPath(folder) + ": not a folder");
    GameTree tree;
    tree.folder_ = folder;
    const bool install = IsFile(FindIgnoringCase(folder, "master.dat")) ||
                         IsFile(FindIgnoringCase(folder, "fallout2.cfg")) ||
                         IsFile(FindIgnoringCase(folder, "fallout.cfg"));
    if (install) {
        tree.OpenInstall();
        return tree;
    }
    // A mod's tree: the folder itself, or its data folder, holds one of the
    // game's top folders (a mod may change only items, art or texts). The one
    // holding proto/critters is taken first, as it always was, so that a
    // folder beside data/ holding text/ does not hide data/'s critters.
    for (const bool critters : {true, false})
        for (const char* root : {"", "data"}) {
            const fs::path base = *root ? FindIgnoringCase(folder, root) : folder;
            const bool holds =
                critters ? IsFolder(FindIgnoringCase(base, "proto/critters"))
                         : std::any_of(std::begin(kModTreeFolders), std::end(kModTreeFolders),
                                       [&](const char* top) { return IsFolder(FindIgnoringCase(base, top)); });
            if (!holds)
                continue;
            const std::string name = *root ? Utf8FromPath(base.filename()) : std::string(".");
            tree.override_ = tree.critterOverride_ = tree.AddFolder(name, base);
            tree.mainOrder_ = {tree.override_};
            return tree;
        }
    throw ArchiveError(Utf8FromPath(folder) +
                       ": neither a game install (master.dat, fallout.cfg or fallout2.cfg) nor a mod's tree "
                       "(proto, art or text, or data/proto, data/art or data/text)");
}

std::unique_ptr<ArchiveLayer> GameTree::OpenArchive(const std::string& name, const fs::path& file)
{
    try {
        return std::make_unique<ArchiveLayer>(name, Archive::Open(file));
    } catch (const ArchiveError& e) {
        warnings_.push_back(e.what());
        return nullptr;
    }
}

const Layer* GameTree::Keep(std::unique_ptr<Layer> layer)
{
    if (!layer)
        return nullptr;
    layers_.push_back(std::move(layer));
    return layers_.back().get();
}

const FolderLayer* GameTree::AddFolder(const std::string& name, const fs::path& folder)
{
    auto layer = std::make_unique<FolderLayer>(name, folder);
    const FolderLayer* result = layer.get();
    layers_.push_back(std::move(layer));
    return result;
}

std::unique_ptr<ArchiveLayer> GameTree::OpenMaster(GameConfig& config)
{
    const fs::path cfg2 = FindIgnoringCase(folder_, "fallout2.cfg");
    const fs::path cfg1 = FindIgnoringCase(folder_, "fallout.cfg");
    auto read = [&](const fs::path& file) {
        try {
            return ReadGameConfig(file);
        } catch (const ArchiveError& e) {
            warnings_.push_back(e.what());
            return GameConfig{};
        }
    };
    Game cfgGame = Game::Unknown;
    if (IsFile(cfg2)) {
        config = read(cfg2);
        cfgGame = Game::Second;
    } else if (IsFile(cfg1)) {
        config = read(cfg1);
        cfgGame = Game::First;
    }

    const fs::path masterFile = ConfigPath(folder_, config.masterDat);
    std::unique_ptr<ArchiveLayer> master;
    if (!IsFile(masterFile))
        warnings_.push_back(Utf8FromPath(masterFile) + ": " + IoErrorMessage(2));
    else
        master = OpenArchive(LayerName(folder_, masterFile, config.masterDat), masterFile);
    // Both cfg files present and a first-game master archive: the first game's cfg counts.
    if (master && cfgGame == Game::Second && IsFile(cfg1) && master->archive().Format() == ArchiveFormat::Dat1) {
        config = read(cfg1);
        cfgGame = Game::First;
        const fs::path first = ConfigPath(folder_, config.masterDat);
        if (first != masterFile)
            master = IsFile(first) ? OpenArchive(LayerName(folder_, first, config.masterDat), first) : nullptr;
    }
    if (master)
        game_ = master->archive().Format() == ArchiveFormat::Dat2 ? Game::Second : Game::First;
    else
        game_ = cfgGame;
    return master;
}

std::vector<GameTree::PlannedLayer> GameTree::PlanLayers(const GameConfig& config)
{
    std::vector<PlannedLayer> plan;
    const fs::path critterFile = ConfigPath(folder_, config.critterDat);
    if (IsFile(critterFile))
        plan.push_back({LayerName(folder_, critterFile, config.critterDat), critterFile, LayerRole::Critter});
    else if (config.critterDatNamed) // the archive the cfg names is one the game opens
        warnings_.push_back(Utf8FromPath(critterFile) + ": " + IoErrorMessage(2));
    const fs::path masterPatches = ConfigPath(folder_, config.masterPatches);
    const fs::path critterPatches = ConfigPath(folder_, config.critterPatches);
    plan.push_back({LayerName(folder_, masterPatches, config.masterPatches), masterPatches, LayerRole::Override});
    if (masterPatches.lexically_normal() != critterPatches.lexically_normal())
        plan.push_back(
            {LayerName(folder_, critterPatches, config.critterPatches), critterPatches, LayerRole::CritterOverride});
    if (game_ == Game::First)
        return plan;
    const fs::path resources = FindIgnoringCase(folder_, "f2_res.dat");
    if (IsFile(resources))
        plan.push_back({Utf8FromPath(resources.filename()), resources, LayerRole::Patch});
    for (const std::string& name : PatchArchives(folder_))
        plan.push_back({name, folder_ / PathFromUtf8(name), LayerRole::Patch});
    return plan;
}

void GameTree::OpenInstall()
{
    install_ = true;
    GameConfig config;
    const Layer* master = Keep(OpenMaster(config));
    language_ = config.language;

    const Layer* critter = nullptr;
    std::vector<const Layer*> patches; // read before the override folders, in the plan's order
    for (const PlannedLayer& planned : PlanLayers(config)) {
        switch (planned.role) {
        case LayerRole::Override: override_ = AddFolder(planned.name, planned.path); break;
        case LayerRole::CritterOverride: critterOverride_ = AddFolder(planned.name, planned.path); break;
        case LayerRole::Critter: critter = Keep(OpenArchive(planned.name, planned.path)); break;
        case LayerRole::Patch:
            if (const Layer* patch = Keep(OpenArchive(planned.name, planned.path)))
                patches.push_back(patch);
            break;
        }
    }
    if (!critterOverride_)
        critterOverride_ = override_;

    if (game_ == Game::First) {
        mainOrder_ = {override_};
        if (master)
            mainOrder_.push_back(master);
        critterOrder_ = {critterOverride_};
        if (critter)
            critterOrder_.push_back(critter);
        return;
    }
    mainOrder_ = patches;
    mainOrder_.push_back(override_);
    if (critterOverride_ != override_)
        mainOrder_.push_back(critterOverride_);
    if (critter)
        mainOrder_.push_back(critter);
    if (master)
        mainOrder_.push_back(master);
}

const std::vector<const Layer*>& GameTree::LayersFor(std::string_view path) const
{
    return game_ == Game::First && IsUnderFolder(path, kCritterArt) ? critterOrder_ : mainOrder_;
}

const FolderLayer& GameTree::OverrideFor(std::string_view path) const
{
    return game_ == Game::First && IsUnderFolder(path, kCritterArt) ? *critterOverride_ : *override_;
}

std::optional<Holding> GameTree::Find(std::string_view path) const
{
    for (const Layer* layer : LayersFor(path))
        if (auto file = layer->Find(path))
            return Holding{layer, std::move(file->path), file->size};
    return std::nullopt;
}

std::vector<Holding> GameTree::Holders(std::string_view path) const
{
    std::vector<Holding> holders;
    for (const Layer* layer : LayersFor(path))
        if (auto file = layer->Find(path))
            holders.push_back({layer, std::move(file->path), file->size});
    return holders;
}

std::vector<std::uint8_t> GameTree::Read(std::string_view path) const
{
    const auto winner = Find(path);
    if (!winner)
        throw ArchiveError(Utf8FromPath(folder_) + ": " + SlashPath(path) + ": not in the game's files");
    return winner->layer->Read(path);
}

std::vector<Holding> GameTree::List(std::string_view folder) const
{
    std::unordered_map<std::string, std::size_t> seen;
    std::vector<std::pair<std::string, Holding>> files;
    auto take = [&](const std::vector<const Layer*>& order, bool critterArt) {
        for (const Layer* layer : order)
            layer->ForEach([&](std::string_view path, std::uint64_t size) {
                if (!IsUnderFolder(path, folder))
                    return;
                if (game_ == Game::First && IsUnderFolder(path, kCritterArt) != critterArt)
                    return;
                std::string key = GamePathKey(path);
                if (seen.emplace(key, files.size()).second)
                    files.push_back({std::move(key), Holding{layer, std::string(path), size}});
            });
    };
    take(mainOrder_, false);
    if (game_ == Game::First)
        take(critterOrder_, true);
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Holding> out;
    out.reserve(files.size());
    for (auto& file : files)
        out.push_back(std::move(file.second));
    return out;
}

std::optional<std::string> GameTree::MessageFile(std::string_view name) const
{
    for (const std::string& language : {language_, std::string("english")}) {
        const std::string path = "text/" + language + "/game/" + std::string(name);
        if (auto found = Find(path))
            return found->path;
    }
    return std::nullopt;
}

} // namespace quarnel
