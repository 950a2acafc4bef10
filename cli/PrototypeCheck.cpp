#include "cli/PrototypeCheck.h"

#include "cli/PrototypeNames.h"
#include "proto/RecordFields.h"
#include "gamedata/GamePath.h"
#include "library/IniFile.h"
#include "library/MessageFile.h"
#include "platform/FolderListing.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"
#include "source/GameChoice.h"
#include "source/MessageFileAbove.h"

#include <cstdio>
#include <system_error>

namespace fs = std::filesystem;

namespace quarnel::cli {
namespace {

std::string Hex(std::int32_t value, int width)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", 2 * width, static_cast<unsigned>(static_cast<std::uint32_t>(value)));
    return text;
}

// A file of the folder named name in any case, if there is one.
std::optional<fs::path> FileNamed(const fs::path& folder, const std::string& name)
{
    for (const std::string& file : ListFolderFiles(folder, fs::path(name).extension().string()))
        if (IniUpperCase(file) == IniUpperCase(name))
            return folder / PathFromUtf8(file);
    return std::nullopt;
}

// A sibling folder of the type's name in any case ("../misc"), if there is one.
std::optional<fs::path> SiblingFolder(const fs::path& folder, ProtoType type)
{
    std::error_code ec;
    const fs::path parent = fs::absolute(folder, ec).lexically_normal().parent_path();
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec) && TypeOfFolder(Utf8FromPath(it->path().filename())) == type)
            return it->path();
    return std::nullopt;
}

// The file a list line names: the text before a blank, tab, semicolon or comma.
std::string ListedName(const std::string& line) { return line.substr(0, line.find_first_of(" \t;,")); }

std::string LastPart(const std::string& path) { return path.substr(path.rfind('/') + 1); }

} // namespace

PrototypeCheck::PrototypeCheck(const fs::path& folder, const GameTree* tree, NameEncoding encoding, std::ostream& out)
    : folder_(folder), tree_(tree), encoding_(encoding), out_(out)
{
    std::error_code ec;
    fs::path named = tree ? folder : fs::absolute(folder.empty() ? fs::path(".") : folder, ec).lexically_normal();
    if (!named.has_filename())
        named = named.parent_path();
    folderType_ = TypeOfFolder(Utf8FromPath(named.filename()));
    if (!folderType_ && !tree && GameOfFolder(folder, std::nullopt))
        folderType_ = ProtoType::Critter;
    // A loose folder's list; the tree's is checked whole with the critters' (CheckList).
    if (!tree && folderType_ && *folderType_ != ProtoType::Critter) {
        if (const auto lines = ListLines(folder, &listLabel_)) {
            listed_.emplace();
            for (std::size_t i = 0; i < lines->size(); ++i)
                listed_->emplace(GamePathKey(ListedName((*lines)[i])), static_cast<int>(i + 1));
        }
    }
}

std::optional<std::vector<std::string>> PrototypeCheck::ListLines(const fs::path& folder, std::string* label) const
{
    if (tree_) {
        const std::string path = SlashPath(Utf8FromPath(folder));
        const std::string list = path + "/" + LastPart(path) + ".lst";
        if (!tree_->Find(list))
            return std::nullopt;
        const auto bytes = tree_->Read(list);
        if (label)
            *label = LastPart(list);
        return SplitLines(std::string(bytes.begin(), bytes.end()));
    }
    std::error_code ec;
    fs::path named = fs::absolute(folder, ec).lexically_normal();
    if (!named.has_filename())
        named = named.parent_path();
    const auto list = FileNamed(folder, Utf8FromPath(named.filename()) + ".lst");
    if (!list)
        return std::nullopt;
    if (label)
        *label = FileLabel(list->filename());
    return SplitLines(ReadFileBytes(*list));
}

