// The critter list through the real window: search, the game switch and the
// first-game conversion.
#include "WindowFixture.h"
#include "editor/FieldLook.h"
#include "editor/Globals.h"
#include "platform/FileAttributes.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace quarnel;
using namespace quarnel::test;

namespace {

void BuildSearchFolder(WindowFixture& fixture)
{
    const std::pair<int, const char*> critters[] = {
        {1, "Rat"}, {2, "Mole Rat"}, {3, "Wasteland Dog"}, {4, "Pirate"}, {5, "Élan Ratón"}};
    std::map<int, std::string> names;
    for (const auto& [number, name] : critters) {
        fixture.AddCritter(number, ProtoBuilder(416).PidNumber(number).TextId(number * 100));
        names[number * 100] = name;
    }
    fixture.WriteNameTable(names);
}

} // namespace

class TestWindowLibrary : public QObject {
    Q_OBJECT

private slots:
    void repeatedSearchesStepThroughTheMatches();
    void searchFromTheLastRowStartsAtTheTop();
    void shortTextsNeverMatch();
    void pidColumnReplacesTheNameColumn();
    void accentedLettersMatchWithoutCase();
    void clickIntoTheBoxMakesItWhite();
    void searchIsRefusedWhileEditing();
    void gameSwitchListsTheOtherFolderWithItsFormulas();
    void failedSwitchLeavesAUsableWindow();
    void conversionThroughTheMenu();
};

void TestWindowLibrary::repeatedSearchesStepThroughTheMatches()
{
    WindowFixture fixture;
    BuildSearchFolder(fixture);
    TForm1& form = fixture.Open();
    fixture.ClickRow(0);
    // "rat" is in rows 0 (Rat), 1 (Mole Rat), 3 (Pirate) and 4 (Ratón); row 0 is selected.
    const int expected[] = {1, 3, 4};
    for (int row : expected) {
        SearchFor(fixture, "rat");
        QCOMPARE(SelectedRow(form), row);
        QCOMPARE(FieldColor(form.Edit_Search), kSearchFound);
        QCOMPARE(QString::fromStdString(CurrentCritterPath),
                 QString::fromStdString(fixture.CritterPath(row + 1).string()));
        QCOMPARE(fixture.Text("EditIDNumber"), QString::number(row + 1));
    }
    // The last match is the last row: the next search begins at the top directly.
    QVERIFY(form.BitBtn_Search->hasFocus());
    QTest::keyClick(form.BitBtn_Search, Qt::Key_Return);
    QCOMPARE(SelectedRow(form), 0);

    // Without a match below the selection: not found, selection cleared; then from the top.
    SearchFor(fixture, "dog");
    QCOMPARE(SelectedRow(form), 2);
    SearchFor(fixture, "dog");
    QCOMPARE(SelectedRow(form), -1);
    QCOMPARE(FieldColor(form.Edit_Search), kSearchNotFound);
    QVERIFY(CurrentCritterPath.empty());
    SearchFor(fixture, "dog");
    QCOMPARE(SelectedRow(form), 2);
}

void TestWindowLibrary::searchFromTheLastRowStartsAtTheTop()
{
    WindowFixture fixture;
    BuildSearchFolder(fixture);
    TForm1& form = fixture.Open();
    fixture.ClickRow(4);
    SearchFor(fixture, "00000001");
    QCOMPARE(SelectedRow(form), 0);
}

void TestWindowLibrary::shortTextsNeverMatch()
{
    WindowFixture fixture;
    BuildSearchFolder(fixture);
    TForm1& form = fixture.Open();
    SearchFor(fixture, "R");
    QCOMPARE(FieldColor(form.Edit_Search), kSearchNotFound);
    QCOMPARE(SelectedRow(form), 0); // the list is left untouched
    SearchFor(fixture, "og");       // two characters at the end of a name
    QCOMPARE(SelectedRow(form), 2);
}

