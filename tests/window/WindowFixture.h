#pragma once
// A fresh program folder in a temporary directory (game folders, name
// tables, picture archive) and the real main window opened on it.
#include "ProtoBuilder.h"
#include "RecordingDialogs.h"
#include "TinyGif.h"
#include "editor/TForm1.h"

#include <QLineEdit>
#include <QTemporaryDir>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quarnel {
class TOtherFieldsDialog;
}

namespace quarnel::test {

class WindowFixture {
public:
    WindowFixture();
    ~WindowFixture();

    std::filesystem::path Root() const { return root_; }
    std::filesystem::path GameFolder(bool secondGame) const { return root_ / (secondGame ? "FO2" : "FO1"); }
    std::filesystem::path CritterPath(int number, bool secondGame = true) const;

    // Writes critter number n (file 0000000n.pro) into a game folder.
    void AddCritter(int number, const ProtoBuilder& builder, bool secondGame = true);
    // Writes pro_crit.ini with "key=name" lines under [Description] (CRLF).
    void WriteNameTable(const std::map<int, std::string>& names, bool secondGame = true);
    // A picture archive with the list and pictures for FID indexes (see the .cpp).
    void WritePictureArchive();

    // Opens the main window (its start-up runs in the constructor).
    TForm1& Open();
    // Opens it on a game install or a mod's tree, as `quarnel PATH` does.
    TForm1& Open(const std::filesystem::path& gameFolder);
    TForm1& Form() { return *form_; }
    void Close();

    QLineEdit* Field(const char* name) const;
    QString Text(const char* name) const { return Field(name)->text(); }
    // Types text into a field as the user would (key presses and releases).
    void Type(const char* name, const QString& text);
    // Replaces a field's text by typing: selects all, then types.
    void Retype(const char* name, const QString& text);
    void ClickRow(int row);
    void ClickButton(const char* name);

    RecordingDialogs dialogs;

private:
    QTemporaryDir dir_;
    std::filesystem::path root_;
    std::unique_ptr<TForm1> form_;
};

// A one-colour 4 x 3 GIF; the colour number tells which picture is shown.
Rgb PictureColour(int colour);
std::vector<std::uint8_t> ColouredGif(int colour);

// The default second-game folder of the window tests: three critters with names.
void WriteStandardFolder(WindowFixture& fixture);

// The list row selected in the window, -1 when none is.
int SelectedRow(TForm1& form);

// The list row whose file name is file, -1 when none is.
int RowOf(QTableWidget* list, const QString& file);

// The status bar's text.
QString Status(TForm1& form);

// Deletes a file behind the window's back as another program would: one the
// window left read-only is made writable first, since Windows refuses to
// delete a read-only file.
void RemoveBehindTheWindow(const std::filesystem::path& file);

// Types a search text and presses Enter in the search box.
void SearchFor(WindowFixture& fixture, const QString& text);

// Presses F3 in the window and runs body on the dialog it opens; a dialog the
// body leaves open is cancelled. False when no dialog opened.
bool WithOtherFields(WindowFixture& fixture, const std::function<void(TOtherFieldsDialog&)>& body);

} // namespace quarnel::test
