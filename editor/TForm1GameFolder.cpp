// The window on a game's file tree (an install or a mod's tree): opening and
// closing it, the recent folders, the list of its merged proto/critters, the
// status bar that names a critter's layer, and saving into its override folder.
#include "editor/FieldLook.h"
#include "editor/Globals.h"
#include "editor/PathText.h"
#include "editor/SaveRefusals.h"
#include "editor/TForm1.h"
#include "editor/UserSettings.h"
#include "gamedata/GamePath.h"
#include "gamedata/OverrideWriter.h"
#include "library/TreeCritterList.h"
#include "platform/AppPaths.h"
#include "platform/ErrorBoundary.h"
#include "platform/Errors.h"
#include "platform/UserDialogs.h"
#include "preview/PreviewPictures.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "platform/IntegerText.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStringList>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <stdexcept>

namespace quarnel {
namespace {

constexpr int kFirstGameIndex = 0;
constexpr int kSecondGameIndex = 1;
constexpr std::uint8_t kStandingView = 2;       // the view a picture starts at, as in the folders beside the program
const char* const kLayerSeparator = " \u2014 "; // between a path and its layer, and the caption and the folder
constexpr int kFileColumnWidth = 85;            // the list's columns as laid out
constexpr int kNameColumnWidth = 143;
constexpr int kCellPadding = 12; // the cell's margins and its grid line
const char* const kFirstGameRecordMark = " (412 bytes)";
const char* const kFirstGameRecordTip = "412 bytes: a first game's record, the second game reads 416";

QTableWidgetItem* TreeListItem(const QString& text)
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

// The game switch's item for a tree: its own game; a mod's tree tells it by
// the size of its first critter; else the switch keeps its item.
int GameIndexOf(const GameTree& tree, int current)
{
    if (tree.Which() == Game::First)
        return kFirstGameIndex;
    if (tree.Which() == Game::Second)
        return kSecondGameIndex;
    for (const Holding& holding : tree.List(kTreeCritterFolder)) {
        if (holding.size == kFirstGameRecordSize)
            return kFirstGameIndex;
        if (holding.size == kSecondGameRecordSize)
            return kSecondGameIndex;
    }
    return current;
}

} // namespace

std::filesystem::path TForm1::GameFolderFromArguments(const QStringList& arguments)
{
    if (arguments.size() < 2 || arguments.at(1).isEmpty())
        return {};
    return ToPath(QString::fromStdString(NormalFolderText(arguments.at(1).toStdString())));
}

void TForm1::OpenGameFolder1Click()
{
    const auto folder = Dialogs().AskFolder("Open game folder");
    if (folder)
        OpenGameFolder(ToPath(QString::fromStdString(*folder)));
}

bool TForm1::OpenGameFolder(const std::filesystem::path& given)
{
    // One spelling of each folder: absolute, without "..", no separator at the end.
    const std::filesystem::path folder =
        ToPath(QString::fromStdString(NormalFolderText(ToQString(given).toStdString())));
    std::unique_ptr<GameTree> tree;
    try {
        tree = std::make_unique<GameTree>(GameTree::Open(folder));
    } catch (const std::runtime_error& error) {
        // Neither an install nor a mod's tree: the window stays as it was.
        Dialogs().ShowError(WithFullStop(error.what()));
        return false;
    }
    // The archives that could not be read are named once; the rest of the tree opens.
    if (!tree->Warnings().empty()) {
        std::string text = "Left out, because they could not be read:";
        for (const std::string& warning : tree->Warnings())
            text += "\n" + warning;
        Dialogs().ShowError(WithFullStop(text));
    }
    ClearPicture();
    art_.reset(); // it reads through the tree it was made for
    tree_ = std::move(tree);
    art_ = std::make_unique<CritterArtSource>(*tree_);
    AddRecentGameFolder(ToQString(tree_->Folder()).toStdString());
    RebuildRecentGameFolders();

    const LoadingScope quiet;
    ShowGameFolderState();
    SelectedRowIndex = 0;
    CurrentCritterPath.clear();
    BitBtnSave->setEnabled(false);
    BitBtnCancel->setEnabled(false);
    Zapisz1->setEnabled(false);
    ListViewFiles->setEnabled(true);
    RunGuarded([this] { ScanGameFolder(); });
    RunGuarded([this] { FillCritterList(); });
    if (ListViewFiles->rowCount() == 0) {
        ClearPicture();
        Edit1->clear();
        UpdateCritterStatus();
    }
    return true;
}

void TForm1::CloseGameFolder()
{
    if (!tree_)
        return;
    ClearPicture();
    art_.reset();
    tree_.reset();
    treeNames_ = {};
    namesMissing_.clear();
    ListViewFiles->setColumnWidth(0, kFileColumnWidth);
    ListViewFiles->setColumnWidth(1, kNameColumnWidth);
    ShowGameFolderState();
    // As at start: the second game's folder beside the executable, its first row.
    {
        const QSignalBlocker quiet(RadioGroup1Items);
        RadioGroup1Items->button(kSecondGameIndex)->setChecked(true);
    }
    SelectedRowIndex = 0;
    CurrentCritterPath.clear();
    RadioGroup1Click();
}

void TForm1::ShowGameFolderState()
{
    const bool open = tree_ != nullptr;
    setWindowTitle(open ? versionCaption_ + QString::fromUtf8(kLayerSeparator) + ToQString(tree_->Folder())
                        : versionCaption_);
    CloseGameFolder1->setEnabled(open);
    RadioGroup1->setEnabled(!open);
    if (open) {
        const int index = GameIndexOf(*tree_, RadioGroup1ItemIndex());
        {
            const QSignalBlocker quiet(RadioGroup1Items);
            if (QAbstractButton* item = RadioGroup1Items->button(index))
                item->setChecked(true);
        }
        ApplyGameChoice(index);
    }
    // The conversion works on the folders beside the executable only.
    KonwertujFO1doFO2412do4161->setEnabled(!open && !IsSecondGame);

    // The status bar is there only while a folder is open; the client area keeps its size.
    const bool smallest = size() == minimumSize();
    if (open && !StatusBar1) {
        StatusBar1 = new QStatusBar(this);
        StatusBar1->setObjectName("StatusBar1");
        StatusLabel1 = new QLabel(StatusBar1);
        StatusLabel1->setObjectName("StatusLabel1");
        StatusBar1->addWidget(StatusLabel1, 1);
        setStatusBar(StatusBar1);
    } else if (!open && StatusBar1) {
        setStatusBar(nullptr); // deletes the bar and its label
        StatusBar1 = nullptr;
        StatusLabel1 = nullptr;
    }
    const int barHeight = StatusBar1 ? StatusBar1->sizeHint().height() : 0;
    setMinimumSize(centralWidget()->minimumWidth(),
                   centralWidget()->minimumHeight() + menuBar()->sizeHint().height() + barHeight);
    if (smallest || height() < minimumHeight())
        resize(smallest ? minimumSize() : QSize(width(), minimumHeight()));
}

void TForm1::RebuildRecentGameFolders()
{
    RecentGameFolders1->clear();
    for (const std::string& folder : ReadRecentGameFolders()) {
        QAction* item = RecentGameFolders1->addAction(QString::fromStdString(folder));
        connect(item, &QAction::triggered, this, [this, folder] { RunGuarded([&] { OpenRecentGameFolder(folder); }); });
    }
    RecentGameFolders1->menuAction()->setEnabled(!RecentGameFolders1->isEmpty() && OpenGameFolder1->isEnabled());
}

void TForm1::OpenRecentGameFolder(const std::string& folder)
{
    const std::filesystem::path path = ToPath(QString::fromStdString(folder));
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) {
        // A folder moved or deleted since: said once, and taken off the list.
        Dialogs().ShowError(folder + " no longer exists; it is taken off the recent game folders.");
        RemoveRecentGameFolder(folder);
        RebuildRecentGameFolders();
        return;
    }
    OpenGameFolder(path);
}

