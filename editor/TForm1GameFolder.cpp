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
#include "platform/ReadOnlyRestorer.h"
#include "platform/UserDialogs.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "preview/PreviewPictures.h"
#include "rules/IntegerText.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QButtonGroup>
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

#include <stdexcept>

namespace quarnel {
namespace {

constexpr int kFirstGameIndex = 0;
constexpr int kSecondGameIndex = 1;
constexpr std::uint8_t kStandingView = 2; // the view a picture starts at, as in the folders beside the program
const char* const kLayerSeparator = " \u2014 "; // between a path and its layer, and the caption and the folder

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
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(ToPath(arguments.at(1)), ec);
    return ec ? ToPath(arguments.at(1)) : folder;
}

void TForm1::OpenGameFolder1Click()
{
    const auto folder = Dialogs().AskFolder("Open game folder");
    if (folder)
        OpenGameFolder(ToPath(QString::fromStdString(*folder)));
}

bool TForm1::OpenGameFolder(const std::filesystem::path& folder)
{
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
        connect(item, &QAction::triggered, this,
                [this, folder] { RunGuarded([&] { OpenGameFolder(ToPath(QString::fromStdString(folder))); }); });
    }
    RecentGameFolders1->menuAction()->setEnabled(!RecentGameFolders1->isEmpty() && OpenGameFolder1->isEnabled());
}

void TForm1::ScanTreeNames()
{
    treeNames_ = {};
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
            const std::string name =
                critter.textId ? treeNames_.table.Lookup(IntToStr(*critter.textId)) : std::string();
            auto* file = TreeListItem(QString::fromStdString(critter.fileName));
            file->setData(Qt::UserRole, QString::fromStdString(critter.path));
            ListViewFiles->setItem(row, 0, file);
            ListViewFiles->setItem(row, 1, TreeListItem(QString::fromStdString(DecodeName(name, treeNames_.encoding))));
            ListViewFiles->setItem(row, 2, TreeListItem(PidText(critter.fileName)));
        }
        ListViewFiles->sortItems(0, Qt::AscendingOrder);
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

void TForm1::SelectTreeCritter(int row)
{
    CurrentCritterPath = ListViewFiles->item(row, 0)->data(Qt::UserRole).toString().toStdString();
    SelectedRowIndex = row;
    // The status names the layer even when the load then fails.
    UpdateCritterStatus();
    // A copy in the override folder is handled as a loose file is: read-only
    // again after the access.
    std::optional<std::filesystem::path> loose;
    if (const auto winner = tree_->Find(CurrentCritterPath);
        winner && winner->layer == &tree_->OverrideFor(CurrentCritterPath))
        loose = tree_->OverrideFor(CurrentCritterPath).Locate(CurrentCritterPath);
    std::optional<ReadOnlyRestorer> readOnlyAfter;
    if (loose)
        readOnlyAfter.emplace(*loose);
    LoadCritter(PathFromUtf8(CurrentCritterPath));
}

void TForm1::UpdateCritterStatus()
{
    if (!StatusLabel1)
        return;
    QString text;
    if (tree_ && !CurrentCritterPath.empty())
        if (const auto winner = tree_->Find(CurrentCritterPath))
            text = QString::fromStdString(winner->path) + QString::fromUtf8(kLayerSeparator) +
                   QString::fromStdString(winner->layer->Name());
    StatusLabel1->setText(text);
}

bool TForm1::SaveTreeCritter(const std::string& path, const std::function<void(ProRecord&)>& edit)
{
    // The record as the tree holds it now: what another program changed since
    // the load is kept, as a save in place keeps it.
    const std::vector<std::uint8_t> before = tree_->Read(path);
    if (static_cast<long long>(before.size()) != loadedSize_) {
        Dialogs().ShowMessage(ChangedSizeText(std::filesystem::path(path)));
        return false;
    }
    ProRecord record = ProRecord::FromBytes(before);
    edit(record);
    if (record.bytes() == before)
        return true; // nothing changed: nothing to store, nothing to ask
    bool force = false;
    if (const auto question = ShadowedSaveQuestion(*tree_, path)) {
        if (!Dialogs().AskYesNo(*question))
            return false;
        force = true;
    }
    WriteIntoOverride(*tree_, path, before, record.bytes(), force);
    return true;
}

void TForm1::ShowTreeCritterPicture(const ProRecord& record)
{
    // The standing picture that the FID names, through the tree; what is
    // missing is said in the caption instead.
    FidLowByte = record.Field(kFidIndexOffset, 1);
    PreviewView = kStandingView;
    ClearPicture();
    shownArt_ = art_->Find(static_cast<std::uint32_t>(record.Field(kFidOffset, 4)));
    Edit1->setText(QString::fromStdString(shownArt_.Caption()));
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
    const RgbaImage rgba = shownArt_.Rgba(PreviewView, 0);
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
    const RgbaImage rgba = shownArt_.Rgba(PreviewView, artFrame_);
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
