// Loading and typing through the real window: every load shows the file as
// stored, the rules recompute exactly their fields, the entry check marks
// and locks.
#include "WindowFixture.h"
#include "editor/FieldLook.h"
#include "editor/Globals.h"
#include "platform/FileAttributes.h"

#include <QAction>
#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>

#include <map>

using namespace quarnel;
using namespace quarnel::test;

namespace {

std::map<QString, QString> AllTexts(TForm1& form)
{
    std::map<QString, QString> texts;
    for (QLineEdit* field : form.findChildren<QLineEdit*>())
        if (!field->objectName().isEmpty())
            texts[field->objectName()] = field->text();
    return texts;
}

QStringList ChangedFields(const std::map<QString, QString>& before, const std::map<QString, QString>& after)
{
    QStringList changed;
    for (const auto& [name, text] : after)
        if (before.at(name) != text)
            changed << name;
    changed.sort();
    return changed;
}

void SwitchToFirstGame(TForm1& form)
{
    QTest::mouseClick(form.RadioGroup1Items->button(0), Qt::LeftButton);
    QCOMPARE(form.RadioGroup1ItemIndex(), 0);
}

} // namespace

class TestWindowEditing : public QObject {
    Q_OBJECT

private slots:
    void everyLoadShowsTheStoredDerivedValues();
    void wrongSizedFileLeavesTheWindowUntouched_data();
    void wrongSizedFileLeavesTheWindowUntouched();
    void typingExtraStrengthRecomputesExactlyItsFields();
    void typingFollowsEveryKeystroke();
    void letterMarksTheFieldRedAndLocks();
    void tabNeitherMarksNorUnlocks();
    void anyOtherKeyOverValidTextStartsEditing();
    void typedLengthLimitsTypingOnly();
};

void TestWindowEditing::everyLoadShowsTheStoredDerivedValues()
{
    WindowFixture fixture;
    // Primary totals differ, and stored derived values are not formula values.
    fixture.AddCritter(1, ProtoBuilder(416).Primary(0, 4, 0).Primary(2, 3, 0).Primary(5, 2, 0).Derived(0, 77, 0));
    fixture.AddCritter(2, ProtoBuilder(416)
                              .Primary(0, 9, 0)
                              .Primary(2, 8, 0)
                              .Primary(5, 9, 0)
                              .Derived(0, 11, 0)
                              .Derived(1, 3, 0)
                              .Derived(2, 1, 0)
                              .Derived(4, 40, 0)
                              .Derived(5, 5, 0)
                              .Derived(6, 2, 0)
                              .Derived(7, 9, 0)
                              .Derived(8, 0, 0));
    fixture.WriteNameTable({{100, "A"}, {200, "B"}});
    fixture.Open();
    QCOMPARE(fixture.Text("EditBaseHP"), QString("77"));

    fixture.ClickRow(1);
    QCOMPARE(fixture.Text("EditST"), QString("9"));
    const std::pair<const char*, const char*> stored[] = {{"EditBaseHP", "11"},
                                                          {"EditBaseAP", "3"},
                                                          {"EditBaseAC", "1"},
                                                          {"EditBaseMelee", "40"},
                                                          {"EditBaseCarryWeight", "5"},
                                                          {"EditBaseSequence", "2"},
                                                          {"EditBaseHealingRate", "9"},
                                                          {"EditBaseCriticalChance", "0"},
                                                          {"EditHP", "11"}};
    for (const auto& [name, text] : stored)
        QVERIFY2(fixture.Text(name) == text, name);

    // Back and forth again, with a save between: the file keeps its stored values.
    fixture.ClickRow(0);
    fixture.ClickRow(1);
    QCOMPARE(fixture.Text("EditBaseHP"), QString("11"));
    QVERIFY(!fixture.Form().BitBtnSave->isEnabled());
}

void TestWindowEditing::wrongSizedFileLeavesTheWindowUntouched_data()
{
    QTest::addColumn<int>("size");
    for (int size : {300, 411, 413, 414, 415, 417})
        QTest::addRow("%d bytes", size) << size;
}

