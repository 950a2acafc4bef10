// The window's controls, created from the field tables and placed at the
// positions of the form description.
#include "editor/FieldLook.h"
#include "editor/StepButtons.h"
#include "editor/TForm1GameFolderLook.h"
#include "editor/TForm1.h"
#include "editor/TypedLengthValidator.h"
#include "proto/CritterFields.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QToolButton>

namespace quarnel {
namespace {

constexpr int kFieldWidth = 35;
constexpr int kFieldHeight = 21;
constexpr int kPrimaryTypedLength = 3;
constexpr int kSkillTypedLength = 4;
constexpr int kListTop = 56;
constexpr int kListBottomMargin = 10; // below the list, as at the smallest window size

QLabel* AddLabel(QWidget* parent, const QString& text, int x, int y, int width = 60)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, width, 16);
    return label;
}

// The three header captions over a grid's total, base and extra columns.
void AddGridHeader(QWidget* parent, int y, int totalX, int baseX, int extraX)
{
    AddLabel(parent, "Total", totalX, y, kFieldWidth + 4);
    AddLabel(parent, "Base", baseX, y, kFieldWidth + 4);
    AddLabel(parent, "Extra", extraX, y, kFieldWidth + 4);
}

QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, int x, int y, int w, int h)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(x, y, w, h);
    return button;
}

void SetButtonCaptionStyle(QPushButton* button, const QColor& color)
{
    QFont font = button->font();
    font.setBold(true);
    button->setFont(font);
    button->setStyleSheet(QString("color: %1;").arg(color.name()));
}

QAction* AddAction(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const QString& caption)
{
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(name);
    return menu;
}

} // namespace

QLineEdit* TForm1::AddField(QWidget* parent, const char* name, int x, int y, int width, int kind)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setGeometry(x, y, width, kFieldHeight);
    ApplyFieldLook(field, static_cast<FieldKind>(kind));
    edits_.insert(name, field);
    return field;
}

void TForm1::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    Plik1 = AddMenu(bar, "Plik1", "&File");
    OpenGameFolder1 = AddAction(Plik1, "OpenGameFolder1", "Open game folder...");
    OpenGameFolder1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    RecentGameFolders1 = Plik1->addMenu("Recent game folders");
    RecentGameFolders1->setObjectName("RecentGameFolders1");
    RecentGameFolders1->menuAction()->setObjectName("RecentGameFolders1Item");
    CloseGameFolder1 = AddAction(Plik1, "CloseGameFolder1", "Close game folder");
    CloseGameFolder1->setEnabled(false);
    Plik1->addSeparator();
    Zapisz1 = AddAction(Plik1, "Zapisz1", "Save");
    Zapisz1->setShortcut(QKeySequence(Qt::Key_F2));
    Plik1->addSeparator();
    Wyj1 = AddAction(Plik1, "Wyj1", "Exit");

    ools1 = AddMenu(bar, "ools1", "&Tools");
    KonwertujFO1doFO2412do4161 = AddAction(ools1, "KonwertujFO1doFO2412do4161", "Convert FO1 to FO2 (412 do 416)");
    Zapiszdoplikutxt1 = AddAction(ools1, "Zapiszdoplikutxt1", "Save to file *.txt");
    Zapiszdoplikutxt1->setEnabled(false);
    ExtratoBase1 = AddAction(ools1, "ExtratoBase1", "Extra values to Base");
    ExtratoBase1->setEnabled(false);
    EditBASEvalues1 = ools1->addMenu("Edit BASE values");
    EditBASEvalues1->setObjectName("EditBASEvalues1");
    EditBASEvalues1->menuAction()->setObjectName("EditBASEvalues1Item");
    Enable1 = AddAction(EditBASEvalues1, "Enable1", "Enable");
    Disable1 = AddAction(EditBASEvalues1, "Disable1", "Disable");
    Enable1->setCheckable(true);
    Disable1->setCheckable(true);
    Disable1->setChecked(true);
    NameEncoding1 = ools1->addMenu("Name encoding");
    NameEncoding1->setObjectName("NameEncoding1");
    NameEncoding1->menuAction()->setObjectName("NameEncoding1Item");
    NameEncoding1Items = new QActionGroup(this);
    NameEncoding1Items->setExclusive(true);
    for (NameEncoding encoding : {NameEncoding::Automatic, NameEncoding::Cp1250, NameEncoding::Cp1251,
                                  NameEncoding::Cp1252, NameEncoding::Utf8}) {
        QAction* item = NameEncoding1->addAction(NameEncodingCaption(encoding));
        item->setObjectName(QString("NameEncoding_") + NameEncodingOption(encoding));
        item->setData(static_cast<int>(encoding));
        item->setCheckable(true);
        item->setChecked(encoding == nameEncoding_);
        NameEncoding1Items->addAction(item);
    }
    OtherFields1 = AddAction(ools1, "OtherFields1", "Other fields...");
    OtherFields1->setShortcut(QKeySequence(Qt::Key_F3));
    OtherFields1->setEnabled(false);

    RebuildRecentGameFolders();

    Help1 = AddMenu(bar, "Help1", "&Help");
    About1 = AddAction(Help1, "About1", "About");
}

