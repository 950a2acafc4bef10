#pragma once
// Where prototypes come from, as one interface for the window and the
// command line: the game folders beside the program and the loose files
// named on the command line (FolderSource), or a game's file tree, an
// install or a mod's tree (TreeSource). A caller lists a type's prototypes,
// reads one, checks and writes it back, and asks for names and art, without
// knowing whether an archive or an override folder is behind them.
#include "art/CritterArt.h"
#include "gamedata/GameTree.h"
#include "library/CritterNameFile.h"
#include "library/TextEncoding.h"
#include "library/TreeTypeList.h"
#include "proto/PrototypeLayout.h"
#include "source/SourceRefusal.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quarnel {

class PreviewPictures;

// One prototype as the source names it.
struct SourceFile {
    // Folders: the file on disk. A tree: the path inside it ("/" between folders).
    std::filesystem::path file;
    // How messages and output name it (UTF-8): the file's path, or the tree path.
    std::string label;
};

// One prototype of a listing.
struct SourceEntry {
    SourceFile file;
    std::string fileName; // the last part of the path, in the serving layer's case
    std::string layer;    // where it is served from: "FO2", "master.dat", "data"
    // The record's text ID; none when the record could not be read or has no
    // critter's size (the listing still holds the file).
    std::optional<std::int32_t> textId;
    std::size_t recordSize = 0;
    // A tree's types beside critters, by the type's list file: the PID (the
    // type byte << 24 | the list line; none when no line names the file), the
    // record's subtype (items and scenery), where the file stands against the
    // list, and why when it is not a plain listed file ("not in items.lst").
    std::optional<std::uint32_t> pid{};
    int subtype = kNoSubtype;
    ListStanding standing = ListStanding::Listed;
    std::string standingReason{};
};

// A prototype as read: its bytes, and what a later write checks the copy on
// disk against (the write refuses when it changed, or another layer serves it).
struct LoadedPrototype {
    SourceFile file;
    std::vector<std::uint8_t> bytes;
    // "416 bytes": the size of the file (a loose file is read one byte past the
    // largest critter record; a longer one's size comes from the system).
    std::string sizeText;
    std::string layer;                // the name of the layer the bytes came from
    const Layer* fromLayer = nullptr; // a tree: that layer; folders: none
};

// Where a write went.
struct SourceWrite {
    std::string where;    // the file written (UTF-8), as messages name it
    bool changed = false; // false: before and after were equal, nothing written
};

// The names of a type's prototypes, by text ID.
struct SourceNames {
    CritterNames names;  // the table and its encoding; a message file's fault in names.error
    std::string missing; // why there are none (for the window's status bar); empty when there is a name file
    // The name of a text ID as UTF-8 (empty when it has none), decoded in the file's encoding.
    std::string Text(std::int32_t textId) const;
};

// A message file of the source: one the user names, or the one holding a prototype's names.
struct MessageFileRef {
    std::string label;                               // as messages name it: the file, or the tree path
    std::filesystem::path file;                      // folders: the file on disk
    std::string language;                            // the games' language of the file, empty when unknown
    NameEncoding encoding = NameEncoding::Automatic; // the one to decode with (chosen, or the tree language's)
};

// The picture of a prototype.
struct PrototypeArt {
    // A tree: the FRM picture the FID names, or why it is missing.
    std::optional<CritterArt> frm;
    // The folders: the picture list's entries for the FID's index byte, in
    // order; each a base name whose GIF PreviewPictures resolves.
    std::vector<std::string> previewBases;
};

class PrototypeSource {
public:
    virtual ~PrototypeSource() = default;

    // Whether the prototypes are plain files where they lie, listed, read and
    // written in place (the folders beside the program, loose files), rather
    // than served by layers with changes going into an override folder.
    virtual bool InPlace() const { return false; }
    // The folder the source stands for: the game folder, or the tree's
    // folder (an install or a mod's tree); empty for loose files.
    virtual std::filesystem::path Folder() const = 0;
    // The game of the source as a whole (a tree's install); Unknown when it does not tell.
    virtual Game Which() const = 0;
    // The game whose rules and kill types apply to one file: the chosen one;
    // else the source's game; else the name of the folder the file lies in
    // (FO1, FO2, any case); else its size (416 bytes: the second game).
    virtual bool IsSecondGame(const SourceFile& file, std::size_t recordSize, std::optional<bool> chosen) const = 0;

    // The prototypes of a type, in the order of their names (a tree: of the
    // paths' keys), each with its layer, text ID and record size. A tree's
    // types beside critters: in the order of the type's list file, then the
    // files it does not name (TreeTypeList).
    virtual std::vector<SourceEntry> List(ProtoType type) const = 0;
    // The one serving copy of a file now (its path in that layer's case, and
    // the layer); none when nothing holds it. Text ID and size are not read.
    virtual std::optional<SourceEntry> Locate(const SourceFile& file) const = 0;

