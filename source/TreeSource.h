#pragma once
// Prototypes in a game's file tree (an install or a mod's tree): looked up
// by their path inside the tree and served by the layer that wins; every
// write goes into the override folder, checked for a layer that would hide it.
#include "gamedata/OverrideWriter.h"
#include "source/PrototypeSource.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace quarnel {

class TreeSource : public PrototypeSource {
public:
    // Opens the tree of the folder (GameTree::Open: ArchiveError when it is
    // neither an install nor a mod's tree); Tree().Warnings() names the
    // archives left out.
    explicit TreeSource(const std::filesystem::path& folder);
    explicit TreeSource(GameTree tree);
    ~TreeSource() override;

    // The tree itself, for what is about the tree and not its prototypes
    // (checking it, listing its archives).
    const GameTree& Tree() const { return *tree_; }

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
    std::optional<std::string> CheckedWriteQuestion(const LoadedPrototype& loaded) const override;
    SourceWrite WriteChecked(const LoadedPrototype& loaded, const std::vector<std::uint8_t>& after,
                             bool force) const override;
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
    std::optional<FidArt> ListedArt(std::uint32_t fid) const override;
    PreviewPictures* Pictures() const override;
    // Drops the art read so far (after the tree's art files changed).
    void ForgetArt() const;

private:
    // Runs a write into the override folder, its refusals given their kind.
    SourceWrite WriteWith(const LoadedPrototype& loaded, bool force, const std::function<OverrideWrite()>& write) const;

    std::unique_ptr<GameTree> tree_; // held apart, so that art_ may keep a reference while the source moves
    std::unique_ptr<CritterArtSource> art_;
};

} // namespace quarnel
