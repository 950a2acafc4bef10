// The critter's picture through the real window: the view shown after a
// load, the view buttons, the fallback order, "Save Image" and the
// read-only attribute on every way out.
#include "WindowFixture.h"
#include "editor/Globals.h"
#include "platform/FileAttributes.h"

#include <QLabel>
#include <QMovie>
#include <QPixmap>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

using namespace quarnel;
using namespace quarnel::test;

namespace {

// The colour number of the picture shown (see ColouredGif), or -1.
int ShownColour(TForm1& form)
{
    const QPixmap pixmap = form.Image1->pixmap();
    if (pixmap.isNull())
        return -1;
    const QColor colour = pixmap.toImage().pixelColor(0, 0);
    for (int n = 0; n < 16; ++n) {
        const Rgb rgb = PictureColour(n);
        if (colour == QColor(rgb[0], rgb[1], rgb[2]))
            return n;
    }
    return -2;
}

void BuildPictureFolder(WindowFixture& fixture)
{
    for (int fid = 0; fid < 5; ++fid)
        fixture.AddCritter(fid + 1, ProtoBuilder(416).FidIndex(fid).TextId((fid + 1) * 100));
    fixture.WriteNameTable({{100, "A"}, {200, "B"}, {300, "C"}, {400, "D"}, {500, "E"}});
    fixture.WritePictureArchive();
}

} // namespace

class TestWindowPreview : public QObject {
    Q_OBJECT

private slots:
    void loadShowsViewTwoAndTheCaption();
    void viewButtonsWrapAround();
    void fallbackOrder_data();
    void fallbackOrder();
    void fidBeyondTheListKeepsThePicture();
    void saveImageWritesTheGifBytes();
    void brokenArchiveStillLoadsTheCritter_data();
    void brokenArchiveStillLoadsTheCritter();
    void saveImageReportsAFullDisk();
    void buttonsWithoutACritterDoNothing();
};

void TestWindowPreview::loadShowsViewTwoAndTheCaption()
{
    WindowFixture fixture;
    BuildPictureFolder(fixture);
    TForm1& form = fixture.Open();
    QVERIFY(fixture.dialogs.errors.empty());
    QCOMPARE(ShownColour(form), 2);
    QCOMPARE(PreviewView, std::uint8_t(2));
    QCOMPARE(fixture.Text("Edit1"), QString("rat, FID: 0"));
    fixture.ClickRow(2);
    QCOMPARE(fixture.Text("Edit1"), QString("dog, FID: 2")); // the extension is dropped from the caption
    QVERIFY(std::filesystem::exists(fixture.Root() / "temp" / "rat-2.gif"));
}

void TestWindowPreview::viewButtonsWrapAround()
{
    WindowFixture fixture;
    BuildPictureFolder(fixture);
    TForm1& form = fixture.Open();
    const int forward[] = {3, 4, 5, 0, 1, 2};
    for (int view : forward) {
        QTest::mouseClick(form.SpeedButton21, Qt::LeftButton);
        QCOMPARE(int(PreviewView), view);
        QCOMPARE(ShownColour(form), view);
    }
    QTest::mouseClick(form.SpeedButton20, Qt::LeftButton);
    QTest::mouseClick(form.SpeedButton20, Qt::LeftButton);
    QTest::mouseClick(form.SpeedButton20, Qt::LeftButton);
    QCOMPARE(int(PreviewView), 5);
    QCOMPARE(fixture.Text("Edit1"), QString("rat, FID: 0"));
    QVERIFY(IsReadOnly(fixture.CritterPath(1)));
    QVERIFY(fixture.dialogs.errors.empty());
}

void TestWindowPreview::fallbackOrder_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("colour");
    QTest::newRow("only view 0") << 1 << 10;
    QTest::newRow("only the single picture") << 2 << 11;
    QTest::newRow("nothing: the fallback picture") << 3 << 12;
}

void TestWindowPreview::fallbackOrder()
{
    QFETCH(int, row);
    QFETCH(int, colour);
    WindowFixture fixture;
    BuildPictureFolder(fixture);
    TForm1& form = fixture.Open();
    fixture.ClickRow(row);
    QCOMPARE(ShownColour(form), colour);
    QCOMPARE(int(PreviewView), 2);
    QTest::mouseClick(form.SpeedButton21, Qt::LeftButton);
    QCOMPARE(int(PreviewView), 3);
    QCOMPARE(ShownColour(form), colour);
}

void TestWindowPreview::fidBeyondTheListKeepsThePicture()
{
    WindowFixture fixture;
    BuildPictureFolder(fixture);
    TForm1& form = fixture.Open();
    QTest::mouseClick(form.SpeedButton21, Qt::LeftButton); // view 3
    fixture.ClickRow(4);                                   // FID 4: the list has lines 0 to 3
    QCOMPARE(ShownColour(form), 3);
    QCOMPARE(int(PreviewView), 3);
    QCOMPARE(fixture.Text("Edit1"), QString("rat, FID: 0"));
    QCOMPARE(FidLowByte, 4);
}

