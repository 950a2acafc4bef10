#include "editor/Globals.h"

namespace quarnel {

std::string GameSubDir;
std::string GamePath;
bool IsSecondGame = false;
bool IsLoading = false;
std::string CurrentCritterPath;
std::int32_t SelectedRowIndex = 0;
bool HasInvalidField = false;
int FidLowByte = 0;
std::uint8_t PreviewView = 0;

void ResetGlobals()
{
    GameSubDir.clear();
    GamePath.clear();
    IsSecondGame = false;
    IsLoading = false;
    CurrentCritterPath.clear();
    SelectedRowIndex = 0;
    HasInvalidField = false;
    FidLowByte = 0;
    PreviewView = 0;
}

} // namespace quarnel
