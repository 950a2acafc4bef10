// Saving and cancelling through the real window: byte-exact files, all or
// nothing, the refusals, the step buttons, the gender box and the base-value mode.
#include "RecordOffsets.h"
#include "WindowFixture.h"
#include "editor/FieldLook.h"
#include "editor/Globals.h"
#include "platform/FileAttributes.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <cmath>
#include <set>
#include <tuple>

using namespace quarnel;
using namespace quarnel::test;

namespace {

// Puts the window into editing mode as a key release over valid text does.
void StartEditing(WindowFixture& fixture)
{
    QTest::keyClick(fixture.Field("EditExpPoints"), Qt::Key_End);
    QVERIFY(fixture.Form().BitBtnSave->isEnabled());
}

std::int32_t FieldAt(const std::vector<std::uint8_t>& bytes, int offset, int width)
{
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value * 256u + bytes[std::size_t(offset + i)];
    return std::int32_t(value);
}

} // namespace

class TestWindowSaving : public QObject {
    Q_OBJECT

private slots:
    void unchangedSaveKeepsEveryByte_data();
    void unchangedSaveKeepsEveryByte();
    void sharedTestDataSurvivesLoadAndSave();
    void fullEditWritesExactlyTheSavedFields();
    void redFieldStopsTheSave();
    void textThatIsNoIntegerStopsTheWholeSave();
    void refusedOrChangedFilesAreNotWritten();
    void genderOutsideTheListIsKept();
    void cancelBringsBackTheStoredValues();
    void stepButtons_data();
    void stepButtons();
    void stepRecomputesDependentValues();
    void baseValueModeUnlocksTheBaseFields();
};

void TestWindowSaving::unchangedSaveKeepsEveryByte_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("second-game layout") << 416;
    QTest::newRow("first-game layout in the second game's folder") << 412;
}

void TestWindowSaving::unchangedSaveKeepsEveryByte()
{
    QFETCH(int, size);
    WindowFixture fixture;
    ProtoBuilder builder(size, 0xA7);
    builder.Primary(0, 3, -4).Derived(0, 61, 9).Damage(6, true, 40, -5).Gender(1, 1).Skill(17, 33).Experience(-9);
    fixture.AddCritter(42, builder.TextId(4200).PidNumber(0xFFFF));
    fixture.WriteNameTable({{4200, "Sentry"}});
    TForm1& form = fixture.Open();
    StartEditing(fixture);
    fixture.ClickButton("BitBtnSave");
    QVERIFY(fixture.dialogs.errors.empty());
    QCOMPARE(ReadAllBytes(fixture.CritterPath(42)), builder.Bytes());
    QVERIFY(IsReadOnly(fixture.CritterPath(42)));
    // Back in browsing mode with the same row selected and reloaded.
    QVERIFY(form.ListViewFiles->isEnabled());
    QVERIFY(!form.BitBtnSave->isEnabled() && !form.BitBtnCancel->isEnabled() && !form.Zapisz1->isEnabled());
    QCOMPARE(form.ListViewFiles->selectedItems().first()->row(), 0);
}

