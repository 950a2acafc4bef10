#pragma once
// The prototypes of a type other than critters in a game's file tree, in the
// order of the type's list file (proto/items/items.lst, ...): line n (from 1)
// names the file of PID number n. A file the list does not name, and a line
// naming a file the tree lacks, are listed too, each with the reason, so
// that nothing the game would miss is hidden.
#include "gamedata/GameTree.h"
#include "proto/PrototypeLayout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// Where a file stands against its type's list file.
enum class ListStanding {
    Listed,    // a line names it and the tree holds it
    NotInList, // the tree holds it, no line names it (or there is no list)
    NotInTree, // a line names it, the tree lacks it
};

struct TreeTypeEntry {
    std::string path;     // inside the tree; for NotInTree the folder and the name as the line writes it
    std::string fileName; // the last part of path
    std::string layer;    // the winning layer's name; empty for NotInTree
    // The type byte << 24 | the line number; none when no line names the file.
    std::optional<std::uint32_t> pid;
    // The record's text ID and subtype (items and scenery, as stored); none
    // when the record could not be read or is too short.
    std::optional<std::int32_t> textId;
    int subtype = kNoSubtype;
    std::size_t recordSize = 0;
    ListStanding standing = ListStanding::Listed;
    // Why it is not a plain listed file: "not in items.lst", "named on line
    // 12 of items.lst; not in the game's files"; empty when listed.
    std::string reason;
};

// The name on each line of a list file, line 1 first: the line up to the
// first blank, tab, comma or ';' (lines end in LF or CR LF). A line naming
// nothing gives an empty name and keeps its number.
std::vector<std::string> ListFileNames(std::string_view text);

// The list file of a type inside the tree: "proto/items/items.lst".
std::string TypeListPath(ProtoType type);

// Every *.pro directly in the merged proto/<type folder> and every line of
// the type's list file: the listed lines in line order (a line naming
// nothing is skipped), then the files no line names, in the order of the
// paths' keys. Not for critters (their list is TreeCritterList's).
std::vector<TreeTypeEntry> ListTreeType(const GameTree& tree, ProtoType type);

} // namespace quarnel
