#pragma once
// Prototypes as files in place: one of the game folders beside the program
// (FO1, FO2) with its name table and picture archive, or, with no folder,
// the loose files named on the command line. Writes change only the changed
// bytes of the file itself, keeping its read-only attribute.
#include "source/PrototypeSource.h"

#include <filesystem>
#include <memory>

namespace quarnel {

// A game folder beside the program and what belongs to it.
struct GameFolderFiles {
    std::filesystem::path folder;         // FO1 or FO2: its *.pro and its name table
    std::filesystem::path pictureArchive; // frm_critters.zip
    std::filesystem::path tempFolder;     // where pictures are extracted
};

class FolderSource : public PrototypeSource {
public:
    // Loose files only: the files named on the command line.
    FolderSource();
    explicit FolderSource(GameFolderFiles game);
    // A game folder whose picture archive was opened before (by the source of
    // the other game folder): its members read so far stay known.
    FolderSource(GameFolderFiles game, std::unique_ptr<PreviewPictures> pictures);
    ~FolderSource() override;

    bool InPlace() const override { return true; }
    // Hands the picture archive with what it has read over to the next source.
    std::unique_ptr<PreviewPictures> TakePictures();
    std::filesystem::path Folder() const override;
    Game Which() const override;
    bool IsSecondGame(const SourceFile& file, std::size_t recordSize, std::optional<bool> chosen) const override;
    std::vector<SourceEntry> List(ProtoType type) const override;
    std::optional<SourceEntry> Locate(const SourceFile& file) const override;
    std::vector<SourceFile> Resolve(const std::vector<std::string>& arguments) const override;
    SourceFile ResolveOne(const std::string& argument) const override;
    bool NamesOneFile(const std::string& argument) const override;
    LoadedPrototype Read(const SourceFile& file) const override;
    std::optional<SourceRefusal> CopyChange(const LoadedPrototype& loaded) const override;
    void CheckWritable(const SourceFile& file, bool force) const override;
    std::optional<std::string> WriteQuestion(const SourceFile& file) const override;
    SourceWrite Write(const LoadedPrototype& loaded, const std::vector<std::uint8_t>& after, bool force) const override;
    void Refresh(const SourceFile& file) const override;
    SourceNames Names(ProtoType type, NameEncoding chosen) const override;
    MessageFileRef NamedMessageFile(const std::string& argument, NameEncoding chosen) const override;
    std::optional<MessageFileRef> MessageFileOf(const SourceFile& file, ProtoType type) const override;
    std::string ReadMessageFile(const MessageFileRef& file) const override;
    std::optional<std::string> MessageWriteQuestion(const MessageFileRef& file) const override;
    void CheckMessageWritable(const MessageFileRef& file, bool force) const override;
    SourceWrite WriteMessageFile(const MessageFileRef& file, const std::string& before, const std::string& after,
                                 bool force) const override;
    PrototypeArt Art(std::uint32_t fid) const override;
    PreviewPictures* Pictures() const override;

private:
    std::optional<GameFolderFiles> game_;
    std::unique_ptr<PreviewPictures> pictures_;
};

} // namespace quarnel