bool PrototypeCheck::Takes(const ProRecord& record) const
{
    const KindReading reading = ReadRecordKind(record.bytes().data(), record.size(), record.size());
    if (folderType_ && *folderType_ != ProtoType::Critter)
        return true;
    if (reading.kind)
        return reading.kind->type != ProtoType::Critter;
    // No prototype: the critter check's, unless the type byte says another type (in a folder of no type).
    return !folderType_ && record.size() > 0 && record.bytes()[0] < kProtoTypeCount &&
           record.bytes()[0] != static_cast<int>(ProtoType::Critter);
}

void PrototypeCheck::Check(const std::string& label, const ProRecord& record, const std::string& sizeText)
{
    const KindReading reading = ReadRecordKind(record.bytes().data(), record.size(), record.size());
    if (!reading.kind) {
        Report(label, sizeText + ": " + reading.fault);
        return;
    }
    const RecordKind kind = *reading.kind;
    auto value = [&](const char* key) { return FieldValue(record, *FindKindField(kind, key)); };
    if (folderType_ && kind.type != *folderType_) {
        Report(label,
               "pid_type = " + Hex(value("pid_type"), 2) + ": " + KindText(kind) + ", not " + TypeText(*folderType_));
        return;
    }
    // The PID's number is its low 24 bits, as the game reads it.
    const std::int32_t pid = record.Field(1, 3);
    if (listed_) {
        const auto line = listed_->find(GamePathKey(label));
        if (line == listed_->end())
            Report(label, "not listed in " + listLabel_);
        else if (line->second != pid)
            Report(label, "pid = " + std::to_string(pid) + ", but the file is on line " + std::to_string(line->second) +
                              " of " + listLabel_);
    }

    const Names& names = NamesOf(kind.type);
    if (names.names) {
        const std::int32_t textId = value("text_id");
        const std::string name = names.names->table.Lookup(std::to_string(textId));
        if (name.empty())
            Report(label, "text_id = " + std::to_string(textId) + " has no name in " + names.label);
        else if (const auto at = FirstUndecodableByte(name, names.names->encoding))
            Report(label, "the name of text_id = " + std::to_string(textId) + " in " + names.label + " is not " +
                              NameEncodingCaption(names.names->encoding) + " text (byte " +
                              Hex(static_cast<unsigned char>(name[*at]), 1) + ")");
    }

    const std::int32_t fid = value("fid");
    if (FidType(fid) != static_cast<int>(kind.type))
        Report(label, "fid = " + Hex(fid, 4) + ": type " + std::to_string(FidType(fid)) + " in bits 24 to 27, not " +
                          std::to_string(static_cast<int>(kind.type)) + " (" + TypeText(kind.type) + ")");
    if (const RecordField* inventory = FindKindField(kind, "inventory_fid")) {
        const std::int32_t v = FieldValue(record, *inventory);
        if (v != -1 && FidType(v) != kInventoryFidType)
            Report(label, inventory->key + " = " + Hex(v, 4) + ": type " + std::to_string(FidType(v)) +
                              " in bits 24 to 27, not 7 (inventory pictures)");
    }
    for (const char* key : {"weapon.projectile_pid", "weapon.ammo_pid", "misc.power_pid"})
        if (const RecordField* field = FindKindField(kind, key))
            CheckReference(label, *field, FieldValue(record, *field));
}

// A PID's type byte picks the folder of prototypes it names. The games'
// projectiles (a rocket, a plasma ball) are misc prototypes, so a projectile
// may name an item or a misc prototype; ammunition and power only items.
void PrototypeCheck::CheckReference(const std::string& label, const RecordField& field, std::int32_t pid)
{
    if (pid == -1)
        return;
    const int typeByte = static_cast<int>(static_cast<std::uint32_t>(pid) >> 24);
    const bool projectile = field.key == "weapon.projectile_pid";
    const bool allowed =
        typeByte == static_cast<int>(ProtoType::Item) || (projectile && typeByte == static_cast<int>(ProtoType::Misc));
    if (!allowed) {
        Report(label,
               field.key + " = " + Hex(pid, 4) + ": not the PID of an item" + (projectile ? " or misc object" : ""));
        return;
    }
    const auto type = static_cast<ProtoType>(typeByte);
    const int number = pid & 0xFFFFFF;
    const auto& existing = Existing(type);
    if (existing && !existing->count(number))
        Report(label, field.key + " = " + Hex(pid, 4) + ": no " + std::string(TypeKey(type)) + " prototype " +
                          std::to_string(number) + " in " + TypeFolder(type));
}

