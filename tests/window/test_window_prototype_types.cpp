// Every prototype type in the real window, on an install built byte by byte:
// the choice of type, each type's list in list-file order with names, PIDs
// and subtypes (files the list misses and lines naming missing files greyed
// with their reason), every kind's form with its stored values, name and
// description, saves into the override folder, the shadowing question, bad
// values, Cancel, and the pictures pixel for pixel against their FRMs.
#include "KindOffsets.h"
#include "TypeTreeBuilder.h"
#include "WindowFixture.h"
#include "editor/FieldLook.h"
#include "platform/FileAttributes.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <cstdio>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

struct TypeChoice {
    const char* item;   // the drop-down list's text
    const char* action; // the View menu's item
    Qt::Key key;        // with Ctrl
    const char* folder;
};

const TypeChoice kTypes[] = {
    {"Critters", "ViewCritters1", Qt::Key_1, "critters"}, {"Items", "ViewItems1", Qt::Key_2, "items"},
    {"Scenery", "ViewScenery1", Qt::Key_3, "scenery"},    {"Walls", "ViewWalls1", Qt::Key_4, "walls"},
    {"Tiles", "ViewTiles1", Qt::Key_5, "tiles"},          {"Misc", "ViewMisc1", Qt::Key_6, "misc"},
};

const TypeChoice& TypeOf(const std::string& folder)
{
    for (const TypeChoice& type : kTypes)
        if (folder == type.folder)
            return type;
    qFatal("no type %s", folder.c_str());
}

// The install and the window opened on it.
struct TypesWindow {
    WindowFixture fixture;
    TypeTree tree = BuildTypeTree(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open(tree.root);
    QTableWidget* list = form.ListViewFiles;
};

template <class T> T* Named(QObject& parent, const QString& name)
{
    T* child = parent.findChild<T*>(name);
    if (!child)
        qWarning("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return child;
}

QComboBox* TypeBox(TForm1& form) { return Named<QComboBox>(form, "ComboPrototypeType"); }

// Chooses a type through its View menu item.
bool Choose(TypesWindow& window, const char* folder)
{
    auto* action = Named<QAction>(window.form, TypeOf(folder).action);
    if (!action)
        return false;
    action->trigger();
    const QComboBox* types = TypeBox(window.form);
    return types && types->currentText() == TypeOf(folder).item;
}

// Shows a prototype: its type chosen, its row clicked.
bool Show(TypesWindow& window, const BuiltPrototype& prototype)
{
    if (!Choose(window, prototype.folder.c_str()))
        return false;
    const int row = RowOf(window.list, QString::fromStdString(prototype.fileName));
    if (row < 0)
        return false;
    window.fixture.ClickRow(row);
    return SelectedRow(window.form) == row;
}

QLineEdit* Field(TForm1& form, const std::string& key)
{
    return Named<QLineEdit>(form, QString::fromStdString("Field_" + key));
}

// Replaces a field's text by typing, as a user does.
void Retype(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

QString Cell(QTableWidget* list, int row, int column)
{
    const QTableWidgetItem* item = list->item(row, column);
    return item ? item->text() : QString("(no cell)");
}

bool Grey(QTableWidget* list, int row) { return list->item(row, 0)->foreground() == QBrush(Qt::gray); }

fs::path OverrideOf(const TypeTree& tree, const BuiltPrototype& prototype)
{
    return tree.OverrideItem(prototype.fileName);
}

// Palette index i as the window draws it: BuildPalette's entry, each component x 4.
QColor PaletteColour(int i) { return QColor((i % 64) * 4, (i * 2 % 64) * 4, (i * 3 % 64) * 4); }

// A box of width x height, transparent but where frames are drawn: each
// frame's pixels (palette indexes, 0 transparent) with its top left corner at x, y.
struct Drawn {
    const FrmFrameRecipe* frame;
    int x;
    int y;
};
QImage Expected(int width, int height, const std::vector<Drawn>& frames)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (const Drawn& drawn : frames)
        for (int y = 0; y < drawn.frame->height; ++y)
            for (int x = 0; x < drawn.frame->width; ++x) {
                const int index = drawn.frame->pixels[std::size_t(y * drawn.frame->width + x)];
                if (index != 0)
                    image.setPixelColor(drawn.x + x, drawn.y + y, PaletteColour(index));
            }
    return image;
}

// Empty when the label shows exactly the expected picture; else the first difference.
QString Difference(const QLabel* label, const QImage& expected)
{
    if (!label)
        return "no label";
    const QImage shown = label->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    if (shown.size() != expected.size())
        return QString("size %1 x %2, expected %3 x %4")
            .arg(shown.width())
            .arg(shown.height())
            .arg(expected.width())
            .arg(expected.height());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QColor want = expected.pixelColor(x, y);
            const QColor got = shown.pixelColor(x, y);
            const bool same = want.alpha() == 0 ? got.alpha() == 0 : got == want;
            if (!same)
                return QString("pixel %1, %2: %3 (alpha %4), expected %5 (alpha %6)")
                    .arg(x)
                    .arg(y)
                    .arg(got.name())
                    .arg(got.alpha())
                    .arg(want.name())
                    .arg(want.alpha());
        }
    return {};
}

} // namespace

