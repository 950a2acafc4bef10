// The window on a game folder when files change behind its back or cannot be
// read: a save never replaces a copy it did not load, a critter that fails
// to load leaves nothing of the one before, viewing leaves every file as it
// was, a save updates its own row only, and the game a mod's tree is taken
// for.
#include "DatWriter.h"
#include "FrmBuilder.h"
#include "RecordOffsets.h"
#include "WindowFixture.h"
#include "editor/Globals.h"
#include "editor/TOtherFieldsDialog.h"
#include "editor/UserSettings.h"
#include "platform/FileAttributes.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QtTest>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

constexpr int kExpOffset = 404; // experience points, from the record description

std::int32_t FieldAt(const std::vector<std::uint8_t>& bytes, int offset)
{
    return std::int32_t(std::uint32_t(bytes[std::size_t(offset)]) << 24 |
                        std::uint32_t(bytes[std::size_t(offset + 1)]) << 16 |
                        std::uint32_t(bytes[std::size_t(offset + 2)]) << 8 | bytes[std::size_t(offset + 3)]);
}

ProtoBuilder Critter(int number, std::int32_t textId, int size = 416, std::uint8_t seed = 0x5A)
{
    ProtoBuilder builder(size, seed);
    builder.PidNumber(number).TextId(textId).Gender(0, 0);
    return builder;
}

// A second-game install: master.dat holds critters 1 and 3, and 4 as a
// damaged zlib entry; the loose data/proto/critters holds 2 and 5.
struct Install {
    fs::path root;
    ProtoBuilder rat = Critter(1, 100, 416, 0x11);
    ProtoBuilder mole = Critter(2, 200, 416, 0x22);
    ProtoBuilder dog = Critter(3, 300, 416, 0x33);
    ProtoBuilder ant = Critter(5, 500, 416, 0x55);

    explicit Install(fs::path folder) : root(std::move(folder))
    {
        fs::create_directories(CritterFolder());
        Dat2Writer master;
        master.Zlib("proto\\critters\\00000001.pro", rat.Bytes())
            .Zlib("proto\\critters\\00000003.pro", dog.Bytes())
            .Zlib("text\\english\\game\\pro_crit.msg",
                  std::string("{100}{}{Rat}\r\n{200}{}{Mole}\r\n{300}{}{Dog}\r\n{400}{}{Broken}\r\n{500}{}{Ant}\r\n"
                              "{600}{}{Renamed}\r\n"));
        // Not a zlib stream: the entry cannot be unpacked.
        master.Add({"", "proto\\critters\\00000004.pro", DatBytes(40, 0xEE), 416, 1, {}, {}});
        WriteAllBytes(root / "master.dat", master.Build());
        mole.WriteTo(CritterFolder() / "00000002.pro");
        ant.WriteTo(CritterFolder() / "00000005.pro");
        WriteTextFile(root / "fallout2.cfg", "[system]\r\nmaster_dat=master.dat\r\nmaster_patches=data\r\n");
    }
    fs::path CritterFolder() const { return root / "data" / "proto" / "critters"; }
};

// Another program writes a file: made writable first when it is read-only.
void WriteBehindTheWindow(const fs::path& file, const std::vector<std::uint8_t>& bytes)
{
    if (fs::exists(file))
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    WriteAllBytes(file, bytes);
}

void EditExpPoints(WindowFixture& fixture, const char* text)
{
    fixture.Retype("EditExpPoints", text);
    QVERIFY(fixture.Form().BitBtnSave->isEnabled());
}

// Every value field of the window, its texts in order.
QStringList FieldTexts(TForm1& form)
{
    QStringList texts;
    for (QLineEdit* field : form.findChildren<QLineEdit*>())
        if (field != form.Edit_Search)
            texts << field->text();
    return texts;
}

// Edits the loaded critter through SAVE or through Other fields OK, with
// another program writing behind the window in between.
void EditAndSave(WindowFixture& fixture, bool throughOtherFields, const std::function<void()>& behindTheWindow)
{
    if (!throughOtherFields) {
        EditExpPoints(fixture, "777");
        behindTheWindow();
        fixture.ClickButton("BitBtnSave");
        return;
    }
    QVERIFY(WithOtherFields(fixture, [&](TOtherFieldsDialog& dialog) {
        auto* team = dialog.findChild<QLineEdit*>("EditTeamNumber");
        team->setFocus();
        team->selectAll();
        QTest::keyClicks(team, "9");
        behindTheWindow();
        dialog.accept();
    }));
}

} // namespace

