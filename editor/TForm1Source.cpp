// Where the window's critters come from: the source it holds (the folder
// beside the executable, or a game folder), and for a source that serves its
// files through layers, the list, the load of the copy that serves a critter
// and the store of a changed record.
#include "editor/Globals.h"
#include "editor/PathText.h"
#include "editor/TForm1GameFolderLook.h"
#include "editor/TForm1.h"
#include "gamedata/GamePath.h"
#include "platform/AppPaths.h"
#include "platform/ErrorBoundary.h"
#include "platform/IntegerText.h"
#include "platform/UserDialogs.h"
#include "preview/PreviewPictures.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "source/FolderSource.h"
#include "source/TreeSource.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableWidget>

#include <algorithm>
#include <exception>
#include <stdexcept>

namespace quarnel {
namespace {

constexpr int kCellPadding = 12; // the cell's margins and its grid line

QTableWidgetItem* ServedListItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

// The PID number the list shows for a file name; empty for a name that is no number.
QString PidText(const std::string& fileName)
{
    try {
        return QString::number(PidNumberOfFileNumber(FileNumberOf(fileName)));
    } catch (const std::runtime_error&) {
        return QString();
    }
}

} // namespace

const GameTree* TForm1::Tree() const
{
    const auto* tree = dynamic_cast<const TreeSource*>(source_.get());
    return tree ? &tree->Tree() : nullptr;
}

void TForm1::UseBesideFolder()
{
    // The picture archive is the same for both games: what was read of it stays known.
    std::unique_ptr<PreviewPictures> pictures;
    if (auto* folder = dynamic_cast<FolderSource*>(source_.get()))
        pictures = folder->TakePictures();
    GameFolderFiles files{PathFromUtf8(GamePath), PathFromUtf8(ExecutableFolder()) / "frm_critters.zip", TempFolder()};
    source_ = std::make_unique<FolderSource>(std::move(files), std::move(pictures));
}

void TForm1::ScanSourceNames()
{
    sourceNames_ = {};
    try {
        sourceNames_ = source_->Names(shownType_, nameEncoding_);
    } catch (const std::runtime_error&) {
        // An unreadable name file: the list is still filled, without names.
        ReportCurrentException();
        return;
    }
    // A damaged message file still gives the names before its fault.
    if (!sourceNames_.names.error.empty())
        Dialogs().ShowError(WithFullStop(sourceNames_.names.error));
}

void TForm1::FillServedCritterList()
{
    const std::string current = CurrentCritterPath;
    const std::vector<SourceEntry> critters = source_->List(ProtoType::Critter);
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ListViewFiles->setUpdatesEnabled(false);
        ListViewFiles->setSortingEnabled(false);
        ListViewFiles->clearSelection();
        ListViewFiles->setRowCount(0);
        ListViewFiles->setRowCount(static_cast<int>(critters.size()));
        for (int row = 0; row < static_cast<int>(critters.size()); ++row) {
            const SourceEntry& critter = critters[std::size_t(row)];
            auto* file = ServedListItem(QString::fromStdString(critter.fileName));
            file->setData(Qt::UserRole, QString::fromStdString(critter.file.label));
            ListViewFiles->setItem(row, 0, file);
            ListViewFiles->setItem(row, 1, ServedListItem(QString()));
            ListViewFiles->setItem(row, 2, ServedListItem(PidText(critter.fileName)));
            ShowServedRow(row, critter.textId, critter.recordSize);
        }
        ListViewFiles->sortItems(0, Qt::AscendingOrder);
        FitFileNameColumn(critters);
        ListViewFiles->setUpdatesEnabled(true);
        QApplication::restoreOverrideCursor();
    }
    // The critter shown before is selected again wherever its row is now (a
    // save may have given its path another case); else the row index serves.
    int row = SelectedRowIndex;
    if (!current.empty())
        for (int r = 0; r < ListViewFiles->rowCount(); ++r)
            if (SameGamePath(ListViewFiles->item(r, 0)->data(Qt::UserRole).toString().toStdString(), current))
                row = r;
    if (row >= 0 && row < ListViewFiles->rowCount())
        ListViewFiles->selectRow(row);
    else
        UpdateCritterStatus();
}

void TForm1::FitFileNameColumn(const std::vector<SourceEntry>& critters)
{
    // The widest name (an archive's are upper case) shown whole; the name
    // column gives up what the file column takes, so the list keeps its width.
    const QFontMetrics metrics(ListViewFiles->font());
    int widest = 0;
    for (const SourceEntry& critter : critters)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(critter.fileName)));
    const int wanted = std::max(kFileColumnWidth, widest + kCellPadding);
    ListViewFiles->setColumnWidth(0, wanted);
    ListViewFiles->setColumnWidth(1, std::max(kNameColumnWidth - (wanted - kFileColumnWidth), kFileColumnWidth));
}