class TestWindowPrototypeTypes : public QObject {
    Q_OBJECT

private slots:
    void typeChoiceIsThereOnlyForAGameFolder();
    void eachTypeListsItsFilesInListOrder();
    void greyRowsSayWhyInTheStatusBar();
    void searchWorksOnEveryType();
    void everyKindShowsItsStoredValues();
    void editsOfAWeaponAndAnArmorSaveIntoData();
    void shadowedItemAsksBeforeSaving();
    void badValuesBlockSaveAndCancelWritesNothing();
    void picturesOfItemsAndSceneryMatchTheirFrames();
    void animatedPicturePlaysAtItsRate();
    void missingPicturesAreSaidInWords();
    void everyTypeLooksTidy();
};

void TestWindowPrototypeTypes::typeChoiceIsThereOnlyForAGameFolder()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    const TypeTree tree = BuildTypeTree(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open();
    QComboBox* types = TypeBox(form);
    QVERIFY(types);
    QVERIFY(form.centralWidget()->isAncestorOf(types));
    QVERIFY(!types->isVisible()); // the folders beside the program: no choice

    fixture.dialogs.folderAnswers.push_back(tree.root.string());
    form.OpenGameFolder1->trigger();
    QVERIFY(fixture.dialogs.errors.empty());
    QVERIFY(types->isVisible());
    QStringList items;
    for (int i = 0; i < types->count(); ++i)
        items << types->itemText(i);
    QCOMPARE(items, QStringList({"Critters", "Items", "Scenery", "Walls", "Tiles", "Misc"}));
    // Critters first, as before: the one critter with its name.
    QCOMPARE(types->currentText(), QString("Critters"));
    QCOMPARE(form.ListViewFiles->rowCount(), 1);
    QCOMPARE(fixture.Text("EditCritterName"), QString("Rat"));

    // The View menu has one item per type, Ctrl+1 to Ctrl+6.
    for (const TypeChoice& type : kTypes) {
        auto* action = Named<QAction>(form, type.action);
        QVERIFY(action);
        QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | type.key));
    }
    // The shortcuts and the drop-down list both choose.
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_3, Qt::ControlModifier);
    QCOMPARE(types->currentText(), QString("Scenery"));
    QCOMPARE(form.ListViewFiles->rowCount(), 6);
    types->setFocus();
    QTest::keyClick(types, Qt::Key_Down);
    QCOMPARE(types->currentText(), QString("Walls"));
    QCOMPARE(form.ListViewFiles->rowCount(), 1);
    QCOMPARE(Cell(form.ListViewFiles, 0, 1), QString("Brick Wall"));
    QTest::keyClick(&form, Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(types->currentText(), QString("Critters"));
    QCOMPARE(Cell(form.ListViewFiles, 0, 1), QString("Rat"));

    // Back to the folders beside the program: the choice goes.
    form.CloseGameFolder1->trigger();
    QVERIFY(!types->isVisible());
    QCOMPARE(form.ListViewFiles->rowCount(), 3);
    QVERIFY(fixture.dialogs.errors.empty());
}

