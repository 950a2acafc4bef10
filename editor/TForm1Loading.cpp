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
    if (tree_) {
        SelectTreeCritter(row);
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

    // A critter of a game folder comes from the layer that wins its path.
    if (tree_ && !ReadTreeCritter(path.generic_string()))
        return;
    const ProRecord record = tree_ ? ProRecord::FromBytes(loadedTreeBytes_) : ProRecord::Read(path);
    if (!IsCritterRecordSize(static_cast<long long>(record.size())))
        return;

    const std::int32_t textId = record.Field(kTextIdOffset, 4);
    // The ID number first, as the name lookup below may fail.
    fields_.SetText("EditIDNumber", IntToStr(TextIdToIdNumber(textId)));

    if (tree_)
        ShowTreeCritterPicture(record);
    else
        ShowCritterPreview(path, record.Field(kFidIndexOffset, 1));

    if (tree_) {
        EditCritterName->setText(
            QString::fromStdString(DecodeName(treeNames_.table.Lookup(std::to_string(textId)), treeNames_.encoding)));
    } else {
        const std::string name =
            LookupCritterName(nameFile_.empty() ? NameTablePath() : nameFile_, std::to_string(textId));
        EditCritterName->setText(QString::fromStdString(DecodeName(name, scan_.encoding)));
    }

    FillCritterFields(fields_, record, IsSecondGame);
    const WindowField& gender = GenderField();
    loadedBaseGender_ = record.Field(gender.offset, gender.width);
    ComboBoxGender->setCurrentIndex(loadedBaseGender_ == 0 || loadedBaseGender_ == 1 ? loadedBaseGender_ : -1);

    loadedPath_ = Utf8FromPath(path);
    loadedSize_ = static_cast<long long>(record.size());
}

} // namespace quarnel
