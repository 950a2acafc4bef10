// Writes the seed archives of the DAT fuzzer into a folder: one archive per
// structure the readers know, built by the tests' DAT writer.
#include "DatWriter.h"
#include "SeedFolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace quarnel::test;
namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    quarnel::fuzz::SeedFolder seeds(argc, argv);
    auto seed = [&](const char* name, const DatBytes& bytes) { seeds.Write(name, bytes); };
    // Two literals and a reference that overlaps the bytes it writes.
    const DatBytes overlapping = {0x03, 'a', 'b', 0xEE, 0xF4, 0x00, 0x00};
    DatBytes chunks = StoredChunk(DatText("head-"));
    const DatBytes lzssChunk = LzssChunk(overlapping);
    chunks.insert(chunks.end(), lzssChunk.begin(), lzssChunk.end());

    seed("dat1-methods.dat", Dat1Writer()
                                 .Stored("", "COLOR.PAL", "palette")
                                 .Lzss("ART\\CRITTERS", "HMJMPSAA.FRM", overlapping, 12)
                                 .Lzss("ART\\CRITTERS", "ZERO.FRM", LzssLiterals("zero attributes"), 15, 0)
                                 .Chunks("PROTO\\CRITTERS", "00000001.PRO", chunks, 17)
                                 .Build());
    seed("dat1-hostile.dat", Dat1Writer()
                                 .Stored("..\\..", "UP.TXT", "up")
                                 .Stored("C:", "DRIVE.TXT", "drive")
                                 .Stored("DEV", "CON", "device")
                                 .Build());
    seed("dat2-methods.dat", Dat2Writer()
                                 .Stored("proto\\critters\\00000001.pro", "stored record")
                                 .Zlib("art\\critters\\hmjmpsaa.frm", std::string(3000, 'z'))
                                 .Zlib("text\\english\\game\\pro_crit.msg", "{100}{}{Boy}")
                                 .Build());
    seed("dat2-hostile.dat", Dat2Writer()
                                 .Stored("..\\up.txt", "up")
                                 .Stored("\\abs.txt", "abs")
                                 .Stored("a\\name. ", "dot")
                                 .Stored("proto\\critters\\00000001.pro", "twice-1")
                                 .Stored("PROTO\\CRITTERS\\00000001.PRO", "twice-2")
                                 .Build());
    Dat2Writer lying;
    lying.Add({{}, "short", ZlibStream(DatText("0123456789")), 11, 1, {}, {}});
    lying.Add({{}, "long", ZlibStream(DatText("0123456789")), 9, 1, {}, {}});
    lying.Add({{}, "outside", DatText("x"), 1, 0, 100000, {}});
    seed("dat2-lying.dat", lying.Build());
    return 0;
}
