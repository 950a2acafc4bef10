// The application shell through the real window: the About box, shutdown
// with the temp folder, and one typical edit from start-up to close.
#include "WindowFixture.h"
#include "editor/TAboutBox.h"
#include "editor/Globals.h"
#include "platform/FileAttributes.h"
#include "platform/VersionInfo.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace quarnel;
using namespace quarnel::test;

namespace {

// Runs check on the modal dialog once it is shown, then presses Enter in it.
void WhenModalShown(const std::function<void(QWidget*)>& check)
{
    QTimer::singleShot(0, [check] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        check(modal);
        QTest::keyClick(modal, Qt::Key_Return);
    });
}

std::int32_t FieldAt(const std::vector<std::uint8_t>& bytes, int offset)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value * 256u + bytes[std::size_t(offset + i)];
    return std::int32_t(value);
}

} // namespace

class TestWindowShell : public QObject {
    Q_OBJECT

private slots:
    void aboutBoxIsBuiltAfreshEachTime();
    void closeRemovesTheTempFolder();
    void subfolderKeepsTheWindowOpenUntilItIsGone();
    void typicalEditFromStartToClose();
};

void TestWindowShell::aboutBoxIsBuiltAfreshEachTime()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    QPointer<TAboutBox> first;
    WhenModalShown([&](QWidget* modal) {
        first = qobject_cast<TAboutBox*>(modal);
        QVERIFY(first);
        QCOMPARE(first->windowTitle(), QString("About"));
        QCOMPARE(first->ProductName->text(), QString("Quarnel"));
        QCOMPARE(first->Version->text(),
                 QString::fromStdString("January 18, 2019, ver." + GetFileVersionText("quarnel.exe")));
        QCOMPARE(first->Comments->text(), QString("Quarnel"));
        QVERIFY(!first->Copyright->text().isEmpty());
        QVERIFY(first->OKButton->isDefault());
        QTest::mouseClick(first->Label1, Qt::LeftButton);
    });
    form.About1->trigger();
    QVERIFY(first);
    QVERIFY(!first->isVisible()); // Enter closed it; it lives on hidden
    QCOMPARE(fixture.dialogs.openedUrls, std::vector<std::string>{TAboutBox::kDiscussionUrl});

    WhenModalShown([&](QWidget* modal) { QVERIFY(modal != nullptr); });
    form.About1->trigger();
    QVERIFY(first.isNull());
    QVERIFY(form.CurrentAboutBox());
}

void TestWindowShell::closeRemovesTheTempFolder()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    QVERIFY(std::filesystem::exists(fixture.Root() / "temp" / "gif_critters.lst"));
    fixture.Retype("EditExtraST", "8"); // unsaved edits are dropped without a question
    const auto before = ReadAllBytes(fixture.CritterPath(3));
    form.Wyj1->trigger();
    QVERIFY(!form.isVisible());
    QVERIFY(!std::filesystem::exists(fixture.Root() / "temp"));
    QCOMPARE(ReadAllBytes(fixture.CritterPath(3)), before);
    QVERIFY(fixture.dialogs.errors.empty());
}

void TestWindowShell::subfolderKeepsTheWindowOpenUntilItIsGone()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    std::filesystem::create_directories(fixture.Root() / "temp" / "mine");
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    QCOMPARE(fixture.dialogs.errors, std::vector<std::string>{"I/O error 145."});
    QVERIFY(!std::filesystem::exists(fixture.Root() / "temp" / "tmp.txt"));
    std::filesystem::remove(fixture.Root() / "temp" / "mine");
    QVERIFY(form.close());
    QVERIFY(!std::filesystem::exists(fixture.Root() / "temp"));

    // A temp folder that someone already removed does not keep the window open.
    WindowFixture again;
    WriteStandardFolder(again);
    TForm1& other = again.Open();
    std::filesystem::remove_all(again.Root() / "temp");
    QVERIFY(other.close());
    QVERIFY(again.dialogs.errors.empty());
}

void TestWindowShell::typicalEditFromStartToClose()
{
    WindowFixture fixture;
    WriteStandardFolder(fixture);
    TForm1& form = fixture.Open();
    fixture.ClickRow(1);
    QCOMPARE(fixture.Text("EditCritterName"), QString("Mole Rat"));
    const auto before = ReadAllBytes(fixture.CritterPath(123));

    fixture.Retype("EditExtraST", "2");
    // ST 5 + 2 = 7 with EN 5 and AG 5, second game.
    const std::pair<const char*, const char*> cascade[] = {
        {"EditST", "7"},
        {"EditSkillUnarmedBase", "54"},
        {"EditSkillUnarmed", "54"}, // 30 + 2 x (7 + 5)
        {"EditSkillMeleeBase", "44"},
        {"EditSkillMelee", "44"}, // 20 + 2 x (7 + 5)
        {"EditBaseHP", "32"},
        {"EditHP", "32"}, // 15 + 7 + 2 x 5
        {"EditBaseCarryWeight", "200"},
        {"EditCarryWeight", "200"}, // 25 + 25 x 7
        {"EditBaseMelee", "2"},
        {"EditMelee", "2"}, // 7 - 5
    };
    for (const auto& [name, text] : cascade)
        QVERIFY2(fixture.Text(name) == text, qPrintable(QString("%1 = %2").arg(name, fixture.Text(name))));
    QVERIFY(form.BitBtnSave->isEnabled());
    fixture.ClickButton("BitBtnSave");

    const auto after = ReadAllBytes(fixture.CritterPath(123));
    QCOMPARE(FieldAt(after, 188), 2);  // extra ST
    QCOMPARE(FieldAt(after, 76), 32);  // base hit points
    QCOMPARE(FieldAt(after, 96), 200); // base carry weight
    QCOMPARE(FieldAt(after, 92), 2);   // base melee damage
    for (std::size_t i = 0; i < after.size(); ++i)
        if (!(i >= 188 && i < 192) && !(i >= 76 && i < 80) && !(i >= 92 && i < 100))
            QVERIFY2(after[i] == before[i], qPrintable(QString("byte %1").arg(i)));
    QVERIFY(IsReadOnly(fixture.CritterPath(123)));
    QCOMPARE(fixture.Text("EditST"), QString("7")); // reloaded from the file

    QVERIFY(form.close());
    QVERIFY(!std::filesystem::exists(fixture.Root() / "temp"));
}

QTEST_MAIN(TestWindowShell)
#include "test_window_shell.moc"
