// The window's layout and look through the real window: search scrolling in a
// long list, typing limits on long values, the list refill after an outside
// change, the grid geometry, the base-value mode, mouse and key details, and
// the resizable window.
#include "WindowFixture.h"
#include "editor/TAboutBox.h"
#include "editor/FieldLook.h"
#include "editor/Globals.h"
#include "proto/CritterFields.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <cstdlib>

using namespace quarnel;
using namespace quarnel::test;

namespace {

QString CritterName(int row) { return QString("Beast%1").arg(row, 3, 10, QChar('0')); }

void ExpectRowShownNearTop(QTableWidget* list, int row, bool nearTop)
{
    const QRect rect = list->visualItemRect(list->item(row, 0));
    QVERIFY2(list->viewport()->rect().contains(rect), qPrintable(QString("row %1 not visible").arg(row)));
    if (nearTop) {
        // Measured from the top of the rows' area, below the header.
        const int top = rect.top();
        QVERIFY2(top >= 90 && top <= 110, qPrintable(QString("row %1 at %2 px").arg(row).arg(top)));
    }
}

// The text colour of a field as rendered: the pixel farthest from the
// field's background colour.
QColor RenderedTextColour(QLineEdit* field)
{
    const QImage image = field->grab().toImage();
    const QColor background = FieldColor(field);
    QColor best = background;
    int bestDistance = 0;
    for (int y = 3; y < image.height() - 3; ++y)
        for (int x = 3; x < image.width() - 3; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const int distance = std::abs(pixel.red() - background.red()) +
                                 std::abs(pixel.green() - background.green()) +
                                 std::abs(pixel.blue() - background.blue());
            if (distance > bestDistance) {
                bestDistance = distance;
                best = pixel;
            }
        }
    return best;
}

QLabel* LabelWithText(QWidget* parent, const QString& text)
{
    for (QLabel* label : parent->findChildren<QLabel*>())
        if (label->text() == text)
            return label;
    return nullptr;
}

} // namespace

class TestWindowLayout : public QObject {
    Q_OBJECT

private slots:
    void searchKeepsTheFoundRowInViewOfALongList();
    void typingLimitsHoldOnLongLoadedValues();
    void pasteIsCutToTheLimit();
    void saveAfterAnOutsideChangeKeepsCritterAndNames();
    void statisticsGridOrderAndGeometry();
    void captionsFitBeforeTheirFields();
    void baseFieldsLookGreyedOrBlue();
    void rightClickInTheSearchBoxKeepsTheLight();
    void spacePressesAClickedStepButtonAgain();
    void saveImageWithoutPictureAsksAndWritesNothing();
    void aboutLinkOpensOnlyOnARelease();
    void windowGrowsButNotBelowItsMinimum();
};

void TestWindowLayout::searchKeepsTheFoundRowInViewOfALongList()
{
    WindowFixture fixture;
    std::map<int, std::string> names;
    for (int i = 0; i < 300; ++i) {
        fixture.AddCritter(i + 1, ProtoBuilder(416).PidNumber(i + 1).TextId((i + 1) * 100));
        names[(i + 1) * 100] = CritterName(i).toStdString();
    }
    fixture.WriteNameTable(names);
    TForm1& form = fixture.Open();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTableWidget* list = form.ListViewFiles;
    QCOMPARE(list->rowCount(), 300);
    fixture.ClickRow(0);

    SearchFor(fixture, CritterName(250)); // forward, far below the window
    QCOMPARE(SelectedRow(form), 250);
    ExpectRowShownNearTop(list, 250, true);

    SearchFor(fixture, CritterName(299)); // the last row: the list cannot scroll further
    QCOMPARE(SelectedRow(form), 299);
    ExpectRowShownNearTop(list, 299, false);

    SearchFor(fixture, CritterName(60)); // past the end, found after wrapping to the top
    QCOMPARE(SelectedRow(form), 60);
    ExpectRowShownNearTop(list, 60, true);
    QCOMPARE(FieldColor(form.Edit_Search), kSearchFound);
}

