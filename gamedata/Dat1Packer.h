#pragma once
// A new archive of the first game (the layout Dat1Archive reads): the
// header, the folder names (the top folder "." first when it holds files,
// then the others sorted as the game searches them, "\" between parts), each
// folder's files sorted likewise, then the data. Names upper case; each file
// the chunked LZSS form (attributes 0x40), or stored (0x20, packed size 0).
#include "gamedata/ArchivePacker.h"

namespace quarnel {

class Dat1Packer : public ArchivePacker {
public:
    // The longest file name and folder path: their lengths are one byte.
    static constexpr std::size_t kMaxNameLength = 255;

    // Also refuses a file name or folder path longer than kMaxNameLength,
    // and a folder whose name the game's search would look for before the
    // top folder (one starting with a character below ".").
    std::optional<std::string> Refusal(std::string_view path) const override;
    PackedFile Prepare(std::string_view path, std::vector<std::uint8_t> bytes, bool store) const override;
    std::vector<std::uint8_t> Finish() override;
};

} // namespace quarnel