void TForm1::ShowServedRow(int row, std::optional<std::int32_t> textId, std::size_t recordSize)
{
    QString nameText = textId ? QString::fromStdString(sourceNames_.Text(*textId)) : QString();
    // The second game reads 416 bytes: a first game's record is marked.
    const bool firstGameRecord = IsSecondGame && recordSize == std::size_t(kFirstGameRecordSize);
    if (firstGameRecord)
        nameText += QString::fromUtf8(kFirstGameRecordMark);
    const QString tip = firstGameRecord ? QString::fromUtf8(kFirstGameRecordTip) : QString();
    ListViewFiles->item(row, 1)->setText(nameText);
    for (int column = 0; column < ListViewFiles->columnCount(); ++column)
        if (QTableWidgetItem* item = ListViewFiles->item(row, column))
            item->setToolTip(tip);
}

void TForm1::SelectServedCritter(int row)
{
    CurrentCritterPath = ListViewFiles->item(row, 0)->data(Qt::UserRole).toString().toStdString();
    SelectedRowIndex = row;
    // The status names the layer even when the load then fails. Viewing
    // never changes a file of the tree, not even its attributes.
    loadFailure_.clear();
    UpdateCritterStatus();
    LoadCritter(PathFromUtf8(CurrentCritterPath));
    UpdateCritterStatus();
}

bool TForm1::ReadServedCritter(const std::string& path)
{
    loaded_.reset();
    loadFailure_.clear();
    std::string why;
    try {
        LoadedPrototype loaded = source_->Read({PathFromUtf8(path), path});
        if (IsCritterRecordSize(static_cast<long long>(loaded.bytes.size()))) {
            loaded_ = std::move(loaded);
            return true;
        }
        why = "it has " + std::to_string(loaded.bytes.size()) + " bytes, a critter file has 412 or 416";
    } catch (const std::runtime_error& error) {
        why = error.what();
    }
    ClearCritterForm(why);
    return false;
}

void TForm1::ClearCritterForm(const std::string& why)
{
    // Nothing of the critter shown before stays under the new one's status.
    for (QLineEdit* field : findChildren<QLineEdit*>()) {
        if (field == Edit_Search)
            continue;
        const QSignalBlocker quiet(field);
        field->clear();
    }
    Edit1->setToolTip(QString());
    {
        const QSignalBlocker quiet(ComboBoxGender);
        ComboBoxGender->setCurrentIndex(-1);
    }
    ClearPicture();
    loadFailure_ = why;
    UpdateCritterStatus();
}

bool TForm1::StoreServedCritter(const std::function<void(ProRecord&)>& edit)
{
    // The copy written into must be the one loaded: a file another program
    // wrote or changed since then is never replaced by what the window shows.
    staleSaveRefused_ = false;
    if (const std::optional<SourceRefusal> change = source_->CopyChange(*loaded_)) {
        staleSaveRefused_ = true;
        Dialogs().ShowMessage(std::string(change->what()) + ", so nothing was saved. It is loaded again.");
        return false;
    }
    ProRecord record = ProRecord::FromBytes(loaded_->bytes);
    edit(record);
    if (record.bytes() == loaded_->bytes)
        return true; // nothing changed: nothing to store, nothing to ask
    bool force = false;
    // The copy serving the critter was just found to be the one loaded: the
    // question and the write need not look it up or read it again.
    if (const auto question = source_->CheckedWriteQuestion(*loaded_)) {
        if (!Dialogs().AskYesNo(*question))
            return false;
        force = true;
    }
    try {
        source_->WriteChecked(*loaded_, record.bytes(), force);
    } catch (const SourceRefusal& refusal) {
        // A write the file system refused is named as the file system named it.
        std::rethrow_if_nested(refusal);
        throw;
    }
    return true;
}

void TForm1::ReloadServedCritter()
{
    const int row = SelectedRowIndex;
    if (row < 0 || row >= ListViewFiles->rowCount() || CurrentCritterPath.empty())
        return;
    source_->Refresh({PathFromUtf8(CurrentCritterPath), CurrentCritterPath});
    SelectServedCritter(row);
    // The row follows the record now loaded: its name and its size mark.
    std::optional<std::int32_t> textId;
    if (CritterLoaded())
        textId = ProRecord::FromBytes(loaded_->bytes).Field(kTextIdOffset, 4);
    ShowServedRow(row, textId, CritterLoaded() ? std::size_t(loadedSize_) : 0);
}

} // namespace quarnel