void TestWindowPrototypeTypes::eachTypeListsItsFilesInListOrder()
{
    TypesWindow window;
    for (const char* folder : {"items", "scenery", "walls", "tiles", "misc"}) {
        QVERIFY2(Choose(window, folder), folder);
        QTableWidget* list = window.list;
        QCOMPARE(list->columnCount(), 4);
        QStringList headers;
        for (int column = 0; column < 4; ++column)
            headers << list->horizontalHeaderItem(column)->text();
        QCOMPARE(headers, QStringList({"File Name", "Name", "Pid Number", "Subtype"}));
        const bool subtypes = std::string(folder) == "items" || std::string(folder) == "scenery";
        QCOMPARE(list->isColumnHidden(3), !subtypes);

        // Listed files by their line, the line naming a missing file in its
        // place, then the files no line names.
        struct Row {
            QString file, name, pid, subtype;
            bool grey;
        };
        std::vector<Row> expected;
        for (const BuiltPrototype* prototype : window.tree.InFolder(folder)) {
            if (prototype->line == 0)
                continue;
            expected.push_back({QString::fromStdString(prototype->fileName), QString::fromStdString(prototype->name),
                                QString::number(prototype->Pid()), QString::fromStdString(prototype->subtype), false});
        }
        if (std::string(folder) == "items")
            expected.push_back({QString::fromStdString(window.tree.missingItem), "", "8", "", true});
        for (const BuiltPrototype* prototype : window.tree.InFolder(folder))
            if (prototype->line == 0)
                expected.push_back({QString::fromStdString(prototype->fileName),
                                    QString::fromStdString(prototype->name), "",
                                    QString::fromStdString(prototype->subtype), true});

        QCOMPARE(list->rowCount(), int(expected.size()));
        for (int row = 0; row < list->rowCount(); ++row) {
            const Row& want = expected[std::size_t(row)];
            const QByteArray where = QByteArray(folder) + " row " + QByteArray::number(row);
            QVERIFY2(Cell(list, row, 0) == want.file, where + " " + Cell(list, row, 0).toUtf8());
            QCOMPARE(list->item(row, 0)->data(Qt::UserRole).toString(), "proto/" + QString(folder) + "/" + want.file);
            QVERIFY2(Cell(list, row, 1) == want.name, where + " " + Cell(list, row, 1).toUtf8());
            QVERIFY2(Cell(list, row, 2) == want.pid, where + " " + Cell(list, row, 2).toUtf8());
            if (subtypes)
                QVERIFY2(Cell(list, row, 3) == want.subtype, where + " " + Cell(list, row, 3).toUtf8());
            QVERIFY2(Grey(list, row) == want.grey, where);
            QVERIFY2(list->item(row, 0)->toolTip().isEmpty() != want.grey, where);
        }
    }
    // Scenery line 3 is PID 3 of type 2, as the critters' column counts.
    QVERIFY(Choose(window, "scenery"));
    QCOMPARE(Cell(window.list, 2, 2), QString("33554435"));
    QVERIFY(window.fixture.dialogs.errors.empty());
}

void TestWindowPrototypeTypes::greyRowsSayWhyInTheStatusBar()
{
    TypesWindow window;
    QVERIFY(Choose(window, "items"));
    QTableWidget* list = window.list;

    // A file the list does not name: shown with its values, the reason in the status bar.
    const BuiltPrototype& unlisted = window.tree.Get("items", "00000008.pro");
    const int unlistedRow = RowOf(list, "00000008.pro");
    QVERIFY(unlistedRow >= 0);
    const QString notListed = list->item(unlistedRow, 0)->toolTip();
    QVERIFY2(notListed.contains("items.lst"), qPrintable(notListed));
    window.fixture.ClickRow(unlistedRow);
    QVERIFY2(Status(window.form).contains(notListed), qPrintable(Status(window.form)));
    QCOMPARE(Field(window.form, "text_id")->text(), QString::number(unlisted.textId));

    // A line naming a file the tree lacks: its line and list named.
    const int missingRow = RowOf(list, QString::fromStdString(window.tree.missingItem));
    QVERIFY(missingRow >= 0);
    const QString missing = list->item(missingRow, 0)->toolTip();
    QVERIFY2(missing.contains("8") && missing.contains("items.lst"), qPrintable(missing));
    QVERIFY(missing != notListed);
    window.fixture.ClickRow(missingRow);
    QVERIFY2(Status(window.form).contains(missing), qPrintable(Status(window.form)));

    // A listed file: its path and layer, as for critters.
    window.fixture.ClickRow(RowOf(list, "00000004.pro"));
    QCOMPARE(Status(window.form), QString::fromUtf8("proto/items/00000004.pro \u2014 master.dat"));
    QVERIFY(window.fixture.dialogs.errors.empty());
}

