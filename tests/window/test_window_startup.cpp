// Start-up through the real window: caption, list, first critter, menus, and
// start-up that survives a broken game folder.
#include "WindowFixture.h"
#include "editor/FieldLook.h"
#include "editor/Globals.h"
#include "platform/FileAttributes.h"
#include "platform/VersionInfo.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace quarnel;
using namespace quarnel::test;

class TestWindowStartup : public QObject {
    Q_OBJECT

private slots:
    void opensOnTheSecondGameWithCaptionAndList();
    void menusAndButtonsStartInBrowsingState();
    void firstCritterShowsExactlyItsStoredValues();
    void brokenFolderStillLeavesALiveWindow_data();
    void brokenFolderStillLeavesALiveWindow();
    void emptyFolderShowsDesignTimeTexts();
    void sharedTestDataIsListedWithItsNames();
};

void TestWindowStartup::opensOnTheSecondGameWithCaptionAndList()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();

    QCOMPARE(form.windowTitle(),
             QString::fromStdString("Quarnel by Vostrik   v. " + GetFileVersionText("quarnel.exe")));
    QVERIFY(form.windowTitle().startsWith("Quarnel by Vostrik   v. 1."));
    QCOMPARE(form.objectName(), QString("Form1"));
    QCOMPARE(form.RadioGroup1ItemIndex(), 1);
    QVERIFY(IsSecondGame);
    QVERIFY(!IsLoading);

    QTableWidget* list = form.ListViewFiles;
    QCOMPARE(list->rowCount(), 3);
    QCOMPARE(list->horizontalHeaderItem(0)->text(), QString("File Name"));
    QCOMPARE(list->horizontalHeaderItem(1)->text(), QString("Item Name"));
    QCOMPARE(list->horizontalHeaderItem(2)->text(), QString("Pid Number"));
    QCOMPARE(list->columnWidth(0), 85);
    QCOMPARE(list->columnWidth(1), 143);
    QCOMPARE(list->columnWidth(2), 70);
    const QStringList expected[] = {{"00000003.pro", "Rat", "16777219"},
                                    {"00000123.pro", "Mole Rat", "16777339"},
                                    {"00000200.pro", "Wasteland Dog", "16777416"}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            QCOMPARE(list->item(row, column)->text(), expected[row][column]);

    QCOMPARE(list->selectedItems().first()->row(), 0);
    QCOMPARE(QString::fromStdString(CurrentCritterPath), QString::fromStdString(fixture.CritterPath(3).string()));
    QCOMPARE(fixture.Text("EditCritterName"), QString("Rat"));
    QVERIFY(IsReadOnly(fixture.CritterPath(3)));
    QVERIFY(std::filesystem::exists(fixture.Root() / "temp" / "tmp.txt"));
}

void TestWindowStartup::menusAndButtonsStartInBrowsingState()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();

    struct Expected {
        QAction* action;
        const char* caption;
        bool enabled;
    };
    const Expected items[] = {
        {form.Zapisz1, "Save", false},
        {form.Wyj1, "Exit", true},
        {form.KonwertujFO1doFO2412do4161, "Convert FO1 to FO2 (412 do 416)", false},
        {form.Zapiszdoplikutxt1, "Save to file *.txt", false},
        {form.ExtratoBase1, "Extra values to Base", false},
        {form.Enable1, "Enable", true},
        {form.Disable1, "Disable", true},
        {form.About1, "About", true},
    };
    for (const auto& item : items) {
        QCOMPARE(item.action->text(), QString(item.caption));
        QCOMPARE(item.action->isEnabled(), item.enabled);
        QCOMPARE(form.findChild<QAction*>(item.action->objectName()), item.action);
    }
    QCOMPARE(form.Zapisz1->shortcut(), QKeySequence(Qt::Key_F2));
    QVERIFY(form.Disable1->isChecked());
    QVERIFY(!form.Enable1->isChecked());
    QCOMPARE(form.EditBASEvalues1->title(), QString("Edit BASE values"));

    QVERIFY(!form.BitBtnSave->isEnabled());
    QVERIFY(!form.BitBtnCancel->isEnabled());
    QCOMPARE(form.BitBtnSave->text(), QString("SAVE"));
    QCOMPARE(form.BitBtnCancel->text(), QString("CANCEL"));
    QVERIFY(form.ListViewFiles->isEnabled());
    QVERIFY(form.RadioGroup1->isEnabled());
    QCOMPARE(form.Panel11->palette().color(QPalette::Window), kPanelBlue);
    for (int n : {2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17})
        QVERIFY(form.findChild<QPushButton*>(QString("BitBtn%1").arg(n))->isEnabled());
    QVERIFY(!form.findChild<QPushButton*>("BitBtn3"));
    // The 49 base fields start greyed out.
    QVERIFY(!fixture.Field("EditBaseDTfire")->isEnabled());
    QVERIFY(!fixture.Field("EditSkillSmallGunsBase")->isEnabled());
}

