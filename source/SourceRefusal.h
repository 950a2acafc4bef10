#pragma once
// A read or write that a prototype source refuses: a Refusal whose kind the
// caller (the window's save, the command line's all-or-nothing set) decides
// by, never by the message text, and the prototype as the source names it.
#include "platform/Refusal.h"

#include <string>

namespace quarnel {

class SourceRefusal : public Refusal {
public:
    SourceRefusal(RefusalKind kind, std::string label, const std::string& message)
        : Refusal(kind, message), label_(std::move(label))
    {
    }

    // The prototype refused, as the source names it (may be empty).
    const std::string& Label() const { return label_; }

private:
    std::string label_;
};

} // namespace quarnel
