#include "SetupRun.h"

#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <iconv.h>
#include <sys/resource.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::string toShiftJis(const std::string& utf8) {
    iconv_t converter = iconv_open("CP932", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return utf8;
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* outPtr = &out[0];
    size_t outLeft = out.size();
    iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

std::vector<std::string> E2eWrapper() {
    std::vector<std::string> words;
    const char* text = std::getenv("VELTRIX_E2E_WRAPPER");
    std::istringstream in(text ? text : "");
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

std::vector<std::string> SetupResult::Lines(const std::string& kind) const {
    std::vector<std::string> lines;
    std::istringstream in(transcript);
    std::string line;
    std::string prefix = kind + ": ";
    while (std::getline(in, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line.substr(prefix.size()));
    }
    return lines;
}

SetupMedium::SetupMedium() {
    WriteHostFile(DiskDir(1) + "/.medium", "");
}

void SetupMedium::WriteScript(const std::string& text, bool japanese) {
    WriteHostFile(DiskDir(1) + "/INSTKIT.INF", japanese ? toShiftJis(text) : text);
}

void SetupMedium::WriteFile(int disk, const std::string& relative, const std::string& bytes) {
    WriteHostFile(DiskDir(disk) + "/" + relative, bytes);
}

std::string SetupMedium::WriteAnswers(const std::string& text) {
    std::string path = m_dir / "answers.txt";
    WriteHostFile(path, text);
    return path;
}

SetupResult SetupMedium::Run(const std::vector<std::string>& arguments,
                             const RunConditions& conditions) const {
    std::string transcript = m_dir / "transcript.txt";
    std::string errors = m_dir / "stderr.txt";
    std::vector<std::string> argv = {VELTRIX_SETUP_EXE, "--ui",         "headless",
                                     "--media",         DiskDir(1),     "--prefix",
                                     Prefix(),          "--transcript", transcript};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> wrapper = E2eWrapper();
    argv.insert(argv.begin(), wrapper.begin(), wrapper.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv)
        pointers.push_back(&argument[0]);
    pointers.push_back(nullptr);

    SetupResult result;
    // Only calls that are safe after fork run in the child.
    pid_t child = fork();
    if (child < 0)
        return result;
    if (child == 0) {
        int in = open("/dev/null", O_RDONLY);
        int out = open("/dev/null", O_WRONLY);
        int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0)
            _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        signal(SIGXFSZ, SIG_DFL);
        if (conditions.fileSizeLimit != 0) {
            rlimit limit;
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = conditions.fileSizeLimit;
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execvpe(pointers[0], pointers.data(), environ);
        _exit(127);
    }

    int waitStatus = 0;
    bool signalled = false;
    // A run under a tool such as Valgrind takes many times longer.
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(wrapper.empty() ? 60 : 900);
    for (;;) {
        pid_t done = waitpid(child, &waitStatus, WNOHANG);
        if (done == child)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &waitStatus, 0);
            break;
        }
        if (conditions.signal != 0 && !signalled && conditions.signalWhen &&
            conditions.signalWhen()) {
            kill(child, conditions.signal);
            signalled = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(conditions.signalWhen ? 1 : 5));
    }
    result.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
    result.transcript = ReadHostFile(transcript);
    result.errors = ReadHostFile(errors);
    return result;
}

std::string SetupMedium::Registry(const std::string& file) const {
    return ReadHostFile(Prefix() + "/" + file);
}

std::string ScriptWith(const std::string& setupLines, const std::string& filesLines,
                       const std::string& rest) {
    return "[Setup]\nInfRevision=1\nTargetOS=1000F\nCaption=E2E Setup\n" + setupLines +
           "\n[Files]\n" + filesLines + "\n" + rest;
}
