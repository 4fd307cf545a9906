// An installation end to end against the simplest thing a user could do instead: the real
// veltrix-setup, unattended, against `cp --preserve=timestamps` for the plain files and
// szdd_baseline (libmspack's SZDD decompressor) for the compressed ones. Both sides run in
// turn, each first in every other round, each into a fresh destination (the installer into a fresh
// copy of a prefix made beforehand), with the disk synced before each run; the trees they leave
// must be byte-identical. Prints the median wall times, their ratio, and the time per file.
//
//   bench_install [files] [plain-megabytes] [rounds]    (default 1000 50 4)
//   bench_install full                                  (5000 500 10: the figures of the README)
//   bench_install --only WORK ...                       one work only: fresh, second, one, plain
//   bench_install --keep ...                            leaves the scratch directory (media,
//                                                       prefix) for a profiler, and names it
//
// The media: 70 % text files of 1-20 KB, 25 % text files compressed by mscompress (named
// NAME.TX_, the missing letter in the header), 5 % files of 1-5 MB; 100 files per folder, or
// all in one folder. Runs: a fresh install of `files` files (and of a fifth of them, for the
// growth per file); the same in one folder; a second install over the first that keeps every
// file (overwrite mode 5, equal dates) against cp -n; one plain file of `plain-megabytes` MB.
#include <mspack.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string g_setup;       // the installer
std::string g_baseline;    // szdd_baseline
std::string g_base;        // the benchmark's scratch directory
std::string g_template;    // a prefix made once, copied for each run
int g_rounds = 4;          // even: each side runs first as often as second
double g_childSeconds = 0; // processor time of the programs run, user and system

struct MediumFile {
    std::string folder;      // "D000"
    std::string sourceName;  // as on the medium
    std::string installName; // as installed
    bool compressed = false;
};

struct Medium {
    std::string dir;
    std::vector<MediumFile> files;
};

// Text-like data, as installed files are: it compresses about 2:1 to 3:1.
std::string RealisticData(size_t size, unsigned seed) {
    static const char* const words[] = {
        "setup",   "install", "file",   "directory", "version", "the",    "of",      "copy",
        "windows", "system",  "DLL",    "driver",    "error",   "disk",   "program", "registry",
        "\r\n",    "\t",      "return", "value",     "key",     "string", "section", "data"};
    std::mt19937 random(seed);
    std::string data;
    data.reserve(size + 64);
    while (data.size() < size) {
        if (random() % 10 == 0) {
            for (int i = 0; i < 16; ++i)
                data.push_back(static_cast<char>(random() % 64));
        } else {
            data += words[random() % (sizeof words / sizeof words[0])];
            data += ' ';
        }
    }
    data.resize(size);
    return data;
}

