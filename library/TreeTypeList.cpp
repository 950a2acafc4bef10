#include "library/TreeTypeList.h"

#include "art/CritterFid.h"
#include "gamedata/GamePath.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

namespace quarnel {
namespace {

bool EndsInPro(const std::string& key) { return key.size() > 4 && key.compare(key.size() - 4, 4, ".PRO") == 0; }

// Reads the text ID and, for items and scenery, the subtype from the record;
// a damaged entry stays listed without them (reading it reports the fault).
void ReadRecordHead(const Holding& holding, ProtoType type, TreeTypeEntry& entry)
{
    try {
        const ProRecord record = ProRecord::FromBytes(holding.layer->Read(holding.path));
        entry.recordSize = record.size();
        if (record.size() >= std::size_t(kTextIdOffset + 4))
            entry.textId = record.Field(kTextIdOffset, 4);
        if (HasSubtypes(type)) {
            const RecordField* subtype = FindKindField({type, 0}, "subtype");
            if (subtype && record.size() >= std::size_t(subtype->offset + subtype->width))
                entry.subtype = record.Field(subtype->offset, subtype->width);
        }
    } catch (const std::runtime_error&) {
    }
}

TreeTypeEntry EntryOf(const Holding& holding, ProtoType type)
{
    TreeTypeEntry entry;
    entry.path = holding.path;
    entry.fileName = holding.path.substr(holding.path.rfind('/') + 1);
    entry.layer = holding.layer->Name();
    ReadRecordHead(holding, type, entry);
    return entry;
}

} // namespace

std::vector<std::string> ListFileNames(std::string_view text) { return ParseArtList(text); }

std::string TypeListPath(ProtoType type)
{
    const std::string folder = TypeFolder(type);
    return "proto/" + folder + "/" + folder + ".lst";
}

std::vector<TreeTypeEntry> ListTreeType(const GameTree& tree, ProtoType type)
{
    const std::string folder = std::string("proto/") + TypeFolder(type);
    const std::string folderKey = GamePathKey(folder);
    const std::string listName = std::string(TypeFolder(type)) + ".lst";

    // The prototypes directly in the folder, by the key of their file name.
    std::vector<Holding> files;
    std::unordered_map<std::string, std::size_t> byName;
    for (Holding& holding : tree.List(folder)) {
        const std::string key = GamePathKey(holding.path);
        const std::size_t slash = key.rfind('/');
        if (slash == std::string::npos || key.compare(0, slash, folderKey) != 0 || slash != folderKey.size() ||
            !EndsInPro(key))
            continue;
        byName.emplace(key.substr(slash + 1), files.size());
        files.push_back(std::move(holding));
    }

    std::vector<std::string> names;
    std::string listFault;
    try {
        const auto list = tree.Find(TypeListPath(type));
        if (list) {
            const std::vector<std::uint8_t> bytes = list->layer->Read(list->path);
            names = ListFileNames(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        } else {
            listFault = ", which the game's files lack";
        }
    } catch (const std::runtime_error& error) {
        listFault = std::string(", which cannot be read (") + error.what() + ")";
    }

    std::vector<TreeTypeEntry> entries;
    std::vector<bool> named(files.size(), false);
    const std::uint32_t typeBits = static_cast<std::uint32_t>(type) << 24;
    // A PID holds its number in 24 bits: a line past that names no prototype.
    const std::size_t lastLine = std::min<std::size_t>(names.size(), 0xFFFFFF);
    for (std::size_t line = 1; line <= lastLine; ++line) {
        const std::string& name = names[line - 1];
        if (name.empty())
            continue;
        const auto found = byName.find(GamePathKey(name));
        TreeTypeEntry entry;
        if (found == byName.end()) {
            entry.path = folder + "/" + name;
            entry.fileName = name;
            entry.standing = ListStanding::NotInTree;
            entry.reason = "named on line " + std::to_string(line) + " of " + listName + "; not in the game's files";
        } else {
            entry = EntryOf(files[found->second], type);
            named[found->second] = true;
        }
        entry.pid = typeBits | static_cast<std::uint32_t>(line);
        entries.push_back(std::move(entry));
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (named[i])
            continue;
        TreeTypeEntry entry = EntryOf(files[i], type);
        entry.standing = ListStanding::NotInList;
        entry.reason = "not in " + listName + listFault;
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace quarnel
