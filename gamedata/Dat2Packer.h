#pragma once
// A new archive of the second game (the layout Dat2Archive reads): the files'
// data from the start, then the tree sorted as the game searches it, then
// the tree's size and the archive's size. Each file a zlib stream, or stored.
#include "gamedata/ArchivePacker.h"

namespace quarnel {

class Dat2Packer : public ArchivePacker {
public:
    // The zlib level files are compressed at: within about 1 % of level 9
    // in size, and over twice as fast.
    static constexpr int kLevel = 6;

    PackedFile Prepare(std::string_view path, std::vector<std::uint8_t> bytes, bool store) const override;
    std::vector<std::uint8_t> Finish() override;
};

} // namespace quarnel