// The numbers of the type's prototypes: the lines of its folder's list that
// name a file (in a tree: a file the tree holds); without a list, for the
// checked folder, the PIDs of its files. Nothing where neither is at hand.
const std::optional<std::set<int>>& PrototypeCheck::Existing(ProtoType type)
{
    const auto known = existing_.find(type);
    if (known != existing_.end())
        return known->second;
    std::optional<std::set<int>>& numbers = existing_[type];
    std::optional<fs::path> folder;
    if (folderType_ == type)
        folder = folder_;
    else if (tree_)
        folder = PathFromUtf8(std::string("proto/") + TypeFolder(type));
    else
        folder = SiblingFolder(folder_, type);
    if (!folder)
        return numbers;
    try {
        if (const auto lines = ListLines(*folder, nullptr)) {
            numbers.emplace();
            const std::string path = SlashPath(Utf8FromPath(*folder));
            for (std::size_t i = 0; i < lines->size(); ++i) {
                const std::string name = ListedName((*lines)[i]);
                if (!name.empty() && (!tree_ || tree_->Find(path + "/" + name)))
                    numbers->insert(static_cast<int>(i + 1));
            }
        } else if (!tree_ && folderType_ == type) {
            numbers.emplace();
            for (const std::string& name : ListFolderFiles(*folder, ".pro")) {
                const ProRecord record = ProRecord::View(*folder / PathFromUtf8(name));
                if (record.size() >= 4 && record.bytes()[0] == static_cast<int>(type))
                    numbers->insert(record.Field(1, 3));
            }
        }
    } catch (const std::exception& error) {
        Report(TypeFolder(type), std::string(error.what()) + ": the PIDs naming its prototypes are not checked");
        numbers.reset();
    }
    return numbers;
}

const PrototypeCheck::Names& PrototypeCheck::NamesOf(ProtoType type)
{
    const auto known = names_.find(type);
    if (known != names_.end())
        return known->second;
    Names& names = names_[type];
    const std::string file = TypeMessageFile(type);
    try {
        if (tree_) {
            const auto path = tree_->MessageFile(file);
            if (!path) {
                Report(file,
                       "missing in text/" + tree_->Language() + "/game: the names of the text IDs are not checked");
                return names;
            }
            names.label = *path;
            names.names = MessageFileNames(ReadTreeMessageFileBytes(*tree_, *path), *path,
                                           TreeMessageEncoding(*tree_, *path, encoding_), LanguageOfTextPath(*path));
        } else {
            // Beside the files, else in the mod's tree above them.
            std::string language;
            fs::path path = FileNamed(folder_, file).value_or(fs::path());
            if (path.empty())
                path = MessageFileAbove(folder_ / "x.pro", type, &language);
            if (path.empty()) {
                Report(file, "missing beside the folder and in the text/<language>/game of a tree above it: the names "
                             "of the text IDs are not checked");
                return names;
            }
            names.label = FileLabel(path.filename());
            names.names = LoadCritterNames(path, encoding_, language);
        }
        if (names.names->fault)
            Report(MessageFaultPlace(names.label, *names.names->fault), names.names->fault->what);
    } catch (const std::exception& error) {
        Report(file, std::string(error.what()) + ": the names of the text IDs are not checked");
        names.names.reset();
    }
    return names;
}

void PrototypeCheck::Report(const std::string& label, const std::string& fault)
{
    out_ << label << ": " << fault << '\n';
    reported_ = true;
}

} // namespace quarnel::cli
