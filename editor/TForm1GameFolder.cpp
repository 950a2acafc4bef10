// The window on a game's file tree (an install or a mod's tree): opening and
// closing it, the recent folders, the caption and the status bar that names
// a critter's layer.
#include "editor/FieldLook.h"
#include "editor/PrototypePanel.h"
#include "editor/Globals.h"
#include "editor/PathText.h"
#include "editor/TForm1.h"
#include "editor/TForm1GameFolderLook.h"
#include "editor/UserSettings.h"
#include "gamedata/GamePath.h"
#include "platform/AppPaths.h"
#include "platform/ErrorBoundary.h"
#include "platform/UserDialogs.h"
#include "library/TreeCritterList.h"
#include "proto/ProLayout.h"
#include "source/TreeSource.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStringList>
#include <QTableWidget>

#include <algorithm>
#include <stdexcept>

namespace quarnel {
namespace {

constexpr int kFirstGameIndex = 0;
constexpr int kSecondGameIndex = 1;

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
    std::unique_ptr<TreeSource> tree;
    try {
        tree = std::make_unique<TreeSource>(folder);
    } catch (const std::runtime_error& error) {
        // Neither an install nor a mod's tree: the window stays as it was.
        Dialogs().ShowError(WithFullStop(error.what()));
        return false;
    }
    // The archives that could not be read are named once; the rest of the tree opens.
    if (!tree->Tree().Warnings().empty()) {
        std::string text = "Left out, because they could not be read:";
        for (const std::string& warning : tree->Tree().Warnings())
            text += "\n" + warning;
        Dialogs().ShowError(WithFullStop(text));
    }
    ClearPicture();
    source_ = std::move(tree);
    loaded_.reset();
    AddRecentGameFolder(ToQString(source_->Folder()).toStdString());
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
        PrototypePanel1->Clear(QString());
        Edit1->clear();
        UpdateCritterStatus();
    }
    return true;
}

void TForm1::CloseGameFolder()
{
    if (!Tree())
        return;
    ClearPicture();
    loaded_.reset();
    sourceNames_ = {};
    UseBesideFolder(); // the game switch below chooses its folder and scans it
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
    const GameTree* tree = Tree();
    const bool open = tree != nullptr;
    setWindowTitle(open ? versionCaption_ + QString::fromUtf8(kLayerSeparator) + ToQString(source_->Folder())
                        : versionCaption_);
    CloseGameFolder1->setEnabled(open);
    RadioGroup1->setEnabled(!open);
    ShowTypeChoice(open);
    NewFromThis1->setVisible(open);
    // The critter name is typed into in a game folder only, where it has a message file.
    EditCritterName->setEnabled(open);
    if (open) {
        const int index = GameIndexOf(*tree, RadioGroup1ItemIndex());
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

void TForm1::UpdateCritterStatus()
{
    if (!StatusLabel1)
        return;
    QString text;
    if (!source_->InPlace() && !CurrentCritterPath.empty()) {
        if (const auto serving = source_->Locate({PathFromUtf8(CurrentCritterPath), CurrentCritterPath}))
            text = QString::fromStdString(serving->file.label) + QString::fromUtf8(kLayerSeparator) +
                   QString::fromStdString(serving->layer);
        else
            text = QString::fromStdString(CurrentCritterPath);
        // Another type's file the list does not name, or a line naming no file, says so.
        if (shownType_ != ProtoType::Critter && !listStanding_.empty())
            text += QString::fromUtf8(kLayerSeparator) + QString::fromStdString(listStanding_);
        if (!loadFailure_.empty())
            text += QString::fromUtf8(kLayerSeparator) + "not loaded: " + QString::fromStdString(loadFailure_);
        else if (CritterLoaded() && IsSecondGame && loadedSize_ == kFirstGameRecordSize)
            text += QString::fromUtf8(kLayerSeparator) + QString::fromUtf8(kFirstGameRecordTip);
    }
    if (!source_->InPlace() && !sourceNames_.missing.empty())
        text += (text.isEmpty() ? QString() : QString::fromUtf8(kLayerSeparator)) +
                QString::fromStdString(sourceNames_.missing);
    StatusLabel1->setText(text);
}

} // namespace quarnel
