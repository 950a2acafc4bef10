// The critter list: scan, fill, search, the game switch and the conversion tool.
#include "editor/FieldLook.h"
#include "editor/Globals.h"
#include "editor/PathText.h"
#include "editor/TForm1.h"
#include "editor/UserSettings.h"
#include "library/GameFolderScan.h"
#include "library/TextEncoding.h"
#include "platform/AppPaths.h"
#include "platform/Utf8.h"
#include "platform/ErrorBoundary.h"
#include "platform/FileAttributes.h"
#include "platform/FolderListing.h"
#include "platform/UserDialogs.h"
#include "proto/ProLayout.h"
#include "platform/IntegerText.h"
#include "tools/FirstGameConversion.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

namespace quarnel {
namespace {

constexpr int kSearchRowOffset = 100; // a found row stands this far below the list's top
const char* const kSearchRefusedTip = "Save or cancel the changes first: the list is locked while a critter is edited.";

// Shows the wait cursor and a frozen list for the lifetime of the object.
class ListFillScope {
public:
    explicit ListFillScope(QTableWidget* list) : list_(list)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        list_->setUpdatesEnabled(false);
        list_->setSortingEnabled(false);
    }
    ~ListFillScope()
    {
        list_->setUpdatesEnabled(true);
        QApplication::restoreOverrideCursor();
    }
    ListFillScope(const ListFillScope&) = delete;
    ListFillScope& operator=(const ListFillScope&) = delete;

private:
    QTableWidget* list_;
};

QTableWidgetItem* ListItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

} // namespace

void TForm1::ScanGameFolder()
{
    if (!source_->InPlace()) {
        ScanSourceNames();
        return;
    }
    scan_ = {};
    // The name file is chosen once per scan: finding a pro_crit.msg lists the
    // folder, which a load of one critter should not do.
    nameFile_ = NameTablePath();
    scan_ = ::quarnel::ScanGameFolder(PathFromUtf8(GamePath), nameFile_, TempFolder(), nameEncoding_);
    // A damaged message file still gives the names before its fault.
    if (!scan_.namesError.empty())
        Dialogs().ShowError(WithFullStop(scan_.namesError));
}

void TForm1::FillCritterList()
{
    if (!source_->InPlace()) {
        if (shownType_ == ProtoType::Critter)
            FillServedCritterList();
        else
            FillTypeList();
        return;
    }
    // The folder beside the executable is listed as the games' editor always
    // listed it: its files in place, the names through the scan's scratch files.
    const ListingNames names(scan_, ReadNamesFile(TempFolder()));
    // The file shown before the fill, as a caption of this folder's list.
    QString currentCaption;
    if (!CurrentCritterPath.empty() && CurrentCritterPath.starts_with(GamePath))
        currentCaption = QString::fromStdString(CurrentCritterPath.substr(GamePath.size()));
    {
        const ListFillScope frozen(ListViewFiles);
        SetReadOnlyOnly(PathFromUtf8(CurrentCritterPath));
        ListViewFiles->clearSelection();
        ListViewFiles->setRowCount(0);
        for (const std::string& file : ListFolderFiles(PathFromUtf8(GamePath), ".pro")) {
            const std::int32_t pid = Wrap32(std::int64_t(kPidDisplayBias) + FileNumberOf(file));
            const int row = ListViewFiles->rowCount();
            ListViewFiles->insertRow(row);
            ListViewFiles->setItem(row, 0, ListItem(QString::fromStdString(file)));
            ListViewFiles->setItem(row, 1,
                                   ListItem(QString::fromStdString(DecodeName(names.NameOf(file), scan_.encoding))));
            ListViewFiles->setItem(row, 2, ListItem(QString::number(pid)));
        }
        ListViewFiles->sortItems(0, Qt::AscendingOrder);
    }
    // The file that was shown is selected again wherever its row is now; the
    // row index serves only when that file is gone (or another folder is listed).
    int row = SelectedRowIndex;
    for (int r = 0; r < ListViewFiles->rowCount() && !currentCaption.isEmpty(); ++r)
        if (ListViewFiles->item(r, 0)->text() == currentCaption)
            row = r;
    if (row >= 0 && row < ListViewFiles->rowCount())
        ListViewFiles->selectRow(row);
}

bool TForm1::SearchCritterList(QTableWidget* list, const QString& text, int startRow)
{
    const int column = CheckBox1->isChecked() ? 2 : 1;
    if (text.size() < 2)
        return false;
    list->clearSelection();
    const QString needle = text.toLower();
    for (int row = std::max(startRow, 0); row < list->rowCount(); ++row) {
        const bool matches = list->item(row, 0)->text().toLower().contains(needle) ||
                             list->item(row, column)->text().toLower().contains(needle);
        if (!matches)
            continue;
        list->setFocus();
        list->selectRow(row);
        QScrollBar* bar = list->verticalScrollBar();
        bar->setValue(bar->value() + list->visualItemRect(list->item(row, 0)).top() - kSearchRowOffset);
        return true;
    }
    return false;
}

void TForm1::BitBtn_SearchClick()
{
    // While a critter is being edited the list is locked: a search would lose
    // the file being edited, so it is refused and the box says why.
    if (!ListViewFiles->isEnabled()) {
        SetFieldColor(Edit_Search, kSearchNotFound);
        Edit_Search->setToolTip(kSearchRefusedTip);
        return;
    }
    Edit_Search->setToolTip(QString());
    int startRow = 0;
    const QList<QTableWidgetItem*> selected = ListViewFiles->selectedItems();
    if (!selected.isEmpty())
        startRow = selected.first()->row() + 1;
    if (startRow == ListViewFiles->rowCount())
        startRow = 0;
    const bool found = SearchCritterList(ListViewFiles, Edit_Search->text(), startRow);
    SetFieldColor(Edit_Search, found ? kSearchFound : kSearchNotFound);
    BitBtn_Search->setFocus();
}

void TForm1::Edit_SearchKeyPress()
{
    BitBtn_SearchClick();
    BitBtn_Search->setFocus();
}

void TForm1::Edit_SearchClick() { SetFieldColor(Edit_Search, kWhite); }

void TForm1::RadioGroup1Click()
{
    ApplyGameChoice(RadioGroup1ItemIndex());
    // IsLoading is cleared however the switch ends, so that the rules stay alive.
    const LoadingScope quiet;
    std::string folder = ExecutableFolder();
    folder.pop_back();
    GamePath = folder + GameSubDir;
    UseBesideFolder();
    const bool scanned = RunGuarded([this] { ScanGameFolder(); });
    BitBtnSave->setEnabled(false);
    BitBtnCancel->setEnabled(false);
    Zapisz1->setEnabled(false);
    ListViewFiles->setEnabled(true);
    if (scanned) {
        FillCritterList();
    } else {
        // The rows of the other game's folder must not stay clickable.
        ListViewFiles->clearSelection();
        ListViewFiles->setRowCount(0);
    }
}

void TForm1::NameEncodingClick(NameEncoding encoding)
{
    nameEncoding_ = encoding;
    WriteNameEncodingSetting(encoding);
    // The names are read again at once, as a game switch reads them: the
    // list is filled anew and the shown file selected (and loaded) again.
    const LoadingScope quiet;
    if (RunGuarded([this] { ScanGameFolder(); })) {
        FillCritterList();
    } else {
        ListViewFiles->clearSelection();
        ListViewFiles->setRowCount(0);
    }
}

void TForm1::KonwertujFO1doFO2412do4161Click() { ConvertFirstGameFiles(PathFromUtf8(GamePath), Dialogs()); }

} // namespace quarnel
