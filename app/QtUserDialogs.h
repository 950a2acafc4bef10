#pragma once
// The real message boxes, save dialog and browser call of the running program.
#include "platform/UserDialogs.h"

namespace quarnel {

class QtUserDialogs : public UserDialogs {
public:
    void ShowError(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    std::optional<std::string> AskSaveFileName(const std::string& filter) override;
    bool AskYesNo(const std::string& text) override;
    std::optional<std::string> AskFolder(const std::string& caption) override;
    void OpenUrl(const std::string& url) override;
};

} // namespace quarnel