void TestWindowLayout::typingLimitsHoldOnLongLoadedValues()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    fixture.Open();
    QLineEdit* primary = fixture.Field("EditExtraST");
    QLineEdit* skill = fixture.Field(kSkills[0].extra);
    primary->setText("-100000"); // as a load sets it: shown whole
    skill->setText("123456");
    QCOMPARE(primary->text(), QString("-100000"));

    for (const auto& [field, text] : {std::pair{primary, QString("-100000")}, std::pair{skill, QString("123456")}}) {
        field->setFocus();
        for (int cursor : {int(text.size()), 0, 3}) { // end, start, middle
            field->setCursorPosition(cursor);
            QTest::keyClick(field, Qt::Key_5);
            QCOMPARE(field->text(), text);
        }
        // Removing is allowed; the shorter text is still over the limit.
        field->setCursorPosition(int(text.size()));
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(field->text(), text.left(text.size() - 1));
        QTest::keyClick(field, Qt::Key_7);
        QCOMPARE(field->text(), text.left(text.size() - 1));
    }

    // Within the limit typing works up to it and stops there.
    fixture.Retype("EditExtraST", "12345");
    QCOMPARE(fixture.Text("EditExtraST"), QString("123"));
    fixture.Retype(kSkills[0].extra, "-98765");
    QCOMPARE(fixture.Text(kSkills[0].extra), QString("-987"));
}

void TestWindowLayout::pasteIsCutToTheLimit()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    fixture.Open();
    QGuiApplication::clipboard()->setText("98765");

    QLineEdit* primary = fixture.Field("EditExtraST");
    fixture.Retype("EditExtraST", "1");
    primary->setCursorPosition(1);
    QTest::keyClick(primary, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(primary->text(), QString("198"));

    QLineEdit* skill = fixture.Field(kSkills[1].extra);
    skill->setFocus();
    skill->selectAll();
    QTest::keyClick(skill, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(skill->text(), QString("9876"));
    // The text after the cursor stays; the paste fills the room before it.
    fixture.Retype(kSkills[1].extra, "12");
    skill->setCursorPosition(1);
    QTest::keyClick(skill, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(skill->text(), QString("1982"));
}

void TestWindowLayout::saveAfterAnOutsideChangeKeepsCritterAndNames()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    fixture.WriteNameTable({{300, "Rat"}, {5000, "Gecko"}, {12300, "Mole Rat"}, {20000, "Wasteland Dog"}});
    TForm1& form = fixture.Open();
    fixture.ClickRow(1);
    QCOMPARE(QString::fromStdString(CurrentCritterPath), QString::fromStdString(fixture.CritterPath(123).string()));

    fixture.AddCritter(50, ProtoBuilder(416).PidNumber(50).TextId(5000)); // behind the program's back
    fixture.Retype("EditExtraST", "2");
    fixture.ClickButton("BitBtnSave");
    QVERIFY(fixture.dialogs.errors.empty());

    QCOMPARE(QString::fromStdString(CurrentCritterPath), QString::fromStdString(fixture.CritterPath(123).string()));
    QCOMPARE(form.ListViewFiles->item(SelectedRow(form), 0)->text(), QString("00000123.pro"));
    const QStringList files = {"00000003.pro", "00000050.pro", "00000123.pro", "00000200.pro"};
    const QStringList critterNames = {"Rat", "Gecko", "Mole Rat", "Wasteland Dog"};
    QCOMPARE(form.ListViewFiles->rowCount(), 4);
    for (int row = 0; row < 4; ++row) {
        QCOMPARE(form.ListViewFiles->item(row, 0)->text(), files[row]);
        QCOMPARE(form.ListViewFiles->item(row, 1)->text(), critterNames[row]);
    }

    // The shown file removed behind the program's back: the row index serves.
    RemoveBehindTheWindow(fixture.CritterPath(3));
    fixture.ClickRow(2); // 00000123.pro again, after a fresh listing
    RemoveBehindTheWindow(fixture.CritterPath(123));
    fixture.Retype("EditExtraST", "3");
    fixture.ClickButton("BitBtnCancel");
    QCOMPARE(form.ListViewFiles->rowCount(), 2);
    QCOMPARE(form.ListViewFiles->item(0, 1)->text(), QString("Gecko"));
    QCOMPARE(form.ListViewFiles->item(1, 1)->text(), QString("Wasteland Dog"));
}

void TestWindowLayout::statisticsGridOrderAndGeometry()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    QWidget* client = form.centralWidget();
    const QStringList order = {"Hit points", "AC",       "Ac. points",   "Carry weight", "Unarmed",
                               "Melee",      "Sequence", "Healing rate", "Crit chance",  "Better crit."};
    int previousY = -1;
    for (const QString& caption : order) {
        QLabel* label = LabelWithText(client, caption);
        QVERIFY2(label, qPrintable(caption));
        QVERIFY2(label->y() > previousY, qPrintable(caption));
        previousY = label->y();
        QCOMPARE(label->x(), 528);
    }
    // Each row's fields stand on the caption's row, the last ending at 739.
    for (const StatFields& stat : kDerivedStats) {
        QLabel* label = LabelWithText(client, stat.caption);
        for (const char* name : {stat.total, stat.base, stat.extra}) {
            QLineEdit* field = fixture.Field(name);
            QVERIFY2(std::abs(field->y() + 3 - label->y()) <= 1, name);
            QVERIFY2(field->x() > label->x() && field->x() + field->width() <= 739, name);
        }
        QCOMPARE(fixture.Field(stat.extra)->x() + fixture.Field(stat.extra)->width(), 739);
    }
    QCOMPARE(form.RadioGroup1->pos(), QPoint(768, 565));
}