void TestWindowEditing::wrongSizedFileLeavesTheWindowUntouched()
{
    QFETCH(int, size);
    WindowFixture fixture;
    fixture.AddCritter(1, ProtoBuilder(416).Primary(0, 7, 0));
    fixture.AddCritter(2, ProtoBuilder(size, 0x6B));
    fixture.WriteNameTable({{100, "A"}});
    TForm1& form = fixture.Open();
    const auto before = AllTexts(form);
    fixture.ClickRow(1);
    QCOMPARE(AllTexts(form), before);
    QVERIFY(fixture.dialogs.errors.empty());
    QCOMPARE(QString::fromStdString(CurrentCritterPath), QString::fromStdString(fixture.CritterPath(2).string()));
    QVERIFY(IsReadOnly(fixture.CritterPath(2)));
}

void TestWindowEditing::typingExtraStrengthRecomputesExactlyItsFields()
{
    WindowFixture fixture;
    fixture.AddCritter(1, ProtoBuilder(412), false);
    fixture.WriteNameTable({{100, "Rat"}}, false);
    fixture.WriteNameTable({});
    TForm1& form = fixture.Open();
    SwitchToFirstGame(form);
    QCOMPARE(fixture.Text("EditST"), QString("5"));
    const auto before = AllTexts(form);

    fixture.Retype("EditExtraST", "2");
    const auto after = AllTexts(form);
    QStringList expected = {"EditExtraST",         "EditST",          "EditSkillUnarmedBase", "EditSkillUnarmed",
                            "EditSkillMeleeBase",  "EditSkillMelee",  "EditBaseHP",           "EditHP",
                            "EditBaseCarryWeight", "EditCarryWeight", "EditBaseMelee",        "EditMelee"};
    expected.sort();
    QCOMPARE(ChangedFields(before, after), expected);
    // First game, ST 7, AG 5: unarmed 65 + 6, melee weapons 55 + 6; HP 15 + 7 + 10; melee damage 2.
    QCOMPARE(fixture.Text("EditST"), QString("7"));
    QCOMPARE(fixture.Text("EditSkillUnarmedBase"), QString("71"));
    QCOMPARE(fixture.Text("EditSkillMeleeBase"), QString("61"));
    QCOMPARE(fixture.Text("EditBaseHP"), QString("32"));
    QCOMPARE(fixture.Text("EditBaseCarryWeight"), QString("200"));
    QCOMPARE(fixture.Text("EditBaseMelee"), QString("2"));
    QVERIFY(form.BitBtnSave->isEnabled());
    QVERIFY(!form.ListViewFiles->isEnabled());
    QVERIFY(!form.RadioGroup1->isEnabled());
}

void TestWindowEditing::typingFollowsEveryKeystroke()
{
    WindowFixture fixture;
    fixture.AddCritter(1, ProtoBuilder(416).Derived(0, 30, 0));
    fixture.WriteNameTable({{100, "A"}});
    fixture.Open();
    fixture.Retype("EditExtraHP", "-");
    QCOMPARE(fixture.Text("EditHP"), QString("30")); // a lone minus sign changes nothing yet
    fixture.Type("EditExtraHP", "7");
    QCOMPARE(fixture.Text("EditHP"), QString("23"));
    fixture.Retype("EditExtraHP", "7");
    QCOMPARE(fixture.Text("EditHP"), QString("37"));
}