void TestWindowLibrary::pidColumnReplacesTheNameColumn()
{
    WindowFixture fixture;
    BuildSearchFolder(fixture);
    TForm1& form = fixture.Open();
    form.CheckBox1->setChecked(true);
    SearchFor(fixture, "16777220");
    QCOMPARE(SelectedRow(form), 3);
    SearchFor(fixture, "Dog");
    QCOMPARE(FieldColor(form.Edit_Search), kSearchNotFound);
    SearchFor(fixture, ".pro"); // the file-name column is still searched
    QCOMPARE(SelectedRow(form), 0);
}

void TestWindowLibrary::accentedLettersMatchWithoutCase()
{
    WindowFixture fixture;
    BuildSearchFolder(fixture);
    TForm1& form = fixture.Open();
    form.Edit_Search->setText(QString::fromUtf8("élan"));
    QTest::keyClick(form.Edit_Search, Qt::Key_Return);
    QCOMPARE(SelectedRow(form), 4);
    QCOMPARE(form.ListViewFiles->item(4, 1)->text(), QString::fromUtf8("Élan Ratón"));
}

void TestWindowLibrary::clickIntoTheBoxMakesItWhite()
{
    WindowFixture fixture;
    BuildSearchFolder(fixture);
    TForm1& form = fixture.Open();
    SearchFor(fixture, "zz");
    QCOMPARE(FieldColor(form.Edit_Search), kSearchNotFound);
    QTest::keyClick(form.Edit_Search, Qt::Key_A);
    QCOMPARE(FieldColor(form.Edit_Search), kSearchNotFound); // typing keeps the colour
    QTest::mouseClick(form.Edit_Search, Qt::LeftButton);
    QCOMPARE(FieldColor(form.Edit_Search), kWhite);
}

void TestWindowLibrary::searchIsRefusedWhileEditing()
{
    WindowFixture fixture;
    BuildSearchFolder(fixture);
    TForm1& form = fixture.Open();
    fixture.Retype("EditExtraST", "3");
    const std::string edited = CurrentCritterPath;
    SearchFor(fixture, "dog");
    QCOMPARE(CurrentCritterPath, edited);
    QCOMPARE(SelectedRow(form), 0);
    QCOMPARE(fixture.Text("EditExtraST"), QString("3"));
    QCOMPARE(FieldColor(form.Edit_Search), kSearchNotFound);
    QVERIFY(!form.Edit_Search->toolTip().isEmpty());
    fixture.ClickButton("BitBtnSave");
    SearchFor(fixture, "dog");
    QCOMPARE(SelectedRow(form), 2);
    QVERIFY(form.Edit_Search->toolTip().isEmpty());
}

void TestWindowLibrary::gameSwitchListsTheOtherFolderWithItsFormulas()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    fixture.AddCritter(11, ProtoBuilder(412), false);
    fixture.AddCritter(12, ProtoBuilder(412), false);
    fixture.AddCritter(123, ProtoBuilder(412), false); // the name of the shown file, in another row
    fixture.WriteNameTable({{1100, "Eleven"}, {1200, "Twelve"}}, false);
    TForm1& form = fixture.Open();
    fixture.ClickRow(1);
    fixture.Retype("EditExtraST", "1");
    fixture.ClickButton("BitBtnSave");
    QCOMPARE(fixture.Text("EditSkillSmallGunsBase"), QString("25")); // second game: 5 + 4 x 5

    QTest::mouseClick(form.RadioGroup1Items->button(0), Qt::LeftButton);
    QVERIFY(!IsSecondGame);
    QVERIFY(!IsLoading);
    QVERIFY(form.KonwertujFO1doFO2412do4161->isEnabled());
    QCOMPARE(form.ListViewFiles->rowCount(), 3);
    QCOMPARE(form.ListViewFiles->item(1, 1)->text(), QString("Twelve"));
    // The row at the last loaded position is loaded, not the file of the same
    // name, with the first game's formulas.
    QCOMPARE(SelectedRow(form), 1);
    QCOMPARE(std::filesystem::path(CurrentCritterPath).filename().string(), std::string("00000012.pro"));
    QCOMPARE(fixture.Text("EditSkillSmallGunsBase"), QString("40")); // first game: 35 + 5
    QVERIFY(!form.BitBtnSave->isEnabled() && !form.BitBtnCancel->isEnabled() && !form.Zapisz1->isEnabled());

    // Later recomputations use the first game's formulas too.
    fixture.Retype("EditExtraAG", "1");
    QCOMPARE(fixture.Text("EditSkillSmallGunsBase"), QString("41"));
    fixture.ClickButton("BitBtnCancel");

    QTest::mouseClick(form.RadioGroup1Items->button(1), Qt::LeftButton);
    QVERIFY(IsSecondGame);
    QVERIFY(!form.KonwertujFO1doFO2412do4161->isEnabled());
    QCOMPARE(form.ListViewFiles->rowCount(), 3);
    QCOMPARE(fixture.Text("EditSkillSmallGunsBase"), QString("25"));
}

