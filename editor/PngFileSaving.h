#pragma once
// "Save Image" of an FRM picture: the PNG bytes written under the name the
// user chose.
#include <QByteArray>

#include <string>

namespace quarnel {

inline const char* const kSavePngFilter = "PNG Image (*.png)";

// The name gets ".png" when it lacks it; a file already there is replaced
// only when the user says so. Written under a temporary name and renamed
// into place, so there is never half a picture. I/O errors are thrown.
void SavePngFile(std::string fileName, const QByteArray& png);

} // namespace quarnel
