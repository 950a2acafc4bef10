#include "cli/CliApp.h"

#include "cli/Commands.h"
#include "platform/VersionInfo.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <functional>
#include <limits>

namespace quarnel::cli {

void ReportError(std::ostream& err, const std::string& where, const std::string& what)
{
    // A message that starts with the name already ("a.dat: not a DAT archive",
    // "x.pro is also in master.dat") names it once.
    const bool named = !where.empty() && what.size() > where.size() && what.compare(0, where.size(), where) == 0 &&
                       (what[where.size()] == ':' || what[where.size()] == ' ');
    err << "quarnel-cli: ";
    if (!named)
        err << where << ": ";
    err << what << '\n';
}

void ReportError(std::ostream& err, const std::string& where, const std::exception& error)
{
    ReportError(err, where, std::string(error.what()));
}

int RunCli(std::vector<std::string> arguments, std::ostream& out, std::ostream& err)
{
    CLI::App app{"Critter prototype files (*.pro) of Fallout 1 and 2 as text: show, export and import, batch "
                 "edits, diff and checks. A folder argument stands for every *.pro file in it.\n"
                 "Exit status: 0 success, 1 differences (diff) or findings (check), 2 an error.",
                 "quarnel-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "quarnel-cli " + GetFileVersionText("quarnel-cli.exe"),
                         "print the version and exit");
    // "/path" is a file name on both systems, never a Windows-style option
    // (the subcommands take this setting from the app).
    app.allow_windows_style_options(false);
    const auto games = CLI::IsMember({"fo1", "fo2"}, CLI::ignore_case);
    std::function<int()> run;
    const char* const dataHelp = "a game's install or a mod's tree: the file arguments are paths inside it "
                                 "(proto/critters/00000001.pro; a folder stands for every *.pro in it)";
    const char* const forceHelp = "with --data: write into the override folder although an archive the game "
                                  "reads first holds the file";

    ShowOptions show;
    auto* showCommand = app.add_subcommand("show", "Every field of each file as 'key = value' lines, in file order "
                                                   "(enum names and critter flag names in comments)");
    showCommand->add_option("--data", show.data, dataHelp);
    showCommand
        ->add_option("FILE", show.files, "prototype files (critters, items, scenery, walls, tiles, misc) or folders")
        ->required();
    showCommand->add_flag("--textconv", show.textconv,
                          "git's text converter: one file, always exit 0; a file "
                          "that is not a critter prints why, then its bytes in hex");
    showCommand->callback([&] { run = [&] { return RunShow(show, out, err); }; });

    ExportOptions exported;
    auto* exportCommand = app.add_subcommand("export", "Each file as a JSON object of its stored values (several "
                                                       "files: one object keyed by file name)");
    exportCommand
        ->add_option("--game", exported.game,
                     "the game recorded in the JSON (default: the folder "
                     "name FO1/FO2, else the file size)")
        ->transform(games);
    exportCommand->add_option("--data", exported.data, dataHelp);
    exportCommand->add_option("FILE", exported.files, "prototype files or folders")->required();
    exportCommand->callback([&] { run = [&] { return RunExport(exported, out, err); }; });

    ImportOptions imported;
    auto* importCommand = app.add_subcommand("import", "Write one critter's JSON object into an existing critter "
                                                       "file of the same layout (all fields, or nothing)");
    importCommand->add_option("--data", imported.data, dataHelp);
    importCommand->add_flag("--force", imported.force, forceHelp);
    importCommand->add_option("FILE.json", imported.json, "the JSON object, as export prints it")->required();
    importCommand
        ->add_option("TARGET.pro", imported.target, "the prototype file to write (of the JSON's type and subtype)")
        ->required();
    importCommand->callback([&] { run = [&] { return RunImport(imported, out, err); }; });

    SetOptions set;
    auto* setCommand = app.add_subcommand("set", "Edit fields of many files: set [options] EDIT... -- FILE...; "
                                                 "EDIT is key=value, key+=n or key-=n");
    setCommand
        ->add_option("--game", set.game,
                     "the skill formulas for --rules (default: the folder name "
                     "FO1/FO2, else the file size)")
        ->transform(games);
    setCommand->add_flag("--rules", set.rules,
                         "recompute what the window's rules derive from a changed "
                         "primary statistic (derived base values)");
    setCommand->add_option("--data", set.data, dataHelp);
    setCommand->add_flag("--force", set.force, forceHelp);
    setCommand->add_flag("--dry-run", set.dryRun, "print the fields that would change, write nothing");
    setCommand->add_option("EDIT", set.edits, "key=value, key+=n or key-=n")->required();
    setCommand->footer("FILE...: after --, the critter files or folders to edit. The keys are those of show.");
    setCommand->callback([&] { run = [&] { return RunSet(set, out, err); }; });

    DiffOptions diff;
    auto* diffCommand = app.add_subcommand("diff", "The fields in which two files differ, 'key: a -> b'");
    diffCommand->add_option("--data", diff.data, dataHelp);
    diffCommand->add_option("A.pro", diff.first, "first file")->required();
    diffCommand->add_option("B.pro", diff.second, "second file")->required();
    diffCommand->callback([&] { run = [&] { return RunDiff(diff, out, err); }; });

    CheckOptions check;
    auto* checkCommand = app.add_subcommand("check", "Report what to mend before shipping a folder: sizes, PIDs, "
                                                     "names, genders, statistics, resistances, body and kill types");
    checkCommand->add_option("--data", check.data,
                             "check a folder of an install's or a mod's tree (default "
                             "proto/critters), with its pro_crit.msg and its critters.lst");
    checkCommand->add_option("FOLDER", check.folder, "a game folder (with --data: a folder of the tree)");
    const auto encodings = CLI::IsMember({"cp1250", "cp1251", "cp1252", "utf-8"}, CLI::ignore_case);
    const char* const encodingHelp = "the code page of the name file (default: UTF-8 when the whole file is "
                                     "valid UTF-8, else cp1252)";
    checkCommand->add_option("--encoding", check.encoding, encodingHelp)->transform(encodings);
    checkCommand->callback([&] { run = [&] { return RunCheck(check, out, err); }; });

    NamesOptions names;
    auto* namesCommand = app.add_subcommand("names", "Print the pro_crit.ini equivalent of a pro_crit.msg");
    namesCommand->add_option("--data", names.data,
                             "read the message file from an install's or a mod's tree: a "
                             "path in it, or a bare name found in text/<language>/game");
    namesCommand
        ->add_option("pro_crit.msg", names.messageFile, "the game's message file (pro_crit.msg, pro_item.msg, ...)")
        ->required();
    namesCommand->add_option("--encoding", names.encoding, encodingHelp)->transform(encodings);
    namesCommand->callback([&] { run = [&] { return RunNames(names, out, err); }; });

    DatOptions dat;
    auto* datCommand = app.add_subcommand("dat", "A game archive (either game's DAT format, told apart by its "
                                                 "content) taken apart");
    datCommand->require_subcommand(1);
    auto* datList = datCommand->add_subcommand("list", "One line per file: unpacked size, packed size, method "
                                                       "(stored, lzss, lzss-chunks, zlib), path; TAB between");
    datList->add_option("ARCHIVE.dat", dat.archive, "the archive")->required();
    datList->callback([&] { run = [&] { return RunDatList(dat, out, err); }; });
    auto* datExtract = datCommand->add_subcommand("extract", "The files (all, or those matching a PATTERN: * and ?, "
                                                             "any case) under DIR at their paths, never outside it");
    datExtract->add_option("ARCHIVE.dat", dat.archive, "the archive")->required();
    datExtract->add_option("--to", dat.target, "the folder to write into")->required();
    datExtract->add_option("PATTERN", dat.patterns, "globs of the paths to extract (default: every file)");
    datExtract->callback([&] { run = [&] { return RunDatExtract(dat, out, err); }; });

    DataOptions data;
    auto* dataCommand = app.add_subcommand("data", "The merged file tree of an install or a mod's tree, as the game "
                                                   "reads it: data INSTALL list|where|cat|extract ...");
    dataCommand->add_option("INSTALL", data.install, "the game's folder or a mod's tree")->required();
    dataCommand
        ->add_option("ACTION", data.action,
                     "list [PATTERN...]: the winning layer and path of each file; "
                     "where PATH: every layer holding it, winner first, with its "
                     "size; cat PATH: the winning bytes; extract --to DIR PATTERN...")
        ->required()
        ->check(CLI::IsMember({"list", "where", "cat", "extract"}));
    dataCommand->add_option("PATH", data.paths, "paths or globs inside the tree");
    dataCommand->add_option("--to", data.target, "extract: the folder to write into");
    dataCommand->callback([&] { run = [&] { return RunData(data, out, err); }; });

    const auto addPictureOptions = [](CLI::App* command, PictureOptions& picture) {
        command->add_option("--out", picture.out, "the PNG file to write (index 0 transparent)");
        command->add_option("--direction", picture.direction, "the direction, 0 to 5 (default 0)")
            ->check(CLI::Range(0, 5));
        command->add_option("--frame", picture.frame, "the frame of the direction, from 0 (default 0)")
            ->check(CLI::Range(0, std::numeric_limits<int>::max()));
        command->add_flag("--sheet", picture.sheet, "every frame: a row per direction, a column per frame");
    };
    ArtOptions art;
    auto* artCommand = app.add_subcommand("art", "A critter's standing picture from its game's files as a PNG "
                                                 "(FID -> art/critters/critters.lst -> FRM, color.pal)");
    artCommand->add_option("--data", art.data,
                           "a game's install or a mod's tree: CRITTER.pro is a path inside it "
                           "(default: the first such folder above the critter file)");
    artCommand->add_option("CRITTER.pro", art.critter, "the critter")->required();
    addPictureOptions(artCommand, art.picture);
    artCommand->get_option("--out")->required();
    artCommand->callback([&] { run = [&] { return RunArt(art, out, err); }; });

    FrmOptions frm;
    auto* frmCommand = app.add_subcommand("frm", "An FRM picture as a PNG (--palette, --out), or its header and "
                                                 "frames (--info)");
    frmCommand->add_option("FILE.frm", frm.file, "the picture file")->required();
    frmCommand->add_option("--palette", frm.palette, "the game's color.pal");
    frmCommand->add_flag("--info", frm.info, "version, frames per second, each direction's shift and frames");
    addPictureOptions(frmCommand, frm.picture);
    frmCommand->callback([&] { run = [&] { return RunFrm(frm, out, err); }; });

    // set takes its files after "--", which CLI11 would otherwise hand to
    // the edits as more positional values.
    bool setHasFiles = false;
    if (!arguments.empty() && arguments.front() == "set") {
        const auto separator = std::find(arguments.begin(), arguments.end(), "--");
        if (separator != arguments.end()) {
            set.files.assign(separator + 1, arguments.end());
            arguments.erase(separator, arguments.end());
            setHasFiles = true;
        }
    }

    // CLI11 would take an unknown first word for a missing command.
    if (!arguments.empty() && !arguments.front().empty() && arguments.front()[0] != '-') {
        std::string commands;
        bool known = false;
        for (const CLI::App* command : app.get_subcommands(std::function<bool(CLI::App*)>())) {
            commands += (commands.empty() ? "" : ", ") + command->get_name();
            known = known || command->get_name() == arguments.front();
        }
        if (!known) {
            ReportError(err, arguments.front(), "unknown command; the commands are " + commands);
            return kExitError;
        }
    }

    try {
        std::reverse(arguments.begin(), arguments.end());
        app.parse(arguments);
        if (setCommand->parsed() && (!setHasFiles || set.files.empty()))
            throw CLI::ValidationError("set: no FILE after --", CLI::ExitCodes::ValidationError);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error, out, err);
        return code == 0 ? kExitSuccess : kExitError;
    }

    try {
        return run();
    } catch (const std::exception& error) {
        ReportError(err, app.get_subcommands().front()->get_name(), error);
        return kExitError;
    }
}

} // namespace quarnel::cli
