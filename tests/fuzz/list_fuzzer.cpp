// libFuzzer target for the text readers: the picture list, the name table
// and the game's message file. The first input byte picks the FID index and
// the key, the rest is the file. Besides sanitizer reports, a finding is the
// one-pass name table disagreeing with the line-by-line reader, a list entry
// holding a line end, or a message text holding a line feed, longer than the
// games' limit, or decoding to anything but valid UTF-8.
#include "library/IniFile.h"
#include "library/MessageFile.h"
#include "library/NameTable.h"
#include "library/TextEncoding.h"
#include "platform/Errors.h"
#include "platform/Utf8.h"
#include "preview/PreviewPictures.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path ScratchFolder()
{
    static const fs::path folder = [] {
        fs::path base = access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "quarnel-list-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        return fs::path(pattern);
    }();
    return folder;
}

void WriteFile(const fs::path& file, const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int fid = data[0];
    const fs::path folder = ScratchFolder();
    WriteFile(folder / "gif_critters.lst", data + 1, size - 1);
    WriteFile(folder / "pro_crit.ini", data + 1, size - 1);

    quarnel::PreviewPictures pictures(folder / "missing.zip", folder);
    for (const std::string& entry : pictures.ListEntriesForFid(fid)) {
        if (entry.find('\n') != std::string::npos)
            std::abort();
        (void)quarnel::PreviewPictures::CaptionBase(entry);
        (void)quarnel::NameToUtf8(entry);
    }

    const std::string key = std::to_string(fid * 100);
    const std::string value = quarnel::ReadIniValue(folder / "pro_crit.ini", "Description", key);
    const quarnel::NameTable table = quarnel::NameTable::Load(folder / "pro_crit.ini");
    if (table.Lookup(key) != value)
        std::abort();
    (void)quarnel::NameToUtf8(value);

    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const quarnel::MessageFileResult messages = quarnel::ParseMessageText(bytes);
    const quarnel::NameEncoding encoding = quarnel::ChooseNameEncoding(bytes, {}, quarnel::NameEncoding::Automatic);
    for (const quarnel::MessageEntry& entry : messages.entries) {
        if (entry.text.find('\n') != std::string::npos || entry.text.size() > quarnel::kMessageFieldLimit)
            std::abort();
        if (!quarnel::IsValidUtf8(quarnel::DecodeName(entry.text, encoding)) ||
            !quarnel::IsValidUtf8(quarnel::DecodeName(entry.text, quarnel::NameEncoding::Utf8)))
            std::abort();
    }
    return 0;
}
