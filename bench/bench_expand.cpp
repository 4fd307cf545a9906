// Measures the LZ layer against what it stands on: expansion through LZOpenFileA/LZCopy
// against libmspack's own SZDD extraction and against msexpand, and plain copies through
// LZCopy against cp. One run; each figure is the best of three rounds, except msexpand's,
// which reads and writes byte by byte and is timed once on one file.
//
//   bench_expand [megabytes per file] [files] [distinct]     (default 10 x 10 MB, 2 distinct)
//
// mscompress is slow too (a few seconds per megabyte), so it compresses only `distinct`
// different files and the others are copies of its output.
#include <host/Machine.h>
#include <mspack.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 3;

// Text-like data with some binary structure, as installed files compress: about 2:1 to 3:1.
std::string RealisticData(size_t size, unsigned seed) {
    static const char* const words[] = {
        "setup",   "install", "file",   "directory", "version", "the",    "of",      "copy",
        "windows", "system",  "DLL",    "driver",    "error",   "disk",   "program", "registry",
        "\r\n",    "\t",      "return", "value",     "key",     "string", "section", "data"};
    std::mt19937 random(seed);
    std::string data;
    data.reserve(size + 64);
    while (data.size() < size) {
        unsigned pick = random() % 10;
        if (pick == 0) {
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

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string Quote(const std::string& path) {
    return "'" + path + "'";
}

// Runs the step kRounds times, with the outputs removed and the disk synced before each
// round, and returns the best time in seconds.
double Best(const std::function<bool()>& step, const std::function<void()>& clean) {
    double best = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        clean();
        sync();
        auto start = std::chrono::steady_clock::now();
        if (!step()) {
            std::fprintf(stderr, "a step failed\n");
            std::exit(1);
        }
        auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(end - start).count());
    }
    return best;
}

void RecreateDirectory(const std::string& path) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
    fs::create_directories(path, ignored);
}

bool CopyThroughLz(const std::string& source, const std::string& destination) {
    OFSTRUCT info;
    INT in = LZOpenFileA(const_cast<LPSTR>(source.c_str()), &info, OF_READ);
    if (in < 0)
        return false;
    INT out = LZOpenFileA(const_cast<LPSTR>(destination.c_str()), &info, OF_CREATE | OF_WRITE);
    if (out < 0) {
        LZClose(in);
        return false;
    }
    LONG copied = LZCopy(in, out);
    LZClose(out);
    LZClose(in);
    return copied >= 0;
}

} // namespace

