// Runs the real veltrix-setup on a medium in a temporary prefix and reads what it left: the
// exit status, the transcript, files on the emulated drives and the prefix's registry files.
#pragma once

#include "TempDir.h"

#include <functional>
#include <string>
#include <vector>

struct SetupResult {
    int status = -1;
    std::string transcript; // UTF-8, one line per event
    std::string errors;     // standard error

    // The transcript lines that start with kind + ": ".
    std::vector<std::string> Lines(const std::string& kind) const;
    bool Has(const std::string& text) const { return transcript.find(text) != std::string::npos; }
};

// The command that runs the program, when VELTRIX_E2E_WRAPPER names one: the end-to-end
// tests run under Valgrind with VELTRIX_E2E_WRAPPER="valgrind --error-exitcode=99 ...".
std::vector<std::string> E2eWrapper();

// What a run meets besides its arguments: a limit on the size of the files it writes (as
// ulimit -f sets), and a signal sent once a condition holds while it runs.
struct RunConditions {
    unsigned long long fileSizeLimit = 0; // bytes; 0: none
    int signal = 0;
    std::function<bool()> signalWhen; // polled every few milliseconds while the run lasts
};

class SetupMedium {
  public:
    SetupMedium();

    // The medium (disk 1) and further disks, as host directories.
    std::string DiskDir(int disk) const { return m_dir / ("disk" + std::to_string(disk)); }
    std::string Prefix() const { return m_dir / "prefix"; }
    // Host path of a file on drive C: of the prefix ("APP/X.TXT").
    std::string DriveC(const std::string& relative) const {
        return m_dir / ("prefix/drive_c/" + relative);
    }

    // Writes INSTKIT.INF on disk 1; text is UTF-8 and is stored in code page 932 when
    // japanese is set.
    void WriteScript(const std::string& text, bool japanese = false);
    void WriteFile(int disk, const std::string& relative, const std::string& bytes);
    std::string WriteAnswers(const std::string& text);

    // Runs the program headless with these arguments added to --media, --prefix and
    // --transcript; the run is killed after a minute.
    SetupResult Run(const std::vector<std::string>& arguments,
                    const RunConditions& conditions = RunConditions()) const;

    // The registry file's text (system.reg, user.reg).
    std::string Registry(const std::string& file) const;

  private:
    TempDir m_dir;
};

// The options of a Japanese user, and a command line with more options after it.
const std::vector<std::string> kJapanese = {"--lang", "JPN"};
inline std::vector<std::string> with(std::vector<std::string> arguments,
                                     const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

// A script with the given [Files] lines and extra [Setup] lines.
std::string ScriptWith(const std::string& setupLines, const std::string& filesLines,
                       const std::string& rest = "");