class TestWindowGameFolderSafety : public QObject {
    Q_OBJECT

private slots:
    void saveRefusedWhenTheCopyOnDiskIsNotTheLoadedOne_data();
    void saveRefusedWhenTheCopyOnDiskIsNotTheLoadedOne();
    void failedLoadLeavesNothingOfTheCritterBefore_data();
    void failedLoadLeavesNothingOfTheCritterBefore();
    void saveUpdatesItsOwnRowOnly();
    void refillFindsTheSavedCritterWhateverTheCase();
    void modTreeGameFollowsItsFirstCritterRecord_data();
    void modTreeGameFollowsItsFirstCritterRecord();
    void firstGameRecordIsMarkedInASecondGameTree();
    void framesArePlacedByTheirOffsets();
    void namesAndCaptionsShowWhole();
    void recentFoldersAreNormalAndPruned();
    void saveImageNamesAPngAndAsksBeforeReplacing();
    void programOpensTheFolderItIsGiven();
    void programRefusesASecondArgument();
};

void TestWindowGameFolderSafety::saveRefusedWhenTheCopyOnDiskIsNotTheLoadedOne_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("theirSize");
    QTest::addColumn<bool>("throughOtherFields");
    QTest::addColumn<QString>("why");
    // The archive's critter, and another program puts its own copy into data.
    QTest::newRow("another layer wins, SAVE") << "00000001.pro" << 416 << false << "master.dat";
    QTest::newRow("another layer wins, Other fields") << "00000001.pro" << 416 << true << "master.dat";
    // The loose critter that was loaded is rewritten.
    QTest::newRow("same size, other bytes, SAVE") << "00000002.pro" << 416 << false << "changed";
    QTest::newRow("a first game's size, SAVE") << "00000002.pro" << 412 << false << "changed";
    QTest::newRow("other bytes, Other fields") << "00000005.pro" << 416 << true << "changed";
}

void TestWindowGameFolderSafety::saveRefusedWhenTheCopyOnDiskIsNotTheLoadedOne()
{
    QFETCH(QString, file);
    QFETCH(int, theirSize);
    QFETCH(bool, throughOtherFields);
    QFETCH(QString, why);
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open(install.root);
    fixture.ClickRow(RowOf(form.ListViewFiles, file));
    const fs::path theirs = install.CritterFolder() / file.toStdString();
    const std::vector<std::uint8_t> theirBytes = Critter(file.left(8).toInt(), 100, theirSize, 0x99).Bytes();

    EditAndSave(fixture, throughOtherFields, [&] { WriteBehindTheWindow(theirs, theirBytes); });
    QCOMPARE(ReadAllBytes(theirs), theirBytes);
    QCOMPARE(fixture.dialogs.messages.size(), std::size_t(1));
    const QString message = QString::fromStdString(fixture.dialogs.messages[0]);
    QVERIFY2(message.contains(file) && message.contains(why) && message.contains("nothing was saved"),
             qPrintable(message));
    // Loaded again from the copy on disk, back in browsing mode.
    QVERIFY2(Status(form).startsWith("proto/critters/" + file + QString::fromUtf8(" \u2014 data")),
             qPrintable(Status(form)));
    QCOMPARE(fixture.Text("EditExpPoints"), QString::number(FieldAt(theirBytes, kExpOffset)));
    QVERIFY(!form.BitBtnSave->isEnabled());
    QVERIFY(!form.BitBtnCancel->isEnabled());
    QVERIFY(fixture.dialogs.errors.empty());

    // Now a save goes into the copy that was loaded.
    EditExpPoints(fixture, "778");
    fixture.ClickButton("BitBtnSave");
    QCOMPARE(FieldAt(ReadAllBytes(theirs), kExpOffset), 778);
    QCOMPARE(fixture.dialogs.messages.size(), std::size_t(1));
}

