// The other fields of the record through the real window ("Other fields...",
// F3), and critter names from the game's own pro_crit.msg.
#include "WindowFixture.h"
#include "editor/FieldLook.h"
#include "editor/Globals.h"
#include "editor/TOtherFieldsDialog.h"
#include "platform/FileAttributes.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <functional>

using namespace quarnel;
using namespace quarnel::test;

namespace {

enum class Shown { Decimal, Hex2, Hex4, Combo };

// The dialog's fields as the record description gives them, written out here
// so that the dialog's own table is checked against an independent one.
struct ExpectedField {
    const char* control;
    int offset;
    Shown shown;
};
const ExpectedField kExpectedFields[] = {
    {"EditPidType", 0, Shown::Hex2},
    {"EditFid", 8, Shown::Hex4},
    {"EditLightRadius", 12, Shown::Decimal},
    {"EditLightIntensity", 16, Shown::Decimal},
    {"EditObjectFlags", 20, Shown::Hex4},
    {"EditActionFlags", 24, Shown::Hex4},
    {"EditScriptId", 28, Shown::Decimal},
    {"EditHeadFid", 32, Shown::Hex4},
    {"EditAIPacket", 36, Shown::Decimal},
    {"EditTeamNumber", 40, Shown::Decimal},
    {"EditCritterFlags", 44, Shown::Hex4},
    {"EditBaseRadiation", 172, Shown::Decimal},
    {"EditBasePoison", 176, Shown::Decimal},
    {"EditBaseAge", 180, Shown::Decimal},
    {"EditExtraRadiation", 312, Shown::Decimal},
    {"EditExtraPoison", 316, Shown::Decimal},
    {"EditExtraAge", 320, Shown::Decimal},
    {"ComboBodyType", 400, Shown::Combo},
    {"ComboKillType", 408, Shown::Combo},
    {"ComboDamageType", 412, Shown::Combo},
};

std::int32_t FieldAt(const std::vector<std::uint8_t>& bytes, int offset, int width)
{
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value << 8 | bytes[std::size_t(offset + i)];
    return std::int32_t(value);
}

void SetFieldAt(std::vector<std::uint8_t>& bytes, int offset, std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[std::size_t(offset + i)] = std::uint8_t(std::uint32_t(value) >> (24 - 8 * i));
}

template <class T> T* Control(TOtherFieldsDialog& dialog, const char* name)
{
    T* control = dialog.findChild<T*>(name);
    if (!control)
        qFatal("no control %s", name);
    return control;
}

// The caption whose buddy is the named control.
QLabel* CaptionOf(TOtherFieldsDialog& dialog, const char* name)
{
    QWidget* control = Control<QWidget>(dialog, name);
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->buddy() == control)
            return label;
    qFatal("no caption for %s", name);
}

void Retype(TOtherFieldsDialog& dialog, const char* name, const QString& text)
{
    auto* edit = Control<QLineEdit>(dialog, name);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void CheckShowsRecord(TOtherFieldsDialog& dialog, const std::vector<std::uint8_t>& bytes, const QString& file)
{
    for (const ExpectedField& field : kExpectedFields) {
        const QString where = file + " " + field.control;
        if (field.shown == Shown::Combo) {
            auto* combo = Control<QComboBox>(dialog, field.control);
            if (std::size_t(field.offset) >= bytes.size()) {
                QVERIFY2(combo->isHidden(), qPrintable(where));
                continue;
            }
            const std::int32_t stored = FieldAt(bytes, field.offset, 4);
            QVERIFY2(combo->currentData().toInt() == stored, qPrintable(where));
            QVERIFY2(!combo->currentText().startsWith("Unknown"), qPrintable(where)); // every real value is named
            continue;
        }
        const int width = field.shown == Shown::Hex2 ? 2 : 4;
        const std::int32_t stored = FieldAt(bytes, field.offset, width);
        const QString expected =
            field.shown == Shown::Decimal
                ? QString::number(stored)
                : "0x" + QString::number(std::uint32_t(stored), 16).toUpper().rightJustified(width * 2, '0');
        QCOMPARE(Control<QLineEdit>(dialog, field.control)->text() + " " + where, expected + " " + where);
    }
    const std::uint32_t flags = std::uint32_t(FieldAt(bytes, 44, 4));
    for (std::uint32_t mask : {0x2u, 0x20u, 0x40u, 0x80u, 0x100u, 0x200u, 0x400u, 0x800u, 0x1000u, 0x2000u, 0x4000u})
        QCOMPARE(Control<QCheckBox>(dialog, qPrintable("CheckCritterFlag" + QString::number(mask, 16)))->isChecked(),
                 (flags & mask) != 0);
}

} // namespace

