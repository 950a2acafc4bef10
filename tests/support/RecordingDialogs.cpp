#include "RecordingDialogs.h"

namespace quarnel::test {

std::optional<std::string> RecordingDialogs::AskSaveFileName(const std::string& filter)
{
    saveFilters.push_back(filter);
    if (saveAnswers.empty())
        return std::nullopt;
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

bool RecordingDialogs::AskYesNo(const std::string& text)
{
    questions.push_back(text);
    if (questionAnswers.empty())
        return false;
    const bool answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
}

std::optional<std::string> RecordingDialogs::AskFolder(const std::string&)
{
    if (folderAnswers.empty())
        return std::nullopt;
    auto answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

void RecordingDialogs::Clear()
{
    errors.clear();
    messages.clear();
    openedUrls.clear();
    saveFilters.clear();
    questions.clear();
}

} // namespace quarnel::test
