// check: what a modder wants to know about a folder before shipping it.
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/CritterArtCheck.h"
#include "cli/CommandSource.h"
#include "cli/PrototypeCheck.h"
#include "cli/SharedTextIds.h"
#include "gamedata/GamePath.h"
#include "proto/RecordFields.h"
#include "library/CritterNameFile.h"
#include "library/IniFile.h"
#include "platform/FolderListing.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"
#include "proto/CritterFields.h"
#include "source/GameChoice.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace quarnel::cli {
namespace {

struct RangeRule {
    const RecordField* field;
    std::int32_t minimum;
    std::int32_t maximum;
    std::string fault;
};

// The base values that have a sensible range: the primary statistics, the
// gender, the resistances (per damage type, radiation and poison).
const std::vector<RangeRule>& RangeRules()
{
    static const std::vector<RangeRule> rules = [] {
        std::vector<RangeRule> list;
        for (const StatFields& stat : kPrimaryStats)
            list.push_back({FindRecordFieldByControl(stat.base), 1, 10, "outside 1 to 10"});
        list.push_back({&FieldByKey("base.Gender"), 0, 1, "not 0 or 1"});
        for (std::size_t row = 1; row < kDamageStats.size(); row += 2)
            list.push_back({FindRecordFieldByControl(kDamageStats[row].base), 0, 100, "outside 0 to 100"});
        for (const char* key : {"base.Radiation", "base.Poison"})
            list.push_back({&FieldByKey(key), 0, 100, "outside 0 to 100"});
        return list;
    }();
    return rules;
}

// The number a file name stands for ("00000522.pro" -> 522), if it is all digits.
std::optional<long long> FileNumber(const fs::path& file)
{
    const std::string stem = Utf8FromPath(file.stem());
    if (stem.empty() || stem.size() > 9 || stem.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoll(stem);
}

class FolderCheck {
public:
    FolderCheck(const fs::path& folder, NameEncoding encoding, std::ostream& out)
        : folder_(folder), out_(out), chosenEncoding_(encoding)
    {
    }

    void ReadNameTable()
    {
        const fs::path file = CritterNameFile(folder_);
        const std::string label = FileLabel(file.filename());
        std::error_code ec;
        if (!fs::exists(file, ec)) {
            Report(label, "missing (and no pro_crit.msg): the names of the text IDs are not checked");
            return;
        }
        if (!IsMessageFile(file))
            CheckShadowedMessageFile(label);
        try {
            UseNames(LoadCritterNames(file, chosenEncoding_), label);
        } catch (const std::exception& error) {
            Report(label, std::string(error.what()) + ": the names of the text IDs are not checked");
        }
    }

    // The install's own pro_crit.msg, of its language (english when that one is missing).
    void ReadTreeNames(const GameTree& tree)
    {
        const auto path = tree.MessageFile("pro_crit.msg");
        if (!path) {
            Report("pro_crit.msg",
                   "missing in text/" + tree.Language() + "/game: the names of the text IDs are not checked");
            return;
        }
        try {
            UseNames(MessageFileNames(ReadTreeMessageFileBytes(tree, *path), *path,
                                      TreeMessageEncoding(tree, *path, chosenEncoding_), LanguageOfTextPath(*path)),
                     *path);
        } catch (const std::exception& error) {
            Report(*path, std::string(error.what()) + ": the names of the text IDs are not checked");
        }
    }

    // The folder's list (proto/critters/critters.lst): each line names a file
    // of the folder, each file is listed, and a file's PID number is its line
    // number, counted from 1. critters: each file's name and stored PID number.
    void CheckList(const GameTree& tree, const std::string& folder, const std::map<std::string, int>& critters)
    {
        const std::string list = folder + "/" + LastPart(folder) + ".lst";
        const auto found = tree.Find(list);
        if (!found) {
            Report(list, "missing: the game finds none of these files without it");
            return;
        }
        const std::vector<std::string> lines = SplitLines(AsText(tree.Read(list)));
        std::set<std::string> listed;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string line = std::to_string(i + 1);
            const std::string name = lines[i].substr(0, lines[i].find_first_of(" \t;,"));
            const auto critter = critters.find(GamePathKey(name));
            if (name.empty())
                Report(found->path + ", line " + line, "no file name");
            else if (critter == critters.end())
                Report(found->path + ", line " + line, name + " is not in " + folder);
            else if (critter->second != static_cast<int>(i + 1))
                Report(name, "pid = " + std::to_string(critter->second) + ", but the file is on line " + line + " of " +
                                 LastPart(list));
            listed.insert(GamePathKey(name));
        }
        for (const auto& [key, pid] : critters)
            if (!listed.count(key))
                Report(names_of_.at(key), "not listed in " + LastPart(list));
    }

    // Remembers a critter's name as it is spelled, for the list check.
    void Spelling(const std::string& name) { names_of_[GamePathKey(name)] = name; }

    // folderGame: the game the folder's name gives (FO1 or FO2), if any.
    void Critter(const fs::path& file, const ProRecord& record, std::optional<bool> folderGame)
    {
        const std::string label = FileLabel(file.filename());
        if (!IsCritterRecordSize(static_cast<long long>(record.size()))) {
            Report(label, SizeText(file, record.size()) + ", not a critter prototype (412 or 416 bytes)");
            return;
        }
        const bool secondGame = folderGame.value_or(IsSecondGameSize(record.size()));
        if (secondGame != IsSecondGameSize(record.size()))
            Report(label,
                   std::to_string(record.size()) + " bytes in a folder of the " +
                       (secondGame ? "second game, whose critters have 416" : "first game, whose critters have 412"));
        auto value = [&](const std::string& key) { return FieldValue(record, FieldByKey(key)); };
        // The type is the PID's first byte; the second belongs to the 24-bit number.
        if (const std::int32_t type = value("pid_type"); (type & 0xFF00) != kCritterPidType)
            Report(label, "pid_type = " + FieldValueText(FieldByKey("pid_type"), type) + ", not a critter (0x0100)");
        // The PID's number is its low 24 bits, as the game reads it.
        const std::int32_t pid = record.Field(1, 3);
        if (const auto number = FileNumber(file); number && *number != pid)
            Report(label, "pid = " + std::to_string(pid) + ", the file name says " + std::to_string(*number));
        const std::int32_t textId = value("text_id");
        const std::string name = names_ ? names_->Lookup(std::to_string(textId)) : std::string();
        if (names_ && name.empty())
            Report(label, "text_id = " + std::to_string(textId) + " has no name in " + nameFile_);
        if (const auto at = FirstUndecodableByte(name, encoding_)) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(name[*at]));
            Report(label, "the name of text_id = " + std::to_string(textId) + " in " + nameFile_ + " is not " +
                              NameEncodingCaption(encoding_) + " text (byte " + byte + ")");
        }
        for (const RangeRule& rule : RangeRules()) {
            const std::int32_t v = FieldValue(record, *rule.field);
            if (v < rule.minimum || v > rule.maximum)
                Report(label, rule.field->key + " = " + std::to_string(v) + ", " + rule.fault);
        }
        for (const char* key : {"body_type", "kill_type"}) {
            const RecordField& field = FieldByKey(key);
            const std::int32_t v = FieldValue(record, field);
            if (!EnumItemName(field.list, secondGame, v))
                Report(label, field.key + " = " + std::to_string(v) + ", not in the list of " +
                                  (secondGame ? "the second game" : "the first game"));
        }
    }

    // A finding of a check outside this class, counted as its own.
    void Finding(const std::string& label, const std::string& fault) { Report(label, fault); }

    void NoCritters() { Report(FileLabel(folder_), "no *.pro file in the folder"); }

    bool Reported() const { return reported_; }
    // Counts the findings of the other types' check.
    void Count(bool reported) { reported_ = reported_ || reported; }

