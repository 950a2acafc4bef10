// quarnel-cli's set --rules against the real window: the same primary
// statistic edits typed into the window and saved, and given to the CLI,
// leave the same bytes, for a first-game and a second-game critter.
#include "WindowFixture.h"
#include "cli/CliApp.h"
#include "editor/Globals.h"
#include "proto/ProLayout.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <sstream>

using namespace quarnel;
using namespace quarnel::test;

class TestWindowCli : public QObject {
    Q_OBJECT
private slots:
    void rulesEditEqualsTheWindowsSave_data();
    void rulesEditEqualsTheWindowsSave();
};

void TestWindowCli::rulesEditEqualsTheWindowsSave_data()
{
    QTest::addColumn<bool>("secondGame");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("edits");
    // Stored hit points of 00000324 differ from the formula; 00000078 has extra strength.
    QTest::newRow("first game") << false << "00000324.PRO" << QStringList{"extra.ST=3", "extra.AG=-2"};
    QTest::newRow("second game") << true << "00000078.pro" << QStringList{"extra.ST=-1", "extra.EN=4", "extra.LU=2"};
}

void TestWindowCli::rulesEditEqualsTheWindowsSave()
{
    QFETCH(bool, secondGame);
    QFETCH(QString, file);
    QFETCH(QStringList, edits);
    const std::filesystem::path shared = QUARNEL_SHARED_TESTDATA;
    if (!std::filesystem::exists(shared / "FO1" / "00000324.PRO") ||
        !std::filesystem::exists(shared / "FO2" / "00000078.pro"))
        QSKIP("shared test data not present");

    WindowFixture fixture;
    for (const bool second : {false, true}) {
        std::filesystem::remove_all(fixture.GameFolder(second));
        CopyFolderFiles(shared / (second ? "FO2" : "FO1"), fixture.GameFolder(second));
    }
    const std::filesystem::path windowFile = fixture.GameFolder(secondGame) / file.toStdString();
    QTemporaryDir cliDir;
    const std::filesystem::path cliFolder =
        std::filesystem::path(cliDir.path().toStdString()) / (secondGame ? "FO2" : "FO1");
    CopyFolderFiles(fixture.GameFolder(secondGame), cliFolder);
    const std::filesystem::path cliFile = cliFolder / file.toStdString();

    TForm1& form = fixture.Open();
    if (!secondGame)
        QTest::mouseClick(form.RadioGroup1Items->button(0), Qt::LeftButton);
    const auto rows = form.ListViewFiles->findItems(file, Qt::MatchExactly);
    QCOMPARE(rows.size(), 1);
    fixture.ClickRow(rows.first()->row());
    QCOMPARE(CurrentCritterPath, windowFile.string());
    for (const QString& edit : edits) {
        const QStringList parts = edit.split('=');
        fixture.Retype(FindRecordField(parts[0].toStdString())->control, parts[1]);
    }
    fixture.ClickButton("BitBtnSave");
    QVERIFY(fixture.dialogs.errors.empty());

    std::vector<std::string> arguments = {"set", "--rules"};
    for (const QString& edit : edits)
        arguments.push_back(edit.toStdString());
    arguments.insert(arguments.end(), {"--", cliFile.string()});
    std::ostringstream out, err;
    QCOMPARE(cli::RunCli(arguments, out, err), 0);

    const auto windowBytes = ReadAllBytes(windowFile);
    QVERIFY(windowBytes != ReadAllBytes(shared / (secondGame ? "FO2" : "FO1") / file.toStdString()));
    QCOMPARE(ReadAllBytes(cliFile), windowBytes);
}

QTEST_MAIN(TestWindowCli)
#include "test_window_cli.moc"