void TestWindowSaving::sharedTestDataSurvivesLoadAndSave()
{
    const std::filesystem::path shared = QUARNEL_SHARED_TESTDATA;
    if (!std::filesystem::exists(shared))
        QSKIP("shared test data not present");
    for (const char* game : {"FO1", "FO2"}) {
        WindowFixture fixture;
        std::filesystem::remove_all(fixture.GameFolder(true));
        CopyFolderFiles(shared / game, fixture.GameFolder(true));
        TForm1& form = fixture.Open();
        QVERIFY(fixture.dialogs.errors.empty());
        for (int row = 0; row < form.ListViewFiles->rowCount(); ++row) {
            fixture.ClickRow(row);
            const std::filesystem::path file = CurrentCritterPath;
            const auto before = ReadAllBytes(file);
            StartEditing(fixture);
            fixture.ClickButton("BitBtnSave");
            auto after = ReadAllBytes(file);
            QCOMPARE(after.size(), before.size());
            const std::int32_t textId = FieldAt(before, 4, 4);
            // A text ID that is not a multiple of 100 is stored rounded, as shown
            // (the default floating-point rounding takes an exact half to even).
            QCOMPARE(FieldAt(after, 4, 4), std::int32_t(std::nearbyint(textId / 100.0)) * 100);
            for (int i = 4; i < 8; ++i)
                after[std::size_t(i)] = before[std::size_t(i)];
            const std::int32_t gender = FieldAt(before, 184, 4);
            QVERIFY(gender == 0 || gender == 1 || FieldAt(after, 184, 4) == gender);
            QVERIFY2(after == before, file.filename().string().c_str());
            QVERIFY(fixture.dialogs.errors.empty());
        }
    }
}

void TestWindowSaving::fullEditWritesExactlyTheSavedFields()
{
    WindowFixture fixture;
    ProtoBuilder builder(416, 0x33);
    fixture.AddCritter(9, builder);
    fixture.WriteNameTable({{900, "Nine"}});
    TForm1& form = fixture.Open();

    // Give every saved field a distinct value (bypassing the rules) and save.
    std::map<int, std::pair<int, std::int32_t>> expected; // offset -> (width, stored value)
    int n = 0;
    for (const auto& field : kRecordFields) {
        ++n;
        const std::string control = field.control;
        std::int32_t shown = -1000 - 37 * n;
        std::int32_t stored = shown;
        if (control == "EditCritterPID") {
            shown = 16777216 + 4321;
            stored = 4321;
        } else if (control == "EditIDNumber") {
            shown = 321;
            stored = 32100;
        } else if (control == "ComboBoxGender") {
            form.ComboBoxGender->setCurrentIndex(1);
            stored = 1;
        }
        if (control != "ComboBoxGender")
            fixture.Field(field.control)->setText(QString::number(shown));
        if (field.saved)
            expected[field.offset] = {field.width, stored};
    }
    StartEditing(fixture);
    fixture.ClickButton("BitBtnSave");
    QVERIFY(fixture.dialogs.errors.empty());

    const auto before = builder.Bytes();
    const auto after = ReadAllBytes(fixture.CritterPath(9));
    QCOMPARE(after.size(), before.size());
    QCOMPARE(int(expected.size()), 84);
    std::set<int> written;
    for (const auto& [offset, value] : expected) {
        QCOMPARE(FieldAt(after, offset, value.first), value.first == 2 ? value.second & 0xFFFF : value.second);
        for (int i = 0; i < value.first; ++i)
            written.insert(offset + i);
    }
    for (int i = 0; i < int(after.size()); ++i)
        if (!written.count(i))
            QVERIFY2(after[std::size_t(i)] == before[std::size_t(i)], qPrintable(QString("byte %1").arg(i)));
    for (int i : {0, 1, 8, 9, 10, 11, 12, 47, 172, 183, 312, 327, 400, 403, 408, 415})
        QVERIFY(!written.count(i));
}

void TestWindowSaving::redFieldStopsTheSave()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    const auto before = ReadAllBytes(fixture.CritterPath(3));
    fixture.Retype("EditExtraST", "4");
    fixture.Type("EditExtraST", "z");
    form.BitBtnSave->setEnabled(true); // the menu item and the button share the handler
    form.Zapisz1->setEnabled(true);
    form.Zapisz1->trigger();
    QCOMPARE(fixture.dialogs.messages, std::vector<std::string>{"Check red fields!"});
    QCOMPARE(ReadAllBytes(fixture.CritterPath(3)), before);
    QVERIFY(!form.ListViewFiles->isEnabled());
}

