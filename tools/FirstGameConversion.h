#pragma once
// Copies every 412-byte first-game prototype of a folder into a 416-byte
// second-game file (four zero bytes appended) in its subfolder "converted".
#include "platform/UserDialogs.h"

#include <filesystem>

namespace quarnel {

extern const char* const kConversionStartMessage;
extern const char* const kConversionEndMessage;

// Shows the start message, converts, shows the end message. The first failed
// file operation throws IoError (the end message is then not shown); copies
// made before it stay, an existing copy is never overwritten, and the scratch
// file converted/temp_file never remains.
void ConvertFirstGameFiles(const std::filesystem::path& gameFolder, UserDialogs& dialogs);

} // namespace quarnel
