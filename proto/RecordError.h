#pragma once
// A record or a value that a command cannot take: an unknown key, a value out
// of its field's range, a file whose bytes make no prototype. The message is
// shown to the user as it is.
#include <stdexcept>
#include <string>

namespace quarnel {

class RecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace quarnel
