#pragma once
// Records the program's message boxes instead of showing them.
#include "platform/UserDialogs.h"

#include <deque>
#include <string>
#include <vector>

namespace quarnel::test {

class RecordingDialogs : public UserDialogs {
public:
    RecordingDialogs() { SetDialogs(this); }
    ~RecordingDialogs() override { SetDialogs(nullptr); }

    void ShowError(const std::string& text) override { errors.push_back(text); }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> AskSaveFileName(const std::string& filter) override;
    bool AskYesNo(const std::string& text) override;
    std::optional<std::string> AskFolder(const std::string& caption) override;
    void OpenUrl(const std::string& url) override { openedUrls.push_back(url); }

    void Clear();

    std::vector<std::string> errors;
    std::vector<std::string> messages;
    std::vector<std::string> openedUrls;
    std::vector<std::string> saveFilters;
    std::deque<std::optional<std::string>> saveAnswers; // answers to the save dialog, in order
    std::vector<std::string> questions;
    std::deque<bool> questionAnswers;                     // Yes (true) or No, in order; No when none is left
    std::deque<std::optional<std::string>> folderAnswers; // answers to the folder dialog; cancel when none
};

} // namespace quarnel::test
