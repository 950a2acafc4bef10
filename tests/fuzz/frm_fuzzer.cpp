// libFuzzer target for the critter art readers: each input is decoded as an
// FRM picture (every frame then turned into RGBA, and a small sheet made), as
// a palette, and as an art list whose lines the FID rules pick from. Archive
// errors are expected; anything else (a sanitizer report, another exception,
// a hang, a huge allocation) is a finding.
#include "art/CritterFid.h"
#include "art/FrmPicture.h"
#include "art/Palette.h"
#include "art/RgbaImage.h"
#include "platform/Errors.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quarnel::Palette palette;
    try {
        palette = quarnel::DecodePalette(data, size, "input");
    } catch (const quarnel::ArchiveError&) {
    }
    try {
        const quarnel::FrmPicture picture = quarnel::DecodeFrm(data, size, "input");
        std::uint64_t pixels = 0;
        int cellWidth = 0, cellHeight = 0;
        std::size_t columns = 0;
        for (int d = 0; d < quarnel::kFrmDirections; ++d) {
            const auto& frames = picture.Frames(d);
            if (frames.empty() || frames.size() > quarnel::kMaxFrmFramesPerDirection)
                std::abort();
            columns = std::max(columns, frames.size());
            for (const quarnel::FrmFrame& frame : frames) {
                if (frame.pixels.size() != std::size_t(frame.width) * std::size_t(frame.height))
                    std::abort();
                cellWidth = std::max(cellWidth, frame.width);
                cellHeight = std::max(cellHeight, frame.height);
                pixels += frame.pixels.size();
                if (quarnel::FrameToRgba(frame, palette).rgba.size() != 4 * frame.pixels.size())
                    std::abort();
            }
        }
        if (pixels > size * 6) // shared directions at most repeat the file's pixels
            std::abort();
        if (std::uint64_t(cellWidth) * cellHeight * columns * 6 <= (1u << 20))
            quarnel::FrameSheet(picture, palette);
    } catch (const quarnel::ArchiveError&) {
    }
    const auto names = quarnel::ParseArtList(std::string_view(reinterpret_cast<const char*>(data), size));
    for (std::uint32_t fid : {0x01000000u, 0x01000001u, 0x0100A003u, 0x61000002u, 0x01000FFFu}) {
        const quarnel::CritterArtName name = quarnel::CritterArtFileName(fid, names);
        if (name.problem.empty() == name.baseName.empty())
            std::abort();
    }
    return 0;
}
