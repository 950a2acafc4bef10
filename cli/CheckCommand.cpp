// check: what a modder wants to know about a folder before shipping it.
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/CritterFiles.h"
#include "cli/RecordText.h"
#include "library/CritterNameFile.h"
#include "platform/FolderListing.h"
#include "platform/Utf8.h"
#include "proto/CritterFields.h"

#include <cstdio>
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
        try {
            CritterNames loaded = LoadCritterNames(file, chosenEncoding_);
            // The fault where the games stop reading the file, named once with its line.
            if (loaded.fault)
                Report(MessageFaultPlace(label, *loaded.fault), loaded.fault->what);
            names_ = std::move(loaded.table);
            encoding_ = loaded.encoding;
            nameFile_ = label;
        } catch (const std::exception& error) {
            Report(label, std::string(error.what()) + ": the names of the text IDs are not checked");
        }
    }

    void Critter(const fs::path& file, const ProRecord& record, bool secondGame)
    {
        const std::string label = FileLabel(file.filename());
        if (!IsCritterRecordSize(static_cast<long long>(record.size()))) {
            Report(label, std::to_string(record.size()) + " bytes, not a critter prototype (412 or 416 bytes)");
            return;
        }
        auto value = [&](const std::string& key) { return FieldValue(record, FieldByKey(key)); };
        if (const auto number = FileNumber(file); number && *number != value("pid"))
            Report(label, "pid = " + std::to_string(value("pid")) + ", the file name says " + std::to_string(*number));
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

    bool Reported() const { return reported_; }

private:
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
    bool reported_ = false;
};

} // namespace

int RunCheck(const CheckOptions& options, std::ostream& out, std::ostream& err)
{
    const fs::path folder = PathFromUtf8(options.folder);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        ReportError(err, options.folder, "not a folder");
        return kExitError;
    }
    FolderCheck check(folder, NameEncodingFromOption(options.encoding).value_or(NameEncoding::Automatic), out);
    check.ReadNameTable();
    const std::optional<bool> folderGame = GameOfFolder(folder, std::nullopt);
    bool failed = false;
    for (const std::string& name : ListFolderFiles(folder, ".pro")) {
        const fs::path file = folder / PathFromUtf8(name);
        try {
            const ProRecord record = ProRecord::View(file);
            check.Critter(file, record, folderGame.value_or(IsSecondGameSize(record.size())));
        } catch (const std::exception& error) {
            ReportError(err, FileLabel(file), error);
            failed = true;
        }
    }
    return failed ? kExitError : check.Reported() ? kExitFindings : kExitSuccess;
}

} // namespace quarnel::cli
