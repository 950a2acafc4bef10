#pragma once
// A record or a value that a command cannot take: an unknown key, a value out
// of its field's range, a file whose bytes make no prototype. The message is
// shown to the user as it is; Invalid unless the thrower names another kind.
#include "platform/Refusal.h"

#include <string>

namespace quarnel {

class RecordError : public Refusal {
public:
    explicit RecordError(const std::string& message, RefusalKind kind = RefusalKind::Invalid) : Refusal(kind, message)
    {
    }
};

} // namespace quarnel
