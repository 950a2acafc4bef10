// Program entry: the application object, the main window, the message loop.
#include "app/QtUserDialogs.h"
#include "editor/PathText.h"
#include "editor/TForm1.h"
#include "platform/AppPaths.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quarnel");
    // Through the path type, so that a folder of any name is found on Windows.
    quarnel::SetExecutablePath(quarnel::ToPath(QCoreApplication::applicationFilePath()));
    quarnel::QtUserDialogs dialogs;
    quarnel::SetDialogs(&dialogs);

    // `quarnel PATH` opens a game install or a mod's tree instead of the folders beside the program.
    quarnel::TForm1 form(nullptr, quarnel::TForm1::GameFolderFromArguments(QApplication::arguments()));
    const QRect screen = form.screen()->availableGeometry();
    form.move(screen.center() - form.rect().center());
    form.show();
    const int result = app.exec();
    quarnel::SetDialogs(nullptr);
    return result;
}
