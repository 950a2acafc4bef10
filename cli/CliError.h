#pragma once
// A failure that a command reports to its user on standard error: a bad
// argument, a value out of range, a file that is not a critter. Invalid
// unless the thrower names another kind.
#include "platform/Refusal.h"

#include <string>

namespace quarnel::cli {

class CliError : public Refusal {
public:
    explicit CliError(const std::string& message, RefusalKind kind = RefusalKind::Invalid) : Refusal(kind, message) {}
};

} // namespace quarnel::cli
