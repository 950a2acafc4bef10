// Selecting a row and loading its critter into the window.
#include "editor/Globals.h"
#include "editor/PathText.h"
#include "editor/ReadOnlyRestorer.h"
#include "editor/TForm1.h"
#include "library/CritterNameFile.h"
#include "library/TextEncoding.h"
#include "platform/AppPaths.h"
#include "platform/Utf8.h"
#include "proto/CritterFields.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "platform/IntegerText.h"
#include "rules/SkillFormulas.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>

#include <unordered_map>

namespace quarnel {
namespace {

const char* const kResistancePercent = " %";

} // namespace

std::filesystem::path TForm1::NameTablePath() const
{
    return CritterNameFile(PathFromUtf8(ExecutableFolder() + GameSubDir));
}

void TForm1::ListViewFilesSelectItem(int row, bool selected) { SelectCritter(selected ? row : -1); }

void TForm1::SelectCritter(int row)
{
    if (row < 0 || row >= ListViewFiles->rowCount()) {
        CurrentCritterPath.clear();
        UpdateOtherFieldsAction();
        UpdateCritterStatus();
        return;
    }
    if (!source_->InPlace()) {
        SelectServedCritter(row);
        return;
    }
    CurrentCritterPath = GamePath + ListViewFiles->item(row, 0)->text().toStdString();
    SelectedRowIndex = row;
    const ReadOnlyRestorer readOnlyAfter(PathFromUtf8(CurrentCritterPath));
    LoadCritter(PathFromUtf8(CurrentCritterPath));
}

bool TForm1::CritterLoaded() const
{
    return loadedSize_ != 0 && !CurrentCritterPath.empty() && CurrentCritterPath == loadedPath_;
}

std::optional<ProRecord> TForm1::ReadCritterRecord(const std::filesystem::path& path)
{
    // A critter of a game folder comes from the copy that serves its path;
    // one beside the executable is read where it lies.
    if (source_->InPlace())
        return ProRecord::Read(path);
    if (!ReadServedCritter(path.generic_string()))
        return std::nullopt;
    return ProRecord::FromBytes(loaded_->bytes);
}

void TForm1::ShowCritterPictureAndName(const std::filesystem::path& path, const ProRecord& record)
{
    const std::int32_t textId = record.Field(kTextIdOffset, 4);
    // The picture archive's GIF pictures where the source has one, else the FRM art the FID names.
    if (source_->Pictures())
        ShowCritterPreview(path, record.Field(kFidIndexOffset, 1));
    else
        ShowCritterArt(record);

    if (!source_->InPlace()) {
        EditCritterName->setText(QString::fromStdString(sourceNames_.Text(textId)));
    } else {
        const std::string name =
            LookupCritterName(nameFile_.empty() ? NameTablePath() : nameFile_, std::to_string(textId));
        EditCritterName->setText(QString::fromStdString(DecodeName(name, scan_.encoding)));
    }
}

void TForm1::LoadCritter(const std::filesystem::path& path)
{
    // No change rule runs during a load: the window shows exactly what the
    // file holds, whichever critter was shown before.
    const LoadingScope quiet;
    loadedPath_.clear();
    loadedSize_ = 0;

    // However the load ends, the other-fields item follows what it loaded.
    struct ActionUpdate {
        TForm1& form;
        ~ActionUpdate() { form.UpdateOtherFieldsAction(); }
    } const updateAfter{*this};

    const std::optional<ProRecord> read = ReadCritterRecord(path);
    if (!read || !IsCritterRecordSize(static_cast<long long>(read->size())))
        return;
    const ProRecord& record = *read;

    const std::int32_t textId = record.Field(kTextIdOffset, 4);
    fields_.SetText("EditIDNumber", IntToStr(TextIdToIdNumber(textId)));

    std::unordered_map<std::string, std::int32_t> stored;
    for (const WindowField& field : ProFieldLayout())
        stored[field.control] = record.Field(field.offset, field.width);

    ShowCritterPictureAndName(path, record);
    fields_.SetText("EditCritterPID", IntToStr(std::int64_t(stored["EditCritterPID"]) + kPidDisplayBias));

    for (const WindowField& field : ProFieldLayout()) {
        if (field.conversion == FieldConversion::Gender) {
            const std::int32_t gender = stored[field.control];
            loadedBaseGender_ = gender;
            ComboBoxGender->setCurrentIndex(gender == 0 || gender == 1 ? gender : -1);
        } else if (field.group == FieldGroup::Base || field.group == FieldGroup::Extra ||
                   field.group == FieldGroup::Skill) {
            fields_.SetText(field.control, IntToStr(stored[field.control]));
        }
    }

    auto total = [&](const StatFields& stat) { return Wrap32(std::int64_t(stored[stat.base]) + stored[stat.extra]); };
    for (const StatFields& stat : kPrimaryStats)
        fields_.SetText(stat.total, IntToStr(total(stat)));
    for (const StatFields& stat : kDerivedStats)
        fields_.SetText(stat.total, IntToStr(total(stat)));
    for (int row = 0; row < 2 * kDamageTypeCount; ++row) {
        const bool resistance = row % 2 == 1;
        fields_.SetText(kDamageStats[row].total,
                        IntToStr(total(kDamageStats[row])) + (resistance ? kResistancePercent : ""));
    }
    fields_.SetText(kGenderFields.total, IntToStr(stored["ComboBoxGender"]));
    fields_.SetText("EditExpPoints", IntToStr(stored["EditExpPoints"]));

    std::array<std::int32_t, kPrimaryCount> primaryTotals{};
    for (int i = 0; i < kPrimaryCount; ++i)
        primaryTotals[i] = StrToInt(fields_.Text(kPrimaryStats[i].total));
    const auto skillBases = SkillBaseValues(primaryTotals, IsSecondGame);
    for (int i = 0; i < kSkillCount; ++i)
        fields_.SetText(kSkills[i].base, IntToStr(skillBases[i]));
    for (const StatFields& skill : kSkills)
        fields_.SetText(skill.total, IntToStr(Wrap32(std::int64_t(StrToInt(fields_.Text(skill.base))) +
                                                     StrToInt(fields_.Text(skill.extra)))));

    loadedPath_ = Utf8FromPath(path);
    loadedSize_ = static_cast<long long>(record.size());
}

} // namespace quarnel