void TestWindowPrototypeTypes::searchWorksOnEveryType()
{
    TypesWindow window;
    QVERIFY(Choose(window, "items"));
    SearchFor(window.fixture, "geiger");
    QCOMPARE(SelectedRow(window.form), RowOf(window.list, "00000006.pro"));
    QCOMPARE(Named<QLineEdit>(window.form, "EditPrototypeName")->text(), QString("Geiger Counter"));
    // From the row found on: the next match, then round to the first.
    SearchFor(window.fixture, "knife");
    QCOMPARE(SelectedRow(window.form), RowOf(window.list, "00000008.pro"));

    // By PID with the box ticked.
    QVERIFY(Choose(window, "scenery"));
    window.form.CheckBox1->setChecked(true);
    SearchFor(window.fixture, "33554435");
    QCOMPARE(SelectedRow(window.form), 2);
    QCOMPARE(Named<QLineEdit>(window.form, "EditPrototypeName")->text(), QString("Freight Elevator"));
    QCOMPARE(Status(window.form), QString::fromUtf8("proto/scenery/00000003.pro \u2014 master.dat"));
    QVERIFY(window.fixture.dialogs.errors.empty());
}

void TestWindowPrototypeTypes::everyKindShowsItsStoredValues()
{
    TypesWindow window;
    for (const BuiltPrototype& prototype : window.tree.prototypes) {
        const QByteArray what = QByteArray::fromStdString(prototype.TreePath());
        QVERIFY2(Show(window, prototype), what);
        auto* form = Named<QWidget>(window.form, "PrototypeForm1");
        QVERIFY2(form && form->isVisible(), what);
        // A file the list does not name has the reason after its layer.
        const QString where = QString::fromStdString(prototype.TreePath() + " \u2014 " + prototype.layer);
        if (prototype.line != 0)
            QCOMPARE(Status(window.form), where);
        else
            QVERIFY2(Status(window.form).startsWith(where + QString::fromUtf8(" \u2014 ")), what);

        // Name and description: the text ID's entry and the next one's.
        auto* name = Named<QLineEdit>(window.form, "EditPrototypeName");
        auto* description = Named<QLineEdit>(window.form, "EditPrototypeDescription");
        QVERIFY(name && description);
        QVERIFY(!name->isReadOnly() && !description->isReadOnly()); // typed into, saved into the message file
        QCOMPARE(name->text(), QString::fromStdString(prototype.name));
        QCOMPARE(description->text(), QString::fromStdString(prototype.description));

        const std::vector<KindField> fields = KindFields(prototype.typeByte, prototype.subtypeNumber);
        int named = 0;
        for (QWidget* child : form->findChildren<QWidget*>())
            if (child->objectName().startsWith("Field_") && !child->objectName().contains("_bit_"))
                ++named;
        QVERIFY2(named == int(fields.size()), what + " has " + QByteArray::number(named) + " fields");
        for (const KindField& field : fields) {
            const QString control = QString::fromStdString("Field_" + field.key);
            const QByteArray where = what + " " + QByteArray::fromStdString(field.key);
            if (field.shown == Shown::List) {
                auto* list = form->findChild<QComboBox*>(control);
                QVERIFY2(list, where);
                QVERIFY2(list->currentData().toUInt() == ReadBigEndian(prototype.bytes, field.offset, field.width),
                         where);
            } else {
                auto* edit = form->findChild<QLineEdit*>(control);
                QVERIFY2(edit, where);
                QVERIFY2(edit->text() == QString::fromStdString(ShownText(field, prototype.bytes)),
                         where + " shows " + edit->text().toUtf8() + ", not " +
                             ShownText(field, prototype.bytes).c_str());
            }
        }
        // The subtype is shown, not editable; the weapon's unknown material is kept as such.
        if (prototype.subtypeNumber >= 0) {
            auto* subtype = form->findChild<QComboBox*>("Field_subtype");
            QVERIFY2(subtype && !subtype->isEnabled(), what);
            QCOMPARE(subtype->currentText().toLower(), QString::fromStdString(prototype.subtype));
        }
        QVERIFY2(!window.form.BitBtnSave->isEnabled(), what);
    }
    QVERIFY(Show(window, window.tree.Item("weapon")));
    auto* material = Named<QComboBox>(window.form, "Field_material");
    QCOMPARE(material->currentText(), QString("Unknown (99)"));
    QVERIFY(window.fixture.dialogs.errors.empty());
}

