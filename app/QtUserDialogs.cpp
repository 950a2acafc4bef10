#include "app/QtUserDialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace quarnel {
namespace {

void ShowBox(QMessageBox::Icon icon, const std::string& text)
{
    QMessageBox box(icon, QApplication::applicationName(), QString::fromStdString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace

void QtUserDialogs::ShowError(const std::string& text) { ShowBox(QMessageBox::Critical, text); }

void QtUserDialogs::ShowMessage(const std::string& text) { ShowBox(QMessageBox::NoIcon, text); }

std::optional<std::string> QtUserDialogs::AskSaveFileName(const std::string& filter)
{
    // The picture keeps its own format, so no extension is added to the name.
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QString::fromStdString(filter));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

bool QtUserDialogs::AskYesNo(const std::string& text)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtUserDialogs::AskFolder(const std::string& caption)
{
    const QString folder =
        QFileDialog::getExistingDirectory(QApplication::activeWindow(), QString::fromStdString(caption));
    if (folder.isEmpty())
        return std::nullopt;
    return folder.toStdString();
}

void QtUserDialogs::OpenUrl(const std::string& url) { QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); }

} // namespace quarnel
