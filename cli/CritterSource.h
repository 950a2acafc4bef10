#pragma once
// Where a command's critters come from: loose files named on the command
// line, or, with --data, paths inside the file tree of an install or a mod's
// tree (read from the layer that wins, written into the override folder).
#include "gamedata/GameTree.h"
#include "proto/RecordFields.h"
#include "proto/ProFile.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quarnel::cli {

// One critter: a file on disk, or a path inside the tree ("/" between folders).
struct CritterFile {
    std::filesystem::path path;
    std::string label; // as messages and output name it
};

class CritterSource {
public:
    // install empty: loose files. Else the tree of that folder; every archive
    // of it that could not be opened is reported once on err.
    CritterSource(const std::string& install, std::ostream& err);

    const GameTree* Tree() const { return tree_ ? &*tree_ : nullptr; }

    // The critters the arguments name, in argument order: a folder stands for
    // every *.pro in it (in the tree: in the merged folder), in name order.
    // A file reached twice is taken once. CliError when nothing is left.
    std::vector<CritterFile> Files(const std::vector<std::string>& arguments) const;

    // The one file an argument names (no folder): as given for a loose file.
    CritterFile One(const std::string& argument) const;

    // The record; CliError when it has neither 412 nor 416 bytes.
    ProRecord Read(const CritterFile& file) const;
    // The record of a prototype of any type; CliError when its bytes make none.
    Prototype ReadPrototype(const CritterFile& file) const;

    // The game whose rules and kill types apply: the chosen one; else the
    // tree's game; else the loose file's folder name (FO1, FO2); else its size.
    bool IsSecondGame(const CritterFile& file, std::size_t recordSize, std::optional<bool> chosen) const;

    // Throws what would stop a write of the file now, without writing it: a
    // loose file that does not open for writing; for a tree, what
    // CheckOverrideWrite refuses. force: a tree's write over an archive the
    // game reads first.
    void CheckWritable(const CritterFile& file, bool force) const;

    // Writes the bytes in which after differs from before: in place for a
    // loose file; for a tree, into its override folder. Returns where.
    std::string Write(const CritterFile& file, const ProRecord& before, const ProRecord& after, bool force) const;

private:
    std::optional<GameTree> tree_;
};

} // namespace quarnel::cli