void TestWindowLayout::captionsFitBeforeTheirFields()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    QWidget* client = form.centralWidget();
    const auto fields = client->findChildren<QLineEdit*>();
    int checked = 0;
    for (QLabel* label : client->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || label->isHidden())
            continue;
        // The nearest field to the right on the label's row.
        const int middle = label->y() + label->height() / 2;
        int fieldX = INT_MAX;
        for (QLineEdit* field : fields)
            if (!field->isHidden() && field->x() > label->x() && field->y() <= middle &&
                field->geometry().bottom() >= middle)
                fieldX = std::min(fieldX, field->x());
        if (fieldX == INT_MAX)
            continue;
        ++checked;
        const int textWidth = label->fontMetrics().horizontalAdvance(label->text());
        QVERIFY2(textWidth <= fieldX - label->x(),
                 qPrintable(QString("%1: %2 px in %3 px").arg(label->text()).arg(textWidth).arg(fieldX - label->x())));
        QVERIFY2(label->x() + label->width() <= fieldX, qPrintable(label->text()));
    }
    QVERIFY(checked >= 17 + 18); // the statistics and the skills at least
#ifdef _WIN32
    QSKIP("the game switch's width is checked on Linux only: the Windows test programs measure with "
          "DejaVu Sans, wider than Windows' own interface font, beside the Windows style's larger radio mark");
#endif
    // The game switch's choices show their whole text inside the group.
    for (QRadioButton* radio : form.RadioGroup1->findChildren<QRadioButton*>()) {
        QVERIFY2(radio->sizeHint().width() <= radio->width(),
                 qPrintable(radio->text() + QString(" %1 in %2").arg(radio->sizeHint().width()).arg(radio->width())));
        QVERIFY(radio->geometry().right() < form.RadioGroup1->width());
    }
    QVERIFY(form.RadioGroup1->geometry().right() < client->width());
}