class TestWindowOtherFields : public QObject {
    Q_OBJECT

private slots:
    void menuItemFollowsTheModes();
    void realCrittersShowEveryStoredValue();
    void okWritesExactlyTheChangedFields();
    void cancelAndRedFieldsWriteNothing();
    void firstGameLayoutHasNoDamageType();
    void fileChangedMeanwhile();
    void namesFromTheGamesMessageFile();
    void nameEncodingMenuReadsTheNamesAgain();
};

void TestWindowOtherFields::menuItemFollowsTheModes()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    WriteAllBytes(fixture.CritterPath(50), std::vector<std::uint8_t>(300, 1)); // row 1, refused by loading
    TForm1& form = fixture.Open();
    QCOMPARE(form.OtherFields1->text(), QString("Other fields..."));
    QCOMPARE(form.OtherFields1->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(form.ools1->actions().last(), form.OtherFields1);
    QCOMPARE(SelectedRow(form), 0); // start-up loads the first critter
    QVERIFY(form.OtherFields1->isEnabled());

    fixture.ClickRow(1);
    QVERIFY(!form.OtherFields1->isEnabled());
    QVERIFY(!WithOtherFields(fixture, [](TOtherFieldsDialog&) {}));
    fixture.ClickRow(0);
    QVERIFY(form.OtherFields1->isEnabled());
    fixture.Type("EditExtraST", "1");
    QVERIFY(!form.OtherFields1->isEnabled()); // editing: the window's edits come first
    QVERIFY(!WithOtherFields(fixture, [](TOtherFieldsDialog&) {}));
    fixture.ClickButton("BitBtnCancel");
    QVERIFY(form.OtherFields1->isEnabled());
}

void TestWindowOtherFields::realCrittersShowEveryStoredValue()
{
    const std::filesystem::path shared = QUARNEL_SHARED_TESTDATA;
    if (!std::filesystem::exists(shared))
        QSKIP("shared test data not present");
    for (bool secondGame : {false, true}) {
        WindowFixture fixture;
        std::filesystem::remove_all(fixture.GameFolder(secondGame));
        CopyFolderFiles(shared / (secondGame ? "FO2" : "FO1"), fixture.GameFolder(secondGame));
        TForm1& form = fixture.Open();
        if (!secondGame) // the first game's kill types
            QTest::mouseClick(form.RadioGroup1Items->button(0), Qt::LeftButton);
        QVERIFY(form.ListViewFiles->rowCount() > 0);
        for (int row = 0; row < form.ListViewFiles->rowCount(); ++row) {
            fixture.ClickRow(row);
            const std::filesystem::path file = CurrentCritterPath;
            const auto before = ReadAllBytes(file);
            QVERIFY(WithOtherFields(fixture, [&](TOtherFieldsDialog& dialog) {
                CheckShowsRecord(dialog, before, QString::fromStdString(file.filename().string()));
                QTest::keyClick(&dialog, Qt::Key_Escape);
            }));
            QCOMPARE(ReadAllBytes(file), before);
            QVERIFY(IsReadOnly(file));
        }
    }
}