    // The prototypes the command-line arguments name, in argument order: a
    // folder stands for every *.pro in it, in name order. A file reached
    // twice is taken once. SourceRefusal NotFound when nothing is named.
    virtual std::vector<SourceFile> Resolve(const std::vector<std::string>& arguments) const = 0;
    // The one file an argument names (no folder). SourceRefusal NotFound when
    // the source has no such file (a loose file is taken as given).
    virtual SourceFile ResolveOne(const std::string& argument) const = 0;
    // Whether the argument names one file (not a folder standing for its *.pro).
    virtual bool NamesOneFile(const std::string& argument) const = 0;

    // The bytes of one prototype, from the copy that serves it now.
    // IoError, FileRefusedError or ArchiveError when it cannot be read.
    virtual LoadedPrototype Read(const SourceFile& file) const = 0;
    // Why a write of the loaded copy would be refused because the copy on disk
    // is no longer the one loaded (Gone, OtherLayerWins, Unreadable,
    // ChangedOnDisk); none while it is unchanged. Reads the listing afresh.
    virtual std::optional<SourceRefusal> CopyChange(const LoadedPrototype& loaded) const = 0;

    // Throws what would stop a write of the file now, writing nothing (so a
    // batch can be checked whole): a loose file that does not open for
    // writing; a tree's CheckOverrideWrite refusals. force: write although a
    // layer the game reads first holds the file.
    virtual void CheckWritable(const SourceFile& file, bool force) const = 0;
    // The question to ask before a write the game would not use; none when it
    // would, and always none for the folders.
    virtual std::optional<std::string> WriteQuestion(const SourceFile& file) const = 0;
    // Writes the bytes in which after differs from the loaded ones: in place
    // for a file (only the changed span, its read-only attribute kept), into
    // the override folder for a tree. SourceRefusal (ChangedOnDisk, Gone,
    // OtherLayerWins, FolderInTheWay, ...) writing nothing when refused.
    virtual SourceWrite Write(const LoadedPrototype& loaded, const std::vector<std::uint8_t>& after,
                              bool force) const = 0;
    // For a loaded copy that CopyChange has just found unchanged, so that the
    // copy serving the file is the one loaded: the question before a write
    // and the write itself, without looking the file up or reading it again.
    virtual std::optional<std::string> CheckedWriteQuestion(const LoadedPrototype& loaded) const
    {
        return WriteQuestion(loaded.file);
    }
    virtual SourceWrite WriteChecked(const LoadedPrototype& loaded, const std::vector<std::uint8_t>& after,
                                     bool force) const
    {
        return Write(loaded, after, force);
    }
    // Drops what is remembered of the listing around a file after the files
    // changed, so that the next listing and lookup see the disk.
    virtual void Refresh(const SourceFile& file) const = 0;

    // The names of a type's prototypes: the folder's name table (pro_crit.ini,
    // else pro_crit.msg), or the tree's message file of its language; the
    // user's encoding choice applies. IoError or ArchiveError when the name
    // file cannot be read.
    virtual SourceNames Names(ProtoType type, NameEncoding chosen) const = 0;
    // A message file the user names: a loose file as given; in a tree a tree
    // path, or a bare name in the language's text/<language>/game (else the
    // english one). SourceRefusal NotFound when the tree has none.
    virtual MessageFileRef NamedMessageFile(const std::string& argument, NameEncoding chosen) const = 0;
    // The message file of the type that holds a prototype's names, if any.
    virtual std::optional<MessageFileRef> MessageFileOf(const SourceFile& file, ProtoType type) const = 0;
    // Its bytes. IoError, FileRefusedError or ArchiveError when it cannot be read.
    virtual std::string ReadMessageFile(const MessageFileRef& file) const = 0;

    // Writing a message file whole (its names changed or added). The question
    // before a write the game would not use (a tree: a layer read before the
    // override folder holds the file); none when it would, always none for
    // the folders.
    virtual std::optional<std::string> MessageWriteQuestion(const MessageFileRef& file) const = 0;
    // Throws what would stop the write now, writing nothing: a loose file
    // that does not open for writing; a tree's CheckOverrideWrite refusals.
    virtual void CheckMessageWritable(const MessageFileRef& file, bool force) const = 0;
    // Writes after as the message file's bytes, before being the bytes read:
    // a loose file replaced in place, a tree's file into the override folder
    // (a new copy there, or the copy there replaced). SourceRefusal (Changed
    // when the file no longer holds before's bytes, Shadowed, NotWritable,
    // WriteFailed, ...) writing nothing when refused.
    virtual SourceWrite WriteMessageFile(const MessageFileRef& file, const std::string& before,
                                         const std::string& after, bool force) const = 0;

    // The picture of a critter by its FID.
    virtual PrototypeArt Art(std::uint32_t fid) const = 0;
    // The picture of an FID of any listed type (items, scenery, walls, tiles,
    // misc, inventory, critters) through a tree; none for the folders.
    virtual std::optional<FidArt> ListedArt(std::uint32_t) const { return std::nullopt; }
    // The folders' picture archive with its cache (stepping through views);
    // none for a tree or for loose files.
    virtual PreviewPictures* Pictures() const = 0;
};

} // namespace quarnel