void TForm1::BuildListArea(QWidget* client)
{
    Edit_Search = AddField(client, "Edit_Search", 8, 8, 200, int(FieldKind::Plain));
    BitBtn_Search = AddButton(client, "BitBtn_Search", "Search", 216, 6, 75, 25);
    CheckBox1 = new QCheckBox("Search by Pid Number", client);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(8, 32, 200, 20);

    ListViewFiles = new QTableWidget(0, 3, client);
    ListViewFiles->setObjectName("ListViewFiles");
    ListViewFiles->setGeometry(8, kListTop, 321, 614);
    // A wheel turn or a search moves the list by pixels, not by whole rows.
    ListViewFiles->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    ListViewFiles->setHorizontalHeaderLabels({"File Name", "Item Name", "Pid Number"});
    ListViewFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewFiles->setShowGrid(true);
    ListViewFiles->setWordWrap(false);
    ListViewFiles->verticalHeader()->setVisible(false);
    ListViewFiles->verticalHeader()->setDefaultSectionSize(18);
    ListViewFiles->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    ListViewFiles->horizontalHeader()->setHighlightSections(false);
    ListViewFiles->setColumnWidth(0, kFileColumnWidth);
    ListViewFiles->setColumnWidth(1, kNameColumnWidth);
    ListViewFiles->setColumnWidth(2, kPidColumnWidth);
    // The selected row stays visible when the list loses the focus.
    QPalette palette = ListViewFiles->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    ListViewFiles->setPalette(palette);
}

void TForm1::FitListToClient(const QWidget* client)
{
    // A taller window gives the list more rows; everything else keeps its place.
    ListViewFiles->resize(ListViewFiles->width(), client->height() - kListTop - kListBottomMargin);
}

void TForm1::BuildIdentityArea(QWidget* client)
{
    EditCritterName = AddField(client, "EditCritterName", 352, 0, 145, int(FieldKind::Plain));
    EditCritterName->setText("EditCritterName");
    EditCritterName->setEnabled(false);

    AddLabel(client, "ID number", 352, 184);
    EditIDNumber = AddField(client, "EditIDNumber", 352, 202, 57, int(FieldKind::IdNumber));
    EditIDNumber->setText("EditIDNumber");
    AddLabel(client, "PID number", 416, 184, 81);
    EditCritterPID = AddField(client, "EditCritterPID", 416, 202, 81, int(FieldKind::Pid));

    BitBtnSave = AddButton(client, "BitBtnSave", "SAVE", 344, kCritterButtonsTop, 82, 28);
    SetButtonCaptionStyle(BitBtnSave, QColor(0xFF, 0, 0));
    BitBtnSave->setEnabled(false);
    BitBtnCancel = AddButton(client, "BitBtnCancel", "CANCEL", 432, kCritterButtonsTop, 75, 28);
    SetButtonCaptionStyle(BitBtnCancel, QColor(0, 0, 0xFF));
    BitBtnCancel->setEnabled(false);
}

