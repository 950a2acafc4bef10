#pragma once
// The restorer lives in the platform layer, shared with the command-line tool.
#include "platform/ReadOnlyRestorer.h"
