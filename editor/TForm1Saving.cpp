// Saving and cancelling, the step buttons, the gender box and the
// base-value mode.
#include "editor/FieldLook.h"
#include "editor/Globals.h"
#include "editor/SaveRefusals.h"
#include "editor/TForm1.h"
#include "platform/UserDialogs.h"
#include "proto/ChangedSpanWriter.h"
#include "proto/CritterFields.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "platform/IntegerText.h"
#include "rules/CritterSheet.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>

#include <optional>
#include <vector>

namespace quarnel {
namespace {

// The 49 base fields of the base-value mode, in the order both menu items visit them.
std::vector<const char*> BaseModeFields()
{
    std::vector<const char*> names;
    for (const auto& skill : kSkills)
        names.push_back(skill.base);
    for (const auto& stat : kDamageStats)
        names.push_back(stat.base);
    for (const auto& stat : kDerivedStats)
        names.push_back(stat.base);
    for (const auto& stat : kPrimaryStats)
        names.push_back(stat.base);
    return names;
}

} // namespace

void TForm1::BitBtnSaveClick()
{
    if (shownType_ != ProtoType::Critter) {
        // Another type's record is written whole from its form; the row and the
        // prototype follow what the disk holds afterwards, saved or refused as stale.
        staleSaveRefused_ = false;
        if (!SaveTypePrototype() && !staleSaveRefused_)
            return;
        LeaveEditingMode();
        ReloadTypeRow();
        ListViewFiles->setFocus();
        return;
    }
    if (HasInvalidField) {
        Dialogs().ShowMessage("Check red fields!");
        return;
    }
    staleSaveRefused_ = false;
    if (!SaveCritter(PathFromUtf8(CurrentCritterPath))) {
        if (staleSaveRefused_) {
            LeaveEditingMode();
            ReloadServedCritter();
        }
        return;
    }
    LeaveEditingMode();
    // A game folder's list changes in the saved row only.
    if (source_->InPlace())
        FillCritterList();
    else
        ReloadServedCritter();
    ListViewFiles->setFocus();
}

bool TForm1::SaveCritter(const std::filesystem::path& path)
{
    if (path.empty()) {
        Dialogs().ShowMessage(NoCritterSelectedText());
        return false;
    }
    if (Utf8FromPath(path) != loadedPath_ || loadedSize_ == 0) {
        Dialogs().ShowMessage(NotLoadedText(path));
        return false;
    }

    // Every text is converted before anything is written: a text that is not
    // an integer stops the save with the file exactly as it was.
    const int index = ComboBoxGender->currentIndex();
    const std::vector<SavedValue> values =
        SavedFieldValues(fields_, index >= 0 ? std::optional<std::int32_t>(index) : std::nullopt);
    auto setFields = [&](ProRecord& record) { StoreSavedValues(record, values); };
    if (!source_->InPlace())
        return StoreServedWithNames(setFields);

    // One opening of the file: the record is read, every field set in memory,
    // and the changed span written back in one write, so a failure cannot
    // leave it half written.
    if (WriteChangedSpan(path, {static_cast<std::size_t>(loadedSize_)}, setFields) == SpanWrite::OtherSize) {
        Dialogs().ShowMessage(ChangedSizeText(path));
        return false;
    }
    return true;
}

void TForm1::BitBtnCancelClick()
{
    if (shownType_ != ProtoType::Critter) {
        // The prototype is loaded again from the disk, as stored.
        LeaveEditingMode();
        FillCritterList();
        ListViewFiles->setFocus();
        return;
    }
    for (QLineEdit* field : findChildren<QLineEdit*>())
        SetFieldColor(field, kCream);
    HasInvalidField = false;
    SetStepButtonsEnabled(true);
    LeaveEditingMode();
    FillCritterList();
    ListViewFiles->setFocus();
}

void TForm1::StepPrimaryStatistic(int statistic, int delta)
{
    const StatFields& stat = kPrimaryStats[statistic];
    fields_.SetText(stat.base, IntToStr(Wrap32(std::int64_t(StrToInt(fields_.Text(stat.base))) + delta)));
    if (StrToInt(fields_.Text(stat.base)) <= 0)
        fields_.SetText(stat.base, "1");
    if (StrToInt(fields_.Text(stat.base)) > 10)
        fields_.SetText(stat.base, "10");
    const std::int64_t total = std::int64_t(StrToInt(fields_.Text(stat.base))) + StrToInt(fields_.Text(stat.extra));
    fields_.SetText(stat.total, IntToStr(Wrap32(total)));
    EnterEditingMode(true);
}

void TForm1::ComboBoxGenderChange()
{
    if (IsLoading)
        return;
    EnterEditingMode(true);
}

void TForm1::Enable1Click()
{
    Enable1->setChecked(true);
    Disable1->setChecked(false);
    SetBaseFieldsEnabled(true);
}

void TForm1::Disable1Click()
{
    Disable1->setChecked(true);
    Enable1->setChecked(false);
    SetBaseFieldsEnabled(false);
}

void TForm1::SetBaseFieldsEnabled(bool enabled)
{
    for (const char* name : BaseModeFields())
        Edit(name)->setEnabled(enabled);
}

} // namespace quarnel
