#include "library/TreeCritterList.h"

#include "gamedata/GamePath.h"
#include "gamedata/OverrideWriter.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"

#include <stdexcept>

namespace quarnel {

std::vector<TreeCritter> ListTreeCritters(const GameTree& tree)
{
    std::vector<TreeCritter> critters;
    for (const Holding& holding : tree.List(kTreeCritterFolder)) {
        // Only the folder's own files: a sub-folder's files are no critters of the game.
        if (!MatchesGlob(holding.path, std::string(kTreeCritterFolder) + "/*.pro"))
            continue;
        const std::size_t slash = holding.path.rfind('/');
        if (GamePathKey(holding.path.substr(0, slash)) != GamePathKey(kTreeCritterFolder))
            continue;
        TreeCritter critter;
        critter.path = holding.path;
        critter.fileName = holding.path.substr(slash + 1);
        critter.layer = holding.layer->Name();
        if (IsCritterRecordSize(static_cast<long long>(holding.size))) {
            // A damaged entry leaves the file listed without a name; loading it reports the fault.
            try {
                const ProRecord record = ProRecord::FromBytes(holding.layer->Read(holding.path));
                critter.recordSize = record.size();
                if (IsCritterRecordSize(static_cast<long long>(record.size())))
                    critter.textId = record.Field(kTextIdOffset, 4);
            } catch (const std::runtime_error&) {
            }
        }
        critters.push_back(std::move(critter));
    }
    return critters;
}

CritterNames LoadTreeCritterNames(const GameTree& tree, NameEncoding chosen)
{
    const auto path = tree.MessageFile("pro_crit.msg");
    if (!path) {
        CritterNames none;
        none.encoding = chosen == NameEncoding::Automatic ? NameEncoding::Cp1252 : chosen;
        return none;
    }
    std::string bytes;
    try {
        bytes = ReadTreeMessageFileBytes(tree, *path);
    } catch (const FileRefusedError& e) {
        throw FileRefusedError(e.Kind(), *path + ": " + e.what());
    }
    return MessageFileNames(bytes, *path, TreeMessageEncoding(tree, *path, chosen), LanguageOfTextPath(*path));
}

std::optional<std::string> ShadowedSaveQuestion(const GameTree& tree, const std::string& path)
{
    const Layer* shadowing = ShadowingLayer(tree, path);
    if (!shadowing)
        return std::nullopt;
    return ShadowedSaveQuestion(tree, path, *shadowing);
}

std::string ShadowedSaveQuestion(const GameTree& tree, const std::string& path, const Layer& shadowing)
{
    const std::string slashed = SlashPath(path);
    const std::string file = slashed.substr(slashed.rfind('/') + 1);
    const std::string target = tree.OverrideFor(path).Name();
    return file + " is also in " + shadowing.Name() + ", which the game reads before " + target + ". A copy saved in " +
           target + " would not be used. Save anyway?";
}

} // namespace quarnel
