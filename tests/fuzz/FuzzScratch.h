#pragma once
// The scratch folder of a fuzz target that writes its input as a file and
// extracts from it: made once per process (in /dev/shm when it can, or in
// QUARNEL_FUZZ_DIR), with the input file's path and an output folder, and
// removed when the process ends.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace quarnel::fuzz {

struct FuzzScratch {
    std::filesystem::path root;
    std::filesystem::path input;
    std::filesystem::path out;

    // prefix: the start of the folder's name; inputName: the input file's name in it.
    FuzzScratch(const std::string& prefix, const std::string& inputName)
    {
        namespace fs = std::filesystem;
        fs::path base = fs::temp_directory_path();
        if (const char* dir = std::getenv("QUARNEL_FUZZ_DIR"))
            base = dir;
        else if (access("/dev/shm", W_OK) == 0)
            base = "/dev/shm";
        std::string pattern = (base / (prefix + "XXXXXX")).string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        root = pattern;
        input = root / inputName;
        out = root / "out";
        fs::create_directories(out);
    }
    ~FuzzScratch()
    {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    FuzzScratch(const FuzzScratch&) = delete;
    FuzzScratch& operator=(const FuzzScratch&) = delete;
};

} // namespace quarnel::fuzz
