// A fresh emulated machine for the LZ tests, and files compressed by mscompress, the
// independent compressor of the format.
#pragma once

#include "PrefixMachine.h"

#include <cstdint>
#include <random>
#include <string>

class LzMachineTest : public PrefixMachineTest {
  protected:
    std::string Read(const std::string& relative) const { return ReadHostFile(HostC(relative)); }

    // Compresses C:\<relative> with mscompress, which writes <relative>_ beside it, and returns
    // the compressed bytes.
    std::string Compress(const std::string& relative) {
        EXPECT_TRUE(Mscompress(HostC(relative)));
        return Read(relative + "_");
    }

    // Writes the original to C:\<relative>, compresses it and stores the compressed bytes as
    // C:\<compressedName> in the same directory; returns the compressed bytes.
    std::string MakeCompressed(const std::string& relative, const std::string& original,
                               const std::string& compressedRelative) {
        PutFile(relative, original);
        std::string compressed = Compress(relative);
        PutFile(compressedRelative, compressed);
        return compressed;
    }

    // Text-like data that compresses well, with some binary structure mixed in.
    static std::string CompressibleData(size_t size, unsigned seed = 1) {
        static const char* const words[] = {"setup", "install", "file",  "directory", "version",
                                            "the",   "of",      "copy",  "windows",   "system",
                                            "DLL",   "driver",  "error", "disk",      "\r\n"};
        std::mt19937 random(seed);
        std::string data;
        data.reserve(size + 16);
        while (data.size() < size) {
            if (random() % 16 == 0) {
                uint32_t value = static_cast<uint32_t>(random() % 4096);
                data.append(reinterpret_cast<const char*>(&value), sizeof value);
            } else {
                data += words[random() % (sizeof words / sizeof words[0])];
                data += ' ';
            }
        }
        data.resize(size);
        return data;
    }
    static std::string RandomData(size_t size, unsigned seed = 2) {
        std::mt19937 random(seed);
        std::string data(size, '\0');
        for (char& c : data)
            c = static_cast<char>(random());
        return data;
    }
};

// Limits the size of files this process may write, as a full disk does; writes past the
// limit fail with EFBIG instead of ending the process.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    uint64_t m_previousSoft = 0;
    void (*m_previousHandler)(int) = nullptr;
};
