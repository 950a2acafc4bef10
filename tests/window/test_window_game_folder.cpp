// The window on a game install or a mod's tree, built in code: the merged
// critter list with the game's names, the layer of each critter, saves into
// the override folder, the shadowing question, a first-game install, the
// refusals and faults, Close game folder, the recent folders and the folder
// named at start.
#include "DatWriter.h"
#include "FrmBuilder.h"
#include "RecordOffsets.h"
#include "WindowFixture.h"
#include "editor/Globals.h"
#include "editor/TOtherFieldsDialog.h"
#include "editor/UserSettings.h"
#include "platform/FileAttributes.h"
#include "platform/VersionInfo.h"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QtTest>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

// Offsets from the record description, independent of the product's tables.
int OffsetOf(const char* control)
{
    for (const quarnel::test::RecordField& field : kRecordFields)
        if (std::string_view(field.control) == control)
            return field.offset;
    qFatal("no record field %s", control);
}

void SetFieldAt(std::vector<std::uint8_t>& bytes, int offset, std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[std::size_t(offset + i)] = std::uint8_t(std::uint32_t(value) >> (24 - 8 * i));
}

std::string Text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

ProtoBuilder Critter(int number, std::int32_t textId, int size = 416, std::uint8_t seed = 0x5A)
{
    ProtoBuilder builder(size, seed);
    builder.PidNumber(number).TextId(textId).Gender(0, 0);
    return builder;
}

// A 4 x 3 frame of one palette index.
FrmFrameRecipe Plain(std::uint8_t index) { return {4, 3, std::vector<std::uint8_t>(12, index), 0, 0, {}}; }

// Direction d is one frame of index 10 + d.
std::vector<std::uint8_t> SixDirectionFrm()
{
    FrmRecipe recipe;
    for (int d = 0; d < 6; ++d)
        recipe.frameSets.push_back({Plain(std::uint8_t(10 + d))});
    recipe.directionSet = SixDirections();
    return BuildFrm(recipe);
}

// One direction for all six: three frames of indexes 20, 21, 22 at 20 frames a second.
std::vector<std::uint8_t> AnimatedFrm()
{
    FrmRecipe recipe;
    recipe.framesPerSecond = 20;
    recipe.frameSets.push_back({Plain(20), Plain(21), Plain(22)});
    return BuildFrm(recipe);
}

// The colour of palette index i in the window: BuildPalette's entry, each component x 4.
QColor PaletteColour(int i) { return QColor((i % 64) * 4, (i * 2 % 64) * 4, (i * 3 % 64) * 4); }

QColor ShownColour(TForm1& form)
{
    const QImage image = form.Image1->pixmap().toImage();
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
}

// A second-game install: master.dat with four critters and the names
// (one in Windows-1252), critter.dat with one, patch000.dat holding one the
// master archive also holds, and a loose data folder in mixed case that
// overrides one critter and adds another.
struct Install {
    fs::path root;
    ProtoBuilder rat = Critter(1, 100, 416, 0x11).Set(8, 4, 0x01000001); // six directions
    ProtoBuilder mole = Critter(2, 200, 416, 0x22);
    ProtoBuilder odd = Critter(4, 12345, 416, 0x44);
    ProtoBuilder dog = Critter(5, 500, 416, 0x55).Set(8, 4, 0x01000003); // its picture file is missing
    ProtoBuilder patched = Critter(17, 1700, 416, 0x77);
    ProtoBuilder looseMole = Critter(2, 200, 416, 0x23).Set(8, 4, 0x01000002); // animated
    ProtoBuilder looseOnly = Critter(6, 600, 416, 0x66);