void TestWindowSaving::textThatIsNoIntegerStopsTheWholeSave()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    const auto before = ReadAllBytes(fixture.CritterPath(3));
    fixture.Retype("EditExtraHP", "12");
    fixture.Retype("EditSkillSneakExtra", "4x");
    // A later correct entry clears the single flag while the other field still holds letters.
    fixture.Retype("EditExtraAP", "3");
    QVERIFY(!HasInvalidField);
    QTest::keyClick(&form, Qt::Key_F2);
    if (fixture.dialogs.errors.empty())
        fixture.ClickButton("BitBtnSave");
    QCOMPARE(fixture.dialogs.errors, std::vector<std::string>{"'4x' is not a valid integer value."});
    QCOMPARE(ReadAllBytes(fixture.CritterPath(3)), before);
    QVERIFY(form.BitBtnCancel->isEnabled());
    QCOMPARE(fixture.Text("EditExtraHP"), QString("12"));
    QVERIFY(IsReadOnly(fixture.CritterPath(3)));
}

void TestWindowSaving::refusedOrChangedFilesAreNotWritten()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    ProtoBuilder(300).WriteTo(fixture.CritterPath(150));
    TForm1& form = fixture.Open();

    // A file that loading refused.
    fixture.ClickRow(2);
    QCOMPARE(fixture.Form().ListViewFiles->item(2, 0)->text(), QString("00000150.pro"));
    const auto small = ReadAllBytes(fixture.CritterPath(150));
    StartEditing(fixture);
    fixture.ClickButton("BitBtnSave");
    QCOMPARE(fixture.dialogs.messages.size(), std::size_t(1));
    QVERIFY(QString::fromStdString(fixture.dialogs.messages[0]).contains("nothing was saved"));
    QCOMPARE(ReadAllBytes(fixture.CritterPath(150)), small);
    QVERIFY(form.BitBtnCancel->isEnabled());
    fixture.ClickButton("BitBtnCancel");

    // A file that grew or shrank since it was loaded (412 bytes is a valid
    // size of its own). Another program replaces it: the load left it
    // read-only, so that program has to give itself write permission first.
    std::size_t refusals = 1;
    for (const auto& [row, number, size] : {std::tuple{0, 3, 420}, std::tuple{1, 123, 412}}) {
        fixture.ClickRow(row);
        const auto file = fixture.CritterPath(number);
        ProtoBuilder changed(size, 0x3C);
        std::filesystem::permissions(file, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
        changed.WriteTo(file);
        StartEditing(fixture);
        fixture.ClickButton("BitBtnSave");
        QCOMPARE(fixture.dialogs.messages.size(), ++refusals);
        QVERIFY(QString::fromStdString(fixture.dialogs.messages.back()).contains("changed size"));
        QCOMPARE(ReadAllBytes(file), changed.Bytes());
        fixture.ClickButton("BitBtnCancel");
    }

    // A file that vanished.
    fixture.ClickRow(3);
    RemoveBehindTheWindow(fixture.CritterPath(200));
    StartEditing(fixture);
    fixture.ClickButton("BitBtnSave");
    QCOMPARE(fixture.dialogs.errors, std::vector<std::string>{"File not found."});
    QVERIFY(!std::filesystem::exists(fixture.CritterPath(200)));

    // No critter at all.
    fixture.dialogs.Clear();
    CurrentCritterPath.clear();
    fixture.ClickButton("BitBtnSave");
    QCOMPARE(fixture.dialogs.messages.size(), std::size_t(1));
    QVERIFY(fixture.dialogs.errors.empty());
}