void TForm1::BuildPreviewArea(QWidget* client)
{
    Panel11 = new QFrame(client);
    Panel11->setObjectName("Panel11");
    Panel11->setGeometry(352, 24, 141, 133);
    Panel11->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel11->setLineWidth(2);
    SetBackground(Panel11, kSkyBlue);

    Image1 = new QLabel(Panel11);
    Image1->setObjectName("Image1");
    Image1->setGeometry(2, 2, 137, 129);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setContextMenuPolicy(Qt::CustomContextMenu);

    SpeedButton20 = new QToolButton(Panel11);
    SpeedButton20->setObjectName("SpeedButton20");
    SpeedButton20->setText("<");
    SpeedButton20->setAutoRaise(true);
    SpeedButton20->setGeometry(8, 106, 23, 22);
    SpeedButton21 = new QToolButton(Panel11);
    SpeedButton21->setObjectName("SpeedButton21");
    SpeedButton21->setText(">");
    SpeedButton21->setAutoRaise(true);
    SpeedButton21->setGeometry(112, 106, 23, 22);

    Edit1 = AddField(client, "Edit1", 352, 160, 137, int(FieldKind::Plain));
    Edit1->setReadOnly(true);
    QFont captionFont("Tahoma");
    captionFont.setPixelSize(13);
    Edit1->setFont(captionFont);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    SaveImage1 = AddAction(PopupMenu1, "SaveImage1", "Save Image");
}

void TForm1::BuildDamageGrid(QWidget* client)
{
    constexpr int kCaptionX = 344, kTotalX = 388, kBaseX = 428, kExtraX = 468;
    AddGridHeader(client, 268, kTotalX, kBaseX, kExtraX);
    for (int row = 0; row < 2 * kDamageTypeCount; ++row) {
        const StatFields& stat = kDamageStats[row];
        const int y = 288 + (row / 2) * 56 + (row % 2) * 24;
        AddLabel(client, stat.caption, kCaptionX, y + 3, 42);
        AddField(client, stat.total, kTotalX, y, kFieldWidth, int(FieldKind::Total));
        AddField(client, stat.base, kBaseX, y, kFieldWidth, int(FieldKind::Base))->setReadOnly(false);
        AddField(client, stat.extra, kExtraX, y, kFieldWidth, int(FieldKind::Extra));
    }
}

