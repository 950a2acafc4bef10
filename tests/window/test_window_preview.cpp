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
    void missingArchiveIsReportedAndTheFileStaysReadOnly();
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
    fixture.ClickRow(4);                                    // FID 4: the list has lines 0 to 3
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

void TestWindowPreview::missingArchiveIsReportedAndTheFileStaysReadOnly()
{
    WindowFixture fixture;
    BuildPictureFolder(fixture);
    TForm1& form = fixture.Open();
    std::filesystem::remove(fixture.Root() / "frm_critters.zip");
    std::filesystem::remove_all(fixture.Root() / "temp");
    fixture.ClickRow(1);
    QCOMPARE(fixture.dialogs.errors, std::vector<std::string>{"File not found."});
    QVERIFY(IsReadOnly(fixture.CritterPath(2)));
    QCOMPARE(fixture.Text("EditIDNumber"), QString("2")); // written before the picture step
    QCOMPARE(fixture.Text("EditCritterName"), QString("A")); // the load ended at the picture step
    QVERIFY(form.ListViewFiles->isEnabled());
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