void TestWindowSaving::genderOutsideTheListIsKept()
{
    WindowFixture fixture;
    fixture.AddCritter(1, ProtoBuilder(416).Gender(7, 0));
    fixture.AddCritter(2, ProtoBuilder(416).Gender(0, 1));
    fixture.WriteNameTable({{100, "A"}, {200, "B"}});
    TForm1& form = fixture.Open();
    QCOMPARE(form.ComboBoxGender->currentIndex(), -1);
    StartEditing(fixture);
    fixture.ClickButton("BitBtnSave");
    QCOMPARE(FieldAt(ReadAllBytes(fixture.CritterPath(1)), 184, 4), 7);

    // Loading selects the entry without starting an edit; choosing one does.
    fixture.ClickRow(1);
    QCOMPARE(form.ComboBoxGender->currentText(), QString("Male"));
    QVERIFY(fixture.dialogs.errors.empty()); // the hidden gender total met an empty base and kept quiet
    QVERIFY(!form.BitBtnSave->isEnabled());
    form.ComboBoxGender->setFocus();
    QTest::keyClick(form.ComboBoxGender, Qt::Key_Down);
    QCOMPARE(form.ComboBoxGender->currentText(), QString("Female"));
    QVERIFY(form.BitBtnSave->isEnabled());
    QVERIFY(!form.ListViewFiles->isEnabled());
    fixture.ClickButton("BitBtnSave");
    QCOMPARE(FieldAt(ReadAllBytes(fixture.CritterPath(2)), 184, 4), 1);
    QCOMPARE(FieldAt(ReadAllBytes(fixture.CritterPath(2)), 324, 4), 1);

    // And back: Female to Male is written as 0.
    QCOMPARE(form.ComboBoxGender->currentText(), QString("Female"));
    form.ComboBoxGender->setFocus();
    QTest::keyClick(form.ComboBoxGender, Qt::Key_Up);
    QCOMPARE(form.ComboBoxGender->currentText(), QString("Male"));
    fixture.ClickButton("BitBtnSave");
    QCOMPARE(FieldAt(ReadAllBytes(fixture.CritterPath(2)), 184, 4), 0);
}

void TestWindowSaving::cancelBringsBackTheStoredValues()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    const auto before = ReadAllBytes(fixture.CritterPath(3));
    fixture.Retype("EditExtraST", "9");
    fixture.Retype("EditExtraAG", "k");
    fixture.ClickButton("BitBtnCancel");

    QCOMPARE(ReadAllBytes(fixture.CritterPath(3)), before);
    QCOMPARE(fixture.Text("EditExtraST"), QString("1"));
    QCOMPARE(fixture.Text("EditST"), QString("7"));
    QCOMPARE(fixture.Text("EditExtraAG"), QString("0"));
    for (QLineEdit* field : form.findChildren<QLineEdit*>())
        QVERIFY2(FieldColor(field) == kCream, qPrintable(field->objectName()));
    QVERIFY(!HasInvalidField);
    QVERIFY(form.findChild<QPushButton*>("BitBtn2")->isEnabled());
    QVERIFY(form.ListViewFiles->isEnabled() && form.RadioGroup1->isEnabled());
    QVERIFY(!form.BitBtnSave->isEnabled() && !form.BitBtnCancel->isEnabled());
}

void TestWindowSaving::stepButtons_data()
{
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("extra");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("newBase");
    QTest::addColumn<QString>("newTotal");
    QTest::newRow("10 up stays 10") << 10 << 0 << "BitBtn8"
                                    << "10"
                                    << "10";
    QTest::newRow("1 down stays 1") << 1 << 0 << "BitBtn9"
                                    << "1"
                                    << "1";
    QTest::newRow("5 up") << 5 << 2 << "BitBtn8"
                          << "6"
                          << "8";
    QTest::newRow("5 down with -10") << 5 << -10 << "BitBtn9"
                                     << "4"
                                     << "-6";
    QTest::newRow("12 up is raised above 10") << 12 << 0 << "BitBtn8"
                                              << "10"
                                              << "10";
    QTest::newRow("12 down") << 12 << 0 << "BitBtn9"
                             << "10"
                             << "10";
    QTest::newRow("-3 up") << -3 << 0 << "BitBtn8"
                           << "1"
                           << "1";
    QTest::newRow("-3 down") << -3 << 0 << "BitBtn9"
                             << "1"
                             << "1";
}