void TestWindowPreview::saveImageWritesTheGifBytes()
{
    WindowFixture fixture;
    BuildPictureFolder(fixture);
    TForm1& form = fixture.Open();
    const auto target = fixture.Root() / "saved.bmp";
    fixture.dialogs.saveAnswers.push_back(target.string());
    form.SaveImage1->trigger();
    QCOMPARE(ReadAllBytes(target), ColouredGif(2));
    QCOMPARE(fixture.dialogs.saveFilters.size(), std::size_t(1));
    QVERIFY(QString::fromStdString(fixture.dialogs.saveFilters[0])
                .startsWith("All (*.GIF *.bmp *.ico *.emf *.wmf);;GIF Image (*.GIF);;Bitmaps (*.bmp)"));
    // Cancelling the dialog writes nothing.
    form.SaveImage1->trigger();
    QCOMPARE(ReadAllBytes(target), ColouredGif(2));
}

void TestWindowPreview::brokenArchiveStillLoadsTheCritter_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("error");
    QTest::newRow("missing") << 0 << "File not found.";
    QTest::newRow("empty") << 1 << "Invalid Stream.";
    QTest::newRow("random 4 MiB") << 2 << "Unhandled Archive Type.";
    QTest::newRow("last 30 bytes cut") << 3 << "Unhandled Archive Type.";
}

void TestWindowPreview::brokenArchiveStillLoadsTheCritter()
{
    QFETCH(int, kind);
    QFETCH(QString, error);
    WindowFixture fixture;
    BuildPictureFolder(fixture);
    TForm1& form = fixture.Open();
    const auto archive = fixture.Root() / "frm_critters.zip";
    std::vector<std::uint8_t> bytes = ReadAllBytes(archive);
    std::filesystem::remove(archive);
    std::filesystem::remove_all(fixture.Root() / "temp");
    if (kind == 1)
        WriteAllBytes(archive, {});
    if (kind == 2) {
        std::vector<std::uint8_t> noise(4 * 1024 * 1024);
        std::uint32_t seed = 5;
        for (auto& b : noise)
            b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
        WriteAllBytes(archive, noise);
    }
    if (kind == 3) {
        bytes.resize(bytes.size() - 30);
        WriteAllBytes(archive, bytes);
    }

    for (int round = 0; round < 2; ++round) {
        fixture.ClickRow(1);
        QCOMPARE(fixture.Text("EditIDNumber"), QString("2"));
        QCOMPARE(fixture.Text("EditCritterName"), QString("B")); // the whole critter is loaded
        QVERIFY(form.Image1->pixmap().isNull());
        QCOMPARE(form.Edit1->text(), QString("FID: 1"));
        QVERIFY(IsReadOnly(fixture.CritterPath(2)));
        fixture.ClickRow(0);
        QCOMPARE(fixture.Text("EditCritterName"), QString("A"));
        QTest::mouseClick(form.SpeedButton21, Qt::LeftButton);
    }
    QCOMPARE(fixture.dialogs.errors, std::vector<std::string>{error.toStdString()}); // once per run

    // A changed archive is reported again.
    fixture.dialogs.Clear();
    WriteAllBytes(archive, std::vector<std::uint8_t>(100, 'x'));
    fixture.ClickRow(1);
    QCOMPARE(fixture.dialogs.errors, std::vector<std::string>{"Unhandled Archive Type."});

    // A failed picture step never refuses the save of the critter it loaded.
    QLineEdit* experience = fixture.Field("EditExpPoints");
    experience->selectAll();
    QTest::keyClicks(experience, "777");
    fixture.ClickButton("BitBtnSave");
    const std::vector<std::uint8_t> saved = ReadAllBytes(fixture.CritterPath(2));
    QCOMPARE((std::vector<std::uint8_t>(saved.begin() + 404, saved.begin() + 408)),
             (std::vector<std::uint8_t>{0x00, 0x00, 0x03, 0x09}));
    QVERIFY(IsReadOnly(fixture.CritterPath(2)));
}

void TestWindowPreview::saveImageReportsAFullDisk()
{
    if (!std::filesystem::exists("/dev/full"))
        QSKIP("no /dev/full here");
    WindowFixture fixture;
    BuildPictureFolder(fixture);
    TForm1& form = fixture.Open();
    fixture.dialogs.saveAnswers.push_back("/dev/full");
    form.SaveImage1->trigger();
    QCOMPARE(fixture.dialogs.errors, std::vector<std::string>{"Disk full."});
}

void TestWindowPreview::buttonsWithoutACritterDoNothing()
{
    WindowFixture fixture;
    fixture.WriteNameTable({});
    fixture.WritePictureArchive();
    TForm1& form = fixture.Open();
    QTest::mouseClick(form.SpeedButton21, Qt::LeftButton);
    QTest::mouseClick(form.SpeedButton20, Qt::LeftButton);
    QVERIFY(fixture.dialogs.errors.empty());
    QCOMPARE(int(PreviewView), 0);
}

QTEST_MAIN(TestWindowPreview)
#include "test_window_preview.moc"