    explicit Install(fs::path folder, const std::string& names = "{100}{}{Rat}\r\n{200}{}{Mole Rat}\r\n"
                                                                 "{12345}{}{Odd One}\r\n{1200}{}{Not this}\r\n"
                                                                 "{500}{}{Dog}\r\n{600}{}{Caf\xe9 Owner}\r\n"
                                                                 "{1700}{}{Patched Guard}\r\n")
        : root(std::move(folder))
    {
        fs::create_directories(root);
        WriteAllBytes(root / "master.dat",
                      Dat2Writer()
                          .Zlib("proto\\critters\\00000001.pro", rat.Bytes())
                          .Stored("proto\\critters\\00000002.pro", mole.Bytes())
                          .Zlib("proto\\critters\\00000004.pro", odd.Bytes())
                          .Zlib("proto\\critters\\00000017.pro", Critter(17, 1700, 416, 0x78).Bytes())
                          .Stored("proto\\critters\\critters.lst", "00000001.pro\r\n")
                          .Zlib("text\\english\\game\\pro_crit.msg", names)
                          .Zlib("color.pal", BuildPalette())
                          .Build());
        WriteAllBytes(root / "critter.dat",
                      Dat2Writer()
                          .Zlib("proto\\critters\\00000005.pro", dog.Bytes())
                          .Stored("art\\critters\\critters.lst", "reserv\r\nsixdir,11\r\nanim\r\nnoframe\r\n")
                          .Zlib("art\\critters\\sixdiraa.frm", SixDirectionFrm())
                          .Stored("art\\critters\\animaa.frm", AnimatedFrm())
                          .Build());
        WriteAllBytes(root / "patch000.dat",
                      Dat2Writer().Stored("proto\\critters\\00000017.pro", patched.Bytes()).Build());
        fs::create_directories(root / "data" / "Proto" / "CRITTERS");
        looseMole.WriteTo(root / "data" / "Proto" / "CRITTERS" / "00000002.PRO");
        looseOnly.WriteTo(root / "data" / "Proto" / "CRITTERS" / "00000006.pro");
        WriteTextFile(root / "fallout2.cfg", "[system]\r\nmaster_dat=master.dat\r\nmaster_patches=data\r\n");
    }
    fs::path CritterFolder() const { return root / "data" / "Proto" / "CRITTERS"; }
};

QStringList Row(QTableWidget* list, int row)
{
    return {list->item(row, 0)->text(), list->item(row, 1)->text(), list->item(row, 2)->text()};
}

QString VersionCaption()
{
    return QString::fromStdString("Quarnel by Vostrik   v. " + GetFileVersionText("quarnel.exe"));
}

void StartEditing(WindowFixture& fixture)
{
    QTest::keyClick(fixture.Field("EditExpPoints"), Qt::Key_End);
    QVERIFY(fixture.Form().BitBtnSave->isEnabled());
}

} // namespace

class TestWindowGameFolder : public QObject {
    Q_OBJECT

private slots:
    void listsTheMergedCrittersWithTheGamesNames();
    void statusNamesTheLayerOfEachCritter();
    void saveOfAnArchiveCritterMakesAReadOnlyCopyInData();
    void saveOfALooseCritterChangesItInPlace();
    void shadowedSaveAsksFirst();
    void picturesComeFromTheTreesArt();
    void otherFieldsWriteIntoData();
    void firstGameInstall();
    void folderThatIsNoGameIsRefused();
    void faultsAreReportedOncePerOpening();
    void closeGameFolderReturnsToTheFoldersBesideTheProgram();
    void recentFoldersAreKeptAndOpen();
    void folderNamedAtStart();
};

void TestWindowGameFolder::listsTheMergedCrittersWithTheGamesNames()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    const Install install(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open();
    fixture.dialogs.folderAnswers.push_back(install.root.string());
    form.OpenGameFolder1->trigger();
    QVERIFY(fixture.dialogs.errors.empty());
    QVERIFY(form.Tree());

    QTableWidget* list = form.ListViewFiles;
    // Names by each critter's own text ID (12345, not 400), in the tree's code page.
    const QList<QStringList> expected = {{"00000001.pro", "Rat", "16777217"},
                                         {"00000002.PRO", "Mole Rat", "16777218"},
                                         {"00000004.pro", "Odd One", "16777220"},
                                         {"00000005.pro", "Dog", "16777221"},
                                         {"00000006.pro", QString::fromUtf8("Caf\u00e9 Owner"), "16777222"},
                                         {"00000017.pro", "Patched Guard", "16777233"}};
    QCOMPARE(list->rowCount(), expected.size());
    for (int row = 0; row < list->rowCount(); ++row)
        QCOMPARE(Row(list, row), expected[row]);
    QCOMPARE(SelectedRow(form), 0);
    QCOMPARE(fixture.Text("EditCritterName"), QString("Rat"));
    QCOMPARE(fixture.Text("EditIDNumber"), QString("1"));

    // The game is the tree's, and only the tree decides it.
    QCOMPARE(form.RadioGroup1ItemIndex(), 1);
    QVERIFY(!form.RadioGroup1->isEnabled());
    QVERIFY(!form.KonwertujFO1doFO2412do4161->isEnabled());
    QCOMPARE(form.windowTitle(),
             VersionCaption() + QString::fromUtf8(" \u2014 ") + QString::fromStdString(install.root.string()));

    // Search works on the tree's list as on a folder's.
    SearchFor(fixture, "Patched");
    QCOMPARE(SelectedRow(form), 5);
    QCOMPARE(fixture.Text("EditCritterName"), QString("Patched Guard"));
    QVERIFY(fixture.dialogs.errors.empty());
}