void TestWindowSaving::stepButtons()
{
    QFETCH(int, base);
    QFETCH(int, extra);
    QFETCH(QString, button);
    QFETCH(QString, newBase);
    QFETCH(QString, newTotal);
    WindowFixture fixture;
    fixture.AddCritter(1, ProtoBuilder(416).Primary(2, base, extra));
    fixture.WriteNameTable({{100, "A"}});
    TForm1& form = fixture.Open();
    fixture.ClickButton(qPrintable(button));
    QCOMPARE(fixture.Text("EditBaseEN"), newBase);
    QCOMPARE(fixture.Text("EditEN"), newTotal);
    QVERIFY(form.BitBtnSave->isEnabled() && form.Zapisz1->isEnabled() && form.BitBtnCancel->isEnabled());
    QVERIFY(!form.ListViewFiles->isEnabled() && !form.RadioGroup1->isEnabled());
    fixture.ClickButton("BitBtnSave");
    QCOMPARE(FieldAt(ReadAllBytes(fixture.CritterPath(1)), 56, 4), newBase.toInt());
}

void TestWindowSaving::stepRecomputesDependentValues()
{
    WindowFixture fixture;
    fixture.AddCritter(1, ProtoBuilder(416).Derived(0, 99, 1).Derived(7, 50, 0));
    fixture.WriteNameTable({{100, "A"}});
    fixture.Open();
    fixture.ClickButton("BitBtn8");                      // EN 5 -> 6
    QCOMPARE(fixture.Text("EditBaseHP"), QString("32")); // 15 + 5 + 12
    QCOMPARE(fixture.Text("EditHP"), QString("33"));
    QCOMPARE(fixture.Text("EditBaseHealingRate"), QString("2"));       // 6 / 3
    QCOMPARE(fixture.Text("EditSkillOutdoorsmanBase"), QString("22")); // second game: 2 x (6 + 5)
}

void TestWindowSaving::baseValueModeUnlocksTheBaseFields()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    form.Enable1->trigger();
    QVERIFY(form.Enable1->isChecked() && !form.Disable1->isChecked());
    for (const char* name :
         {"EditSkillSmallGunsBase", "EditBaseDTfire", "EditBaseHP", "EditBaseBetterCriticals", "EditBaseLU"})
        QVERIFY2(fixture.Field(name)->isEnabled(), name);
    QVERIFY(fixture.Field("EditBaseST")->isReadOnly());
    QVERIFY(!fixture.Field("EditBaseDTfire")->isReadOnly());

    // Typing into a base damage value changes only its text.
    const QString total = fixture.Text("EditCritterDTfire");
    fixture.Retype("EditBaseDTfire", "17");
    QCOMPARE(fixture.Text("EditBaseDTfire"), QString("17"));
    QCOMPARE(fixture.Text("EditCritterDTfire"), total);
    QVERIFY(!form.BitBtnSave->isEnabled());
    fixture.Retype("EditBaseST", "9");
    QCOMPARE(fixture.Text("EditBaseST"), QString("6"));

    // The mode survives loading another critter; the typed base value is saved with the next edit.
    fixture.ClickRow(1);
    QVERIFY(fixture.Field("EditBaseDTfire")->isEnabled());
    fixture.Retype("EditBaseDTfire", "21");
    StartEditing(fixture);
    fixture.ClickButton("BitBtnSave");
    QCOMPARE(FieldAt(ReadAllBytes(fixture.CritterPath(123)), 124, 4), 21);
    QVERIFY(fixture.Field("EditBaseDTfire")->isEnabled());

    form.Disable1->trigger();
    QVERIFY(form.Disable1->isChecked() && !form.Enable1->isChecked());
    QVERIFY(!fixture.Field("EditBaseDTfire")->isEnabled());
    QVERIFY(fixture.Field("EditBaseGender")->isEnabled());
}

QTEST_MAIN(TestWindowSaving)
#include "test_window_saving.moc"