void TestWindowEditing::letterMarksTheFieldRedAndLocks()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    fixture.Retype("EditExtraST", "1");
    const QString total = fixture.Text("EditST");
    fixture.Type("EditExtraST", "a");

    QCOMPARE(FieldColor(fixture.Field("EditExtraST")), kRed);
    QVERIFY(HasInvalidField);
    QVERIFY(!form.BitBtnSave->isEnabled());
    QVERIFY(!form.Zapisz1->isEnabled());
    QVERIFY(form.BitBtnCancel->isEnabled());
    QVERIFY(!form.ListViewFiles->isEnabled());
    QVERIFY(!form.RadioGroup1->isEnabled());
    for (int n : {2, 5, 9, 17})
        QVERIFY(!form.findChild<QPushButton*>(QString("BitBtn%1").arg(n))->isEnabled());
    QCOMPARE(fixture.Text("EditST"), total);

    QTest::keyClick(fixture.Field("EditExtraST"), Qt::Key_Backspace);
    QCOMPARE(FieldColor(fixture.Field("EditExtraST")), kCream);
    QVERIFY(!HasInvalidField);
    QVERIFY(form.BitBtnSave->isEnabled());
    QVERIFY(form.findChild<QPushButton*>("BitBtn9")->isEnabled());
    QCOMPARE(fixture.Text("EditST"), total);

    // Two red fields, one corrected: the flag follows the last check, the other stays red.
    fixture.Type("EditExtraPE", "x");
    fixture.Type("EditExtraAG", "y");
    QTest::keyClick(fixture.Field("EditExtraAG"), Qt::Key_Backspace);
    QVERIFY(!HasInvalidField);
    QCOMPARE(FieldColor(fixture.Field("EditExtraPE")), kRed);
}

void TestWindowEditing::tabNeitherMarksNorUnlocks()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    fixture.Type("EditExtraST", "q");
    QVERIFY(HasInvalidField);
    // The Tab release arrives in the next field, which holds integer text.
    fixture.Field("EditExtraPE")->setFocus();
    QTest::keyRelease(fixture.Field("EditExtraPE"), Qt::Key_Tab);
    QVERIFY(HasInvalidField);
    QCOMPARE(FieldColor(fixture.Field("EditExtraST")), kRed);
    QVERIFY(!form.BitBtnSave->isEnabled());
    // Shift+Tab moving back arrives as Backtab and is passed over the same way
    // (the later release of Shift itself is an ordinary key).
    QTest::keyRelease(fixture.Field("EditExtraPE"), Qt::Key_Backtab);
    QVERIFY(HasInvalidField);
    QVERIFY(!form.BitBtnSave->isEnabled());

    WindowFixture browsing;
    WriteStandardFolder(browsing);
    TForm1& other = browsing.Open();
    QTest::keyRelease(browsing.Field("EditExtraPE"), Qt::Key_Tab);
    QVERIFY(other.ListViewFiles->isEnabled());
    QVERIFY(!other.BitBtnSave->isEnabled());
}

void TestWindowEditing::anyOtherKeyOverValidTextStartsEditing()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    QTest::keyClick(fixture.Field("EditCritterPID"), Qt::Key_Left);
    QVERIFY(form.BitBtnSave->isEnabled());
    QVERIFY(!form.ListViewFiles->isEnabled());
    QCOMPARE(FieldColor(fixture.Field("EditCritterPID")), kCream);
}

void TestWindowEditing::typedLengthLimitsTypingOnly()
{
    WindowFixture fixture;
    fixture.AddCritter(1, ProtoBuilder(416).Primary(0, 12345, -100000).Skill(3, 123456));
    fixture.WriteNameTable({{100, "A"}});
    fixture.Open();
    QCOMPARE(fixture.Text("EditBaseST"), QString("12345"));
    QCOMPARE(fixture.Text("EditExtraST"), QString("-100000"));
    QCOMPARE(fixture.Text("EditSkillUnarmedExtra"), QString("123456"));
    fixture.Retype("EditExtraST", "12345");
    QCOMPARE(fixture.Text("EditExtraST"), QString("123"));
    fixture.Retype("EditSkillUnarmedExtra", "-12345");
    QCOMPARE(fixture.Text("EditSkillUnarmedExtra"), QString("-123"));
    fixture.Retype("EditExtraHP", "1234567");
    QCOMPARE(fixture.Text("EditExtraHP"), QString("1234567"));
}

QTEST_MAIN(TestWindowEditing)
#include "test_window_editing.moc"
