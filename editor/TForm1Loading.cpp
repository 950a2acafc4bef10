// Selecting a row and loading its critter into the window.
#include "editor/Globals.h"
#include "editor/PathText.h"
#include "editor/ReadOnlyRestorer.h"
#include "editor/TForm1.h"
#include "library/CritterNameFile.h"
#include "library/TextEncoding.h"
#include "platform/AppPaths.h"
#include "platform/Utf8.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "platform/IntegerText.h"
#include "rules/CritterSheet.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>

namespace quarnel {
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
    if (!source_->InPlace() && shownType_ != ProtoType::Critter) {
        SelectTypeRow(row);
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
        shownCritterName_ = EditCritterName->text();
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
    // The ID number first, as the name lookup below may fail.
    fields_.SetText("EditIDNumber", IntToStr(TextIdToIdNumber(textId)));

    ShowCritterPictureAndName(path, record);

    FillCritterFields(fields_, record, IsSecondGame);
    const WindowField& gender = GenderField();
    loadedBaseGender_ = record.Field(gender.offset, gender.width);
    ComboBoxGender->setCurrentIndex(loadedBaseGender_ == 0 || loadedBaseGender_ == 1 ? loadedBaseGender_ : -1);

    loadedPath_ = Utf8FromPath(path);
    loadedSize_ = static_cast<long long>(record.size());
}

} // namespace quarnel
