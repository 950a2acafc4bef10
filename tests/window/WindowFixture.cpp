#include "WindowFixture.h"

#include "TinyGif.h"
#include "ZipWriter.h"
#include "editor/PathText.h"
#include "editor/TOtherFieldsDialog.h"
#include "platform/AppPaths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace quarnel::test {

// The folder in native form (backslashes on Windows), as the window forms its paths.
WindowFixture::WindowFixture() : root_(ToPath(QDir::toNativeSeparators(dir_.path())))
{
    std::filesystem::create_directories(GameFolder(true));
    std::filesystem::create_directories(GameFolder(false));
    SetExecutableFolder(root_);
    // The user's settings of this window live in its own folder, never the real ones.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    // Without its picture archive a load ends at the picture step.
    WritePictureArchive();
}

WindowFixture::~WindowFixture() { form_.reset(); }

std::filesystem::path WindowFixture::CritterPath(int number, bool secondGame) const
{
    char name[32];
    std::snprintf(name, sizeof name, "%08d.pro", number);
    return GameFolder(secondGame) / name;
}

void WindowFixture::AddCritter(int number, const ProtoBuilder& builder, bool secondGame)
{
    builder.WriteTo(CritterPath(number, secondGame));
}

void WindowFixture::WriteNameTable(const std::map<int, std::string>& names, bool secondGame)
{
    std::string text = "[Description]\r\n";
    for (const auto& [key, name] : names)
        text += std::to_string(key) + "=" + name + "\r\n";
    WriteTextFile(GameFolder(secondGame) / "pro_crit.ini", text);
}

std::vector<std::uint8_t> ColouredGif(int colour)
{
    return EncodeGif(4, 3, {PictureColour(colour)}, {std::vector<std::uint8_t>(12, 0)});
}

Rgb PictureColour(int colour) { return {std::uint8_t(colour * 20), 100, 200}; }

void WindowFixture::WritePictureArchive()
{
    // FID 0: all six views (colours 0 to 5); FID 1: view 0 only (10);
    // FID 2: the single picture (11); FID 3: nothing, so the fallback (12).
    ZipWriter zip;
    zip.Stored("gif_critters.lst", std::string("rat\r\nmole\r\ndog.frm\r\nghost\r\n"));
    for (int view = 0; view < 6; ++view)
        zip.Deflated("pics/rat-" + std::to_string(view) + ".gif", ColouredGif(view));
    zip.Stored("mole-0.gif", ColouredGif(10));
    zip.Deflated("dog.frm.gif", ColouredGif(11));
    zip.Stored("reservAA.gif", ColouredGif(12));
    zip.WriteTo(root_ / "frm_critters.zip");
}

TForm1& WindowFixture::Open() { return Open(std::filesystem::path()); }

TForm1& WindowFixture::Open(const std::filesystem::path& gameFolder)
{
    form_ = std::make_unique<TForm1>(nullptr, gameFolder);
    form_->show();
    form_->activateWindow();
    if (!QTest::qWaitForWindowActive(form_.get()))
        qWarning("the main window did not become active");
    return *form_;
}

void WindowFixture::Close() { form_.reset(); }

QLineEdit* WindowFixture::Field(const char* name) const
{
    QLineEdit* field = form_->Edit(name);
    if (!field)
        qFatal("no field %s", name);
    return field;
}

void WindowFixture::Type(const char* name, const QString& text)
{
    QLineEdit* field = Field(name);
    field->setFocus();
    QTest::keyClicks(field, text);
}

void WindowFixture::Retype(const char* name, const QString& text)
{
    QLineEdit* field = Field(name);
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QTest::keyClicks(field, text);
}

void WindowFixture::ClickRow(int row)
{
    QTableWidget* list = form_->ListViewFiles;
    const QRect rect = list->visualItemRect(list->item(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

void WindowFixture::ClickButton(const char* name)
{
    auto* button = form_->findChild<QAbstractButton*>(name);
    if (!button)
        qFatal("no button %s", name);
    QTest::mouseClick(button, Qt::LeftButton);
}

void WriteStandardFolder(WindowFixture& fixture)
{
    fixture.AddCritter(3, ProtoBuilder(416).PidNumber(3).TextId(300).Primary(0, 6, 1).Experience(25));
    fixture.AddCritter(123, ProtoBuilder(416).PidNumber(123).TextId(12300).Primary(0, 5, 0).Primary(2, 5, 0));
    fixture.AddCritter(200, ProtoBuilder(416).PidNumber(200).TextId(20000).Gender(1, 0).FidIndex(1));
    fixture.WriteNameTable({{300, "Rat"}, {12300, "Mole Rat"}, {20000, "Wasteland Dog"}});
}

int SelectedRow(TForm1& form)
{
    const auto items = form.ListViewFiles->selectedItems();
    return items.isEmpty() ? -1 : items.first()->row();
}

int RowOf(QTableWidget* list, const QString& file)
{
    for (int row = 0; row < list->rowCount(); ++row)
        if (list->item(row, 0)->text() == file)
            return row;
    return -1;
}

QString Status(TForm1& form) { return form.StatusLabel1 ? form.StatusLabel1->text() : QString("(no status bar)"); }

void RemoveBehindTheWindow(const std::filesystem::path& file)
{
    std::filesystem::permissions(file, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    std::filesystem::remove(file);
}

void SearchFor(WindowFixture& fixture, const QString& text)
{
    QLineEdit* box = fixture.Form().Edit_Search;
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

bool WithOtherFields(WindowFixture& fixture, const std::function<void(TOtherFieldsDialog&)>& body)
{
    // The shortcut reaches the active window only.
    fixture.Form().activateWindow();
    if (!QTest::qWaitForWindowActive(&fixture.Form()))
        qWarning("the main window did not become active");
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TOtherFieldsDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        opened = true;
        body(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QTest::keyClick(&fixture.Form(), Qt::Key_F3);
    return opened;
}

} // namespace quarnel::test
