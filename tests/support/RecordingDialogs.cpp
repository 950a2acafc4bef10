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

void RecordingDialogs::Clear()
{
    errors.clear();
    messages.clear();
    openedUrls.clear();
    saveFilters.clear();
}

} // namespace quarnel::test