void TestWindowLibrary::failedSwitchLeavesAUsableWindow()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    fixture.AddCritter(11, ProtoBuilder(412), false); // no name table in the first game's folder
    TForm1& form = fixture.Open();
    QTest::mouseClick(form.RadioGroup1Items->button(0), Qt::LeftButton);
    QCOMPARE(fixture.dialogs.errors, std::vector<std::string>{"File not found."});
    QVERIFY(!IsLoading);
    QVERIFY(form.ListViewFiles->isEnabled() && form.RadioGroup1->isEnabled());
    QCOMPARE(form.ListViewFiles->rowCount(), 0);
    // The rules are alive and the way back works.
    fixture.Retype("EditExtraHP", "4");
    QCOMPARE(fixture.Text("EditHP"), QString("34"));
    fixture.ClickButton("BitBtnCancel");
    QTest::mouseClick(form.RadioGroup1Items->button(1), Qt::LeftButton);
    QCOMPARE(form.ListViewFiles->rowCount(), 3);
}

void TestWindowLibrary::conversionThroughTheMenu()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    ProtoBuilder first(412, 0x11), second(412, 0x22);
    fixture.AddCritter(1, first, false);
    fixture.AddCritter(2, second, false);
    fixture.AddCritter(3, ProtoBuilder(416), false);
    fixture.WriteNameTable({{100, "A"}, {200, "B"}, {300, "C"}}, false);
    TForm1& form = fixture.Open();
    QVERIFY(!form.KonwertujFO1doFO2412do4161->isEnabled());
    QTest::mouseClick(form.RadioGroup1Items->button(0), Qt::LeftButton);
    form.KonwertujFO1doFO2412do4161->trigger();

    QCOMPARE(fixture.dialogs.messages.size(), std::size_t(2));
    QCOMPARE(fixture.dialogs.messages.back(), std::string("FO1 *.pro files converted to FO2 size!"));
    const auto converted = fixture.GameFolder(false) / "converted";
    auto copy = ReadAllBytes(converted / "00000001.pro");
    QCOMPARE(copy.size(), std::size_t(416));
    QVERIFY(std::equal(first.Bytes().begin(), first.Bytes().end(), copy.begin()));
    QVERIFY(std::all_of(copy.begin() + 412, copy.end(), [](std::uint8_t b) { return b == 0; }));
    QVERIFY(std::filesystem::exists(converted / "00000002.pro"));
    QVERIFY(!std::filesystem::exists(converted / "00000003.pro"));
    QVERIFY(IsReadOnly(fixture.CritterPath(2, false)));
    QCOMPARE(form.ListViewFiles->rowCount(), 3); // the list is not refilled
}

QTEST_MAIN(TestWindowLibrary)
#include "test_window_library.moc"