void TestWindowPrototypeTypes::editsOfAWeaponAndAnArmorSaveIntoData()
{
    TypesWindow window;
    TForm1& form = window.form;
    QComboBox* types = TypeBox(form);

    // A weapon's damage and a flag: SAVE clicked.
    const BuiltPrototype& weapon = window.tree.Item("weapon");
    QVERIFY(Show(window, weapon));
    const std::uint32_t flags = ReadBigEndian(weapon.bytes, 24, 4) | 0x00008000; // one flag more
    Retype(Field(form, "weapon.min_damage"), "12");
    QVERIFY(form.BitBtnSave->isEnabled() && form.BitBtnCancel->isEnabled());
    QVERIFY(!window.list->isEnabled());
    QVERIFY(!types->isEnabled());
    // Neither the menu nor its shortcut leaves the edit.
    QTest::keyClick(&form, Qt::Key_3, Qt::ControlModifier);
    QCOMPARE(types->currentText(), QString("Items"));
    Retype(Field(form, "weapon.max_damage"), "30");
    Retype(Field(form, "action_flags"), QString::asprintf("0x%08X", flags));
    window.fixture.ClickButton("BitBtnSave");
    QVERIFY(window.fixture.dialogs.errors.empty());
    QVERIFY(window.fixture.dialogs.questions.empty());

    const fs::path weaponCopy = OverrideOf(window.tree, weapon);
    QVERIFY(fs::exists(weaponCopy));
    QVERIFY(IsReadOnly(weaponCopy));
    std::vector<std::uint8_t> expected = weapon.bytes;
    WriteBigEndian(expected, 61, 4, 12);
    WriteBigEndian(expected, 65, 4, 30);
    WriteBigEndian(expected, 24, 4, flags);
    QCOMPARE(ReadAllBytes(weaponCopy), expected);
    QCOMPARE(ReadBigEndian(expected, kOffsetItemMaterial, 4), 99u); // the unknown material kept

    // Reloaded from its new layer, the row in its place, the edit closed.
    QCOMPARE(Status(form), QString::fromUtf8("proto/items/00000004.pro \u2014 data"));
    QCOMPARE(SelectedRow(form), RowOf(window.list, "00000004.pro"));
    QCOMPARE(Cell(window.list, SelectedRow(form), 1), QString("Hunting Rifle"));
    QCOMPARE(Field(form, "weapon.min_damage")->text(), QString("12"));
    QCOMPARE(Named<QComboBox>(form, "Field_material")->currentText(), QString("Unknown (99)"));
    QVERIFY(!form.BitBtnSave->isEnabled() && !form.BitBtnCancel->isEnabled());
    QVERIFY(window.list->isEnabled() && types->isEnabled());

    // An armor's resistances: F2.
    const BuiltPrototype& armor = window.tree.Item("armor");
    QVERIFY(Show(window, armor));
    Retype(Field(form, "armor.DRlaser"), "25");
    Retype(Field(form, "armor.DTfire"), "-3");
    QTest::keyClick(&form, Qt::Key_F2);
    QVERIFY(window.fixture.dialogs.errors.empty());
    const fs::path armorCopy = OverrideOf(window.tree, armor);
    QVERIFY(IsReadOnly(armorCopy));
    expected = armor.bytes;
    WriteBigEndian(expected, 65, 4, 25);
    WriteBigEndian(expected, 97, 4, std::uint32_t(-3));
    QCOMPARE(ReadAllBytes(armorCopy), expected);
    QCOMPARE(Field(form, "armor.DTfire")->text(), QString("-3"));
    QCOMPARE(Status(form), QString::fromUtf8("proto/items/00000007.pro \u2014 data"));
    // The weapon saved before is untouched.
    QCOMPARE(ReadBigEndian(ReadAllBytes(weaponCopy), 61, 4), 12u);

    // The saved copy now serves: a second edit changes it in place, still
    // read-only; another text ID renames the row and the form.
    Retype(Field(form, "armor.DRlaser"), "26");
    Retype(Field(form, "text_id"), "600");
    window.fixture.ClickButton("BitBtnSave");
    WriteBigEndian(expected, 65, 4, 26);
    WriteBigEndian(expected, kOffsetTextId, 4, 600);
    QCOMPARE(ReadAllBytes(armorCopy), expected);
    QVERIFY(IsReadOnly(armorCopy));
    QCOMPARE(SelectedRow(form), RowOf(window.list, "00000007.pro"));
    QCOMPARE(Cell(window.list, SelectedRow(form), 1), QString("Geiger Counter"));
    QCOMPARE(Cell(window.list, SelectedRow(form), 3), QString("armor"));
    QCOMPARE(Named<QLineEdit>(form, "EditPrototypeName")->text(), QString("Geiger Counter"));
    QVERIFY(window.fixture.dialogs.errors.empty());
}

