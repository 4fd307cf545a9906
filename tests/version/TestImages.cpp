#include "TestImages.h"

#include "TempDir.h"
#include "TestSystem.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<int> g_buildCount{0};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

bool Run(const std::string& command, std::string& error) {
    std::string output;
    if (RunHostCommand(command, output))
        return true;
    error = command + " failed: " + output;
    return false;
}

std::string Word(uint16_t value) {
    std::string bytes(2, '\0');
    PutWord(bytes, 0, value);
    return bytes;
}

std::string Dword(uint32_t value) {
    std::string bytes(4, '\0');
    PutDword(bytes, 0, value);
    return bytes;
}

void PadTo4(std::string& bytes) {
    while (bytes.size() % 4)
        bytes.push_back('\0');
}

// A record of the 16-bit layout: length, value length, key, value, children.
std::string Record16(const std::string& key, const std::string& value,
                     const std::vector<std::string>& children = {}) {
    std::string record(4, '\0');
    record += key;
    record.push_back('\0');
    PadTo4(record);
    record += value;
    for (const std::string& child : children) {
        PadTo4(record);
        record += child;
    }
    PutWord(record, 0, static_cast<uint16_t>(record.size()));
    PutWord(record, 2, static_cast<uint16_t>(value.size()));
    return record;
}

std::string Utf16(const std::string& ascii) {
    std::string wide;
    for (char c : ascii) {
        wide.push_back(c);
        wide.push_back('\0');
    }
    return wide;
}

// A record of the 32-bit layout; text values count their length in characters.
std::string Record32(const std::string& key, const std::string& value, bool text,
                     const std::vector<std::string>& children = {}) {
    std::string record(6, '\0');
    record += Utf16(key);
    record += std::string(2, '\0');
    PadTo4(record);
    record += value;
    for (const std::string& child : children) {
        PadTo4(record);
        record += child;
    }
    PutWord(record, 0, static_cast<uint16_t>(record.size()));
    PutWord(record, 2, static_cast<uint16_t>(text ? value.size() / 2 : value.size()));
    PutWord(record, 4, text ? 1 : 0);
    return record;
}

std::string FixedInfo(unsigned a, unsigned b, unsigned c, unsigned d) {
    std::string fixed;
    fixed += Dword(0xFEEF04BD);
    fixed += Dword(0x00010000);
    fixed += Dword((a << 16) | b);
    fixed += Dword((c << 16) | d);
    fixed += Dword((a << 16) | b);
    fixed += Dword((c << 16) | d);
    fixed += Dword(0x3F);
    fixed += Dword(0);
    fixed += Dword(0x00010001); // VOS_DOS_WINDOWS16
    fixed += Dword(2);          // VFT_DLL
    fixed += Dword(0);
    fixed += Dword(0);
    fixed += Dword(0);
    return fixed;
}

std::string PascalString(const std::string& text) {
    return std::string(1, static_cast<char>(text.size())) + text;
}

} // namespace

uint16_t ReadWord(const std::string& bytes, size_t offset) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                 (static_cast<unsigned char>(bytes[offset + 1]) << 8));
}

uint32_t ReadDword(const std::string& bytes, size_t offset) {
    return ReadWord(bytes, offset) | (static_cast<uint32_t>(ReadWord(bytes, offset + 2)) << 16);
}

