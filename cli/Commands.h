#pragma once
// The commands of quarnel-cli, each in its own file: it adds its options to
// its subcommand, and runs with the parsed values and the two output streams.
// Exit status: 0 success, 1 the differences of diff or the findings of
// check, 2 an error (reported on err).
#include <exception>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace quarnel::cli {

constexpr int kExitSuccess = 0;
constexpr int kExitFindings = 1;
constexpr int kExitError = 2;

struct ShowOptions {
    std::string data; // --data INSTALL: the files are paths inside its tree
    std::vector<std::string> files;
    bool textconv = false; // git's text converter: one file, never a failure
};
void AddShowOptions(CLI::App& command, ShowOptions& options);
int RunShow(const ShowOptions& options, std::ostream& out, std::ostream& err);

struct ExportOptions {
    std::string data;
    std::string game; // "", "fo1" or "fo2"
    std::vector<std::string> files;
};
void AddExportOptions(CLI::App& command, ExportOptions& options);
int RunExport(const ExportOptions& options, std::ostream& out, std::ostream& err);

struct ImportOptions {
    std::string data;
    bool force = false; // --data: write although an archive read first holds the file
    std::string json;
    std::string target;
};
void AddImportOptions(CLI::App& command, ImportOptions& options);
int RunImport(const ImportOptions& options, std::ostream& out, std::ostream& err);

struct SetOptions {
    std::string data;
    bool force = false;
    std::string game;
    bool rules = false;
    bool dryRun = false;
    std::vector<std::string> edits;
    std::vector<std::string> files;
};
void AddSetOptions(CLI::App& command, SetOptions& options);
int RunSet(const SetOptions& options, std::ostream& out, std::ostream& err);

struct DiffOptions {
    std::string data;
    std::string first;
    std::string second;
};
void AddDiffOptions(CLI::App& command, DiffOptions& options);
int RunDiff(const DiffOptions& options, std::ostream& out, std::ostream& err);

struct CheckOptions {
    std::string data; // --data INSTALL: folder is a folder of its tree (default: each prototype folder it has)
    std::string folder;
    std::string encoding; // "" (automatic), "cp1250", "cp1251", "cp1252" or "utf-8"
};
void AddCheckOptions(CLI::App& command, CheckOptions& options);
int RunCheck(const CheckOptions& options, std::ostream& out, std::ostream& err);

struct NamesOptions {
    std::string data; // --data INSTALL: messageFile is a path of its tree, or a name of its language's text/.../game
    std::string messageFile;
    std::string encoding; // as CheckOptions::encoding
};
void AddNamesOptions(CLI::App& command, NamesOptions& options);
int RunNames(const NamesOptions& options, std::ostream& out, std::ostream& err);

struct DatOptions {
    std::string action; // list, extract or pack: the subcommand given
    std::string archive;
    std::string target;                // extract: the folder written into
    std::vector<std::string> patterns; // extract: globs; none means every file
    std::string folder;                // pack: the folder packed
    std::string format = "dat2";       // pack: dat2 or dat1
    std::vector<std::string> store;    // pack: globs of the files stored as they are
    bool force = false;                // pack: replace an existing archive
};
void AddDatOptions(CLI::App& command, DatOptions& options);
int RunDat(const DatOptions& options, std::ostream& out, std::ostream& err);
// dat pack (PackCommand.cpp): a subcommand of dat.
void AddDatPackOptions(CLI::App& dat, DatOptions& options);
int RunDatPack(const DatOptions& options, std::ostream& out, std::ostream& err);

struct DataOptions {
    std::string install;
    std::string action;             // list, where, cat, extract or diff
    std::vector<std::string> paths; // list and extract: globs; where and cat: one path; diff: B, then globs
    std::string target;             // extract: the folder written into
    bool json = false;              // diff: one JSON object
};
void AddDataOptions(CLI::App& command, DataOptions& options);
int RunData(const DataOptions& options, std::ostream& out, std::ostream& err);

struct MergeOptions {
    std::string base;
    std::string ours; // written with the merge
    std::string theirs;
};
void AddMergeOptions(CLI::App& command, MergeOptions& options);
int RunMerge(const MergeOptions& options, std::ostream& out, std::ostream& err);

// The picture that art and frm write: one frame, or every frame as a sheet.
struct PictureOptions {
    std::string out; // the PNG file
    int direction = 0;
    int frame = 0;
    bool sheet = false;
};

struct ArtOptions {
    std::string data;    // --data INSTALL; else the tree is looked for above the critter
    std::string critter; // a loose file, or a path inside the tree
    PictureOptions picture;
};
void AddArtOptions(CLI::App& command, ArtOptions& options);
int RunArt(const ArtOptions& options, std::ostream& out, std::ostream& err);

struct FrmOptions {
    std::string file;
    std::string palette;
    bool info = false;
    PictureOptions picture;
};
void AddFrmOptions(CLI::App& command, FrmOptions& options);
int RunFrm(const FrmOptions& options, std::ostream& out, std::ostream& err);

// The texts of a prototype's name and description; none keeps (new: copies) them.
struct NameTextOptions {
    std::optional<std::string> name;
    std::optional<std::string> description;
    std::string encoding; // as CheckOptions::encoding
    bool force = false;
};

struct NewOptions {
    std::string data; // the tree the new prototype goes into
    std::string file; // the prototype copied, a path inside the tree
    NameTextOptions texts;
};
void AddNewOptions(CLI::App& command, NewOptions& options);
int RunNew(const NewOptions& options, std::ostream& out, std::ostream& err);

struct RenameOptions {
    std::string data;
    std::string file;
    std::string messageFile; // --msg: the message file (without --data: the one beside a loose file)
    NameTextOptions texts;
};
void AddRenameOptions(CLI::App& command, RenameOptions& options);
int RunRename(const RenameOptions& options, std::ostream& out, std::ostream& err);

// Options that several commands share, with one help text each.
void AddDataOption(CLI::App& command, std::string& data); // --data: the file arguments are paths in a tree
void AddForceFlag(CLI::App& command, bool& force);        // --force: write although an archive shadows the file
void AddGameOption(CLI::App& command, std::string& game, const char* help); // --game fo1|fo2
void AddEncodingOption(CLI::App& command, std::string& encoding);           // --encoding of a name file
void AddPictureOptions(CLI::App& command, PictureOptions& picture);         // --out, --direction, --frame, --sheet
void AddNameTextOptions(CLI::App& command, NameTextOptions& texts, bool nameRequired); // --name, --description, ...

// "quarnel-cli: <where>: <what of the exception>" on err.
void ReportError(std::ostream& err, const std::string& where, const std::exception& error);
void ReportError(std::ostream& err, const std::string& where, const std::string& what);

} // namespace quarnel::cli
