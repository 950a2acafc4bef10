#pragma once
// Reporting a write that failed, naming the file once.
#include <exception>
#include <ostream>
#include <string>

namespace quarnel::cli {

// A refusal that names its own path (the copy on disk, a link on the way, a
// FIFO at --out) is reported under that path alone; anything else under label.
void ReportWriteFailure(std::ostream& err, const std::string& label, const std::exception& error);

} // namespace quarnel::cli