void TestWindowPrototypeTypes::shadowedItemAsksBeforeSaving()
{
    TypesWindow window;
    TForm1& form = window.form;
    const BuiltPrototype& drug = window.tree.Get("items", window.tree.shadowedItem);
    QVERIFY(Show(window, drug));
    QCOMPARE(Status(form), QString::fromUtf8("proto/items/00000003.pro \u2014 patch000.dat"));
    const fs::path copy = OverrideOf(window.tree, drug);
    const QString question = "00000003.pro is also in patch000.dat, which the game reads before data. A copy saved "
                             "in data would not be used. Save anyway?";

    Retype(Field(form, "drug.amount_a"), "3");
    window.fixture.ClickButton("BitBtnSave"); // answered No
    QCOMPARE(window.fixture.dialogs.questions.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(window.fixture.dialogs.questions[0]), question);
    QVERIFY(!fs::exists(copy));
    QVERIFY(form.BitBtnCancel->isEnabled()); // the edit stays open

    window.fixture.dialogs.questionAnswers.push_back(true);
    window.fixture.ClickButton("BitBtnSave");
    QCOMPARE(window.fixture.dialogs.questions.size(), std::size_t(2));
    QVERIFY(window.fixture.dialogs.errors.empty());
    // The copy shown (the patch's) with the edit, not the master archive's.
    std::vector<std::uint8_t> expected = drug.bytes;
    WriteBigEndian(expected, 69, 4, 3);
    QCOMPARE(ReadAllBytes(copy), expected);
    QVERIFY(expected != window.tree.shadowedArchiveBytes);
    QVERIFY(IsReadOnly(copy));
    // The patch archive still serves it, and the window shows its copy.
    QCOMPARE(Status(form), QString::fromUtf8("proto/items/00000003.pro \u2014 patch000.dat"));
    QCOMPARE(Field(form, "drug.amount_a")->text(), QString::number(std::int32_t(ReadBigEndian(drug.bytes, 69, 4))));
}

void TestWindowPrototypeTypes::badValuesBlockSaveAndCancelWritesNothing()
{
    TypesWindow window;
    TForm1& form = window.form;
    const BuiltPrototype& weapon = window.tree.Item("weapon");
    QVERIFY(Show(window, weapon));
    const fs::path copy = OverrideOf(window.tree, weapon);
    QLineEdit* minDamage = Field(form, "weapon.min_damage");
    QLineEdit* sound = Field(form, "sound");

    // Not an integer, then out of range (one byte: 255 fits, 256 does not).
    const struct {
        QLineEdit* field;
        const char* text;
        bool good;
    } cases[] = {{minDamage, "12x", false}, {minDamage, "12", true}, {sound, "256", false},
                 {sound, "255", true},      {sound, "-1", false},    {minDamage, "4294967296", false}};
    for (const auto& c : cases) {
        Retype(c.field, c.text);
        QVERIFY2((FieldColor(c.field) == kRed) != c.good, c.text);
        QVERIFY2(form.BitBtnSave->isEnabled() == c.good, c.text);
        QVERIFY2(form.BitBtnCancel->isEnabled(), c.text);
    }
    // F2 with a red field writes nothing.
    QTest::keyClick(&form, Qt::Key_F2);
    QVERIFY(!fs::exists(copy));

    // Cancel: nothing written, the stored values shown again (the form is
    // built afresh), the edit closed.
    window.fixture.ClickButton("BitBtnCancel");
    QVERIFY(!fs::exists(copy));
    minDamage = Field(form, "weapon.min_damage");
    QCOMPARE(minDamage->text(), QString("8"));
    QCOMPARE(FieldColor(minDamage) == kRed, false);
    QCOMPARE(Field(form, "sound")->text(),
             QString::fromStdString(ShownText({"sound", 56, 1, Shown::Decimal}, weapon.bytes)));
    QVERIFY(!form.BitBtnSave->isEnabled() && !form.BitBtnCancel->isEnabled());
    QVERIFY(window.list->isEnabled() && TypeBox(form)->isEnabled());
    QCOMPARE(Status(form), QString::fromUtf8("proto/items/00000004.pro \u2014 master.dat"));
    QVERIFY(!fs::exists(window.tree.root / "data" / "proto"));
    QVERIFY(window.fixture.dialogs.errors.empty());
}