void TestWindowGameFolder::statusNamesTheLayerOfEachCritter()
{
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open(install.root);
    const struct {
        const char* file;
        const char* status;
        const ProtoBuilder* record;
    } cases[] = {
        {"00000001.pro", "proto/critters/00000001.pro \u2014 master.dat", &install.rat},
        {"00000002.PRO", "Proto/CRITTERS/00000002.PRO \u2014 data", &install.looseMole},
        {"00000005.pro", "proto/critters/00000005.pro \u2014 critter.dat", &install.dog},
        {"00000006.pro", "Proto/CRITTERS/00000006.pro \u2014 data", &install.looseOnly},
        {"00000017.pro", "proto/critters/00000017.pro \u2014 patch000.dat", &install.patched},
    };
    for (const auto& c : cases) {
        fixture.ClickRow(RowOf(form.ListViewFiles, c.file));
        QCOMPARE(Status(form), QString::fromUtf8(c.status));
        // The winning copy is the one shown: its experience points differ per seed.
        const std::int32_t exp =
            std::int32_t(std::uint32_t(c.record->Bytes()[404]) << 24 | std::uint32_t(c.record->Bytes()[405]) << 16 |
                         std::uint32_t(c.record->Bytes()[406]) << 8 | c.record->Bytes()[407]);
        QCOMPARE(fixture.Text("EditExpPoints"), QString::number(exp));
    }
    // Showing a loose critter leaves its attributes as they were.
    QVERIFY(!IsReadOnly(install.CritterFolder() / "00000006.pro"));
    QVERIFY(fixture.dialogs.errors.empty());
}

void TestWindowGameFolder::saveOfAnArchiveCritterMakesAReadOnlyCopyInData()
{
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open(install.root);
    QCOMPARE(SelectedRow(form), 0);
    const std::vector<std::uint8_t> archived = install.rat.Bytes();

    fixture.Retype("EditExpPoints", "777");
    fixture.Retype("EditSkillSmallGunsExtra", "42");
    fixture.Retype("EditExtraDTfire", "-3");
    fixture.ClickButton("BitBtnSave");
    QVERIFY(fixture.dialogs.errors.empty());
    QVERIFY(fixture.dialogs.questions.empty());

    const fs::path copy = install.CritterFolder() / "00000001.pro";
    QVERIFY(fs::exists(copy));
    QVERIFY(IsReadOnly(copy));
    std::vector<std::uint8_t> expected = archived;
    SetFieldAt(expected, OffsetOf("EditExpPoints"), 777);
    SetFieldAt(expected, OffsetOf("EditSkillSmallGunsExtra"), 42);
    SetFieldAt(expected, OffsetOf("EditExtraDTfire"), -3);
    QCOMPARE(ReadAllBytes(copy), expected);
    // The archive is never written.
    QCOMPARE(form.Tree()->Holders("proto/critters/00000001.pro").back().layer->Read("proto/critters/00000001.pro"),
             archived);

    // The list is filled again, the critter reloaded from its new layer.
    QVERIFY(!form.BitBtnSave->isEnabled());
    QVERIFY(form.ListViewFiles->isEnabled());
    QVERIFY(!form.RadioGroup1->isEnabled());
    QCOMPARE(form.ListViewFiles->rowCount(), 6);
    QCOMPARE(SelectedRow(form), 0);
    QCOMPARE(Status(form), QString::fromUtf8("Proto/CRITTERS/00000001.pro \u2014 data"));
    QCOMPARE(fixture.Text("EditExpPoints"), QString("777"));
    QCOMPARE(fixture.Text("EditExtraDTfire"), QString("-3"));
}

