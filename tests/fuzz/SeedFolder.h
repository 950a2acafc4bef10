#pragma once
// The folder a seed generator writes into, named by its one argument, and
// the writing of each seed; the count is printed when it is done.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace quarnel::fuzz {

class SeedFolder {
public:
    // Exits with a usage line unless exactly one argument names the folder.
    SeedFolder(int argc, char** argv)
    {
        if (argc != 2) {
            std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
            std::exit(2);
        }
        path_ = argv[1];
        std::filesystem::create_directories(path_);
    }
    ~SeedFolder() { std::printf("%d seeds in %s\n", count_, path_.string().c_str()); }
    SeedFolder(const SeedFolder&) = delete;
    SeedFolder& operator=(const SeedFolder&) = delete;

    // The path of a seed of that name, counted as written.
    std::filesystem::path Next(const std::string& name)
    {
        ++count_;
        return path_ / name;
    }

    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream(Next(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path path_;
    int count_ = 0;
};

} // namespace quarnel::fuzz
