// The prototype types beside critters in a game folder: the type choice,
// the list of a type in its list file's order, the panel that shows one
// prototype with its pictures, and its save and cancel. Critters keep the
// window's own form; the folders beside the program list critters only.
#include "editor/FieldLook.h"
#include "editor/Globals.h"
#include "editor/PathText.h"
#include "editor/PrototypeForm.h"
#include "editor/PrototypePanel.h"
#include "editor/TForm1.h"
#include "editor/TForm1GameFolderLook.h"
#include "editor/SaveRefusals.h"
#include "platform/ErrorBoundary.h"
#include "platform/UserDialogs.h"
#include "proto/ProLayout.h"
#include "proto/PrototypeLayout.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace quarnel {
namespace {

// The choice's items in order, with the View menu's object names; the index is the item's.
struct TypeChoice {
    ProtoType type;
    const char* caption;
    const char* action;
};
constexpr std::array<TypeChoice, kProtoTypeCount> kTypeChoices = {{
    {ProtoType::Critter, "Critters", "ViewCritters1"},
    {ProtoType::Item, "Items", "ViewItems1"},
    {ProtoType::Scenery, "Scenery", "ViewScenery1"},
    {ProtoType::Wall, "Walls", "ViewWalls1"},
    {ProtoType::Tile, "Tiles", "ViewTiles1"},
    {ProtoType::Misc, "Misc", "ViewMisc1"},
}};

constexpr int kCritterAreaLeft = 340; // the critter's controls lie right of the list
constexpr int kSubtypeColumn = 3;
constexpr int kTypePidColumnWidth = 70;
constexpr int kSubtypeColumnWidth = 57;
constexpr int kTypeCellPadding = 12; // a cell's margins and its grid line
const QStringList kCritterHeaders = {"File Name", "Item Name", "Pid Number"};
const QStringList kTypeHeaders = {"File Name", "Name", "Pid Number", "Subtype"};

QTableWidgetItem* TypeListItem(const QString& text, const SourceEntry& entry)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    // A file the game would miss, or a line naming no file, is shown greyed with why.
    if (entry.standing != ListStanding::Listed) {
        item->setForeground(QBrush(Qt::gray));
        item->setToolTip(QString::fromStdString(entry.standingReason));
    }
    return item;
}

QString SubtypeOf(const SourceEntry& entry, ProtoType type)
{
    if (entry.subtype == kNoSubtype)
        return QString();
    return QString::fromStdString(SubtypeText({type, entry.subtype}));
}

} // namespace

void TForm1::BuildTypeChoice(QWidget* client)
{
    ComboPrototypeType = new QComboBox(client);
    ComboPrototypeType->setObjectName("ComboPrototypeType");
    ComboPrototypeType->setGeometry(216, 30, 113, 22);
    ComboPrototypeType->hide(); // a game folder's only
    View1 = new QMenu("&View", this);
    View1->setObjectName("View1");
    menuBar()->insertMenu(ools1->menuAction(), View1);
    View1->menuAction()->setVisible(false);
    for (std::size_t i = 0; i < kTypeChoices.size(); ++i) {
        ComboPrototypeType->addItem(kTypeChoices[i].caption);
        QAction* item = View1->addAction(kTypeChoices[i].caption);
        item->setObjectName(kTypeChoices[i].action);
        item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + int(i))));
        connect(item, &QAction::triggered, this, [this, i] { RunGuarded([&] { ChoosePrototypeType(int(i)); }); });
    }
    connect(ComboPrototypeType, &QComboBox::activated, this,
            [this](int index) { RunGuarded([&] { ChoosePrototypeType(index); }); });

    PrototypePanel1 = new PrototypePanel(client);
    PrototypePanel1->hide();
    connect(PrototypePanel1->Form(), &PrototypeForm::changed, this,
            [this] { RunGuarded([this] { EnterEditingMode(PrototypePanel1->Form()->IsValid()); }); });
    connect(PrototypePanel1->Form(), &PrototypeForm::validityChanged, this, [this](bool valid) {
        if (BitBtnCancel->isEnabled())
            RunGuarded([&] { EnterEditingMode(valid); });
    });
}

void TForm1::KeepCritterArea(QWidget* client)
{
    for (QWidget* child : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->x() >= kCritterAreaLeft && !child->isHidden() && child != BitBtnSave && child != BitBtnCancel &&
            child != PrototypePanel1)
            critterArea_.push_back(child);
}

ProtoType TForm1::ShownType() const { return shownType_; }

