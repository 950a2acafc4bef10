#pragma once
// A failure that a command reports to its user on standard error: a bad
// argument, a value out of range, a file that is not a critter.
#include <stdexcept>
#include <string>

namespace quarnel::cli {

class CliError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace quarnel::cli