void TestWindowLayout::baseFieldsLookGreyedOrBlue()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    QLineEdit* base = fixture.Field("EditBaseST");
    base->setText("888");

    form.Disable1->trigger();
    QVERIFY(!base->isEnabled());
    const QColor greyed = RenderedTextColour(base);
    const QColor desktopGrey = base->palette().color(QPalette::Disabled, QPalette::Text);
    QVERIFY2(std::abs(greyed.red() - greyed.blue()) < 40 && std::abs(greyed.red() - greyed.green()) < 40,
             qPrintable(greyed.name()));
    QVERIFY2(std::abs(greyed.blue() - desktopGrey.blue()) < 60, qPrintable(greyed.name() + " " + desktopGrey.name()));

    form.Enable1->trigger();
    QVERIFY(base->isEnabled());
    const QColor blue = RenderedTextColour(base);
    QVERIFY2(blue.blue() - blue.red() > 100 && blue.blue() - blue.green() > 100, qPrintable(blue.name()));

    form.Disable1->trigger();
    QCOMPARE(RenderedTextColour(base), greyed);
}

void TestWindowLayout::rightClickInTheSearchBoxKeepsTheLight()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    SearchFor(fixture, "Mole");
    QCOMPARE(FieldColor(form.Edit_Search), kSearchFound);
    QTimer::singleShot(0, [] {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
    QTest::mouseClick(form.Edit_Search, Qt::RightButton);
    QCOMPARE(FieldColor(form.Edit_Search), kSearchFound);
    QTest::mouseClick(form.Edit_Search, Qt::LeftButton);
    QVERIFY(FieldColor(form.Edit_Search) != kSearchFound);
}

void TestWindowLayout::spacePressesAClickedStepButtonAgain()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(fixture.Text("EditBaseST"), QString("6"));
    auto* plus = form.findChild<QPushButton*>("BitBtn2");
    QTest::mouseClick(plus, Qt::LeftButton);
    QCOMPARE(fixture.Text("EditBaseST"), QString("7"));
    QCOMPARE(QApplication::focusWidget(), plus);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(fixture.Text("EditBaseST"), QString("8"));
}

void TestWindowLayout::saveImageWithoutPictureAsksAndWritesNothing()
{
    WindowFixture fixture; // an empty folder: no critter, no picture
    TForm1& form = fixture.Open();
    const std::filesystem::path target = fixture.Root() / "picture.gif";
    fixture.dialogs.saveAnswers.push_back(target.string());
    form.SaveImage1->trigger();
    QCOMPARE(int(fixture.dialogs.saveFilters.size()), 1);
    QVERIFY(!std::filesystem::exists(target));
    QVERIFY(fixture.dialogs.errors.empty());
}

void TestWindowLayout::aboutLinkOpensOnlyOnARelease()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
        QVERIFY(about);
        shown = true;
        QLabel* link = about->Label1;
        // Pressed on the label, released off it.
        QTest::mousePress(link, Qt::LeftButton, {}, link->rect().center());
        QTest::mouseRelease(link, Qt::LeftButton, {}, link->rect().bottomRight() + QPoint(20, 20));
        // The right button over the label.
        QTest::mouseClick(link, Qt::RightButton, {}, link->rect().center());
        QTest::keyClick(about, Qt::Key_Escape);
    });
    form.About1->trigger();
    QVERIFY(shown);
    QVERIFY(fixture.dialogs.openedUrls.empty());
}

void TestWindowLayout::windowGrowsButNotBelowItsMinimum()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QSize smallest = form.size();
    QCOMPARE(form.centralWidget()->size(), form.centralWidget()->minimumSize());
    QCOMPARE(form.minimumSize(), smallest);
    const QRect list = form.ListViewFiles->geometry();
    const QPoint gridField = fixture.Field("EditST")->pos();
    const QPoint switchPos = form.RadioGroup1->pos();

    form.resize(smallest + QSize(200, 150));
    QTRY_COMPARE(form.size(), smallest + QSize(200, 150));
    QTRY_COMPARE(form.ListViewFiles->height(), list.height() + 150);
    QCOMPARE(form.ListViewFiles->pos(), list.topLeft());
    QCOMPARE(fixture.Field("EditST")->pos(), gridField);
    QCOMPARE(form.RadioGroup1->pos(), switchPos);

    form.resize(smallest - QSize(300, 200));
    QTRY_COMPARE(form.size(), smallest);
    QTRY_COMPARE(form.ListViewFiles->geometry(), list);
}

QTEST_MAIN(TestWindowLayout)
#include "test_window_layout.moc"
