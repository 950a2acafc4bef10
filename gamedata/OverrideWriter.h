#pragma once
// Writing a changed file into a game's tree. The one place a change goes is
// the override folder (GameTree::OverrideFor), at the file's own path:
// - a file whose winning copy is inside an archive is written there as a
//   whole new file, the folders on its way created where missing (an
//   existing folder is found without regard to case);
// - a file already in the override folder is changed in place: one
//   opening, its length kept, only the changed span written;
// - critter and item prototypes (proto/critters, proto/items) written
//   there are left read-only: the second game deletes writable files there
//   when a game starts or loads; other files keep their attribute; a new
//   file is made whole under a temporary name and renamed into place;
// - a link below the override folder, on the way or as the file itself, is
//   refused, never written through;
// - when a layer that the game reads before the override folder holds the
//   file (a patch archive, f2_res.dat), the write is refused unless forced.
#include "gamedata/GameTree.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

struct OverrideWrite {
    std::filesystem::path file; // the copy in the override folder
    bool created = false;       // a new file, not a change in place
    bool changed = false;       // false: before and after were equal, nothing written
};

// before: the file's bytes as the caller read them (GameTree::Read, the
// winning copy); after: the same bytes with the change applied (same
// length). The bytes where they differ are the change: written into the
// override folder's copy when it has one (it must still hold before's bytes
// when it is the winner), else a new file of after's bytes is made (the
// winning copy must still hold before's bytes). force: write although a
// layer read before the override folder holds the file.
// ArchiveError, writing nothing, when the path is not in the tree or is not
// one that can be written, the lengths differ, the file changed since it
// was read, or the write is shadowed:
// "<path> is also in patch000.dat, which the game reads first; a copy in data would not be used".
// WriteRefusedError (CheckOverrideWrite) before anything is written when
// the place is not one to write; IoError when the file system refuses.
OverrideWrite WriteIntoOverride(const GameTree& tree, std::string_view path, const std::vector<std::uint8_t>& before,
                                const std::vector<std::uint8_t>& after, bool force = false);

// WriteIntoOverride for a winning copy the caller has just found and read
// (its bytes are before): the same refusals and writes, without looking the
// path up again or reading the winning copy again.
OverrideWrite WriteOverWinner(const GameTree& tree, const Holding& winner, const std::vector<std::uint8_t>& before,
                              const std::vector<std::uint8_t>& after, bool force = false);

// Refuses, writing nothing, what WriteIntoOverride would refuse before its
// first write, so that a batch can be checked whole: ArchiveError for a path
// that cannot be written or a shadowed write (unless forced);
// WriteRefusedError when a link is on the way below the override folder or
// is the file itself (kind Link: never written through), a file stands where
// a folder goes, something other than a regular file is in the file's
// place, or the existing copy or the folder a new one goes into may not be
// written.
void CheckOverrideWrite(const GameTree& tree, std::string_view path, bool force);

// The first layer that the game reads before the override folder and that
// holds the path: a change written into the override folder would be hidden
// by it. Null when there is none.
const Layer* ShadowingLayer(const GameTree& tree, std::string_view path);

// ShadowingLayer for a path whose winning copy is known, with no lookup:
// the winner itself when the game reads it before the override folder.
const Layer* ShadowingWinner(const GameTree& tree, const Holding& winner);

// Why a change of the path written into the override folder would not be
// used: a layer the game reads first holds the file. Nothing when it would.
std::optional<std::string> ShadowedWriteText(const GameTree& tree, std::string_view path);
std::string ShadowedWriteText(const GameTree& tree, std::string_view path, const Layer& shadowing);

// A file of the tree written whole with new bytes of any length (a message
// file, a list file): a new file in the override folder, or the copy there
// replaced, each made under a temporary name and renamed into place; a
// replaced copy keeps its read-only attribute. The same checks as
// WriteIntoOverride first (CheckOverrideWrite), then ArchiveError (Changed)
// when the winning copy no longer holds before's bytes.
OverrideWrite ReplaceInOverride(const GameTree& tree, std::string_view path, const std::vector<std::uint8_t>& before,
                                const std::vector<std::uint8_t>& after, bool force = false);

// Refuses, writing nothing, a new file at a path of the tree: ArchiveError
// (Invalid) for a path that cannot be written, (Changed) when a layer holds
// the path already; WriteRefusedError as CheckOverrideWrite for the place.
void CheckNewInOverride(const GameTree& tree, std::string_view path);

// Makes a file the tree does not hold in the override folder at the path,
// after CheckNewInOverride; readOnly: read-only from its first moment.
OverrideWrite CreateInOverride(const GameTree& tree, std::string_view path, const std::vector<std::uint8_t>& bytes,
                               bool readOnly);

// Whether the game deletes writable copies of this path from the override
// folder (critter and item prototypes), so that it must stay read-only.
bool MustStayReadOnly(std::string_view path);

} // namespace quarnel
