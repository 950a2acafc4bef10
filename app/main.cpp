// Program entry: the application object, the main window, the message loop.
#include "app/QtUserDialogs.h"
#include "editor/PathText.h"
#include "editor/TForm1.h"
#include "platform/AppPaths.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>

namespace {

const char* const kUsage = "Usage: quarnel [FOLDER]\n"
                           "Opens the critter editor on the folders FO1 and FO2 beside the program, or on\n"
                           "FOLDER: a game install or a mod's tree. One folder at most.\n";

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quarnel");
    // Through the path type, so that a folder of any name is found on Windows.
    quarnel::SetExecutablePath(quarnel::ToPath(QCoreApplication::applicationFilePath()));
    quarnel::QtUserDialogs dialogs;
    quarnel::SetDialogs(&dialogs);

    // One folder at most (Qt's own options are taken out of the list already).
    if (QApplication::arguments().size() > 2) {
        std::fputs(kUsage, stderr);
#ifdef Q_OS_WIN
        dialogs.ShowError(kUsage); // a window program has no console to print to
#endif
        quarnel::SetDialogs(nullptr);
        return 2;
    }

    // `quarnel PATH` opens a game install or a mod's tree instead of the folders beside the program.
    quarnel::TForm1 form(nullptr, quarnel::TForm1::GameFolderFromArguments(QApplication::arguments()));
    const QRect screen = form.screen()->availableGeometry();
    form.move(screen.center() - form.rect().center());
    form.show();
    const int result = app.exec();
    quarnel::SetDialogs(nullptr);
    return result;
}