void TestWindowGameFolderSafety::failedLoadLeavesNothingOfTheCritterBefore_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("damage"); // 0 damaged archive entry, 1 wrong size, 2 vanished, 3 a folder in its place
    QTest::addColumn<QString>("why");
    QTest::newRow("damaged archive entry") << "00000004.pro" << 0 << "master.dat";
    QTest::newRow("417 bytes") << "00000005.pro" << 1 << "417 bytes";
    QTest::newRow("vanished") << "00000005.pro" << 2 << "";
}

void TestWindowGameFolderSafety::failedLoadLeavesNothingOfTheCritterBefore()
{
    QFETCH(QString, file);
    QFETCH(int, damage);
    QFETCH(QString, why);
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open(install.root);
    QCOMPARE(fixture.Text("EditCritterName"), QString("Rat"));
    const fs::path loose = install.CritterFolder() / file.toStdString();
    if (damage == 1)
        WriteBehindTheWindow(loose, Critter(5, 500, 417, 0x55).Bytes());
    if (damage == 2)
        fs::remove(loose);
    fixture.ClickRow(RowOf(form.ListViewFiles, file));

    for (const QString& text : FieldTexts(form))
        QCOMPARE(text, QString());
    QCOMPARE(form.ComboBoxGender->currentIndex(), -1);
    QVERIFY(form.Image1->pixmap().isNull());
    const QString status = Status(form);
    QVERIFY2(status.startsWith("proto/critters/" + file) && status.contains("not loaded") && status.contains(why),
             qPrintable(status));
    QVERIFY(!form.OtherFields1->isEnabled());
    // Typing and the step buttons enter editing, but there is nothing to save.
    fixture.Type("EditExpPoints", "5");
    QVERIFY(form.BitBtnCancel->isEnabled());
    QVERIFY(!form.BitBtnSave->isEnabled());
    QVERIFY(!form.Zapisz1->isEnabled());
    fixture.ClickButton("BitBtnCancel");
    QVERIFY(fixture.dialogs.messages.empty());
    QVERIFY(fixture.dialogs.errors.empty());

    // A critter that loads is shown whole again, and can be saved.
    fixture.ClickRow(RowOf(form.ListViewFiles, "00000003.pro"));
    QCOMPARE(fixture.Text("EditCritterName"), QString("Dog"));
    QCOMPARE(Status(form), QString::fromUtf8("proto/critters/00000003.pro \u2014 master.dat"));
    QVERIFY(form.OtherFields1->isEnabled());
    EditExpPoints(fixture, "12");
}

void TestWindowGameFolderSafety::saveUpdatesItsOwnRowOnly()
{
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2");
    TForm1& form = fixture.Open(install.root);
    const int row = RowOf(form.ListViewFiles, "00000003.pro");
    fixture.ClickRow(row);
    QTableWidgetItem* const otherRow = form.ListViewFiles->item(0, 1);
    // A new name through the ID number: 6 is text ID 600, "Renamed".
    fixture.Retype("EditIDNumber", "6");
    fixture.ClickButton("BitBtnSave");
    QVERIFY(fixture.dialogs.messages.empty());
    // The other rows are the same items: the list was not filled again.
    QCOMPARE(form.ListViewFiles->item(0, 1), otherRow);
    QCOMPARE(form.ListViewFiles->item(row, 1)->text(), QString("Renamed"));
    QCOMPARE(SelectedRow(form), row);
    QCOMPARE(fixture.Text("EditCritterName"), QString("Renamed"));
    QCOMPARE(Status(form), QString::fromUtf8("proto/critters/00000003.pro \u2014 data"));
    QCOMPARE(FieldAt(ReadAllBytes(install.CritterFolder() / "00000003.pro"), 4), 600);
}

