#include "cli/WriteFailure.h"

#include "cli/Commands.h"
#include "platform/Utf8.h"
#include "platform/WriteRefusal.h"

namespace quarnel::cli {

void ReportWriteFailure(std::ostream& err, const std::string& label, const std::exception& error)
{
    if (const auto* refusal = dynamic_cast<const WriteRefusedError*>(&error))
        ReportError(err, Utf8FromPath(refusal->path()), refusal->reason());
    else
        ReportError(err, label, error);
}

} // namespace quarnel::cli
