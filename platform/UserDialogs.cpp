#include "platform/UserDialogs.h"

#include <cstdio>

namespace quarnel {
namespace {

// Used when no window exists (core tests): writes to the error stream.
class ConsoleDialogs : public UserDialogs {
public:
    void ShowError(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    std::optional<std::string> AskSaveFileName(const std::string&) override { return std::nullopt; }
    bool AskYesNo(const std::string& text) override
    {
        std::fprintf(stderr, "%s (answered No)\n", text.c_str());
        return false;
    }
    std::optional<std::string> AskFolder(const std::string&) override { return std::nullopt; }
    void OpenUrl(const std::string&) override {}
};

ConsoleDialogs consoleDialogs;
UserDialogs* current = &consoleDialogs;

} // namespace

UserDialogs& Dialogs() { return *current; }

void SetDialogs(UserDialogs* dialogs) { current = dialogs ? dialogs : &consoleDialogs; }

} // namespace quarnel