void TForm1::ScanTreeNames()
{
    treeNames_ = {};
    // Without the game's name file the name column stays empty: the status bar says why.
    namesMissing_.clear();
    if (!tree_->MessageFile("pro_crit.msg"))
        namesMissing_ = "no text/" + tree_->Language() + "/game/pro_crit.msg, so no names";
    try {
        treeNames_ = LoadTreeCritterNames(*tree_, nameEncoding_);
    } catch (const std::runtime_error&) {
        // An unreadable name file: the list is still filled, without names.
        ReportCurrentException();
        return;
    }
    // A damaged message file still gives the names before its fault.
    if (!treeNames_.error.empty())
        Dialogs().ShowError(WithFullStop(treeNames_.error));
}

void TForm1::FillTreeCritterList()
{
    const std::string current = CurrentCritterPath;
    const std::vector<TreeCritter> critters = ListTreeCritters(*tree_);
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ListViewFiles->setUpdatesEnabled(false);
        ListViewFiles->setSortingEnabled(false);
        ListViewFiles->clearSelection();
        ListViewFiles->setRowCount(0);
        ListViewFiles->setRowCount(static_cast<int>(critters.size()));
        for (int row = 0; row < static_cast<int>(critters.size()); ++row) {
            const TreeCritter& critter = critters[std::size_t(row)];
            auto* file = TreeListItem(QString::fromStdString(critter.fileName));
            file->setData(Qt::UserRole, QString::fromStdString(critter.path));
            ListViewFiles->setItem(row, 0, file);
            ListViewFiles->setItem(row, 1, TreeListItem(QString()));
            ListViewFiles->setItem(row, 2, TreeListItem(PidText(critter.fileName)));
            ShowTreeRow(row, critter.textId, critter.recordSize);
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

void TForm1::FitFileNameColumn(const std::vector<TreeCritter>& critters)
{
    // The widest name (an archive's are upper case) shown whole; the name
    // column gives up what the file column takes, so the list keeps its width.
    const QFontMetrics metrics(ListViewFiles->font());
    int widest = 0;
    for (const TreeCritter& critter : critters)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(critter.fileName)));
    const int wanted = std::max(kFileColumnWidth, widest + kCellPadding);
    ListViewFiles->setColumnWidth(0, wanted);
    ListViewFiles->setColumnWidth(1, std::max(kNameColumnWidth - (wanted - kFileColumnWidth), kFileColumnWidth));
}