void TestWindowGameFolderSafety::refillFindsTheSavedCritterWhateverTheCase()
{
    // The archive names the critter in lower case; the data folder that its
    // saved copy goes to is in upper case, so the critter's path changes case.
#ifdef _WIN32
    QSKIP("a folder's name changed only in case keeps its old case under Wine");
#endif
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2");
    fs::rename(install.root / "data" / "proto" / "critters", install.root / "data" / "proto" / "CRITTERS");
    fs::rename(install.root / "data" / "proto", install.root / "data" / "PROTO");
    TForm1& form = fixture.Open(install.root);
    const int row = RowOf(form.ListViewFiles, "00000003.pro");
    QCOMPARE(row, 2);
    // Another program adds a critter that sorts before it.
    Critter(0, 100, 416, 0x10).WriteTo(install.root / "data" / "PROTO" / "CRITTERS" / "00000000.pro");
    fixture.ClickRow(row);
    EditExpPoints(fixture, "66");
    fixture.ClickButton("BitBtnSave");
    QCOMPARE(Status(form), QString::fromUtf8("PROTO/CRITTERS/00000003.pro \u2014 data"));
    QCOMPARE(SelectedRow(form), 2);
    // The next fill of the list (Cancel) shows the new critter and finds the
    // saved one on its new row.
    fixture.Type("EditExpPoints", "7");
    fixture.ClickButton("BitBtnCancel");
    QCOMPARE(form.ListViewFiles->rowCount(), 6);
    QCOMPARE(SelectedRow(form), 3);
    QCOMPARE(fixture.Text("EditCritterName"), QString("Dog"));
    QCOMPARE(fixture.Text("EditExpPoints"), QString("66"));
}

void TestWindowGameFolderSafety::modTreeGameFollowsItsFirstCritterRecord_data()
{
    QTest::addColumn<QList<int>>("sizes"); // of 00000001.pro, 00000002.pro, ...
    QTest::addColumn<int>("game");
    QTest::newRow("412") << QList<int>{412, 412} << 0;
    QTest::newRow("416") << QList<int>{416, 416} << 1;
    QTest::newRow("413 then 412") << QList<int>{413, 412} << 0;
    QTest::newRow("411 then 416") << QList<int>{411, 416} << 1;
    QTest::newRow("417 then 412") << QList<int>{417, 412} << 0;
}

void TestWindowGameFolderSafety::modTreeGameFollowsItsFirstCritterRecord()
{
    QFETCH(QList<int>, sizes);
    QFETCH(int, game);
    WindowFixture fixture;
    const fs::path mod = fixture.Root() / "mod";
    fs::create_directories(mod / "proto" / "critters");
    for (int i = 0; i < sizes.size(); ++i)
        Critter(i + 1, 100, sizes[i])
            .WriteTo(mod / "proto" / "critters" / ("0000000" + std::to_string(i + 1) + ".pro"));
    // The switch starts on the other game.
    TForm1& form = fixture.Open();
    form.RadioGroup1Items->button(1 - game)->click();
    QCOMPARE(form.RadioGroup1ItemIndex(), 1 - game);
    QVERIFY(form.OpenGameFolder(mod));
    QCOMPARE(form.RadioGroup1ItemIndex(), game);
    QCOMPARE(IsSecondGame, game == 1);
}

void TestWindowGameFolderSafety::firstGameRecordIsMarkedInASecondGameTree()
{
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2");
    Critter(6, 500, 412, 0x66).WriteTo(install.CritterFolder() / "00000006.pro");
    TForm1& form = fixture.Open(install.root);
    const int row = RowOf(form.ListViewFiles, "00000006.pro");
    QCOMPARE(form.ListViewFiles->item(row, 1)->text(), QString("Ant (412 bytes)"));
    QCOMPARE(form.ListViewFiles->item(RowOf(form.ListViewFiles, "00000005.pro"), 1)->text(), QString("Ant"));
    fixture.ClickRow(row);
    QVERIFY2(Status(form).endsWith("412 bytes: a first game's record, the second game reads 416"),
             qPrintable(Status(form)));
    fixture.ClickRow(RowOf(form.ListViewFiles, "00000005.pro"));
    QCOMPARE(Status(form), QString::fromUtf8("proto/critters/00000005.pro \u2014 data"));
}