void TestWindowGameFolder::saveOfALooseCritterChangesItInPlace()
{
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open(install.root);
    fixture.ClickRow(RowOf(form.ListViewFiles, "00000002.PRO"));
    fixture.Retype("EditExpPoints", "31");
    fixture.ClickButton("BitBtnSave");
    QVERIFY(fixture.dialogs.errors.empty());
    std::vector<std::uint8_t> expected = install.looseMole.Bytes();
    SetFieldAt(expected, OffsetOf("EditExpPoints"), 31);
    QCOMPARE(ReadAllBytes(install.CritterFolder() / "00000002.PRO"), expected);
    QVERIFY(IsReadOnly(install.CritterFolder() / "00000002.PRO"));
    // No second copy in another case.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(install.CritterFolder()))
        ++files;
    QCOMPARE(files, 2);
}

void TestWindowGameFolder::shadowedSaveAsksFirst()
{
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open(install.root);
    fixture.ClickRow(RowOf(form.ListViewFiles, "00000017.pro"));
    const fs::path copy = install.CritterFolder() / "00000017.pro";
    const QString question =
        "00000017.pro is also in patch000.dat, which the game reads before data. A copy saved in data would not "
        "be used. Save anyway?";

    fixture.Retype("EditExpPoints", "1234");
    fixture.ClickButton("BitBtnSave"); // answered No
    QCOMPARE(fixture.dialogs.questions.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(fixture.dialogs.questions[0]), question);
    QVERIFY(!fs::exists(copy));
    QVERIFY(form.BitBtnCancel->isEnabled()); // the edit is still open

    fixture.dialogs.questionAnswers.push_back(true);
    fixture.ClickButton("BitBtnSave");
    QCOMPARE(fixture.dialogs.questions.size(), std::size_t(2));
    QVERIFY(fixture.dialogs.errors.empty());
    std::vector<std::uint8_t> expected = install.patched.Bytes();
    SetFieldAt(expected, OffsetOf("EditExpPoints"), 1234);
    QCOMPARE(ReadAllBytes(copy), expected);
    QVERIFY(IsReadOnly(copy));
    // The patch archive still wins, and the window says so.
    QCOMPARE(Status(form), QString::fromUtf8("proto/critters/00000017.pro \u2014 patch000.dat"));
    QCOMPARE(fixture.Text("EditExpPoints"),
             QString::number(std::int32_t(
                 std::uint32_t(install.patched.Bytes()[404]) << 24 | std::uint32_t(install.patched.Bytes()[405]) << 16 |
                 std::uint32_t(install.patched.Bytes()[406]) << 8 | install.patched.Bytes()[407])));

    // A save that changes nothing stores nothing and asks nothing.
    StartEditing(fixture);
    fixture.ClickButton("BitBtnSave");
    QCOMPARE(fixture.dialogs.questions.size(), std::size_t(2));
}

void TestWindowGameFolder::picturesComeFromTheTreesArt()
{
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open(install.root);
    QVERIFY(fixture.dialogs.errors.empty());

    // Six directions: the standing picture at view 2, then stepped both ways round.
    QCOMPARE(form.Edit1->text(), QString("sixdiraa, FID: 1"));
    QCOMPARE(ShownColour(form), PaletteColour(12));
    QCOMPARE(form.Image1->pixmap().size(), QSize(4, 3));
    const int forward[] = {3, 4, 5, 0, 1};
    for (int view : forward) {
        fixture.ClickButton("SpeedButton21");
        QCOMPARE(int(PreviewView), view);
        QCOMPARE(ShownColour(form), PaletteColour(10 + view));
    }
    fixture.ClickButton("SpeedButton20");
    fixture.ClickButton("SpeedButton20");
    QCOMPARE(int(PreviewView), 5);
    QCOMPARE(ShownColour(form), PaletteColour(15));

    // Save Image writes the view shown as PNG.
    const fs::path png = fixture.Root() / "shown.png";
    fixture.dialogs.saveAnswers.push_back(png.string());
    form.SaveImage1->trigger();
    QImage saved;
    QVERIFY(saved.load(QString::fromStdString(png.string()), "PNG"));
    QCOMPARE(saved.size(), QSize(4, 3));
    QCOMPARE(saved.pixelColor(1, 1), PaletteColour(15));

    // An animated picture plays its frames.
    fixture.ClickRow(RowOf(form.ListViewFiles, "00000002.PRO"));
    QCOMPARE(form.Edit1->text(), QString("animaa, FID: 2"));
    QCOMPARE(int(PreviewView), 2);
    QCOMPARE(ShownColour(form), PaletteColour(20));
    QTRY_COMPARE(ShownColour(form), PaletteColour(21));
    QTRY_COMPARE(ShownColour(form), PaletteColour(22));
    QTRY_COMPARE(ShownColour(form), PaletteColour(20));

    // Missing art: the caption says what is missing, no picture, nothing to step or save.
    fixture.ClickRow(RowOf(form.ListViewFiles, "00000005.pro"));
    QVERIFY2(form.Edit1->text().contains("noframeaa"), qPrintable(form.Edit1->text()));
    QVERIFY(form.Image1->pixmap().isNull());
    fixture.ClickButton("SpeedButton21");
    QVERIFY(form.Image1->pixmap().isNull());
    fixture.dialogs.saveAnswers.push_back((fixture.Root() / "none.png").string());
    form.SaveImage1->trigger();
    QVERIFY(!fs::exists(fixture.Root() / "none.png"));
    QVERIFY(fixture.dialogs.errors.empty());
}