void TForm1::ShowTreeRow(int row, std::optional<std::int32_t> textId, std::size_t recordSize)
{
    const std::string name = textId ? treeNames_.table.Lookup(IntToStr(*textId)) : std::string();
    QString nameText = QString::fromStdString(DecodeName(name, treeNames_.encoding));
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

void TForm1::SelectTreeCritter(int row)
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

bool TForm1::ReadTreeCritter(const std::string& path)
{
    loadedTreeBytes_.clear();
    loadedTreeLayer_ = nullptr;
    loadFailure_.clear();
    std::string why;
    try {
        // The bytes and the layer of one lookup, so that they belong together.
        if (const std::optional<Holding> winner = tree_->Find(path)) {
            std::vector<std::uint8_t> bytes = winner->layer->Read(winner->path);
            if (IsCritterRecordSize(static_cast<long long>(bytes.size()))) {
                loadedTreeBytes_ = std::move(bytes);
                loadedTreeLayer_ = winner->layer;
                return true;
            }
            why = "it has " + std::to_string(bytes.size()) + " bytes, a critter file has 412 or 416";
        } else {
            why = "no layer of the game folder holds it any more";
        }
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

void TForm1::UpdateCritterStatus()
{
    if (!StatusLabel1)
        return;
    QString text;
    if (tree_ && !CurrentCritterPath.empty()) {
        if (const auto winner = tree_->Find(CurrentCritterPath))
            text = QString::fromStdString(winner->path) + QString::fromUtf8(kLayerSeparator) +
                   QString::fromStdString(winner->layer->Name());
        else
            text = QString::fromStdString(CurrentCritterPath);
        if (!loadFailure_.empty())
            text += QString::fromUtf8(kLayerSeparator) + "not loaded: " + QString::fromStdString(loadFailure_);
        else if (CritterLoaded() && IsSecondGame && loadedSize_ == kFirstGameRecordSize)
            text += QString::fromUtf8(kLayerSeparator) + QString::fromUtf8(kFirstGameRecordTip);
    }
    if (tree_ && !namesMissing_.empty())
        text +=
            (text.isEmpty() ? QString() : QString::fromUtf8(kLayerSeparator)) + QString::fromStdString(namesMissing_);
    StatusLabel1->setText(text);
}

void TForm1::RefreshTreeListing(const std::string& path)
{
    for (const Layer* layer : tree_->LayersFor(path))
        if (const auto* folder = dynamic_cast<const FolderLayer*>(layer))
            folder->Forget(); // the override folder among them
}

std::optional<std::string> TForm1::LoadedCopyChange(const std::string& path)
{
    RefreshTreeListing(path);
    const std::string file = PathFromUtf8(path).filename().string();
    const std::string loadedFrom = loadedTreeLayer_ ? loadedTreeLayer_->Name() : std::string("?");
    const char* const after = ", so nothing was saved. It is loaded again.";
    const std::optional<Holding> winner = tree_->Find(path);
    if (!winner)
        return file + " is no longer in the game folder (it was loaded from " + loadedFrom + ")" + after;
    if (winner->layer != loadedTreeLayer_)
        return file + " is now read from " + winner->layer->Name() + ", not from " + loadedFrom +
               " where it was loaded from" + after;
    std::vector<std::uint8_t> now;
    try {
        now = winner->layer->Read(winner->path);
    } catch (const std::runtime_error& error) {
        return file + " can no longer be read from " + loadedFrom + " (" + error.what() + ")" + after;
    }
    if (now != loadedTreeBytes_)
        return file + " in " + loadedFrom + " was changed since it was loaded" + after;
    return std::nullopt;
}

bool TForm1::SaveTreeCritter(const std::string& path, const std::function<void(ProRecord&)>& edit)
{
    // The copy written into must be the one loaded: a file another program
    // wrote or changed since then is never replaced by what the window shows.
    staleSaveRefused_ = false;
    if (const std::optional<std::string> change = LoadedCopyChange(path)) {
        staleSaveRefused_ = true;
        Dialogs().ShowMessage(*change);
        return false;
    }
    ProRecord record = ProRecord::FromBytes(loadedTreeBytes_);
    edit(record);
    if (record.bytes() == loadedTreeBytes_)
        return true; // nothing changed: nothing to store, nothing to ask
    bool force = false;
    if (const auto question = ShadowedSaveQuestion(*tree_, path)) {
        if (!Dialogs().AskYesNo(*question))
            return false;
        force = true;
    }
    WriteIntoOverride(*tree_, path, loadedTreeBytes_, record.bytes(), force);
    return true;
}

void TForm1::ReloadTreeCritter()
{
    const int row = SelectedRowIndex;
    if (row < 0 || row >= ListViewFiles->rowCount() || CurrentCritterPath.empty())
        return;
    RefreshTreeListing(CurrentCritterPath);
    SelectTreeCritter(row);
    // The row follows the record now loaded: its name and its size mark.
    std::optional<std::int32_t> textId;
    if (CritterLoaded())
        textId = ProRecord::FromBytes(loadedTreeBytes_).Field(kTextIdOffset, 4);
    ShowTreeRow(row, textId, CritterLoaded() ? std::size_t(loadedSize_) : 0);
}

void TForm1::ShowTreeCritterPicture(const ProRecord& record)
{
    // The standing picture that the FID names, through the tree; what is
    // missing is said in the caption instead.
    FidLowByte = record.Field(kFidIndexOffset, 1);
    PreviewView = kStandingView;
    ClearPicture();
    shownArt_ = art_->Find(static_cast<std::uint32_t>(record.Field(kFidOffset, 4)));
    // A long text shows its start; the whole of it is the tooltip.
    const QString caption = QString::fromStdString(shownArt_.Caption());
    Edit1->setText(caption);
    Edit1->setCursorPosition(0);
    Edit1->setToolTip(caption);
    artFrame_ = 0;
    ShowTreeArtFrame();
    KeepTreeStandingFrame();
}

void TForm1::StepTreeCritterPicture(bool forward)
{
    if (!shownArt_.HasPicture())
        return;
    PreviewView = static_cast<std::uint8_t>(forward ? PreviewPictures::NextView(PreviewView)
                                                    : PreviewPictures::PreviousView(PreviewView));
    artFrame_ = 0;
    ShowTreeArtFrame();
    KeepTreeStandingFrame();
}

void TForm1::KeepTreeStandingFrame()
{
    // "Save Image" writes the direction's standing frame as PNG; encoded once
    // per critter and direction, not on every turn of the animation.
    if (!shownArt_.HasPicture() || shownArt_.picture->Frames(PreviewView).empty())
        return;
    const RgbaImage rgba = shownArt_.PlacedRgba(PreviewView, 0);
    pictureBytes_.clear();
    QBuffer buffer(&pictureBytes_);
    buffer.open(QIODevice::WriteOnly);
    QImage(rgba.rgba.data(), rgba.width, rgba.height, rgba.width * 4, QImage::Format_RGBA8888).save(&buffer, "PNG");
}

void TForm1::ShowTreeArtFrame()
{
    if (!shownArt_.HasPicture())
        return;
    const auto& frames = shownArt_.picture->Frames(PreviewView);
    if (frames.empty())
        return;
    artFrame_ %= static_cast<int>(frames.size());
    // Every frame of the direction in the same box, at its place in the animation.
    const RgbaImage rgba = shownArt_.PlacedRgba(PreviewView, artFrame_);
    QImage image = QImage(rgba.rgba.data(), rgba.width, rgba.height, rgba.width * 4, QImage::Format_RGBA8888).copy();
    // A picture larger than the area is shown smaller; the label centres it.
    const QSize room = Image1->size();
    if (image.width() > room.width() || image.height() > room.height())
        image = image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    Image1->setPixmap(QPixmap::fromImage(image));
    if (frames.size() > 1) {
        if (!artTimer_) {
            artTimer_ = new QTimer(this);
            connect(artTimer_, &QTimer::timeout, this, [this] { RunGuarded([this] { NextTreeArtFrame(); }); });
        }
        artTimer_->start(1000 / std::max(1, shownArt_.picture->FramesPerSecond()));
    } else if (artTimer_) {
        artTimer_->stop();
    }
}

void TForm1::NextTreeArtFrame()
{
    ++artFrame_;
    ShowTreeArtFrame();
}

} // namespace quarnel