void TForm1::ChoosePrototypeType(int index)
{
    // The choice is locked while an edit is open, and serves game folders only.
    if (index < 0 || index >= int(kTypeChoices.size()) || BitBtnCancel->isEnabled() || source_->InPlace())
        return;
    ComboPrototypeType->setCurrentIndex(index);
    if (kTypeChoices[std::size_t(index)].type == shownType_)
        return;
    shownType_ = kTypeChoices[std::size_t(index)].type;
    ShowTypeArea();
    const LoadingScope quiet;
    SelectedRowIndex = 0;
    CurrentCritterPath.clear();
    loaded_.reset();
    RunGuarded([this] { ScanGameFolder(); });
    RunGuarded([this] { FillCritterList(); });
    if (ListViewFiles->rowCount() == 0) {
        ClearCritterForm(std::string());
        PrototypePanel1->Clear(QString());
    }
}

void TForm1::ShowTypeArea()
{
    const bool critters = shownType_ == ProtoType::Critter;
    for (QWidget* part : critterArea_)
        part->setVisible(critters);
    PrototypePanel1->setVisible(!critters);
    if (!critters) {
        PrototypePanel1->setGeometry(kCritterAreaLeft, 0, centralWidget()->width() - kCritterAreaLeft,
                                     centralWidget()->height());
        PrototypePanel1->Clear(QString());
    }
    // SAVE and CANCEL keep their columns; for another type they stand under the pictures.
    const int buttonsTop = critters ? kCritterButtonsTop : PrototypePanel::kButtonsTop;
    BitBtnSave->move(BitBtnSave->x(), buttonsTop);
    BitBtnCancel->move(BitBtnCancel->x(), buttonsTop);
    BitBtnSave->raise();
    BitBtnCancel->raise();
    ListViewFiles->clearSelection();
    ListViewFiles->setRowCount(0);
    ListViewFiles->setColumnCount(critters ? int(kCritterHeaders.size()) : int(kTypeHeaders.size()));
    ListViewFiles->setHorizontalHeaderLabels(critters ? kCritterHeaders : kTypeHeaders);
    if (critters)
        ListViewFiles->setColumnWidth(1, kNameColumnWidth);
    ListViewFiles->setColumnWidth(2, critters ? kPidColumnWidth : kTypePidColumnWidth);
    // Another type's name column takes what the other columns leave of the list's width.
    ListViewFiles->horizontalHeader()->setSectionResizeMode(1,
                                                            critters ? QHeaderView::Interactive : QHeaderView::Stretch);
    if (!critters) {
        ListViewFiles->setColumnWidth(kSubtypeColumn, kSubtypeColumnWidth);
        ListViewFiles->setColumnHidden(kSubtypeColumn, !HasSubtypes(shownType_));
    }
    UpdateOtherFieldsAction();
}

void TForm1::ShowTypeChoice(bool shown)
{
    ComboPrototypeType->setVisible(shown);
    View1->menuAction()->setVisible(shown);
    if (!shown && shownType_ != ProtoType::Critter) {
        shownType_ = ProtoType::Critter;
        ComboPrototypeType->setCurrentIndex(0);
        ShowTypeArea();
    }
}

void TForm1::SetTypeChoiceEnabled(bool enabled)
{
    ComboPrototypeType->setEnabled(enabled);
    View1->setEnabled(enabled);
}

void TForm1::FillTypeList()
{
    const std::string current = CurrentCritterPath;
    typeEntries_ = source_->List(shownType_);
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ListViewFiles->setUpdatesEnabled(false);
        ListViewFiles->setSortingEnabled(false);
        ListViewFiles->clearSelection();
        ListViewFiles->setRowCount(0);
        ListViewFiles->setRowCount(static_cast<int>(typeEntries_.size()));
        for (int row = 0; row < static_cast<int>(typeEntries_.size()); ++row) {
            const SourceEntry& entry = typeEntries_[std::size_t(row)];
            auto* file = TypeListItem(QString::fromStdString(entry.fileName), entry);
            file->setData(Qt::UserRole, QString::fromStdString(entry.file.label));
            ListViewFiles->setItem(row, 0, file);
            const QString name = entry.textId ? QString::fromStdString(sourceNames_.Text(*entry.textId)) : QString();
            ListViewFiles->setItem(row, 1, TypeListItem(name, entry));
            ListViewFiles->setItem(row, 2, TypeListItem(entry.pid ? QString::number(*entry.pid) : QString(), entry));
            ListViewFiles->setItem(row, kSubtypeColumn, TypeListItem(SubtypeOf(entry, shownType_), entry));
        }
        FitFileNameColumn(typeEntries_);
        FitSubtypeColumn();
        ListViewFiles->setUpdatesEnabled(true);
        QApplication::restoreOverrideCursor();
    }
    int row = SelectedRowIndex;
    if (!current.empty())
        for (int r = 0; r < ListViewFiles->rowCount(); ++r)
            if (ListViewFiles->item(r, 0)->data(Qt::UserRole).toString().toStdString() == current)
                row = r;
    if (row >= 0 && row < ListViewFiles->rowCount()) {
        ListViewFiles->selectRow(row);
        ListViewFiles->scrollToItem(ListViewFiles->item(row, 0)); // a new prototype's row is the last
    } else {
        UpdateCritterStatus();
    }
}

