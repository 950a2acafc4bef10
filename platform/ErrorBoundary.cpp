#include "platform/ErrorBoundary.h"

#include "platform/UserDialogs.h"

#include <exception>
#include <stdexcept>

namespace quarnel {

std::string WithFullStop(const std::string& text)
{
    if (!text.empty() && static_cast<unsigned char>(text.back()) <= '.')
        return text;
    return text + ".";
}

void ReportCurrentException()
{
    std::string message = "Unknown error";
    try {
        throw;
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
    }
    Dialogs().ShowError(WithFullStop(message));
}

} // namespace quarnel
