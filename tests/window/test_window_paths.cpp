// The window beside its folders when their path has letters outside every
// single code page (Czech, Cyrillic): listing, loading with the picture,
// saving, the game switch, the conversion and the temp folder all reach the
// right files. On Windows the paths go through UTF-16 there.
#include "WindowFixture.h"
#include "editor/Globals.h"
#include "platform/AppPaths.h"
#include "platform/FileAttributes.h"
#include "platform/Utf8.h"

#include <QAction>
#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace quarnel;
using namespace quarnel::test;

namespace fs = std::filesystem;

namespace {

std::int32_t BigEndianAt(const std::vector<std::uint8_t>& bytes, int offset)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value * 256u + bytes[std::size_t(offset + i)];
    return std::int32_t(value);
}

constexpr int kExperienceFieldOffset = 404;

} // namespace

class TestWindowPaths : public QObject {
    Q_OBJECT

private slots:
    void programFolderWithLettersOfSeveralScripts();
};

void TestWindowPaths::programFolderWithLettersOfSeveralScripts()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    fixture.AddCritter(7, ProtoBuilder(412).PidNumber(7).TextId(700), false);
    fixture.WriteNameTable({{700, "Radscorpion"}}, false);

    // "Příšerný kůň – Ярослав": no single Windows code page holds all of it.
    const fs::path home =
        fixture.Root() /
        PathFromUtf8("P\u0159\u00ED\u0161ern\u00FD k\u016F\u0148 \u2013 \u042F\u0440\u043E\u0441\u043B\u0430\u0432");
    fs::create_directories(home);
    for (const char* folder : {"FO1", "FO2"}) {
        fs::create_directories(home / folder);
        CopyFolderFiles(fixture.Root() / folder, home / folder);
    }
    fs::copy_file(fixture.Root() / "frm_critters.zip", home / "frm_critters.zip");
    SetExecutableFolder(home);
    QCOMPARE(PathFromUtf8(ExecutableFolder()), home / "");

    TForm1& form = fixture.Open();
    QVERIFY(fixture.dialogs.errors.empty());
    QCOMPARE(form.ListViewFiles->rowCount(), 3);
    QCOMPARE(form.ListViewFiles->item(1, 1)->text(), QString("Mole Rat"));

    // The first critter is loaded with its picture, taken out into the temp folder.
    const fs::path rat = home / "FO2" / "00000003.pro";
    QCOMPARE(PathFromUtf8(CurrentCritterPath), rat);
    QCOMPARE(fixture.Text("EditCritterName"), QString("Rat"));
    QVERIFY(!form.Image1->pixmap().isNull());
    QVERIFY(fs::exists(home / "temp"));
    QVERIFY(IsReadOnly(rat));

    // An edit of another critter is saved into its file, which is left read-only again.
    fixture.ClickRow(1);
    const fs::path moleRat = home / "FO2" / "00000123.pro";
    QCOMPARE(PathFromUtf8(CurrentCritterPath), moleRat);
    const auto before = ReadAllBytes(moleRat);
    fixture.Retype("EditExpPoints", "4321");
    fixture.ClickButton("BitBtnSave");
    QVERIFY(fixture.dialogs.errors.empty());
    auto after = ReadAllBytes(moleRat);
    QCOMPARE(BigEndianAt(after, kExperienceFieldOffset), 4321);
    std::copy_n(before.begin() + kExperienceFieldOffset, 4, after.begin() + kExperienceFieldOffset);
    QCOMPARE(after, before);
    QVERIFY(IsReadOnly(moleRat));

    // The first game's folder beside it, and its conversion into the second layout.
    QTest::mouseClick(form.RadioGroup1Items->button(0), Qt::LeftButton);
    QCOMPARE(form.ListViewFiles->rowCount(), 1);
    QCOMPARE(form.ListViewFiles->item(0, 1)->text(), QString("Radscorpion"));
    fixture.ClickRow(0);
    QCOMPARE(PathFromUtf8(CurrentCritterPath), home / "FO1" / "00000007.pro");
    QCOMPARE(fixture.Text("EditCritterName"), QString("Radscorpion"));
    form.KonwertujFO1doFO2412do4161->trigger();
    QVERIFY(fixture.dialogs.errors.empty());
    QCOMPARE(fs::file_size(home / "FO1" / "converted" / "00000007.pro"), std::uintmax_t(416));

    // Closing removes the temp folder beside the program, and only that.
    form.Wyj1->trigger();
    QVERIFY(!fs::exists(home / "temp"));
    QVERIFY(fs::exists(rat));
}

QTEST_MAIN(TestWindowPaths)
#include "test_window_paths.moc"
