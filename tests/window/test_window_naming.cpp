// Names and new prototypes in the real window, on an install built byte by
// byte: a name and a description typed and saved into the override folder's
// copy of the message file (every other byte as the archive's), Cancel and
// refused texts writing nothing, a critter's name box, and File / "New from
// this one..." making the next number and selecting it.
#include "TypeTreeBuilder.h"
#include "WindowFixture.h"
#include "platform/FileAttributes.h"

#include <QAction>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <fstream>
#include <sstream>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

struct NamingWindow {
    WindowFixture fixture;
    TypeTree tree = BuildTypeTree(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open(tree.root);

    fs::path OverrideText(const char* file) const { return tree.root / "data" / "text" / "english" / "game" / file; }
    QLineEdit* Named(const char* name) const { return form.findChild<QLineEdit*>(name); }
    // Chooses the prototype's type and clicks its row; false when it is not there.
    bool Show(const BuiltPrototype& prototype)
    {
        const char* actions[] = {"ViewItems1", nullptr, "ViewScenery1", "ViewWalls1", "ViewTiles1", "ViewMisc1"};
        form.findChild<QAction*>(actions[prototype.typeByte])->trigger();
        const int row = RowOf(form.ListViewFiles, QString::fromStdString(prototype.fileName));
        if (row < 0)
            return false;
        fixture.ClickRow(row);
        return SelectedRow(form) == row;
    }
};

void Retype(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

std::string ReadText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The items' message file as the builder lays it out, with one item's texts replaced.
std::string ItemMessages(const TypeTree& tree, const std::string& fileName, const std::string& name,
                         const std::string& description)
{
    std::string text;
    for (const BuiltPrototype* item : tree.InFolder("items")) {
        const bool changed = item->fileName == fileName;
        text += "{" + std::to_string(item->textId) + "}{}{" + (changed ? name : item->name) + "}\r\n{" +
                std::to_string(item->textId + 1) + "}{}{" + (changed ? description : item->description) + "}\r\n";
    }
    return text;
}

} // namespace

class TestWindowNaming : public QObject {
    Q_OBJECT

private slots:
    void nameAndDescriptionAreSavedIntoTheMessageFile();
    void cancelAndRefusedTextsWriteNothing();
    void critterNameBoxIsTypedIntoInAGameFolderOnly();
    void newFromThisOneMakesTheNextNumberAndSelectsIt();
};

void TestWindowNaming::nameAndDescriptionAreSavedIntoTheMessageFile()
{
    NamingWindow window;
    const BuiltPrototype& weapon = window.tree.Item("weapon");
    QVERIFY(window.Show(weapon));
    QLineEdit* name = window.Named("EditPrototypeName");
    QLineEdit* description = window.Named("EditPrototypeDescription");
    QVERIFY(name && description && !name->isReadOnly());
    Retype(name, "Laser Rifle");
    Retype(description, "Burns things.");
    QVERIFY(window.form.BitBtnSave->isEnabled());
    QVERIFY(!window.form.ListViewFiles->isEnabled());
    window.fixture.ClickButton("BitBtnSave");

    // Only the message file changed: its copy in data holds every other byte as the archive's.
    QCOMPARE(ReadText(window.OverrideText("pro_item.msg")),
             ItemMessages(window.tree, weapon.fileName, "Laser Rifle", "Burns things."));
    QVERIFY(!fs::exists(window.tree.OverrideItem(weapon.fileName)));
    QVERIFY(window.fixture.dialogs.errors.empty());
    // The row and the form follow the file now.
    const int row = SelectedRow(window.form);
    QCOMPARE(window.form.ListViewFiles->item(row, 1)->text(), QString("Laser Rifle"));
    QCOMPARE(name->text(), QString("Laser Rifle"));
    QVERIFY(!window.form.BitBtnSave->isEnabled());
}

void TestWindowNaming::cancelAndRefusedTextsWriteNothing()
{
    NamingWindow window;
    const BuiltPrototype& armor = window.tree.Item("armor");
    QVERIFY(window.Show(armor));
    QLineEdit* name = window.Named("EditPrototypeName");
    Retype(name, "Changed");
    window.fixture.ClickButton("BitBtnCancel");
    QCOMPARE(name->text(), QString::fromStdString(armor.name));
    QVERIFY(!fs::exists(window.OverrideText("pro_item.msg")));

    // A '}' would end the text where the game reads it: refused with its reason, nothing written.
    Retype(name, "Power {Armor}");
    window.fixture.ClickButton("BitBtnSave");
    QCOMPARE(window.fixture.dialogs.errors.size(), std::size_t(1));
    QVERIFY2(window.fixture.dialogs.errors[0].find('}') != std::string::npos, window.fixture.dialogs.errors[0].c_str());
    QVERIFY(!fs::exists(window.OverrideText("pro_item.msg")));
    QVERIFY(!fs::exists(window.tree.OverrideItem(armor.fileName)));
}

void TestWindowNaming::critterNameBoxIsTypedIntoInAGameFolderOnly()
{
    NamingWindow window;
    QVERIFY(window.form.EditCritterName->isEnabled());
    window.fixture.ClickRow(0);
    QCOMPARE(window.form.EditCritterName->text(), QString("Rat"));
    Retype(window.form.EditCritterName, "Big Rat");
    QVERIFY(window.form.BitBtnSave->isEnabled());
    window.fixture.ClickButton("BitBtnSave");
    QCOMPARE(ReadText(window.OverrideText("pro_crit.msg")), std::string("{100}{}{Big Rat}\r\n"));
    QCOMPARE(window.form.ListViewFiles->item(0, 1)->text(), QString("Big Rat"));
    // The record itself did not change, so no copy of it was written.
    QVERIFY(!fs::exists(window.tree.root / "data" / "proto" / "critters" / "00000001.pro"));

    window.form.CloseGameFolder();
    QVERIFY(!window.form.EditCritterName->isEnabled());
}

void TestWindowNaming::newFromThisOneMakesTheNextNumberAndSelectsIt()
{
    NamingWindow window;
    auto* make = window.form.findChild<QAction*>("NewFromThis1");
    QVERIFY(make && make->isVisible());
    const BuiltPrototype& weapon = window.tree.Item("weapon");
    QVERIFY(window.Show(weapon));
    QVERIFY(make->isEnabled());
    // The new number follows the list file's last line.
    int lines = 0;
    for (const BuiltPrototype* item : window.tree.InFolder("items"))
        lines = std::max(lines, item->line);
    lines = std::max(lines, window.tree.missingItemLine);
    char file[16];
    std::snprintf(file, sizeof file, "%08d.pro", lines + 1);

    make->trigger();
    QVERIFY2(window.fixture.dialogs.errors.empty(),
             window.fixture.dialogs.errors.empty() ? "" : window.fixture.dialogs.errors[0].c_str());
    const fs::path made = window.tree.OverrideItem(file);
    QVERIFY(fs::exists(made));
    QVERIFY(IsReadOnly(made));
    const int row = SelectedRow(window.form);
    QVERIFY(row >= 0);
    QCOMPARE(window.form.ListViewFiles->item(row, 0)->text(), QString(file));
    QCOMPARE(window.form.ListViewFiles->item(row, 2)->text(), QString::number(lines + 1));
    QCOMPARE(window.Named("EditPrototypeName")->text(), QString::fromStdString(weapon.name));

    // A second one takes the number after it.
    make->trigger();
    std::snprintf(file, sizeof file, "%08d.pro", lines + 2);
    QVERIFY(fs::exists(window.tree.OverrideItem(file)));
    QCOMPARE(window.form.ListViewFiles->item(SelectedRow(window.form), 0)->text(), QString(file));
}

QTEST_MAIN(TestWindowNaming)
#include "test_window_naming.moc"