private:
    static std::string AsText(const std::vector<std::uint8_t>& bytes)
    {
        return std::string(bytes.begin(), bytes.end());
    }

    static std::string LastPart(const std::string& path) { return path.substr(path.rfind('/') + 1); }

    // The names a name file gives; a message file's fault, where the games
    // stop reading it, named once with its line.
    void UseNames(CritterNames loaded, const std::string& label)
    {
        if (loaded.fault)
            Report(MessageFaultPlace(label, *loaded.fault), loaded.fault->what);
        names_ = std::move(loaded.table);
        encoding_ = loaded.encoding;
        nameFile_ = label;
    }

    // pro_crit.ini gives the names, but a damaged pro_crit.msg beside it is
    // still what the game reads.
    void CheckShadowedMessageFile(const std::string& iniLabel)
    {
        for (const std::string& name : ListFolderFiles(folder_, ".msg")) {
            if (IniUpperCase(name) != "PRO_CRIT.MSG")
                continue;
            try {
                const CritterNames loaded = LoadCritterNames(folder_ / PathFromUtf8(name), chosenEncoding_);
                if (loaded.fault)
                    Report(MessageFaultPlace(name, *loaded.fault),
                           loaded.fault->what + " (" + iniLabel + " gives the names, the game reads this file)");
            } catch (const std::exception& error) {
                Report(name, error.what());
            }
        }
    }

    void Report(const std::string& label, const std::string& fault)
    {
        out_ << label << ": " << fault << '\n';
        reported_ = true;
    }

    fs::path folder_;
    std::ostream& out_;
    NameEncoding chosenEncoding_;
    std::optional<quarnel::NameTable> names_;
    NameEncoding encoding_ = NameEncoding::Cp1252;
    std::string nameFile_;
    std::map<std::string, std::string> names_of_; // lookup key -> the critter's file name
    bool reported_ = false;
};