namespace {

// A second-game install of one critter whose FID names the picture of the
// given name (name + "aa.frm", made from the recipe), with its palette.
fs::path InstallWithOneCritterArt(const fs::path& root, const std::string& name, const FrmRecipe& recipe)
{
    fs::create_directories(root);
    WriteAllBytes(root / "master.dat",
                  Dat2Writer()
                      .Zlib("proto\\critters\\00000001.pro", Critter(1, 100).Set(8, 4, 0x01000001).Bytes())
                      .Stored("art\\critters\\critters.lst", "reserv\r\n" + name + ",11\r\n")
                      .Zlib("art\\critters\\" + name + "aa.frm", BuildFrm(recipe))
                      .Zlib("color.pal", BuildPalette())
                      .Build());
    WriteTextFile(root / "fallout2.cfg", "[system]\r\nmaster_dat=master.dat\r\nmaster_patches=data\r\n");
    return root;
}

} // namespace

void TestWindowGameFolderSafety::framesArePlacedByTheirOffsets()
{
    // One direction for all six, two frames: a 4 x 3 frame of index 20 at
    // offsets (0, 0) and a 2 x 2 frame of index 21 at (3, -1).
    // Bottom centres: (0, 0), then (3, -1). Top left corners: (0 - 4/2, 0 - 3)
    // = (-2, -3) and (3 - 2/2, -1 - 2) = (2, -3). The box runs from x -2 to
    // 4 and y -3 to 0: 6 x 3, the first frame at (0, 0), the second at (4, 0).
    FrmRecipe recipe;
    recipe.framesPerSecond = 20;
    recipe.frameSets.push_back(
        {{4, 3, std::vector<std::uint8_t>(12, 20), 0, 0, {}}, {2, 2, std::vector<std::uint8_t>(4, 21), 3, -1, {}}});
    WindowFixture fixture;
    TForm1& form = fixture.Open(InstallWithOneCritterArt(fixture.Root() / "Fallout2", "placed", recipe));
    QCOMPARE(form.Edit1->text(), QString("placedaa, FID: 1"));

    // Palette entry i is (i % 64, i * 2 % 64, i * 3 % 64), each times 4.
    const QColor colour20(80, 160, 240), colour21(84, 168, 252);
    const auto frameOf = [&](const QImage& image) {
        // Which frame the image is, checked pixel by pixel; -1 for neither.
        if (image.size() != QSize(6, 3))
            return -1;
        bool first = true, second = true;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 6; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                const bool inFirst = x < 4;
                const bool inSecond = x >= 4 && y < 2;
                first = first && (inFirst ? pixel == colour20 : pixel.alpha() == 0);
                second = second && (inSecond ? pixel == colour21 : pixel.alpha() == 0);
            }
        return first ? 0 : second ? 1 : -1;
    };
    QCOMPARE(frameOf(form.Image1->pixmap().toImage()), 0);
    QTRY_COMPARE(frameOf(form.Image1->pixmap().toImage()), 1);
    QTRY_COMPARE(frameOf(form.Image1->pixmap().toImage()), 0);

    // Save Image writes the standing frame in its box.
    const fs::path png = fixture.Root() / "placed.png";
    fixture.dialogs.saveAnswers.push_back(png.string());
    form.SaveImage1->trigger();
    QImage saved;
    QVERIFY(saved.load(QString::fromStdString(png.string()), "PNG"));
    QCOMPARE(frameOf(saved.convertToFormat(QImage::Format_RGBA8888)), 0);
}

void TestWindowGameFolderSafety::namesAndCaptionsShowWhole()
{
    WindowFixture fixture;
    const fs::path root = fixture.Root() / "Fallout2";
    fs::create_directories(root);
    WriteAllBytes(root / "master.dat",
                  Dat2Writer()
                      .Zlib("PROTO\\CRITTERS\\00000001.PRO", Critter(1, 100).Set(8, 4, 0x01000001).Bytes())
                      .Stored("art\\critters\\critters.lst", "reserv\r\nhmmetl,11\r\n")
                      .Build());
    WriteTextFile(root / "fallout2.cfg", "[system]\r\nmaster_dat=master.dat\r\nmaster_patches=data\r\n");
    TForm1& form = fixture.Open(root);
    QTableWidget* list = form.ListViewFiles;
    QCOMPARE(list->item(0, 0)->text(), QString("00000001.PRO"));
    // The name fits its column with the cell's margins (3 pixels a side at least).
    const int needed = list->fontMetrics().horizontalAdvance("00000001.PRO") + 6;
    QVERIFY2(list->columnWidth(0) >= needed, qPrintable(QString("%1 < %2").arg(list->columnWidth(0)).arg(needed)));
    // The list keeps its overall width.
    QCOMPARE(list->columnWidth(0) + list->columnWidth(1), 85 + 143);

    // What is missing shows from its start, and whole as the tooltip.
    const QString missing = form.Edit1->text();
    QVERIFY2(missing.startsWith("no art/critters/hmmetlaa.frm"), qPrintable(missing));
    QCOMPARE(form.Edit1->cursorPosition(), 0);
    QCOMPARE(form.Edit1->toolTip(), missing);

    // No pro_crit.msg: the status bar says why the names are missing.
    QVERIFY2(Status(form).endsWith("no text/english/game/pro_crit.msg, so no names"), qPrintable(Status(form)));
    QCOMPARE(list->item(0, 1)->text(), QString());

    // The folders beside the program get their own columns back.
    form.CloseGameFolder();
    QCOMPARE(list->columnWidth(0), 85);
    QCOMPARE(list->columnWidth(1), 143);
}