void TestWindowPrototypeTypes::picturesOfItemsAndSceneryMatchTheirFrames()
{
    TypesWindow window;
    TForm1& form = window.form;
    auto* ground = Named<QLabel>(form, "ImagePrototype");
    auto* inventory = Named<QLabel>(form, "ImageInventory");
    QVERIFY(ground && inventory);

    // The weapon's ground picture: frame 0 (5 x 4, offsets 0, 0) has its bottom
    // centre at (0, 0), so its corner at (-2, -4); frame 1 (3 x 2, offsets 2, -1)
    // its centre at (2, -1), its corner at (1, -3). The box runs from -2 to 4
    // across and -4 to 0 down: 6 x 4, frame 0 at (0, 0), column 5 empty.
    QVERIFY(Show(window, window.tree.Item("weapon")));
    const FrmRecipe& gun = window.tree.Picture("art/items/gun.frm").recipe;
    QCOMPARE(Difference(ground, Expected(6, 4, {{&gun.frameSets[0][0], 0, 0}})), QString());
    // Its inventory picture: one 4 x 3 frame, its offsets move nothing.
    const FrmRecipe& igun = window.tree.Picture("art/inven/igun.frm").recipe;
    QCOMPARE(Difference(inventory, Expected(4, 3, {{&igun.frameSets[0][0], 0, 0}})), QString());
    QVERIFY(inventory->isVisible());
    // Save Image writes the first frame at its place as PNG.
    const fs::path png = window.fixture.Root() / "ground.png";
    window.fixture.dialogs.saveAnswers.push_back(png.string());
    auto* saveImage = Named<QAction>(form, "ImagePrototypeSaveImage");
    QVERIFY(saveImage);
    saveImage->trigger();
    QLabel saved;
    saved.setPixmap(QPixmap(QString::fromStdString(png.string()), "PNG"));
    QCOMPARE(Difference(&saved, Expected(6, 4, {{&gun.frameSets[0][0], 0, 0}})), QString());

    // The armor's: 137 x 129 fits the picture box and is shown unscaled; the
    // inventory picture, one column wider, is made smaller to fit.
    QVERIFY(Show(window, window.tree.Item("armor")));
    const FrmRecipe& jacket = window.tree.Picture("art/items/jacket.frm").recipe;
    QCOMPARE(Difference(ground, Expected(137, 129, {{&jacket.frameSets[0][0], 0, 0}})), QString());
    const QSize smaller = inventory->pixmap().size();
    QVERIFY2(!smaller.isEmpty() && smaller.width() <= 137 && smaller.height() <= 129,
             qPrintable(QString("%1 x %2").arg(smaller.width()).arg(smaller.height())));

    // The door: direction 0 of six (6 x 5, one frame), not the critters' standing direction.
    QVERIFY(Show(window, window.tree.Get("scenery", "00000001.pro")));
    const FrmRecipe& door = window.tree.Picture("art/scenery/door.frm").recipe;
    QCOMPARE(Difference(ground, Expected(6, 5, {{&door.frameSets[0][0], 0, 0}})), QString());
    QVERIFY(!inventory->isVisible()); // scenery has no inventory picture
    QVERIFY(window.fixture.dialogs.errors.empty());
}

