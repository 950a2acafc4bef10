// The picture archive beside the program is the same for both game folders:
// a folder source made for the other game takes over the archive another
// source read, so that a game switch neither forgets what was read of it nor
// opens it again.
#include <doctest/doctest.h>

#include "ScratchFolder.h"
#include "ZipWriter.h"
#include "preview/PreviewPictures.h"
#include "source/FolderSource.h"

#include <memory>
#include <string>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

// FO1 and FO2 beside an archive whose picture list names "rat" at FID 0 and
// "dog" at FID 1.
struct BesideFolders {
    ScratchFolder root{"quarnel-pictures-"};
    BesideFolders()
    {
        fs::create_directory(root.path / "FO1");
        fs::create_directory(root.path / "FO2");
        ZipWriter zip;
        zip.Stored("gif_critters.lst", std::string("rat\r\ndog\r\n"));
        zip.Stored("rat-2.gif", std::string("GIF89a"));
        zip.WriteTo(root.path / "frm_critters.zip");
    }
    GameFolderFiles Files(const char* game) const
    {
        return {root.path / game, root.path / "frm_critters.zip", root.path / "temp"};
    }
};

} // namespace

TEST_CASE("a folder source for the other game keeps the picture archive read so far")
{
    BesideFolders folders;
    FolderSource second(folders.Files("FO2"));
    CHECK(second.Art(0).previewBases == std::vector<std::string>{"rat"});
    REQUIRE(second.Pictures() != nullptr);
    const PreviewPictures* archive = second.Pictures();
    CHECK(archive->ArchiveOpenCount() == 1);

    FolderSource first(folders.Files("FO1"), second.TakePictures());
    CHECK(first.Pictures() == archive);
    CHECK(second.Pictures() == nullptr);
    CHECK(second.Art(0).previewBases.empty()); // the source it left shows no picture, and does not fail
    // A member the archive was seen not to hold is not looked for in it again.
    fs::remove(folders.root.path / "temp" / "gif_critters.lst");
    CHECK(first.Art(1).previewBases == std::vector<std::string>{"dog"});
    CHECK(first.Pictures()->ResolvePicture({"absent.gif"}).empty());
    CHECK(first.Pictures()->ArchiveOpenCount() == 2); // the list extracted again, once; the absent name not
}

TEST_CASE("a folder source given no archive read before opens its own")
{
    BesideFolders folders;
    FolderSource first(folders.Files("FO1"), nullptr);
    REQUIRE(first.Pictures() != nullptr);
    CHECK(first.Pictures()->ArchiveOpenCount() == 0);
    CHECK(first.Art(1).previewBases == std::vector<std::string>{"dog"});
    CHECK(first.Pictures()->ArchiveOpenCount() == 1);
}
