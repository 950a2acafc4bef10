#pragma once
// The one place where an error that reaches a user action becomes the error
// box. Every handler that the toolkit calls runs its body through RunGuarded.
#include <string>
#include <utility>

namespace quarnel {

// Appends a full stop unless the text ends in one or a character below it.
std::string WithFullStop(const std::string& text);

// Shows the error box for the exception being handled.
void ReportCurrentException();

template <class Body> bool RunGuarded(Body&& body)
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        ReportCurrentException();
        return false;
    }
}

} // namespace quarnel