void TestWindowGameFolderSafety::recentFoldersAreNormalAndPruned()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    const Install install(fixture.Root() / "Fallout2");
    const Install other(fixture.Root() / "Other");
    const std::string expected = install.root.string();
    TForm1& form = fixture.Open();
    fs::create_directories(fixture.Root() / "sub");
    QVERIFY(form.OpenGameFolder(fixture.Root() / "sub" / ".." / "Fallout2" / ""));
    QVERIFY(form.OpenGameFolder(other.root));
    QVERIFY(form.OpenGameFolder(install.root / "."));
    QCOMPARE(form.Tree()->Folder().string(), expected);
    QCOMPARE(ReadRecentGameFolders(), (std::vector<std::string>{expected, other.root.string()}));
    // Settings written by earlier versions, with a folder spelled twice, read as one.
    AddRecentGameFolder(expected + "/");
    QCOMPARE(ReadRecentGameFolders(), (std::vector<std::string>{expected, other.root.string()}));

    // A relative folder on the command line is taken from the current folder.
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QString::fromStdString(fixture.Root().string())));
    const fs::path named = TForm1::GameFolderFromArguments({"quarnel", "sub/../Fallout2/"});
    QDir::setCurrent(before);
    QCOMPARE(named.string(), expected);

    // A folder gone since: said so when chosen, and taken off the list.
    form.CloseGameFolder();
    fs::remove_all(other.root);
    TForm1& again = fixture.Open();
    QCOMPARE(again.RecentGameFolders1->actions().size(), 2);
    fixture.dialogs.Clear();
    again.RecentGameFolders1->actions().at(1)->trigger();
    QCOMPARE(fixture.dialogs.errors.size(), std::size_t(1));
    QVERIFY2(
        QString::fromStdString(fixture.dialogs.errors[0]).startsWith(QString::fromStdString(other.root.string())) &&
            QString::fromStdString(fixture.dialogs.errors[0]).contains("no longer exists"),
        fixture.dialogs.errors[0].c_str());
    QVERIFY(!again.Tree());
    QCOMPARE(ReadRecentGameFolders(), std::vector<std::string>{expected});
    QCOMPARE(again.RecentGameFolders1->actions().size(), 1);
}