// check --data: the prototypes of a folder of the tree's merged files, with
// the tree's message file and the folder's list; artCheck: each critter's
// standing picture too.
int RunTreeFolderCheck(const TreeSource& source, const std::string& folder, NameEncoding encoding, bool artCheck,
                       std::ostream& out, std::ostream& err)
{
    const GameTree& tree = source.Tree();
    FolderCheck check(PathFromUtf8(folder), encoding, out);
    PrototypeCheck others(PathFromUtf8(folder), &tree, encoding, out);
    SharedTextIds textIds;
    if (!others.FolderType() || *others.FolderType() == ProtoType::Critter)
        check.ReadTreeNames(tree);
    const std::optional<bool> game =
        tree.Which() == Game::Unknown ? std::nullopt : std::optional<bool>(tree.Which() == Game::Second);
    std::vector<SourceFile> files;
    try {
        files = source.Resolve({folder});
    } catch (const SourceRefusal& refusal) {
        if (refusal.Kind() != RefusalKind::NotFound)
            throw;
        check.NoCritters();
    }
    bool failed = false;
    std::map<std::string, int> critters;
    for (const SourceFile& file : files) {
        const std::string name = FileLabel(file.file.filename());
        try {
            const LoadedPrototype loaded = source.Read(file);
            const ProRecord record = ProRecord::FromBytes(loaded.bytes);
            if (others.Takes(record))
                others.Check(name, record, loaded.sizeText);
            else
                check.Critter(file.file, record, game);
            if (const auto shared = textIds.Note(name, record))
                check.Finding(name, *shared);
            check.Spelling(name);
            critters[GamePathKey(name)] = record.size() >= 4 ? record.Field(1, 3) : -1;
        } catch (const std::exception& error) {
            ReportError(err, file.label, error);
            failed = true;
        }
    }
    check.CheckList(tree, folder, critters);
    check.Count(others.Reported());
    const bool artMissing = artCheck && CheckCritterArt(tree, files, out);
    return failed ? kExitError : check.Reported() || artMissing ? kExitFindings : kExitSuccess;
}

// check --data: the folder given, else every prototype folder the tree has
// (the critters' alone when it has none).
int RunTreeCheck(const CheckOptions& options, std::ostream& out, std::ostream& err)
{
    const std::unique_ptr<TreeSource> source = OpenCommandTree(options.data, err);
    const NameEncoding encoding = NameEncodingFromOption(options.encoding).value_or(NameEncoding::Automatic);
    if (!options.folder.empty())
        return RunTreeFolderCheck(*source, SlashPath(options.folder), encoding, true, out, err);
    std::vector<ProtoType> present;
    for (int type = 0; type < kProtoTypeCount; ++type) {
        const std::string folder = std::string("proto/") + TypeFolder(static_cast<ProtoType>(type));
        if (!source->Tree().List(folder).empty())
            present.push_back(static_cast<ProtoType>(type));
    }
    if (present.empty())
        present.push_back(ProtoType::Critter);
    // The critters first, as the check of the critters alone printed them.
    std::stable_partition(present.begin(), present.end(), [](ProtoType type) { return type == ProtoType::Critter; });
    int status = kExitSuccess;
    for (const ProtoType type : present) {
        const int folderStatus = RunTreeFolderCheck(*source, std::string("proto/") + TypeFolder(type), encoding,
                                                    type == ProtoType::Critter, out, err);
        status = std::max(status, folderStatus);
    }
    return status;
}

} // namespace

void AddCheckOptions(CLI::App& command, CheckOptions& options)
{
    command.add_option("--data", options.data,
                       "check a folder of an install's or a mod's tree (default: every "
                       "prototype folder it has), with its message file and its list");
    command.add_option("FOLDER", options.folder, "a game folder (with --data: a folder of the tree)");
    AddEncodingOption(command, options.encoding);
}

int RunCheck(const CheckOptions& options, std::ostream& out, std::ostream& err)
{
    if (!options.data.empty())
        return RunTreeCheck(options, out, err);
    if (options.folder.empty()) {
        ReportError(err, "check", "FOLDER is required (or --data INSTALL)");
        return kExitError;
    }
    const fs::path folder = PathFromUtf8(options.folder);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        ReportError(err, options.folder, "not a folder");
        return kExitError;
    }
    FolderCheck check(folder, NameEncodingFromOption(options.encoding).value_or(NameEncoding::Automatic), out);
    SharedTextIds textIds;
    PrototypeCheck others(folder, nullptr, NameEncodingFromOption(options.encoding).value_or(NameEncoding::Automatic),
                          out);
    if (!others.FolderType() || *others.FolderType() == ProtoType::Critter)
        check.ReadNameTable();
    const std::optional<bool> folderGame = GameOfFolder(folder, std::nullopt);
    bool failed = false;
    const std::vector<std::string> critters = ListFolderFiles(folder, ".pro");
    if (critters.empty())
        check.NoCritters();
    for (const std::string& name : critters) {
        const fs::path file = folder / PathFromUtf8(name);
        try {
            const ProRecord record = ProRecord::View(file);
            if (others.Takes(record))
                others.Check(FileLabel(file.filename()), record, SizeText(file, record.size()));
            else
                check.Critter(file, record, folderGame);
            if (const auto shared = textIds.Note(FileLabel(file.filename()), record))
                check.Finding(FileLabel(file.filename()), *shared);
        } catch (const std::exception& error) {
            ReportError(err, FileLabel(file), error);
            failed = true;
        }
    }
    check.Count(others.Reported());
    return failed ? kExitError : check.Reported() ? kExitFindings : kExitSuccess;
}

} // namespace quarnel::cli