void TestWindowStartup::firstCritterShowsExactlyItsStoredValues()
{
    WindowFixture fixture;
    // Stored derived values that differ from the formulas must stand as stored.
    fixture.AddCritter(7, ProtoBuilder(416)
                              .TextId(12345)
                              .PidNumber(5)
                              .Primary(0, 8, -2)
                              .Primary(6, 12, 3)
                              .Derived(0, 99, 7)
                              .Derived(5, 1, 2)
                              .Damage(1, false, 4, 2)
                              .Damage(2, true, 30, 0)
                              .Gender(1, 1)
                              .Skill(0, -10)
                              .Experience(1234));
    fixture.WriteNameTable({{12345, "Odd Id"}, {700, "Not this one"}});
    fixture.Open();

    const std::pair<const char*, const char*> expected[] = {
        {"EditIDNumber", "123"},
        {"EditCritterPID", "16777221"},
        {"EditCritterName", "Odd Id"},
        {"EditBaseST", "8"},
        {"EditExtraST", "-2"},
        {"EditST", "6"},
        {"EditBaseLU", "12"},
        {"EditExtraLU", "3"},
        {"EditLU", "15"},
        {"EditBaseHP", "99"},
        {"EditExtraHP", "7"},
        {"EditHP", "106"},
        {"EditBaseCarryWeight", "1"},
        {"EditCarryWeight", "3"},
        {"EditBaseDTlaser", "4"},
        {"EditExtraDTlaser", "2"},
        {"EditCritterDTlaser", "6"},
        {"EditBaseDRfire", "30"},
        {"EditExtraDRfire", "0"},
        {"EditCritterDRfire", "30 %"},
        {"EditExpPoints", "1234"},
        {"EditSkillSmallGunsExtra", "-10"},
        {"EditGender", "1"},
        {"EditExtraGender", "1"},
        {"EditBaseGender", ""},
        // Second game: small guns 5 + 4 x AG(5) = 25, plus -10.
        {"EditSkillSmallGunsBase", "25"},
        {"EditSkillSmallguns", "15"},
        // Unarmed 30 + 2 x (ST 6 + AG 5) = 52.
        {"EditSkillUnarmedBase", "52"},
    };
    for (const auto& [name, text] : expected)
        QVERIFY2(fixture.Text(name) == text, qPrintable(QString("%1 = '%2'").arg(name, fixture.Text(name))));
    QCOMPARE(fixture.Form().ComboBoxGender->currentText(), QString("Female"));
}

void TestWindowStartup::brokenFolderStillLeavesALiveWindow_data()
{
    QTest::addColumn<bool>("withNameTable");
    QTest::addColumn<bool>("withBadName");
    QTest::addColumn<QString>("error");
    QTest::newRow("missing name table") << false << false << "File not found.";
    QTest::newRow("file name that is no number") << true << true << "'rat.pro' is not a valid integer value.";
}

void TestWindowStartup::brokenFolderStillLeavesALiveWindow()
{
    QFETCH(bool, withNameTable);
    QFETCH(bool, withBadName);
    QFETCH(QString, error);
    WindowFixture fixture;
    fixture.AddCritter(1, ProtoBuilder(416));
    if (withNameTable)
        fixture.WriteNameTable({{100, "One"}});
    if (withBadName)
        ProtoBuilder(416).WriteTo(fixture.GameFolder(true) / "rat.pro");
    TForm1& form = fixture.Open();

    QCOMPARE(fixture.dialogs.errors.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(fixture.dialogs.errors.front()), error);
    QVERIFY(form.isVisible());
    // The remaining start-up steps ran: Save is off and the change rules are alive.
    QVERIFY(!form.Zapisz1->isEnabled());
    QVERIFY(!IsLoading);
    fixture.Field("EditBaseHP")->setText("10");
    fixture.Type("EditExtraHP", "5");
    QCOMPARE(fixture.Text("EditHP"), QString("15"));
}

void TestWindowStartup::emptyFolderShowsDesignTimeTexts()
{
    WindowFixture fixture;
    fixture.WriteNameTable({});
    TForm1& form = fixture.Open();
    QCOMPARE(form.ListViewFiles->rowCount(), 0);
    QVERIFY(CurrentCritterPath.empty());
    QCOMPARE(fixture.Text("EditIDNumber"), QString("EditIDNumber"));
    QCOMPARE(fixture.Text("EditCritterName"), QString("EditCritterName"));
    QCOMPARE(fixture.Text("EditST"), QString());
    QVERIFY(fixture.dialogs.errors.empty());
}

void TestWindowStartup::sharedTestDataIsListedWithItsNames()
{
    const std::filesystem::path shared = QUARNEL_SHARED_TESTDATA;
    if (!std::filesystem::exists(shared))
        QSKIP("shared test data not present");
    WindowFixture fixture;
    for (const char* game : {"FO1", "FO2"})
        std::filesystem::copy(shared / game, fixture.Root() / game,
                              std::filesystem::copy_options::overwrite_existing |
                                  std::filesystem::copy_options::recursive);
    TForm1& form = fixture.Open();
    QVERIFY(fixture.dialogs.errors.empty());
    QCOMPARE(form.ListViewFiles->rowCount(), 20);
    int named = 0;
    for (int row = 0; row < form.ListViewFiles->rowCount(); ++row)
        named += form.ListViewFiles->item(row, 1)->text().isEmpty() ? 0 : 1;
    QVERIFY(named >= 15);
    QVERIFY(!form.ListViewFiles->item(0, 1)->text().contains('\r'));
}

QTEST_MAIN(TestWindowStartup)
#include "test_window_startup.moc"
