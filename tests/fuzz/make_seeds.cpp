// Writes the seed archives of the ZIP fuzzer into a folder: one archive per
// structure the reader knows, built by the tests' ZIP writer.
#include "SeedFolder.h"
#include "TinyGif.h"
#include "ZipWriter.h"

#include <cstdio>
#include <filesystem>

using namespace quarnel::test;
namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    quarnel::fuzz::SeedFolder seeds(argc, argv);
    auto seed = [&](const char* name, const ZipWriter& writer) {
        writer.WriteTo(seeds.Next(std::string(name) + ".zip"));
    };

    seed("stored", ZipWriter().Stored("a.gif", TinyStillGif()));
    seed("deflated",
         ZipWriter().Deflated("gif_critters.lst", "blob\r\nwalker\nghost\n").Deflated("b.gif", TinyAnimatedGif()));
    seed("folders", ZipWriter()
                        .Folder("pictures")
                        .Stored("pictures/x-2.gif", "one")
                        .Deflated("other/x-2.gif", "two")
                        .Stored("pictures/sub/deep.gif", "deep"));
    seed("comment", ZipWriter().Stored("a.gif", "abc").Comment(std::string(600, 'c')));
    ZipEntry big64 = {};
    big64.name = "pictures/z.gif";
    big64.data = TinyStillGif();
    big64.method = 8;
    big64.zip64 = true;
    seed("zip64", ZipWriter().Add(big64).Zip64End());
    ZipEntry utf8;
    utf8.name = "\xC5\xBC"
                "aba.gif";
    utf8.flags = 0x800;
    utf8.data = ToBytes("frog");
    ZipEntry unicode;
    unicode.name = "\x81"
                   "ber.gif";
    unicode.data = ToBytes("u");
    unicode.centralExtra = UnicodePathExtra(unicode.name, "\xC3\xBC"
                                                          "ber.gif");
    ZipEntry nucx;
    nucx.name = "\x82.gif";
    nucx.data = ToBytes("n");
    nucx.centralExtra = NucxExtra(u"n\u00e9.gif");
    seed("names", ZipWriter().Add(utf8).Add(unicode).Add(nucx));
    ZipEntry badCrc;
    badCrc.name = "crc.gif";
    badCrc.data = ToBytes("crc");
    badCrc.crc = 1;
    ZipEntry encrypted;
    encrypted.name = "secret.gif";
    encrypted.data = ToBytes("secret");
    encrypted.flags = 1;
    ZipEntry unknown;
    unknown.name = "bz.gif";
    unknown.data = ToBytes("bzip2?");
    unknown.method = 12;
    ZipEntry badLocal;
    badLocal.name = "local.gif";
    badLocal.data = ToBytes("local");
    badLocal.badLocalSignature = true;
    ZipEntry newer;
    newer.name = "newer.gif";
    newer.data = ToBytes("newer");
    newer.versionNeeded = 64;
    seed("failures", ZipWriter().Add(badCrc).Add(encrypted).Add(unknown).Add(badLocal).Add(newer));
    ZipEntry empty;
    empty.name = "empty.gif";
    empty.method = 8;
    seed("empty", ZipWriter().Add(empty).Stored("zero.gif", Bytes{}));
    ZipEntry unix;
    unix.name = "ro.gif";
    unix.data = ToBytes("read-only");
    unix.versionMadeBy = 0x031E;
    unix.externalAttributes = 0100444u << 16;
    ZipEntry dos;
    dos.name = "dos.gif";
    dos.data = ToBytes("dos");
    dos.externalAttributes = 0x21;
    seed("attributes", ZipWriter().Add(unix).Add(dos));
    seed("hostile", ZipWriter().Stored("../up.gif", "up").Stored("/abs.gif", "abs").Stored("C:x.gif", "drive"));
    seed("trailer", ZipWriter().Deflated("t.gif", "trailer").Trailer(Bytes(40, 'T')));
    seed("empty-archive", ZipWriter());
    return 0;
}