void TestWindowGameFolder::otherFieldsWriteIntoData()
{
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open(install.root);
    fixture.ClickRow(RowOf(form.ListViewFiles, "00000005.pro"));
    QVERIFY(form.OtherFields1->isEnabled());
    QVERIFY(WithOtherFields(fixture, [](TOtherFieldsDialog& dialog) {
        auto* team = dialog.findChild<QLineEdit*>("EditTeamNumber");
        team->setFocus();
        team->selectAll();
        QTest::keyClicks(team, "9");
        dialog.accept();
    }));
    QVERIFY(fixture.dialogs.errors.empty());
    std::vector<std::uint8_t> expected = install.dog.Bytes();
    SetFieldAt(expected, 40, 9); // the team number
    const fs::path copy = install.CritterFolder() / "00000005.pro";
    QCOMPARE(ReadAllBytes(copy), expected);
    QVERIFY(IsReadOnly(copy));
    QCOMPARE(Status(form), QString::fromUtf8("Proto/CRITTERS/00000005.pro \u2014 data"));
}

void TestWindowGameFolder::firstGameInstall()
{
    WindowFixture fixture;
    const fs::path root = fixture.Root() / "Fallout1";
    fs::create_directories(root);
    const ProtoBuilder rat = Critter(1, 100, 412, 0x31);
    const ProtoBuilder guard = Critter(3, 300, 412, 0x33);
    WriteAllBytes(root / "MASTER.DAT",
                  Dat1Writer()
                      .Stored("PROTO\\CRITTERS", "00000001.PRO", Text(rat.Bytes()))
                      .Lzss("PROTO\\CRITTERS", "00000003.PRO", LzssLiterals(Text(guard.Bytes())), 412)
                      .Stored("TEXT\\ENGLISH\\GAME", "PRO_CRIT.MSG", "{100}{}{Rat}\n{300}{}{Vault Guard}\n")
                      .Build());
    WriteAllBytes(root / "CRITTER.DAT", Dat1Writer().Stored("ART\\CRITTERS", "HMJMPSAA.FRM", "art").Build());
    WriteTextFile(root / "fallout.cfg",
                  "[system]\nmaster_dat=MASTER.DAT\ncritter_dat=CRITTER.DAT\nmaster_patches=DATA\n");

    TForm1& form = fixture.Open(root);
    QVERIFY(fixture.dialogs.errors.empty());
    QCOMPARE(form.RadioGroup1ItemIndex(), 0);
    QVERIFY(!IsSecondGame);
    QVERIFY(!form.RadioGroup1->isEnabled());
    QVERIFY(!form.KonwertujFO1doFO2412do4161->isEnabled());
    QCOMPARE(form.ListViewFiles->rowCount(), 2);
    QCOMPARE(Row(form.ListViewFiles, 1), (QStringList{"00000003.PRO", "Vault Guard", "16777219"}));
    fixture.ClickRow(1);
    QCOMPARE(Status(form), QString::fromUtf8("PROTO/CRITTERS/00000003.PRO \u2014 MASTER.DAT"));

    fixture.Retype("EditExpPoints", "60");
    fixture.ClickButton("BitBtnSave");
    QVERIFY(fixture.dialogs.errors.empty());
    std::vector<std::uint8_t> expected = guard.Bytes();
    SetFieldAt(expected, OffsetOf("EditExpPoints"), 60);
    const fs::path copy = root / "DATA" / "PROTO" / "CRITTERS" / "00000003.PRO";
    QCOMPARE(ReadAllBytes(copy), expected); // still 412 bytes
    QCOMPARE(Status(form), QString::fromUtf8("PROTO/CRITTERS/00000003.PRO \u2014 DATA"));
}

