#pragma once
// The window's settings kept for the user between runs (an ini file in the
// user's configuration folder: QSettings, IniFormat, UserScope).
#include "library/TextEncoding.h"

namespace quarnel {

// Tools / "Name encoding"; Automatic when never chosen or unreadable.
NameEncoding ReadNameEncodingSetting();
void WriteNameEncodingSetting(NameEncoding encoding);

} // namespace quarnel