void PutWord(std::string& bytes, size_t offset, uint16_t value) {
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

void PutDword(std::string& bytes, size_t offset, uint32_t value) {
    PutWord(bytes, offset, static_cast<uint16_t>(value & 0xFFFF));
    PutWord(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

bool HaveDllTools(bool pe32plus) {
    std::string prefix = pe32plus ? "x86_64-w64-mingw32-" : "i686-w64-mingw32-";
    std::string command = "command -v " + prefix + "windres && command -v " + prefix + "ld";
    std::string output;
    return RunHostCommand(command, output);
}

std::string BuildResourceDll(const std::string& workDir, const std::string& rcText, bool pe32plus,
                             std::string& error) {
    std::string prefix = pe32plus ? "x86_64-w64-mingw32-" : "i686-w64-mingw32-";
    std::string base = workDir + "/image" + std::to_string(++g_buildCount);
    if (!WriteHostFile(base + ".rc", rcText)) {
        error = "cannot write " + base + ".rc";
        return std::string();
    }
    std::string tool = HostToolPath(base);
    if (!Run(prefix + "windres --preprocessor=cpp --preprocessor-arg=-P -I " +
                 Quote(HostToolPath(workDir)) + " -i " + Quote(tool + ".rc") + " -o " +
                 Quote(tool + ".o"),
             error))
        return std::string();
    if (!Run(prefix + "ld -shared -e 0 -o " + Quote(tool + ".dll") + " " + Quote(tool + ".o"),
             error))
        return std::string();
    std::string image = ReadHostFile(base + ".dll");
    if (image.empty())
        error = "the linker wrote nothing";
    return image;
}

std::string VersionResourceScript(unsigned a, unsigned b, unsigned c, unsigned d) {
    char version[64];
    std::snprintf(version, sizeof version, "%u.%u.%u.%u", a, b, c, d);
    std::string script = "1 VERSIONINFO\n";
    script += "FILEVERSION " + std::to_string(a) + "," + std::to_string(b) + "," +
              std::to_string(c) + "," + std::to_string(d) + "\n";
    script += "PRODUCTVERSION 1,0,0,0\nFILEFLAGSMASK 0x3f\nFILEOS 0x40004\nFILETYPE 2\n";
    script += "BEGIN\n BLOCK \"StringFileInfo\"\n BEGIN\n  BLOCK \"040904B0\"\n  BEGIN\n";
    script += "   VALUE \"CompanyName\", \"Example Tools\"\n";
    script += std::string("   VALUE \"FileVersion\", \"") + version + "\"\n";
    script += "  END\n END\n BLOCK \"VarFileInfo\"\n BEGIN\n";
    script += "  VALUE \"Translation\", 0x409, 1200\n END\nEND\n";
    return script;
}

std::string BuildNeImage(const std::vector<NeResource>& resources, unsigned alignShift) {
    const size_t neOffset = 0x40;
    const size_t tableOffset = neOffset + 0x40;

    // The resource table: alignment, one type record per resource, names after the end mark.
    std::string table = Word(static_cast<uint16_t>(alignShift));
    std::string names;
    size_t recordsSize = 2;
    for (size_t i = 0; i < resources.size(); ++i)
        recordsSize += 8 + 12;
    recordsSize += 2;
    auto nameField = [&](uint16_t number, const std::string& name) -> uint16_t {
        if (name.empty())
            return static_cast<uint16_t>(0x8000 | number);
        uint16_t offset = static_cast<uint16_t>(recordsSize + names.size());
        names += PascalString(name);
        return offset;
    };
    std::vector<size_t> dataFields;
    for (const NeResource& resource : resources) {
        table += Word(nameField(resource.type, resource.typeName));
        table += Word(1);
        table += Dword(0);
        dataFields.push_back(table.size());
        table += Word(0); // offset, filled below
        table += Word(0); // length
        table += Word(0x0030);
        table += Word(nameField(resource.name, resource.nameName));
        table += Dword(0);
    }
    table += Word(0);
    table += names;
    table += std::string(1, '\0');

    std::string residentNames = PascalString("TESTNE") + Word(0) + std::string(1, '\0');
    std::string image(tableOffset, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    PutDword(image, 0x3C, static_cast<uint32_t>(neOffset));
    image[neOffset] = 'N';
    image[neOffset + 1] = 'E';
    image[neOffset + 2] = 5; // linker version
    size_t residentOffset = 0x40 + table.size();
    size_t afterNames = residentOffset + residentNames.size();
    PutWord(image, neOffset + 0x04, static_cast<uint16_t>(afterNames)); // entry table
    PutWord(image, neOffset + 0x24, 0x40);                              // resource table
    PutWord(image, neOffset + 0x26, static_cast<uint16_t>(residentOffset));
    PutWord(image, neOffset + 0x28, static_cast<uint16_t>(afterNames)); // module references
    PutWord(image, neOffset + 0x2A, static_cast<uint16_t>(afterNames)); // imported names
    PutWord(image, neOffset + 0x32, static_cast<uint16_t>(alignShift));
    image[neOffset + 0x36] = 2; // Windows
    image += table + residentNames;

    size_t unit = size_t{1} << alignShift;
    for (size_t i = 0; i < resources.size(); ++i) {
        image.resize((image.size() + unit - 1) / unit * unit);
        size_t units = (resources[i].data.size() + unit - 1) / unit;
        PutWord(image, tableOffset + dataFields[i], static_cast<uint16_t>(image.size() / unit));
        PutWord(image, tableOffset + dataFields[i] + 2, static_cast<uint16_t>(units));
        image += resources[i].data;
    }
    image.resize((image.size() + unit - 1) / unit * unit);
    return image;
}

std::string Ne16VersionResource(unsigned a, unsigned b, unsigned c, unsigned d,
                                bool withFixedInfo) {
    char version[64];
    std::snprintf(version, sizeof version, "%u.%u.%u.%u", a, b, c, d);
    std::string strings = Record16("040904E4", "",
                                   {Record16("CompanyName", std::string("Example Tools") + '\0'),
                                    Record16("FileVersion", std::string(version) + '\0')});
    std::string stringInfo = Record16("StringFileInfo", "", {strings});
    std::string translation = Record16("Translation", std::string("\x09\x04\xE4\x04", 4));
    std::string varInfo = Record16("VarFileInfo", "", {translation});
    return Record16("VS_VERSION_INFO", withFixedInfo ? FixedInfo(a, b, c, d) : "",
                    {stringInfo, varInfo});
}

std::string Pe32VersionResourceWithoutFixedInfo() {
    std::string company = Utf16("Example Tools") + std::string(2, '\0');
    std::string strings = Record32("040904B0", "", false, {Record32("CompanyName", company, true)});
    return Record32("VS_VERSION_INFO", "", false,
                    {Record32("StringFileInfo", "", false, {strings})});
}

bool FindResourceSection(const std::string& image, PeSectionInfo& section) {
    if (image.size() < 0x40)
        return false;
    uint32_t pe = ReadDword(image, 0x3C);
    if (pe + 24 > image.size())
        return false;
    uint16_t count = ReadWord(image, pe + 6);
    uint16_t optionalSize = ReadWord(image, pe + 20);
    size_t table = pe + 24 + optionalSize;
    for (uint16_t i = 0; i < count; ++i) {
        size_t at = table + 40u * i;
        if (at + 40 > image.size())
            return false;
        if (image.compare(at, 5, ".rsrc") == 0) {
            section.virtualAddress = ReadDword(image, at + 12);
            section.rawSize = ReadDword(image, at + 16);
            section.fileOffset = ReadDword(image, at + 20);
            return true;
        }
    }
    return false;
}