void TForm1::FitSubtypeColumn()
{
    // The longest subtype ("ladder down") shown whole; the name column takes what is left.
    const QFontMetrics metrics(ListViewFiles->font());
    int widest = metrics.horizontalAdvance(ListViewFiles->horizontalHeaderItem(kSubtypeColumn)->text());
    for (int row = 0; row < ListViewFiles->rowCount(); ++row)
        widest = std::max(widest, metrics.horizontalAdvance(ListViewFiles->item(row, kSubtypeColumn)->text()));
    ListViewFiles->setColumnWidth(kSubtypeColumn, std::max(kSubtypeColumnWidth, widest + kTypeCellPadding));
}

void TForm1::SelectTypeRow(int row)
{
    const SourceEntry& entry = typeEntries_.at(std::size_t(row));
    CurrentCritterPath = entry.file.label;
    SelectedRowIndex = row;
    listStanding_ = entry.standingReason;
    loaded_.reset();
    loadedPath_.clear();
    loadedSize_ = 0;
    loadFailure_.clear();
    UpdateCritterStatus();
    if (entry.standing == ListStanding::NotInTree) {
        PrototypePanel1->Clear(QString::fromStdString(entry.standingReason));
        UpdateCritterStatus();
        return;
    }
    std::string why;
    try {
        LoadedPrototype loaded = source_->Read(entry.file);
        const KindReading reading = ReadRecordKind(loaded.bytes.data(), loaded.bytes.size(), loaded.bytes.size());
        if (!reading.kind || reading.kind->type != shownType_)
            throw std::runtime_error(reading.kind ? "it is " + KindText(*reading.kind)
                                                  : "it has " + std::to_string(loaded.bytes.size()) + " bytes; " +
                                                        reading.fault);
        ShowTypePrototype(loaded, *reading.kind);
        loadedPath_ = CurrentCritterPath;
        loadedSize_ = static_cast<long long>(loaded.bytes.size());
        loaded_ = std::move(loaded);
    } catch (const std::runtime_error& error) {
        why = error.what();
    }
    if (!why.empty()) {
        PrototypePanel1->Clear(QString::fromStdString("Not loaded: " + why + "."));
        loadFailure_ = why;
    }
    UpdateCritterStatus();
    UpdateOtherFieldsAction();
}

void TForm1::ShowTypePrototype(const LoadedPrototype& loaded, RecordKind kind)
{
    const ProRecord record = ProRecord::FromBytes(loaded.bytes);
    ShownPrototype shown{record, kind, IsSecondGame};
    shown.textId = record.Field(kTextIdOffset, 4);
    shown.name = QString::fromStdString(sourceNames_.Text(shown.textId));
    shown.description = QString::fromStdString(sourceNames_.Text(shown.textId + 1));
    shown.picture = source_->ListedArt(static_cast<std::uint32_t>(record.Field(kFidOffset, 4))).value_or(FidArt{});
    if (kind.type == ProtoType::Item) {
        const RecordField* inventory = FindKindField(kind, "inventory_fid");
        if (inventory)
            shown.inventory =
                source_->ListedArt(static_cast<std::uint32_t>(record.Field(inventory->offset, 4))).value_or(FidArt{});
    }
    PrototypePanel1->Show(shown);
}

bool TForm1::SaveTypePrototype()
{
    if (!loaded_ || loadedPath_ != CurrentCritterPath) {
        Dialogs().ShowMessage(NotLoadedText(PathFromUtf8(CurrentCritterPath)));
        return false;
    }
    const std::optional<ProRecord> record = PrototypePanel1->Form()->Record();
    if (!record) {
        Dialogs().ShowMessage("Check red fields!");
        return false;
    }
    return StoreServedWithNames([&](ProRecord& stored) { stored = *record; });
}

void TForm1::ReloadTypeRow()
{
    const int row = SelectedRowIndex;
    if (row < 0 || row >= ListViewFiles->rowCount() || CurrentCritterPath.empty())
        return;
    source_->Refresh({PathFromUtf8(CurrentCritterPath), CurrentCritterPath});
    // The row follows the file as it serves now: its layer, name and subtype.
    if (const auto serving = source_->Locate({PathFromUtf8(CurrentCritterPath), CurrentCritterPath})) {
        SourceEntry& entry = typeEntries_[std::size_t(row)];
        entry.layer = serving->layer;
    }
    SelectTypeRow(row);
    if (loaded_) {
        const ProRecord record = ProRecord::FromBytes(loaded_->bytes);
        const std::int32_t textId = record.Field(kTextIdOffset, 4);
        ListViewFiles->item(row, 1)->setText(QString::fromStdString(sourceNames_.Text(textId)));
        typeEntries_[std::size_t(row)].textId = textId;
    }
}

} // namespace quarnel
