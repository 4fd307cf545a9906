#include "HostOptions.h"
#include "kernel/MachineState.h"

#include <CLI/CLI.hpp>

#include <cstdlib>

namespace host {
namespace {

bool ParseDisk(const std::string& text, std::map<int, std::string>& disks, std::string& error) {
    size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 >= text.size()) {
        error = "--disk wants N=DIR, got \"" + text + "\"";
        return false;
    }
    std::string number = text.substr(0, equals);
    if (number.size() > 4 || number.find_first_not_of("0123456789") != std::string::npos) {
        error = "--disk: \"" + number + "\" is not a disk number";
        return false;
    }
    int disk = std::atoi(number.c_str());
    if (disk <= 0) {
        error = "--disk: disk numbers start at 1";
        return false;
    }
    if (disks.count(disk) != 0) {
        error = "--disk " + number + " is given twice";
        return false;
    }
    disks[disk] = text.substr(equals + 1);
    return true;
}

} // namespace

ParseOutcome ParseHostOptions(int argc, const char* const* argv, bool interactiveTerminal,
                              HostOptions& options, std::string& message) {
    CLI::App app{"Veltrix Setup: installs from a medium into an emulated Windows machine.",
                 "veltrix-setup"};
    app.set_help_flag("-h,--help", "Show this help and exit");
    app.footer("Exit status: 0 finished; 1 abandoned, or an unattended run met a question it "
               "has no answer for; 2 the setup script was refused; 3 finished, Windows must "
               "restart; 4 finished, the computer must restart; 64 a bad command line; 65 an "
               "answers file that cannot be parsed or is over 1 MiB; 66 a missing medium, disk "
               "or answers file, or an answers file that is not a regular file; 69 no terminal "
               "for the tui; 70 an ending without status of its own; 73 the prefix or the "
               "transcript cannot be made, used or written, or Wine runs on the prefix (nothing "
               "was changed); 74 the registry entries were not saved; 75 interrupted by SIGINT, "
               "SIGTERM or SIGHUP.");

    std::string media = ".";
    std::string mediaType = "cdrom";
    std::vector<std::string> disks;
    std::string prefix;
    std::string os = "nt4";
    std::string pc = "pcat";
    std::string lang;
    std::string ui;
    std::string overwrite = "yes";

    app.add_option("--media", media,
                   "The installation medium: the directory that holds INSTKIT.INF (default: "
                   "the current directory)")
        ->type_name("DIR");
    app.add_option("--media-type", mediaType,
                   "How the medium's drive reports: cdrom (default), removable, fixed or remote")
        ->type_name("TYPE");
    // One N=DIR per --disk, so that a stray word after it is an error and not another disk.
    app.add_option("--disk", disks, "The medium of disk N of a multi-disk set (repeatable)")
        ->type_name("N=DIR")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--prefix", prefix,
                   "The emulated machine (default: $VELTRIX_PREFIX, else $WINEPREFIX, else "
                   "~/.local/share/veltrix-setup/machine)")
        ->type_name("DIR");
    app.add_option("--wine-wait", options.machine.wineServerWaitSeconds,
                   "When Wine runs on the prefix, wait up to SECONDS for it to end (default 0: "
                   "refuse at once with status 73)")
        ->type_name("SECONDS");
    app.add_option("--os", os, "win95, nt31, nt35, nt351 or nt4 (default nt4)")->type_name("NAME");
    app.add_option("--pc", pc, "pcat (default) or pc98")->type_name("NAME");
    app.add_option("--lang", lang,
                   "The user's three-letter language abbreviation (default from the locale)")
        ->type_name("ABBR");
    app.add_option("--ui", ui, "tui (default on a terminal) or headless")->type_name("NAME");
    app.add_flag("--silent", options.silent,
                 "Unattended: accept every page as proposed and answer Yes to confirmations");
    app.add_option("--src", options.src,
                   "Typed into the path page's source field in unattended runs")
        ->type_name("WINPATH");
    app.add_option("--dest", options.dest,
                   "Typed into the path page's destination field in unattended runs")
        ->type_name("WINPATH");
    app.add_option("--overwrite", overwrite,
                   "The answer to the overwrite question in unattended runs (default yes)")
        ->type_name("ask|yes|no");
    app.add_option("--answers", options.answersFile,
                   "Unattended, with the answers in FILE (format in docs/automation.md)")
        ->type_name("FILE");
    app.add_option("--transcript", options.transcriptFile,
                   "Where the transcript goes (default: standard output in headless runs; "
                   "- is standard output)")
        ->type_name("FILE");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        message = app.help();
        return ParseOutcome::Help;
    } catch (const CLI::ParseError& e) {
        message = e.what();
        return ParseOutcome::Error;
    }

    options.srcGiven = app.count("--src") > 0;
    options.destGiven = app.count("--dest") > 0;
    if (app.count("--answers") > 0 && options.answersFile.empty()) {
        message = "--answers wants a file name";
        return ParseOutcome::Error;
    }
    if (app.count("--transcript") > 0 && options.transcriptFile.empty()) {
        message = "--transcript wants a file name";
        return ParseOutcome::Error;
    }
    if (media.empty()) {
        message = "--media wants a directory";
        return ParseOutcome::Error;
    }
    options.machine.mediaDir = media;
    if (!ParseDriveType(mediaType, options.machine.mediaType)) {
        message =
            "--media-type: unknown type \"" + mediaType + "\" (cdrom, removable, fixed or remote)";
        return ParseOutcome::Error;
    }
    for (const std::string& disk : disks) {
        if (!ParseDisk(disk, options.disks, message))
            return ParseOutcome::Error;
    }
    options.machine.prefix = prefix.empty() ? DefaultPrefix() : prefix;
    if (options.machine.prefix.empty()) {
        message = "no prefix: give --prefix, or set VELTRIX_PREFIX, WINEPREFIX or HOME";
        return ParseOutcome::Error;
    }
    if (!ParseOsKind(os, options.machine.os)) {
        message = "--os: unknown system \"" + os + "\" (win95, nt31, nt35, nt351 or nt4)";
        return ParseOutcome::Error;
    }
    if (!ParsePcKind(pc, options.machine.pc)) {
        message = "--pc: unknown PC type \"" + pc + "\" (pcat or pc98)";
        return ParseOutcome::Error;
    }
    if (!lang.empty()) {
        bool letters = lang.size() == 3;
        for (char& c : lang) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            else if (c < 'A' || c > 'Z')
                letters = false;
        }
        if (!letters) {
            message =
                "--lang wants a three-letter abbreviation such as JPN or ENU, got \"" + lang + "\"";
            return ParseOutcome::Error;
        }
        // A name the machine does not know is a mistake on the command line, not a prefix
        // that cannot be used.
        if (!detail::FindLocaleByAbbreviation(lang)) {
            message = "--lang: unknown language \"" + lang +
                      "\" (JPN, ENU, ENG, DEU, FRA, ITA, ESP, KOR, CHT, CHS, NLD or SVE)";
            return ParseOutcome::Error;
        }
    }
    options.machine.language = lang;
    if (ui.empty())
        options.ui = interactiveTerminal ? FrontendKind::Tui : FrontendKind::Headless;
    else if (ui == "tui")
        options.ui = FrontendKind::Tui;
    else if (ui == "headless")
        options.ui = FrontendKind::Headless;
    else {
        message = "--ui: unknown front end \"" + ui + "\" (tui or headless)";
        return ParseOutcome::Error;
    }
    if (overwrite == "ask")
        options.overwrite = OverwriteChoice::Ask;
    else if (overwrite == "yes")
        options.overwrite = OverwriteChoice::Yes;
    else if (overwrite == "no")
        options.overwrite = OverwriteChoice::No;
    else {
        message = "--overwrite: \"" + overwrite + "\" is not ask, yes or no";
        return ParseOutcome::Error;
    }
    // A headless run has nobody to ask: it is silent unless an answers file speaks for it.
    if (options.ui == FrontendKind::Headless && options.answersFile.empty())
        options.silent = true;
    return ParseOutcome::Run;
}

} // namespace host