void TForm1::BuildStatisticsGrid(QWidget* client)
{
    // The grid spans x 528 to 739: caption, total, step buttons, base, extra.
    constexpr int kCaptionX = 528, kTotalX = 606, kStepX = 646, kBaseX = 664, kExtraX = 704;
    constexpr int kCaptionWidth = kTotalX - kCaptionX - 4;
    constexpr int kRowStep = 26;
    // The derived rows as the window shows them (the table is in file order).
    constexpr DerivedIndex kDerivedRows[kDerivedCount] = {kHitPoints,      kArmorClass,     kActionPoints, kCarryWeight,
                                                          kUnarmedDamage,  kMeleeDamage,    kSequence,     kHealingRate,
                                                          kCriticalChance, kBetterCriticals};
    AddGridHeader(client, 4, kTotalX, kBaseX, kExtraX);
    int y = 24;
    for (int i = 0; i < kPrimaryCount; ++i, y += kRowStep) {
        const StatFields& stat = kPrimaryStats[i];
        AddLabel(client, stat.caption, kCaptionX, y + 3, kCaptionWidth);
        QLineEdit* total = AddField(client, stat.total, kTotalX, y, kFieldWidth, int(FieldKind::Total));
        QLineEdit* base = AddField(client, stat.base, kBaseX, y, kFieldWidth, int(FieldKind::Base));
        QLineEdit* extra = AddField(client, stat.extra, kExtraX, y, kFieldWidth, int(FieldKind::Extra));
        for (QLineEdit* field : {total, base, extra})
            field->setValidator(new TypedLengthValidator(kPrimaryTypedLength, field));
        for (int sign = 0; sign < 2; ++sign) {
            QPushButton* step =
                AddButton(client, kStepButtons[i][sign], sign == 0 ? "+" : "-", kStepX, y + sign * 11, 15, 10);
            step->setFlat(false);
            step->setStyleSheet("padding: 0px; font-size: 9px;");
        }
    }
    for (const DerivedIndex i : kDerivedRows) {
        const StatFields& stat = kDerivedStats[i];
        AddLabel(client, stat.caption, kCaptionX, y + 3, kCaptionWidth);
        QLineEdit* total = AddField(client, stat.total, kTotalX, y, kFieldWidth, int(FieldKind::Total));
        if (i == kCriticalChance || i == kBetterCriticals)
            total->setReadOnly(false);
        AddField(client, stat.base, kBaseX, y, kFieldWidth, int(FieldKind::Base));
        AddField(client, stat.extra, kExtraX, y, kFieldWidth, int(FieldKind::Extra));
        y += kRowStep;
    }

    AddLabel(client, "Gender", kCaptionX, y + 3, kCaptionWidth);
    ComboBoxGender = new QComboBox(client);
    ComboBoxGender->setObjectName("ComboBoxGender");
    ComboBoxGender->addItems({"Male", "Female"});
    ComboBoxGender->setGeometry(kTotalX, y, 80, 22);
    // The hidden gender fields of the usual total / base / extra kind.
    AddField(client, kGenderFields.total, kTotalX, y, kFieldWidth, int(FieldKind::Total))->hide();
    QLineEdit* baseGender = AddField(client, kGenderFields.base, kBaseX, y, kFieldWidth, int(FieldKind::Extra));
    baseGender->hide();
    AddField(client, kGenderFields.extra, kExtraX, y, kFieldWidth, int(FieldKind::Total))->hide();
    y += kRowStep + 4;

    AddLabel(client, "Exp pts", kCaptionX, y + 3, kCaptionWidth);
    EditExpPoints = AddField(client, "EditExpPoints", kTotalX, y, 49, int(FieldKind::Experience));
}

void TForm1::BuildSkillsGrid(QWidget* client)
{
    constexpr int kCaptionX = 764, kTotalX = 846, kBaseX = 886, kExtraX = 926;
    AddGridHeader(client, 4, kTotalX, kBaseX, kExtraX);
    for (int i = 0; i < kSkillCount; ++i) {
        const StatFields& skill = kSkills[i];
        const int y = 24 + i * 26;
        AddLabel(client, skill.caption, kCaptionX, y + 3, 80);
        QLineEdit* total = AddField(client, skill.total, kTotalX, y, kFieldWidth, int(FieldKind::Total));
        QLineEdit* base = AddField(client, skill.base, kBaseX, y, kFieldWidth, int(FieldKind::Base));
        QLineEdit* extra = AddField(client, skill.extra, kExtraX, y, kFieldWidth, int(FieldKind::Extra));
        for (QLineEdit* field : {total, base, extra})
            field->setValidator(new TypedLengthValidator(kSkillTypedLength, field));
    }
}

void TForm1::BuildGameSwitch(QWidget* client)
{
    RadioGroup1 = new QGroupBox("Choose Fallout game", client);
    RadioGroup1->setObjectName("RadioGroup1");
    RadioGroup1->setGeometry(768, 565, 215, 80);
    RadioGroup1Items = new QButtonGroup(RadioGroup1);
    const char* items[] = {"Fallout 1 critters (\\FO1\\ directory)", "Fallout 2 critters (\\FO2\\ directory)"};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(items[i], RadioGroup1);
        radio->setObjectName(QString("RadioGroup1Item%1").arg(i));
        radio->setGeometry(5, 24 + i * 24, 209, 20);
        RadioGroup1Items->addButton(radio, i);
    }
    RadioGroup1Items->button(1)->setChecked(true);
}

} // namespace quarnel