void TestWindowPrototypeTypes::animatedPicturePlaysAtItsRate()
{
    TypesWindow window;
    auto* ground = Named<QLabel>(window.form, "ImagePrototype");
    QVERIFY(ground);
    QVERIFY(Show(window, window.tree.Item("weapon")));
    const FrmRecipe& gun = window.tree.Picture("art/items/gun.frm").recipe;
    const QImage first = Expected(6, 4, {{&gun.frameSets[0][0], 0, 0}});
    const QImage second = Expected(6, 4, {{&gun.frameSets[0][1], 3, 1}}); // its corner (1, -3) in the box
    // Milliseconds until the label shows the picture, looked at every 5 ms; -1 after 3 s.
    const auto waitFor = [&](const QImage& picture) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 3000) {
            if (Difference(ground, picture).isEmpty())
                return waited.elapsed();
            QTest::qWait(5);
        }
        return qint64(-1);
    };
    QVERIFY2(waitFor(second) >= 0, qPrintable(Difference(ground, second)));
    // Five frames a second: 200 ms each (a timer may fire a little early,
    // never half as soon), and on round to the first frame.
    const qint64 shown = waitFor(first);
    QVERIFY2(shown >= 160, qPrintable(QString::number(shown)));
    QVERIFY2(waitFor(second) >= 160, "the second frame again");
}

void TestWindowPrototypeTypes::missingPicturesAreSaidInWords()
{
    TypesWindow window;
    auto* ground = Named<QLabel>(window.form, "ImagePrototype");
    auto* inventory = Named<QLabel>(window.form, "ImageInventory");
    QVERIFY(ground && inventory);
    const struct {
        const char* folder;
        const char* file;
        const char* groundWord; // a word the ground picture's text holds
    } cases[] = {
        {"items", "00000002.pro", "lost"}, // the list's line names a file the art lacks
        {"scenery", "00000002.pro", "gone"},    {"walls", "00000001.pro", "walls.lst"}, // no list at all
        {"tiles", "00000001.pro", "tiles.lst"}, {"misc", "00000001.pro", "misc.lst"},
    };
    for (const auto& c : cases) {
        QVERIFY2(Show(window, window.tree.Get(c.folder, c.file)), c.file);
        QVERIFY2(ground->pixmap().isNull(), c.folder);
        QVERIFY2(ground->text().contains(c.groundWord), qPrintable(ground->text()));
    }
    // An item without an inventory picture (-1) says so too.
    QVERIFY(Show(window, window.tree.Item("key")));
    QVERIFY(inventory->pixmap().isNull());
    QVERIFY(!inventory->text().isEmpty());
    QVERIFY(window.fixture.dialogs.errors.empty());
}

void TestWindowPrototypeTypes::everyTypeLooksTidy()
{
    // At the window's own size; QUARNEL_TYPE_PICTURES names a folder to save
    // a picture of the window in each type in, to look at.
    const QString folder = qEnvironmentVariable("QUARNEL_TYPE_PICTURES");
    TypesWindow window;
    for (const char* shown : {"items", "scenery", "walls", "tiles", "misc"}) {
        QVERIFY(Show(window, *window.tree.InFolder(shown).front()));
        auto* form = Named<QWidget>(window.form, "PrototypeForm1");
        QVERIFY(form && form->isVisible());
        // Every field fits its column, the form and the picture lie inside the window.
        for (QLineEdit* edit : form->findChildren<QLineEdit*>())
            QVERIFY2(edit->width() >= edit->minimumSizeHint().width(), qPrintable(edit->objectName()));
        const QRect client = window.form.centralWidget()->rect();
        const auto inside = [&](const QWidget* widget) {
            const QRect rect(widget->mapTo(window.form.centralWidget(), QPoint(0, 0)), widget->size());
            return client.contains(rect);
        };
        QVERIFY2(inside(form), shown);
        QVERIFY2(inside(Named<QLabel>(window.form, "ImagePrototype")), shown);
        QVERIFY2(inside(Named<QLineEdit>(window.form, "EditPrototypeName")), shown);
        // The file names are shown whole.
        QVERIFY2(window.list->columnWidth(0) >= window.list->fontMetrics().horizontalAdvance("00000001.pro"), shown);
        if (!folder.isEmpty())
            window.form.grab().save(folder + "/" + shown + ".png");
    }
}

QTEST_MAIN(TestWindowPrototypeTypes)
#include "test_window_prototype_types.moc"