void TestWindowGameFolder::folderThatIsNoGameIsRefused()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    const fs::path nothing = fixture.Root() / "Pictures";
    fs::create_directories(nothing / "maps");
    QVERIFY(!form.OpenGameFolder(nothing));
    QCOMPARE(fixture.dialogs.errors.size(), std::size_t(1));
    const std::string& error = fixture.dialogs.errors[0];
    QVERIFY2(error.find("master.dat") != std::string::npos && error.find("data/proto") != std::string::npos,
             error.c_str());
    // The window is as it was.
    QVERIFY(!form.Tree());
    QCOMPARE(form.windowTitle(), VersionCaption());
    QCOMPARE(form.ListViewFiles->rowCount(), 3);
    QCOMPARE(form.ListViewFiles->item(0, 1)->text(), QString("Rat"));
    QVERIFY(form.RadioGroup1->isEnabled());
    QVERIFY(!form.CloseGameFolder1->isEnabled());
    QVERIFY(!form.StatusBar1);
    QVERIFY(ReadRecentGameFolders().empty());
}

void TestWindowGameFolder::faultsAreReportedOncePerOpening()
{
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2",
                          "{100}{}{Rat}\n{200}{}{Mole Rat}\n{oops}{}{Broken}\n{500}{}{Dog}\n");
    WriteTextFile(install.root / "patch001.dat", "this is no archive of either game");
    TForm1& form = fixture.Open(install.root);
    QCOMPARE(fixture.dialogs.errors.size(), std::size_t(2));
    QVERIFY2(fixture.dialogs.errors[0].find("patch001.dat") != std::string::npos, fixture.dialogs.errors[0].c_str());
    QVERIFY2(fixture.dialogs.errors[1].find("pro_crit.msg, line 3") != std::string::npos,
             fixture.dialogs.errors[1].c_str());
    // The rest of the tree opened, with the names before the fault.
    QCOMPARE(form.ListViewFiles->rowCount(), 6);
    QCOMPARE(form.ListViewFiles->item(1, 1)->text(), QString("Mole Rat"));
    QCOMPARE(form.ListViewFiles->item(3, 1)->text(), QString());
    for (int row = 1; row < form.ListViewFiles->rowCount(); ++row)
        fixture.ClickRow(row);
    QCOMPARE(fixture.dialogs.errors.size(), std::size_t(2));
    // Opening again reports them again.
    QVERIFY(form.OpenGameFolder(install.root));
    QCOMPARE(fixture.dialogs.errors.size(), std::size_t(4));
}

void TestWindowGameFolder::closeGameFolderReturnsToTheFoldersBesideTheProgram()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    const Install install(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open();
    const QSize startSize = form.size();
    QVERIFY(!form.CloseGameFolder1->isEnabled());
    QVERIFY(form.OpenGameFolder(install.root));
    QVERIFY(form.StatusBar1);
    QVERIFY(form.CloseGameFolder1->isEnabled());
    // The list and the client area keep their size under the status bar.
    QTRY_COMPARE(form.centralWidget()->size(), form.centralWidget()->minimumSize());
    fixture.ClickRow(3);

    form.CloseGameFolder1->trigger();
    QVERIFY(!form.Tree());
    QVERIFY(!form.StatusBar1);
    QTRY_COMPARE(form.size(), startSize);
    QCOMPARE(form.windowTitle(), VersionCaption());
    QVERIFY(form.RadioGroup1->isEnabled());
    QCOMPARE(form.RadioGroup1ItemIndex(), 1);
    QCOMPARE(form.ListViewFiles->rowCount(), 3);
    QCOMPARE(SelectedRow(form), 0);
    QCOMPARE(fixture.Text("EditCritterName"), QString("Rat"));
    QCOMPARE(QString::fromStdString(CurrentCritterPath), QString::fromStdString(fixture.CritterPath(3).string()));
    QVERIFY(!form.CloseGameFolder1->isEnabled());
    QVERIFY(fixture.dialogs.errors.empty());

    // While a critter is edited, no other folder can be opened or closed.
    QVERIFY(form.OpenGameFolder(install.root));
    StartEditing(fixture);
    QVERIFY(!form.OpenGameFolder1->isEnabled());
    QVERIFY(!form.CloseGameFolder1->isEnabled());
    QVERIFY(!form.RecentGameFolders1->menuAction()->isEnabled());
    fixture.ClickButton("BitBtnCancel");
    QVERIFY(form.OpenGameFolder1->isEnabled());
    QVERIFY(form.CloseGameFolder1->isEnabled());
    QVERIFY(!form.RadioGroup1->isEnabled());
}