void TestWindowOtherFields::okWritesExactlyTheChangedFields()
{
    WindowFixture fixture;
    ProtoBuilder builder(416, 0x21);
    builder.PidNumber(5).TextId(500).Set(36, 4, 3).Set(44, 4, 0x10020).Set(400, 4, 0).Set(408, 4, 77);
    fixture.AddCritter(5, builder);
    fixture.WriteNameTable({{500, "Five"}});
    TForm1& form = fixture.Open();
    fixture.ClickRow(0);
    const std::filesystem::path file = fixture.CritterPath(5);

    QVERIFY(WithOtherFields(fixture, [&](TOtherFieldsDialog& dialog) {
        QCOMPARE(Control<QComboBox>(dialog, "ComboKillType")->currentText(), QString("Unknown (77)"));
        QVERIFY(!CaptionOf(dialog, "ComboDamageType")->isHidden());
        QVERIFY(Control<QCheckBox>(dialog, "CheckCritterFlag20")->isChecked());
        Retype(dialog, "EditAIPacket", "12");
        QTest::mouseClick(Control<QCheckBox>(dialog, "CheckCritterFlag400"), Qt::LeftButton);
        QCOMPARE(Control<QLineEdit>(dialog, "EditCritterFlags")->text(), QString("0x00010420"));
        Control<QComboBox>(dialog, "ComboBodyType")->setCurrentIndex(2);
        Retype(dialog, "EditBaseRadiation", "$21"); // integer text as the window takes it
        QTest::keyClick(Control<QLineEdit>(dialog, "EditBaseRadiation"), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
    }));
    std::vector<std::uint8_t> expected = builder.Bytes();
    SetFieldAt(expected, 36, 12);
    SetFieldAt(expected, 44, 0x10420); // the unknown bit 0x10000 is kept
    SetFieldAt(expected, 400, 2);
    SetFieldAt(expected, 172, 0x21);
    QCOMPARE(ReadAllBytes(file), expected); // kill type 77 kept, every other byte as it was
    QVERIFY(IsReadOnly(file));
    QVERIFY(fixture.dialogs.messages.empty() && fixture.dialogs.errors.empty());
    QCOMPARE(SelectedRow(form), 0);

    // Reopened, the dialog shows what was written; a flags text typed by hand
    // moves the check boxes and is kept as typed, key by key: "12" stays "12"
    // (not reformatted after the "1", which would make it 0x12) and stores 12.
    QVERIFY(WithOtherFields(fixture, [&](TOtherFieldsDialog& dialog) {
        QCOMPARE(Control<QLineEdit>(dialog, "EditAIPacket")->text(), QString("12"));
        QCOMPARE(Control<QComboBox>(dialog, "ComboBodyType")->currentText(), QString("Robotic"));
        Retype(dialog, "EditCritterFlags", "2");
        QVERIFY(Control<QCheckBox>(dialog, "CheckCritterFlag2")->isChecked());
        QVERIFY(!Control<QCheckBox>(dialog, "CheckCritterFlag400")->isChecked());
        Retype(dialog, "EditCritterFlags", "12");
        QCOMPARE(Control<QLineEdit>(dialog, "EditCritterFlags")->text(), QString("12"));
        QVERIFY(!Control<QCheckBox>(dialog, "CheckCritterFlag2")->isChecked());
        QTest::keyClick(&dialog, Qt::Key_Return);
    }));
    SetFieldAt(expected, 44, 12);
    QCOMPARE(ReadAllBytes(file), expected);
}

void TestWindowOtherFields::cancelAndRedFieldsWriteNothing()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    fixture.Open();
    fixture.ClickRow(0);
    const std::filesystem::path file = CurrentCritterPath;
    const auto before = ReadAllBytes(file);

    QVERIFY(WithOtherFields(fixture, [&](TOtherFieldsDialog& dialog) {
        Retype(dialog, "EditTeamNumber", "4");
        QTest::mouseClick(Control<QCheckBox>(dialog, "CheckCritterFlag2"), Qt::LeftButton);
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
    }));
    QCOMPARE(ReadAllBytes(file), before);

    QVERIFY(WithOtherFields(fixture, [&](TOtherFieldsDialog& dialog) {
        Retype(dialog, "EditTeamNumber", "4");
        Retype(dialog, "EditFid", "0x1F2"); // hexadecimal is fine
        Retype(dialog, "EditScriptId", "12a");
        QCOMPARE(FieldColor(Control<QLineEdit>(dialog, "EditScriptId")), kRed);
        QCOMPARE(FieldColor(Control<QLineEdit>(dialog, "EditFid")), kWhite);
        QTest::keyClick(Control<QLineEdit>(dialog, "EditTeamNumber"), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(fixture.dialogs.messages, std::vector<std::string>{"Check red fields!"});
    }));
    QCOMPARE(ReadAllBytes(file), before);
    QVERIFY(IsReadOnly(file));
}

void TestWindowOtherFields::firstGameLayoutHasNoDamageType()
{
    WindowFixture fixture;
    ProtoBuilder builder(412, 0x44);
    builder.PidNumber(7).TextId(700).Set(400, 4, 1).Set(408, 4, 14);
    fixture.AddCritter(7, builder);
    fixture.WriteNameTable({{700, "Seven"}});
    TForm1& form = fixture.Open();
    fixture.ClickRow(0);
    const std::filesystem::path file = fixture.CritterPath(7);
    QVERIFY(WithOtherFields(fixture, [&](TOtherFieldsDialog& dialog) {
        QVERIFY(Control<QComboBox>(dialog, "ComboDamageType")->isHidden());
        QVERIFY(CaptionOf(dialog, "ComboDamageType")->isHidden());
        // The second game's list: 14 is Plants, 18 the last item.
        QCOMPARE(Control<QComboBox>(dialog, "ComboKillType")->currentText(), QString("Plants"));
        QCOMPARE(Control<QComboBox>(dialog, "ComboKillType")->count(), 19);
        Retype(dialog, "EditTeamNumber", "-2");
        QTest::keyClick(&dialog, Qt::Key_Return);
    }));
    std::vector<std::uint8_t> expected = builder.Bytes();
    SetFieldAt(expected, 40, -2);
    QCOMPARE(ReadAllBytes(file), expected);

    // In the first game the list ends at Plants.
    std::filesystem::copy_file(file, fixture.CritterPath(7, false));
    fixture.WriteNameTable({{700, "Seven"}}, false);
    QTest::mouseClick(form.RadioGroup1Items->button(0), Qt::LeftButton);
    fixture.ClickRow(0);
    QVERIFY(WithOtherFields(fixture, [&](TOtherFieldsDialog& dialog) {
        QCOMPARE(Control<QComboBox>(dialog, "ComboKillType")->count(), 15);
    }));
}

void TestWindowOtherFields::fileChangedMeanwhile()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    fixture.Open();
    fixture.ClickRow(1);
    const std::filesystem::path file = CurrentCritterPath;

    // Another program changes fields the user did not touch, in the dialog and
    // between the ones typed: OK writes the typed fields only, and keeps those.
    std::vector<std::uint8_t> expected = ReadAllBytes(file);
    QVERIFY(WithOtherFields(fixture, [&](TOtherFieldsDialog& dialog) {
        Retype(dialog, "EditAIPacket", "7");
        Retype(dialog, "EditBaseRadiation", "8");
        SetArchiveOnly(file);
        SetFieldAt(expected, 40, 77); // team
        SetFieldAt(expected, 48, 4);  // base strength, not in the dialog
        SetFieldAt(expected, 408, 3); // kill type
        WriteAllBytes(file, expected);
        QTest::keyClick(&dialog, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
    }));
    SetFieldAt(expected, 36, 7);
    SetFieldAt(expected, 172, 8);
    QCOMPARE(ReadAllBytes(file), expected);
    QVERIFY(fixture.dialogs.messages.empty());

    auto grown = ReadAllBytes(file);
    grown.resize(grown.size() + 4, 0);
    QVERIFY(WithOtherFields(fixture, [&](TOtherFieldsDialog& dialog) {
        Retype(dialog, "EditAIPacket", "9");
        SetArchiveOnly(file);
        WriteAllBytes(file, grown); // another program rewrites it meanwhile
        QTest::keyClick(&dialog, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
    }));
    const std::string changed = "00000123.pro changed size since it was loaded, so nothing was saved.";
    QCOMPARE(fixture.dialogs.messages, std::vector<std::string>{changed});
    QCOMPARE(ReadAllBytes(file), grown);

    // F3 on a file that changed size since it was loaded opens no dialog.
    QVERIFY(!WithOtherFields(fixture, [](TOtherFieldsDialog&) {}));
    QCOMPARE(fixture.dialogs.messages, (std::vector<std::string>{changed, changed}));
    QCOMPARE(ReadAllBytes(file), grown);
}

void TestWindowOtherFields::namesFromTheGamesMessageFile()
{
    WindowFixture fixture;
    for (int n : {1, 2, 3})
        fixture.AddCritter(n, ProtoBuilder(416).PidNumber(n).TextId(n * 100));
    WriteTextFile(fixture.GameFolder(true) / "Pro_Crit.MSG",
                  "# critter names\r\n{100}{}{Rat}\r\n{200}{}{Mole\r\nrat}\r\n{300}{}{Pig}\r\n{300}{}{Pig rat}\r\n");
    TForm1& form = fixture.Open();
    QVERIFY(fixture.dialogs.errors.empty());
    QCOMPARE(form.ListViewFiles->item(1, 1)->text(), QString("Molerat")); // lines join with no blank
    QCOMPARE(form.ListViewFiles->item(2, 1)->text(), QString("Pig rat")); // the later entry wins
    fixture.ClickRow(2);
    QCOMPARE(form.EditCritterName->text(), QString("Pig rat"));

    // A damaged file: one error box naming file and line; the names before it stay.
    WriteTextFile(fixture.GameFolder(true) / "Pro_Crit.MSG", "{100}{}{Rat}\n{200}{}{Mole\n");
    fixture.Close();
    fixture.dialogs.Clear();
    TForm1& again = fixture.Open();
    QCOMPARE(fixture.dialogs.errors, std::vector<std::string>{"Pro_Crit.MSG, line 2: the '{' is never closed."});
    QCOMPARE(again.ListViewFiles->rowCount(), 3);
    QCOMPARE(again.ListViewFiles->item(0, 1)->text(), QString("Rat"));
    QCOMPARE(again.ListViewFiles->item(1, 1)->text(), QString());
}

void TestWindowOtherFields::nameEncodingMenuReadsTheNamesAgain()
{
    WindowFixture fixture;
    for (int n : {1, 2, 3})
        fixture.AddCritter(n, ProtoBuilder(416).PidNumber(n).TextId(n * 100));
    // Windows-1251 names, not valid UTF-8: read as Windows-1252 until the user chooses.
    WriteTextFile(fixture.GameFolder(true) / "pro_crit.msg",
                  "{100}{}{\xca\xf0\xfb\xf1\xe0}\n{200}{}{\xc2\xee\xeb\xea}\n{300}{}{Rat}\n");
    TForm1& form = fixture.Open();
    QStringList captions;
    for (const QAction* item : form.NameEncoding1->actions())
        captions << item->text() + (item->isChecked() ? "*" : "");
    QCOMPARE(captions, (QStringList{"Automatic*", "Windows-1250", "Windows-1251", "Windows-1252", "UTF-8"}));
    QCOMPARE(form.ListViewFiles->item(0, 1)->text(), QString::fromUtf8("\u00CA\u00F0\u00FB\u00F1\u00E0"));
    fixture.ClickRow(1);

    form.NameEncoding1->actions().at(2)->trigger();
    QCOMPARE(form.ListViewFiles->item(0, 1)->text(), QString::fromUtf8("Крыса"));
    QCOMPARE(form.ListViewFiles->item(2, 1)->text(), QString("Rat"));
    QCOMPARE(SelectedRow(form), 1);
    QCOMPARE(form.EditCritterName->text(), QString::fromUtf8("Волк"));
    QVERIFY(fixture.dialogs.errors.empty());

    // The choice is kept for the next run; it is locked while a critter is edited.
    fixture.Close();
    TForm1& again = fixture.Open();
    QVERIFY(again.NameEncoding1->actions().at(2)->isChecked());
    QCOMPARE(again.ListViewFiles->item(0, 1)->text(), QString::fromUtf8("Крыса"));
    fixture.ClickRow(0);
    fixture.Retype("EditExtraST", "2");
    QVERIFY(!again.NameEncoding1->menuAction()->isEnabled());
    fixture.ClickButton("BitBtnCancel");
    QVERIFY(again.NameEncoding1->menuAction()->isEnabled());
}

QTEST_MAIN(TestWindowOtherFields)
#include "test_window_other_fields.moc"
