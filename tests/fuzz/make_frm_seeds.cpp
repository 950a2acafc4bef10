// Writes the seeds of the FRM fuzzer into a folder: pictures of every shape
// the reader knows (one direction, six, shared directions, several frames,
// the size 0 form), a palette and an art list, built by the tests' writer.
#include "FrmBuilder.h"
#include "SeedFolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace quarnel::test;
namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    quarnel::fuzz::SeedFolder seeds(argc, argv);
    auto seed = [&](const char* name, const std::vector<std::uint8_t>& bytes) { seeds.Write(name, bytes); };
    auto frame = [](int w, int h, std::uint8_t first) {
        FrmFrameRecipe recipe{w, h, {}, 1, -1, std::nullopt};
        for (int i = 0; i < w * h; ++i)
            recipe.pixels.push_back(static_cast<std::uint8_t>(first + i));
        return recipe;
    };
    FrmRecipe one;
    one.framesPerSecond = 0;
    one.xShift[0] = 3;
    one.frameSets = {{frame(3, 2, 0), frame(2, 2, 7)}};
    seed("one-direction.frm", BuildFrm(one));
    one.dataSize = 0;
    seed("size-zero.frm", BuildFrm(one));

    FrmRecipe six;
    six.framesPerSecond = 7;
    for (int d = 0; d < 6; ++d) {
        six.frameSets.push_back({frame(2, 3, std::uint8_t(d * 10)), frame(1, 1, 0)});
        six.xShift[d] = static_cast<std::int16_t>(d - 3);
        six.yShift[d] = static_cast<std::int16_t>(2 * d);
    }
    six.directionSet = SixDirections();
    seed("six-directions.frm", BuildFrm(six));
    six.frameSets.resize(2);
    six.directionSet = {0, 1, 0, 1, 1, 0};
    seed("shared-directions.frm", BuildFrm(six));

    seed("color.pal", BuildPalette(64));
    const std::string list = "reserv\r\nhmjmps,11,1\r\n\r\nmaddog;x\nlast";
    seed("critters.lst", std::vector<std::uint8_t>(list.begin(), list.end()));
    return 0;
}
