#pragma once
// The critters of a game's file tree (an install or a mod's tree), as the
// window lists them: every .pro file of the merged proto/critters folder
// with the layer it comes from, and the names the game shows, taken from the
// tree's pro_crit.msg by each critter's own text ID.
#include "gamedata/GameTree.h"
#include "library/CritterNameFile.h"
#include "library/TextEncoding.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quarnel {

inline constexpr const char* kTreeCritterFolder = "proto/critters";

struct TreeCritter {
    std::string path;     // inside the tree, "/" between folders, the winning layer's case
    std::string fileName; // the last part of path
    std::string layer;    // the winning layer's name ("master.dat", "data")
    // The record's text ID; none when the record has no critter's size or
    // could not be read (the list still shows the file).
    std::optional<std::int32_t> textId;
    std::size_t recordSize = 0;
};

// Every *.pro directly in the merged proto/critters, in the order of the
// paths' keys, each with its winning layer and text ID.
std::vector<TreeCritter> ListTreeCritters(const GameTree& tree);

// The tree's pro_crit.msg (its language's, else english) with the code page
// of that language, or the chosen encoding. An empty table when the tree has
// none. A fault ends the table there and is in the result's error, labelled
// with the file's path in the tree. ArchiveError when the file's archive
// entry cannot be read.
CritterNames LoadTreeCritterNames(const GameTree& tree, NameEncoding chosen = NameEncoding::Automatic);

// The question asked before a save that the game would not use:
// "00000017.pro is also in patch000.dat, which the game reads before data. A
// copy saved in data would not be used. Save anyway?"
// Nothing when the saved copy would be used (gamedata's ShadowingLayer).
std::optional<std::string> ShadowedSaveQuestion(const GameTree& tree, const std::string& path);
// The same question for a shadowing layer already known.
std::string ShadowedSaveQuestion(const GameTree& tree, const std::string& path, const Layer& shadowing);

} // namespace quarnel
