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

// The help, written out by hand so that it reads well in a terminal of 80 columns.
const char kHelp[] =
    "Usage: veltrix-setup [options]\n"
    "Installs from a medium into an emulated Windows machine.\n"
    "\n"
    "Options:\n"
    "  --media DIR        the installation medium: the directory that holds\n"
    "                     INSTKIT.INF (default: the current directory)\n"
    "  --media-type TYPE  cdrom (default), removable, fixed or remote: how the\n"
    "                     medium's drive reports\n"
    "  --disk N=DIR       the medium of disk N of a multi-disk set: when the\n"
    "                     installer asks for disk N, DIR goes into the drive\n"
    "                     (repeatable)\n"
    "  --prefix DIR       the emulated machine (default: $VELTRIX_PREFIX, else\n"
    "                     $WINEPREFIX, else ~/.local/share/veltrix-setup/machine);\n"
    "                     made when missing\n"
    "  --wine-wait SECONDS\n"
    "                     when Wine runs on the prefix, wait up to SECONDS for it\n"
    "                     to end (default 0: refuse at once with status 73)\n"
    "  --os NAME          win95, nt31, nt35, nt351 or nt4 (default nt4)\n"
    "  --pc NAME          pcat (default) or pc98\n"
    "  --codepage CP      the machine's system code page: 932 (default, a Japanese\n"
    "                     system) or 1252 (a Western system)\n"
    "  --lang ABBR        the user's language, such as JPN or ENU: which language\n"
    "                     library is used, and the date order (default from the\n"
    "                     locale; C and POSIX give JPN)\n"
    "  --ui NAME          tui (default on a terminal) or headless\n"
    "  --silent           unattended: accept every page as proposed and answer Yes\n"
    "                     to confirmations\n"
    "  --src WINPATH      typed into the path page's source field in unattended runs\n"
    "  --dest WINPATH     typed into the path page's destination field in\n"
    "                     unattended runs\n"
    "  --overwrite ask|yes|no\n"
    "                     the answer to the overwrite question in unattended runs\n"
    "                     (default yes)\n"
    "  --answers FILE     unattended, with the answers in FILE (docs/automation.md)\n"
    "  --transcript FILE  where the transcript goes (default: standard output in\n"
    "                     headless runs; - is standard output)\n"
    "  --record FILE      write what is done in a terminal run to FILE as answers\n"
    "                     that replay it with --answers FILE\n"
    "  --quiet            no progress line on standard error in unattended runs\n"
    "  --version          show the version and exit\n"
    "  -h, --help         show this help and exit\n"
    "\n"
    "Keys in the terminal:\n"
    "  Tab, Shift+Tab     move to the next or the previous control\n"
    "  Enter              press the default button (or the focused button)\n"
    "  Esc                cancel the dialog\n"
    "  Alt+letter         the control whose label has that letter underlined\n"
    "  Space              press the focused button, tick the focused check box\n"
    "  Arrow keys         move in lists and between the buttons of a group\n"
    "  F4                 open or close the focused drop-down list\n"
    "  Alt+Space          the window's system menu\n"
    "  Ctrl+Q             close the window (as the system menu's Close)\n"
    "  Ctrl+L             paint the screen again\n"
    "  F3                 put a host directory into the drive when the installer\n"
    "                     asks for the next disk\n"
    "  The bottom line of the terminal shows these keys and what the run needs.\n"
    "\n"
    "Exit status: 0 finished; 1 abandoned, or an unattended run met a question it\n"
    "has no answer for; 2 the setup script was refused; 3 finished, Windows must\n"
    "restart; 4 finished, the computer must restart; 64 a bad command line; 65 an\n"
    "answers file that cannot be parsed or is over 1 MiB; 66 a missing medium,\n"
    "disk or answers file, or an answers file that is not a regular file; 69 no\n"
    "terminal for the tui; 70 an ending without status of its own; 73 the prefix\n"
    "or the transcript cannot be made, used or written, or Wine runs on the\n"
    "prefix (nothing was changed); 74 the registry entries were not saved; 75\n"
    "interrupted by SIGINT, SIGTERM or SIGHUP.\n";

} // namespace

ParseOutcome ParseHostOptions(int argc, const char* const* argv, bool interactiveTerminal,
                              HostOptions& options, std::string& message) {
    CLI::App app{"Veltrix Setup: installs from a medium into an emulated Windows machine.",
                 "veltrix-setup"};
    // The help is the program's own text (kHelp); CLI11 only parses.
    app.set_help_flag();
    bool help = false;
    bool version = false;
    app.add_flag("-h,--help", help);
    app.add_flag("--version", version);

    std::string media = ".";
    std::string mediaType = "cdrom";
    std::vector<std::string> disks;
    std::string prefix;
    std::string os = "nt4";
    std::string pc = "pcat";
    std::string lang;
    std::string codePage = "932";
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
    app.add_option("--codepage", codePage, "The machine's system code page: 932 or 1252")
        ->type_name("CP");
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
    app.add_option("--record", options.recordFile,
                   "Write what is done in a terminal run to FILE as answers that replay it")
        ->type_name("FILE");
    app.add_flag("--quiet", options.quiet, "No progress line on standard error in unattended runs");
    app.add_option("--transcript", options.transcriptFile,
                   "Where the transcript goes (default: standard output in headless runs; "
                   "- is standard output)")
        ->type_name("FILE");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        message = e.what();
        return ParseOutcome::Error;
    }
    if (help) {
        message = kHelp;
        return ParseOutcome::Help;
    }
    if (version) {
        message = std::string("veltrix-setup ") + VELTRIX_VERSION + "\n";
        return ParseOutcome::Version;
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
    if (app.count("--record") > 0 && options.recordFile.empty()) {
        message = "--record wants a file name";
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
    if (codePage == "932" || codePage == "1252") {
        options.machine.codePage = static_cast<unsigned>(std::atoi(codePage.c_str()));
    } else {
        message = "--codepage: \"" + codePage + "\" is not a system code page (932 or 1252)";
        return ParseOutcome::Error;
    }

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
    if (!options.recordFile.empty() && options.Unattended()) {
        message = "--record records what a person does in the terminal; it cannot be used with "
                  "--silent, --answers or --ui headless";
        return ParseOutcome::Error;
    }
    return ParseOutcome::Run;
}

} // namespace host