void TestWindowGameFolderSafety::saveImageNamesAPngAndAsksBeforeReplacing()
{
    FrmRecipe recipe;
    recipe.frameSets.push_back({{4, 3, std::vector<std::uint8_t>(12, 20), 0, 0, {}}});
    WindowFixture fixture;
    TForm1& form = fixture.Open(InstallWithOneCritterArt(fixture.Root() / "Fallout2", "plain", recipe));
    const auto isPng = [](const fs::path& file) {
        QImage image;
        return image.load(QString::fromStdString(file.string()), "PNG") && image.size() == QSize(4, 3);
    };

    fixture.dialogs.saveAnswers.push_back((fixture.Root() / "shot").string());
    form.SaveImage1->trigger();
    QVERIFY(isPng(fixture.Root() / "shot.png"));
    QVERIFY(!fs::exists(fixture.Root() / "shot"));
    QVERIFY(fixture.dialogs.questions.empty());
    // A name that ends in .png in any case is kept.
    fixture.dialogs.saveAnswers.push_back((fixture.Root() / "upper.PNG").string());
    form.SaveImage1->trigger();
    QVERIFY(isPng(fixture.Root() / "upper.PNG"));

    // An existing file: replaced only after Yes.
    const fs::path kept = fixture.Root() / "kept.png";
    WriteTextFile(kept, "mine");
    fixture.dialogs.saveAnswers.push_back(kept.string());
    form.SaveImage1->trigger(); // answered No
    QCOMPARE(fixture.dialogs.questions.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(fixture.dialogs.questions[0]), QString("kept.png already exists. Replace it?"));
    QCOMPARE(ReadAllBytes(kept), DatText("mine"));
    fixture.dialogs.saveAnswers.push_back(kept.string());
    fixture.dialogs.questionAnswers.push_back(true);
    form.SaveImage1->trigger();
    QVERIFY(isPng(kept));
    QVERIFY(fixture.dialogs.errors.empty());

    // A link at the name, even after Yes, is neither replaced nor written through.
    const fs::path target = fixture.Root() / "target.txt";
    WriteTextFile(target, "theirs");
    const fs::path link = fixture.Root() / "linked.png";
    std::error_code linkError;
    fs::create_symlink(target, link, linkError);
    if (linkError)
        QSKIP("the system makes no links to files here");
    fixture.dialogs.saveAnswers.push_back(link.string());
    fixture.dialogs.questionAnswers.push_back(true);
    form.SaveImage1->trigger();
    QCOMPARE(fixture.dialogs.errors.size(), std::size_t(1));
    QVERIFY2(QString::fromStdString(fixture.dialogs.errors[0]).contains("linked.png"),
             fixture.dialogs.errors[0].c_str());
    QVERIFY(fs::is_symlink(link));
    QCOMPARE(ReadAllBytes(target), DatText("theirs"));
}

namespace {

// The real program's environment: offscreen, its settings in config, no
// leak report from a process that is killed.
QProcessEnvironment ProgramEnvironment(const fs::path& config)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.string()));
    environment.insert("ASAN_OPTIONS", "detect_leaks=0");
    return environment;
}

} // namespace

void TestWindowGameFolderSafety::programOpensTheFolderItIsGiven()
{
#ifdef Q_OS_WIN
    QSKIP("the settings file of the program lives in the registry's place on Windows");
#else
    // Started as a user starts it: `quarnel PATH`, a relative path from the
    // folder it is started in. An opened folder is written to the recent
    // folders of the user's settings.
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2");
    const fs::path config = fixture.Root() / "config";
    QProcess program;
    program.setProcessEnvironment(ProgramEnvironment(config));
    program.setWorkingDirectory(QString::fromStdString(fixture.Root().string()));
    program.start(QUARNEL_PROGRAM, {"Fallout2/"});
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
    const QString ini = QString::fromStdString((config / "Quarnel" / "Quarnel.ini").string());
    const auto recent = [&] { return QSettings(ini, QSettings::IniFormat).value("gameFolders/recent").toStringList(); };
    QTRY_VERIFY_WITH_TIMEOUT(!recent().isEmpty() || program.state() == QProcess::NotRunning, 60000);
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished();
    QVERIFY2(running, program.readAllStandardError().constData());
    QCOMPARE(recent(), QStringList{QString::fromStdString(install.root.string())});
#endif
}

void TestWindowGameFolderSafety::programRefusesASecondArgument()
{
#ifdef Q_OS_WIN
    QSKIP("a window program shows its usage in a box on Windows");
#else
    WindowFixture fixture;
    const Install install(fixture.Root() / "Fallout2");
    QProcess program;
    program.setProcessEnvironment(ProgramEnvironment(fixture.Root() / "config"));
    program.start(QUARNEL_PROGRAM, {QString::fromStdString(install.root.string()), "second"});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 2);
    const QString error = program.readAllStandardError();
    QVERIFY2(error.contains("Usage: quarnel [FOLDER]\n"), qPrintable(error));
    QVERIFY(!fs::exists(fixture.Root() / "config" / "Quarnel" / "Quarnel.ini"));
#endif
}

QTEST_MAIN(TestWindowGameFolderSafety)
#include "test_window_game_folder_safety.moc"