void TestWindowGameFolder::recentFoldersAreKeptAndOpen()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    const Install first(fixture.Root() / "First");
    const Install second(fixture.Root() / "Second");
    TForm1& form = fixture.Open();
    QVERIFY(!form.RecentGameFolders1->menuAction()->isEnabled());
    QVERIFY(form.OpenGameFolder(first.root));
    QVERIFY(form.OpenGameFolder(second.root));
    QVERIFY(form.OpenGameFolder(first.root));
    const auto captions = [](QMenu* menu) {
        QStringList texts;
        for (const QAction* item : menu->actions())
            texts << item->text();
        return texts;
    };
    const QStringList recent = captions(form.RecentGameFolders1);
    QCOMPARE(recent,
             (QStringList{QString::fromStdString(first.root.string()), QString::fromStdString(second.root.string())}));

    // Kept for the next run, never opened by itself at start.
    TForm1& again = fixture.Open();
    QVERIFY(!again.Tree());
    QCOMPARE(again.ListViewFiles->rowCount(), 3);
    QCOMPARE(captions(again.RecentGameFolders1), recent);
    again.RecentGameFolders1->actions().at(1)->trigger();
    QVERIFY(again.Tree());
    QCOMPARE(again.Tree()->Folder(), second.root);
    QCOMPARE(captions(again.RecentGameFolders1).first(), QString::fromStdString(second.root.string()));

    // At most eight, the oldest dropped.
    // Absolute folders, kept as the system writes them.
    const QString games = QDir::toNativeSeparators(QDir::rootPath() + "games/install");
    for (int n = 0; n < 10; ++n)
        AddRecentGameFolder((games + QString::number(n)).toStdString());
    const auto kept = ReadRecentGameFolders();
    QCOMPARE(kept.size(), std::size_t(kRecentGameFolderCount));
    QCOMPARE(kept.front(), (games + "9").toStdString());
    QCOMPARE(kept.back(), (games + "2").toStdString());
}

void TestWindowGameFolder::folderNamedAtStart()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    const Install install(fixture.Root() / "Fallout2");
    QCOMPARE(TForm1::GameFolderFromArguments({"quarnel"}), fs::path());
    const fs::path named = TForm1::GameFolderFromArguments({"quarnel", QString::fromStdString(install.root.string())});
    QCOMPARE(named, install.root);
    TForm1& form = fixture.Open(named);
    QVERIFY(fixture.dialogs.errors.empty());
    QVERIFY(form.Tree());
    QCOMPARE(form.ListViewFiles->rowCount(), 6);
    QCOMPARE(fixture.Text("EditCritterName"), QString("Rat"));
    QCOMPARE(Status(form), QString::fromUtf8("proto/critters/00000001.pro \u2014 master.dat"));
    QVERIFY(!IsLoading);
    QVERIFY(!form.BitBtnSave->isEnabled());

    // A folder named at start that is no game: said so, and the folders beside the program serve.
    fixture.dialogs.Clear();
    TForm1& fallback = fixture.Open(fixture.Root() / "missing");
    QCOMPARE(fixture.dialogs.errors.size(), std::size_t(1));
    QVERIFY(!fallback.Tree());
    QCOMPARE(fallback.ListViewFiles->rowCount(), 3);
    QCOMPARE(fixture.Text("EditCritterName"), QString("Rat"));
}

QTEST_MAIN(TestWindowGameFolder)
#include "test_window_game_folder.moc"
