#pragma once
// check for the prototypes other than critters: size and subtype agree; the
// type byte is the folder's type (items/ holds items, and so on); the PID
// number is the file's line in the folder's list (items.lst) when there is
// one; the text ID has a name in the type's message file; the FID's type
// (bits 24 to 27) is the prototype's type and an item's inventory FID's is 7;
// weapon.ammo_pid and misc.power_pid name item prototypes that exist, and
// weapon.projectile_pid an item or misc prototype that exists (-1: none).
// A folder's critters keep their own check (CheckCommand.cpp).
#include "gamedata/GameTree.h"
#include "library/CritterNameFile.h"
#include "proto/ProFile.h"
#include "proto/PrototypeLayout.h"

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace quarnel::cli {

class PrototypeCheck {
public:
    // A loose folder (tree null) or a folder of the tree ("proto/items").
    PrototypeCheck(const std::filesystem::path& folder, const GameTree* tree, NameEncoding encoding, std::ostream& out);

    // The type the folder's name stands for: items, critters, scenery, walls,
    // tiles, misc (FO1 and FO2: critters), if any.
    std::optional<ProtoType> FolderType() const { return folderType_; }

    // Whether this check takes the record, or the critter check does: in a
    // folder of critters (or of no type) a record that is no prototype of
    // another type stays the critter check's.
    bool Takes(const ProRecord& record) const;

    // Checks one record; sizeText: its size ("65 bytes").
    void Check(const std::string& label, const ProRecord& record, const std::string& sizeText);

    bool Reported() const { return reported_; }

private:
    struct Names {
        std::optional<CritterNames> names;
        std::string label;
    };
    const Names& NamesOf(ProtoType type);
    const std::optional<std::set<int>>& Existing(ProtoType type);
    std::optional<std::vector<std::string>> ListLines(const std::filesystem::path& folder, std::string* label) const;
    void CheckReference(const std::string& label, const RecordField& field, std::int32_t pid);
    void Report(const std::string& label, const std::string& fault);

    std::filesystem::path folder_;
    const GameTree* tree_;
    NameEncoding encoding_;
    std::ostream& out_;
    std::optional<ProtoType> folderType_;
    std::optional<std::map<std::string, int>> listed_; // the folder's list: file name key -> line, if it has one
    std::string listLabel_;
    std::map<ProtoType, Names> names_;
    std::map<ProtoType, std::optional<std::set<int>>> existing_;
    bool reported_ = false;
};

} // namespace quarnel::cli