void WriteBytes(const std::string& path, const char* bytes, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes, static_cast<std::streamsize>(size));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Runs a program (no shell) and gives its exit status.
int Run(const std::vector<std::string>& arguments, const std::string& log = "/dev/null") {
    pid_t child = fork();
    if (child == 0) {
        if (std::FILE* out = std::fopen(log.c_str(), "w")) {
            dup2(fileno(out), STDOUT_FILENO);
            if (log != "/dev/null")
                dup2(fileno(out), STDERR_FILENO);
        }
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage = {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return -1;
    g_childSeconds += usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                      usage.ru_stime.tv_usec / 1e6;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void Must(const std::vector<std::string>& arguments) {
    if (int status = Run(arguments)) {
        std::fprintf(stderr, "%s failed with status %d\n", arguments[0].c_str(), status);
        std::exit(1);
    }
}

double Seconds(const std::chrono::steady_clock::time_point& start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A pool of compressed text files, made once: mscompress takes long per file.
struct CompressedPool {
    std::vector<std::string> images;
};

CompressedPool MakePool(int count) {
    std::string dir = g_base + "/pool";
    fs::create_directories(dir);
    std::vector<std::string> command = {"mscompress"};
    for (int i = 0; i < count; ++i) {
        std::string path = dir + "/P" + std::to_string(i) + ".TXT";
        std::string data = RealisticData(1024 + (static_cast<size_t>(i) * 1237) % (19 * 1024),
                                         static_cast<unsigned>(1000 + i));
        WriteBytes(path, data.data(), data.size());
        command.push_back(path);
    }
    Must(command);
    CompressedPool pool;
    for (int i = 0; i < count; ++i) {
        std::string image = ReadBytes(dir + "/P" + std::to_string(i) + ".TXT_");
        // COMPRESS -r keeps the letter that the name's final '_' stands for; mscompress
        // leaves it out.
        image[9] = 'T';
        pool.images.push_back(image);
    }
    return pool;
}

// A medium of `count` files, `perFolder` to a folder, with its script.
Medium MakeMedium(const std::string& name, int count, int perFolder, const CompressedPool& pool,
                  const std::string& text) {
    Medium medium;
    medium.dir = g_base + "/" + name;
    fs::remove_all(medium.dir);
    std::string script = "[Setup]\r\nInfRevision=1\r\nTargetOS=1000F\r\nCaption=Bench\r\n"
                         "DefaultDstPath=BENCH\r\nPromptSrcPath=0\r\nPromptDstPath=1\r\n"
                         "ProgressBar=1\r\n\r\n[Files]\r\n";
    std::mt19937 random(static_cast<unsigned>(count * 31 + perFolder));
    for (int i = 0; i < count; ++i) {
        MediumFile file;
        char folder[16], stem[16];
        std::snprintf(folder, sizeof folder, "D%03d", i / perFolder);
        std::snprintf(stem, sizeof stem, "F%05d", i);
        file.folder = folder;
        fs::create_directories(medium.dir + "/" + file.folder);
        int kind = i % 20;
        std::string host;
        if (kind == 0) { // 5 %: 1-5 MB
            file.sourceName = file.installName = std::string(stem) + ".DAT";
            size_t size = (1u << 20) + random() % (4u << 20);
            size_t offset = random() % (text.size() - size);
            host = medium.dir + "/" + file.folder + "/" + file.sourceName;
            WriteBytes(host, text.data() + offset, size);
        } else if (kind <= 5) { // 25 %: compressed
            file.compressed = true;
            file.sourceName = std::string(stem) + ".TX_";
            file.installName = std::string(stem) + ".TXT";
            const std::string& image = pool.images[random() % pool.images.size()];
            host = medium.dir + "/" + file.folder + "/" + file.sourceName;
            WriteBytes(host, image.data(), image.size());
        } else { // 70 %: 1-20 KB
            file.sourceName = file.installName = std::string(stem) + ".TXT";
            size_t size = 1024 + random() % (19 * 1024);
            size_t offset = random() % (text.size() - size);
            host = medium.dir + "/" + file.folder + "/" + file.sourceName;
            WriteBytes(host, text.data() + offset, size);
        }
        script += "1:" + file.folder + "\\" + file.sourceName + "=," + file.folder + ",0,5\r\n";
        medium.files.push_back(file);
    }
    WriteBytes(medium.dir + "/INSTKIT.INF", script.data(), script.size());
    return medium;
}

std::string InstalledTree(const std::string& prefix) {
    return prefix + "/drive_c/BENCH";
}

bool RunSetup(const Medium& medium, const std::string& prefix) {
    std::string log = g_base + "/setup.log";
    int status = Run({g_setup, "--ui", "headless", "--silent", "--media", medium.dir, "--prefix",
                      prefix, "--dest", "C:\\BENCH", "--transcript", "/dev/null"},
                     log);
    if (status != 0)
        std::fprintf(stderr, "veltrix-setup ended with status %d:\n%s", status,
                     ReadBytes(log).c_str());
    return status == 0;
}

bool RunBaseline(const Medium& medium, const std::string& destination, bool keepExisting) {
    std::map<std::string, std::vector<std::string>> plainByFolder;
    std::vector<std::string> expand = {g_baseline};
    if (keepExisting)
        expand.push_back("-n");
    for (const MediumFile& file : medium.files) {
        std::string source = medium.dir + "/" + file.folder + "/" + file.sourceName;
        if (file.compressed) {
            expand.push_back(source);
            expand.push_back(destination + "/" + file.folder + "/" + file.installName);
        } else {
            plainByFolder[file.folder].push_back(source);
        }
    }
    for (auto& [folder, sources] : plainByFolder) {
        std::string target = destination + "/" + folder;
        fs::create_directories(target);
        std::vector<std::string> command = {"cp", "--preserve=timestamps"};
        if (keepExisting)
            command.push_back("-n");
        command.push_back("-t");
        command.push_back(target);
        command.insert(command.end(), sources.begin(), sources.end());
        if (Run(command) != 0)
            return false;
    }
    return expand.size() <= (keepExisting ? 2u : 1u) || Run(expand) == 0;
}

// The same relative names and the same bytes in both trees.
bool SameTrees(const std::string& a, const std::string& b) {
    auto list = [](const std::string& root) {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            names.push_back(fs::relative(entry.path(), root).string() +
                            (entry.is_directory() ? "/" : ""));
        std::sort(names.begin(), names.end());
        return names;
    };
    std::vector<std::string> left = list(a), right = list(b);
    if (left != right) {
        std::fprintf(stderr,
                     "the trees differ: %zu entries against %zu (an installer that takes fewer "
                     "[Files] lines than the medium has installs fewer files)\n",
                     left.size(), right.size());
        return false;
    }
    for (const std::string& name : left)
        if (name.back() != '/' && ReadBytes(a + "/" + name) != ReadBytes(b + "/" + name)) {
            std::fprintf(stderr, "%s differs\n", name.c_str());
            return false;
        }
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Pair {
    double baseline = 0;
    double installer = 0;
    double baselineCpu = 0;
    double installerCpu = 0;
};

// Times a step: wall time and the processor time of the programs it runs.
struct Timing {
    std::vector<double> wall, cpu;
    template <class Step> void Measure(Step step) {
        sync();
        double cpuBefore = g_childSeconds;
        auto start = std::chrono::steady_clock::now();
        if (!step())
            std::exit(1);
        wall.push_back(Seconds(start));
        cpu.push_back(g_childSeconds - cpuBefore);
    }
};

Pair Medians(const Timing& baseline, const Timing& installer) {
    return {Median(baseline.wall), Median(installer.wall), Median(baseline.cpu),
            Median(installer.cpu)};
}

// Both sides' runs of a round, the baseline first in even rounds and the installer in odd ones,
// so that neither always runs just after the other.
template <class Baseline, class Installer>
void InTurn(int round, Baseline baseline, Installer installer) {
    if (round % 2 == 0) {
        baseline();
        installer();
    } else {
        installer();
        baseline();
    }
}

std::string FreshPrefix() {
    std::string prefix = g_base + "/prefix";
    fs::remove_all(prefix);
    Must({"cp", "-a", g_template, prefix});
    return prefix;
}

// Fresh installs in turn; the last trees stay for a second pass. Both trees of the last round
// go before either side runs: what the host does after deletions and writes then falls on
// both sides alike. (On the development machine that can cost more than the copies: ext4
// without a journal passes over every inode freed in the last half minute when it makes a
// file, and the virtual machine gives memory back to its host, so that pages written to
// next are faulted in again.)
Pair FreshInstall(const Medium& medium) {
    Timing baseline, installer;
    std::string copy = g_base + "/copy";
    for (int round = 0; round < g_rounds; ++round) {
        fs::remove_all(copy);
        std::string prefix = FreshPrefix();
        InTurn(
            round, [&] { baseline.Measure([&] { return RunBaseline(medium, copy, false); }); },
            [&] { installer.Measure([&] { return RunSetup(medium, prefix); }); });
    }
    if (!SameTrees(copy, InstalledTree(g_base + "/prefix")))
        std::exit(1);
    return Medians(baseline, installer);
}

Pair SecondPass(const Medium& medium) {
    Timing baseline, installer;
    for (int round = 0; round < g_rounds; ++round) {
        InTurn(
            round,
            [&] { baseline.Measure([&] { return RunBaseline(medium, g_base + "/copy", true); }); },
            [&] { installer.Measure([&] { return RunSetup(medium, g_base + "/prefix"); }); });
    }
    if (!SameTrees(g_base + "/copy", InstalledTree(g_base + "/prefix")))
        std::exit(1);
    return Medians(baseline, installer);
}

Pair PlainFile(size_t megabytes, const std::string& text) {
    Medium medium;
    medium.dir = g_base + "/plain";
    fs::remove_all(medium.dir);
    fs::create_directories(medium.dir + "/D000");
    {
        std::ofstream out(medium.dir + "/D000/BIG.DAT", std::ios::binary);
        for (size_t written = 0; written < megabytes << 20; written += text.size())
            out.write(text.data(), static_cast<std::streamsize>(
                                       std::min(text.size(), (megabytes << 20) - written)));
    }
    std::string script = "[Setup]\r\nInfRevision=1\r\nTargetOS=1000F\r\nCaption=Bench\r\n"
                         "DefaultDstPath=BENCH\r\nPromptSrcPath=0\r\nPromptDstPath=1\r\n\r\n"
                         "[Files]\r\n1:D000\\BIG.DAT=,D000,0,5\r\n";
    WriteBytes(medium.dir + "/INSTKIT.INF", script.data(), script.size());
    medium.files.push_back({"D000", "BIG.DAT", "BIG.DAT", false});
    Pair pair = FreshInstall(medium);
    fs::remove_all(medium.dir);
    return pair;
}

void Print(const char* work, int files, const Pair& pair, double target) {
    std::printf("%-44s %6d %9.3f %9.3f %7.2fx %7.1fx %-6s %8.3f %8.3f %7.2fx\n", work, files,
                pair.baseline, pair.installer, pair.installer / pair.baseline, target,
                pair.installer / pair.baseline <= target ? "ok" : "MISSED", pair.baselineCpu,
                pair.installerCpu, pair.installerCpu / pair.baselineCpu);
    std::fflush(stdout);
}

void PrintGrowth(const char* work, int small, const Pair& a, int large, const Pair& b) {
    double baselinePerFile = (b.baseline - a.baseline) / (large - small) * 1000;
    double installerPerFile = (b.installer - a.installer) / (large - small) * 1000;
    std::printf("%-44s %6s %9.4f %9.4f %7.2fx   (ms per file, %d to %d files)\n", work, "",
                baselinePerFile, installerPerFile, installerPerFile / baselinePerFile, small,
                large);
    std::fflush(stdout);
}

std::string Sibling(const std::string& name) {
    return (fs::read_symlink("/proc/self/exe").parent_path() / name).string();
}

} // namespace

int main(int argc, char** argv) {
    std::string only;
    bool keep = false;
    while (argc > 1 && std::strncmp(argv[1], "--", 2) == 0) {
        if (std::strcmp(argv[1], "--only") == 0 && argc > 2) {
            only = argv[2];
            argc -= 2;
            argv += 2;
        } else if (std::strcmp(argv[1], "--keep") == 0) {
            keep = true;
            --argc;
            ++argv;
        } else {
            break;
        }
    }
    auto runs = [&only](const char* work) { return only.empty() || only == work; };
    int files = 1000;
    size_t plainMegabytes = 50;
    if (argc > 1 && std::strcmp(argv[1], "full") == 0) {
        files = 5000;
        plainMegabytes = 500;
        g_rounds = 10;
    } else {
        if (argc > 1)
            files = std::atoi(argv[1]);
        if (argc > 2)
            plainMegabytes = static_cast<size_t>(std::atol(argv[2]));
        if (argc > 3)
            g_rounds = std::atoi(argv[3]);
    }
    if (files < 100 || plainMegabytes < 1 || g_rounds < 1 ||
        !(only.empty() || only == "fresh" || only == "second" || only == "one" ||
          only == "plain")) {
        std::fprintf(stderr, "usage: bench_install [--keep] [--only fresh|second|one|plain] "
                             "[files (>= 100)] [plain-megabytes] [rounds]\n"
                             "       bench_install [--keep] [--only ...] full\n");
        return 64;
    }
    g_setup = Sibling("../veltrix-setup");
    g_baseline = Sibling("szdd_baseline");
    if (std::system("command -v mscompress >/dev/null") != 0) {
        std::fprintf(stderr, "mscompress is needed (package mscompress)\n");
        return 1;
    }
    std::string base = (fs::temp_directory_path() / "veltrix-bench-XXXXXX").string();
    if (!mkdtemp(base.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    g_base = base;
    // Gigabytes of media and copies are not left behind, also when a step fails.
    if (keep)
        std::printf("The scratch directory stays: %s\n", g_base.c_str());
    else
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(g_base, ignored);
        });

    std::printf("Making the media (%d files) and a prefix...\n", files);
    std::fflush(stdout);
    std::string text = RealisticData(8u << 20, 7);
    CompressedPool pool = MakePool(16);
    int small = files / 5;
    Medium tiny = MakeMedium("tiny", 1, 100, pool, text);
    g_template = g_base + "/template";
    if (!RunSetup(tiny, g_template))
        return 1;
    fs::remove_all(InstalledTree(g_template));

    std::printf("%-44s %6s %9s %9s %8s %8s %-6s %8s %8s %8s\n", "work (median wall time, seconds)",
                "files", "baseline", "setup", "ratio", "target", "", "cpu base", "cpu setup",
                "cpu ratio");
    if (runs("fresh") || runs("second")) {
        Medium medium = MakeMedium("small", small, 100, pool, text);
        Pair freshSmall;
        if (runs("fresh")) {
            freshSmall = FreshInstall(medium);
            Print("fresh install, 100 per folder", small, freshSmall, 1.3);
        }
        medium = MakeMedium("large", files, 100, pool, text);
        Pair freshLarge = FreshInstall(medium);
        if (runs("fresh")) {
            Print("fresh install, 100 per folder", files, freshLarge, 1.3);
            PrintGrowth("  growth per file", small, freshSmall, files, freshLarge);
        }
        if (runs("second")) {
            Pair second = SecondPass(medium);
            Print("second install keeping every file vs cp -n", files, second, 1.5);
        }
        if (!keep)
            fs::remove_all(medium.dir);
    }

    if (runs("one")) {
        Medium medium = MakeMedium("small-one", small, files, pool, text);
        Pair oneSmall = FreshInstall(medium);
        Print("fresh install, one folder", small, oneSmall, 1.5);
        fs::remove_all(medium.dir);
        medium = MakeMedium("large-one", files, files, pool, text);
        Pair oneLarge = FreshInstall(medium);
        Print("fresh install, one folder", files, oneLarge, 1.5);
        PrintGrowth("  growth per file", small, oneSmall, files, oneLarge);
        if (!keep)
            fs::remove_all(medium.dir);
    }

    if (runs("plain")) {
        char work[64];
        std::snprintf(work, sizeof work, "one plain file of %zu MB vs cp", plainMegabytes);
        Print(work, 1, PlainFile(plainMegabytes, text), 1.2);
    }

    return 0;
}
