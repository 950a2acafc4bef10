#include "platform/WriteRefusal.h"

#include "platform/Utf8.h"

namespace quarnel {

WriteRefusedError::WriteRefusedError(WriteRefusalKind kind, std::filesystem::path path, std::string reason)
    : std::runtime_error(Utf8FromPath(path) + ": " + reason), kind_(kind), path_(std::move(path)),
      reason_(std::move(reason))
{
}

} // namespace quarnel