int main(int argc, char** argv) {
    size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10;
    int files = argc > 2 ? std::atoi(argv[2]) : 10;
    int distinct = argc > 3 ? std::atoi(argv[3]) : 2;
    if (megabytes == 0 || files <= 0 || distinct <= 0) {
        std::fprintf(stderr, "usage: bench_expand [megabytes per file] [files] [distinct]\n");
        return 64;
    }
    if (std::system("command -v mscompress >/dev/null && command -v msexpand >/dev/null") != 0) {
        std::fprintf(stderr, "mscompress and msexpand are needed (package mscompress)\n");
        return 1;
    }

    std::string base = (fs::temp_directory_path() / "veltrix-bench-XXXXXX").string();
    if (!mkdtemp(base.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    fs::create_directories(base + "/media");
    WriteFile(base + "/media/SETUP.EXE", "MZ");
    host::MachineOptions options;
    options.prefix = base + "/prefix";
    options.mediaDir = base + "/media";
    options.language = "ENU";
    std::string error;
    if (!host::StartMachine(options, error)) {
        std::fprintf(stderr, "cannot start the machine: %s\n", error.c_str());
        return 1;
    }
    const std::string drive = base + "/prefix/drive_c";
    const std::string input = drive + "/IN";
    fs::create_directories(input);

    if (distinct > files)
        distinct = files;
    std::printf("Making %d files of %zu MB (%d compressed by mscompress, the others copies)...\n",
                files, megabytes, distinct);
    std::vector<std::string> originals;
    uint64_t plainBytes = 0;
    uint64_t compressedBytes = 0;
    std::string compressCommand = "mscompress";
    for (int i = 0; i < files; ++i) {
        std::string name = "F" + std::to_string(i) + ".DAT";
        originals.push_back(
            RealisticData(megabytes << 20, static_cast<unsigned>(i % distinct + 1)));
        WriteFile(input + "/" + name, originals.back());
        plainBytes += originals.back().size();
        if (i < distinct)
            compressCommand += " " + Quote(input + "/" + name);
    }
    auto compressStart = std::chrono::steady_clock::now();
    if (std::system((compressCommand + " >/dev/null").c_str()) != 0) {
        std::fprintf(stderr, "mscompress failed\n");
        return 1;
    }
    double compressSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - compressStart).count();
    for (int i = distinct; i < files; ++i)
        fs::copy_file(input + "/F" + std::to_string(i % distinct) + ".DAT_",
                      input + "/F" + std::to_string(i) + ".DAT_");
    for (int i = 0; i < files; ++i)
        compressedBytes += fs::file_size(input + "/F" + std::to_string(i) + ".DAT_");

    auto outputs = [&](const std::string& directory) {
        return [directory] { RecreateDirectory(directory); };
    };

    // Expansion.
    const std::string ours = drive + "/OURS";
    double oursSeconds = Best(
        [&] {
            for (int i = 0; i < files; ++i)
                if (!CopyThroughLz("C:\\IN\\F" + std::to_string(i) + ".DAT_",
                                   "C:\\OURS\\F" + std::to_string(i) + ".DAT"))
                    return false;
            return true;
        },
        outputs(ours));
    for (int i = 0; i < files; ++i)
        if (ReadFile(ours + "/F" + std::to_string(i) + ".DAT") != originals[i]) {
            std::fprintf(stderr, "our expansion of file %d differs from the original\n", i);
            return 1;
        }

    const std::string direct = drive + "/MSPACK";
    double mspackSeconds = Best(
        [&] {
            msszdd_decompressor* decompressor = mspack_create_szdd_decompressor(nullptr);
            if (!decompressor)
                return false;
            bool ok = true;
            for (int i = 0; i < files && ok; ++i) {
                std::string in = input + "/F" + std::to_string(i) + ".DAT_";
                std::string out = direct + "/F" + std::to_string(i) + ".DAT";
                ok = decompressor->decompress(decompressor, in.c_str(), out.c_str()) ==
                     MSPACK_ERR_OK;
            }
            mspack_destroy_szdd_decompressor(decompressor);
            return ok;
        },
        outputs(direct));

    const std::string tool = drive + "/MSEXPAND";
    RecreateDirectory(tool);
    sync();
    std::string expandCommand =
        "msexpand < " + Quote(input + "/F0.DAT_") + " > " + Quote(tool + "/F0.DAT");
    auto toolStart = std::chrono::steady_clock::now();
    if (std::system(expandCommand.c_str()) != 0) {
        std::fprintf(stderr, "msexpand failed\n");
        return 1;
    }
    double msexpandOneFile =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - toolStart).count();
    double msexpandSeconds = msexpandOneFile * files;

    // Plain copies of the uncompressed files.
    const std::string copies = drive + "/COPY";
    double copySeconds = Best(
        [&] {
            for (int i = 0; i < files; ++i)
                if (!CopyThroughLz("C:\\IN\\F" + std::to_string(i) + ".DAT",
                                   "C:\\COPY\\F" + std::to_string(i) + ".DAT"))
                    return false;
            return true;
        },
        outputs(copies));
    for (int i = 0; i < files; ++i)
        if (ReadFile(copies + "/F" + std::to_string(i) + ".DAT") != originals[i]) {
            std::fprintf(stderr, "our copy of file %d differs from the original\n", i);
            return 1;
        }
    const std::string cpDir = drive + "/CP";
    std::string cpCommand = "cp";
    for (int i = 0; i < files; ++i)
        cpCommand += " " + Quote(input + "/F" + std::to_string(i) + ".DAT");
    cpCommand += " " + Quote(cpDir) + "/";
    double cpSeconds = Best([&] { return std::system(cpCommand.c_str()) == 0; }, outputs(cpDir));

    host::StopMachine();
    std::error_code ignored;
    fs::remove_all(base, ignored);

    const double mb = static_cast<double>(plainBytes) / (1 << 20);
    std::printf("data: %d files, %.0f MB plain, %.1f MB compressed (ratio %.2f); mscompress took "
                "%.2f s\n",
                files, mb, static_cast<double>(compressedBytes) / (1 << 20),
                static_cast<double>(plainBytes) / static_cast<double>(compressedBytes),
                compressSeconds);
    std::printf("expand  LZOpenFileA/LZCopy   %7.3f s  %7.1f MB/s\n", oursSeconds,
                mb / oursSeconds);
    std::printf("expand  libmspack directly   %7.3f s  %7.1f MB/s\n", mspackSeconds,
                mb / mspackSeconds);
    std::printf("expand  msexpand             %7.3f s  %7.1f MB/s  (one file, %.3f s, times %d)\n",
                msexpandSeconds, mb / msexpandSeconds, msexpandOneFile, files);
    std::printf("copy    LZOpenFileA/LZCopy   %7.3f s  %7.1f MB/s\n", copySeconds,
                mb / copySeconds);
    std::printf("copy    cp                   %7.3f s  %7.1f MB/s\n", cpSeconds, mb / cpSeconds);
    std::printf("ratio   ours / libmspack     %7.3f  (goal: at most 1.10)\n",
                oursSeconds / mspackSeconds);
    std::printf("ratio   ours / msexpand      %7.3f\n", oursSeconds / msexpandSeconds);
    std::printf("ratio   ours / cp            %7.3f  (goal: at most 1.20)\n",
                copySeconds / cpSeconds);
    return 0;
}
