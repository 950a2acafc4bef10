// The picture archive's opening on damaged files against a valid lookup: a
// 4 MiB random file and a valid 2 MB archive with its last 30 bytes cut must
// fail about as fast as the valid archive opens.
#include "ProtoBuilder.h"
#include "ZipWriter.h"
#include "platform/Errors.h"
#include "preview/AbUnZipper.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

Bytes Noise(std::size_t size, std::uint32_t seed)
{
    Bytes out(size);
    for (auto& b : out)
        b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    return out;
}

// Mean milliseconds of one opening, and the error text (empty when it opened).
double TimeOpen(const fs::path& file, std::string& error, int rounds = 20)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        TAbUnZipper zip;
        try {
            zip.SetFileName(file.string());
            error.clear();
        } catch (const ArchiveError& e) {
            error = e.what();
        }
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / rounds;
}

} // namespace

int main()
{
    const fs::path folder = fs::temp_directory_path() / "quarnel-bench-zip";
    fs::create_directories(folder);
    ZipWriter writer;
    for (int i = 0; i < 200; ++i)
        writer.Stored("pictures/p" + std::to_string(i) + "-2.gif", Noise(10'000, i));
    const Bytes valid = writer.Build();
    WriteAllBytes(folder / "valid.zip", valid);
    WriteAllBytes(folder / "cut.zip", Bytes(valid.begin(), valid.end() - 30));
    WriteAllBytes(folder / "random.zip", Noise(4 * 1024 * 1024, 99));

    std::string error;
    const double validMs = TimeOpen(folder / "valid.zip", error);
    std::printf("valid %zu-byte archive: %.3f ms\n", valid.size(), validMs);
    for (const char* name : {"random.zip", "cut.zip"}) {
        const double ms = TimeOpen(folder / name, error);
        std::printf("%s: %.3f ms (%s), %.2f x the valid lookup\n", name, ms, error.c_str(), ms / validMs);
    }
    fs::remove_all(folder);
    return 0;
}
