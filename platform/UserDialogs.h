#pragma once
// The message boxes, the save dialog and the web browser, behind one
// interface so that tests record them instead of blocking on a modal box.
#include <optional>
#include <string>

namespace quarnel {

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // Error box: application title as caption, error icon, OK.
    virtual void ShowError(const std::string& text) = 0;
    // Plain message box: application title, no icon, OK.
    virtual void ShowMessage(const std::string& text) = 0;
    // Save-picture dialog; empty when the user cancels.
    virtual std::optional<std::string> AskSaveFileName(const std::string& filter) = 0;
    // Question box: application title, question icon, Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // Folder dialog; empty when the user cancels.
    virtual std::optional<std::string> AskFolder(const std::string& caption) = 0;
    // Opens a web address in the default browser; the result is not reported.
    virtual void OpenUrl(const std::string& url) = 0;
};

// The dialogs in use; set once by the program entry or by a test.
UserDialogs& Dialogs();
void SetDialogs(UserDialogs* dialogs);

} // namespace quarnel
