#include "ResourceTestSupport.h"

#include <host/Machine.h>

#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TestMachine::TestMachine(const std::string& language) {
    std::error_code ignored;
    fs::create_directories(media(), ignored);
    host::MachineOptions options;
    options.prefix = m_dir / "prefix";
    options.mediaDir = media();
    options.language = language;
    // An English machine is a Western one; a Japanese one keeps the default code page, 932.
    if (language != "JPN")
        options.codePage = 1252;
    m_started = host::StartMachine(options, m_error);
}

TestMachine::~TestMachine() {
    if (m_started)
        host::StopMachine();
}

std::string TestMachine::SystemDirHost() const {
    char buffer[MAX_PATH];
    UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return std::string();
    return host::HostPathOf(std::string(buffer, length));
}

std::string Convert(const std::string& utf8, const char* charset) {
    iconv_t cd = iconv_open(charset, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string();
    std::string in = utf8;
    std::string out(in.size() * 4 + 16, '\0');
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1))
        return std::string();
    out.resize(out.size() - outLeft);
    return out;
}

std::u16string ToUtf16(const std::string& utf8) {
    std::string bytes = Convert(utf8, "UTF-16LE");
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
}

namespace {

std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(VELTRIX_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Unescape(const std::string& quoted) {
    std::string out;
    for (size_t i = 0; i < quoted.size(); ++i) {
        char c = quoted[i];
        if (c == '"' && i + 1 < quoted.size() && quoted[i + 1] == '"') {
            out += '"';
            ++i;
        } else if (c == '\\' && i + 1 < quoted.size()) {
            char next = quoted[++i];
            out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::map<UINT, std::string> ProgramStringTable() {
    // "#define NAME 123" lines of resource.h.
    std::map<std::string, UINT> ids;
    std::istringstream header(ReadSource("resources/resource.h"));
    for (std::string line; std::getline(header, line);) {
        std::istringstream words(line);
        std::string directive, name, value;
        words >> directive >> name >> value;
        if (directive == "#define" && !value.empty() &&
            value.find_first_not_of("0123456789") == std::string::npos)
            ids[name] = static_cast<UINT>(std::stoul(value));
    }

    // "    NAME "text"" lines between the string table's BEGIN and END.
    std::map<UINT, std::string> table;
    std::string rc = ReadSource("resources/setup.rc");
    size_t start = rc.find("STRINGTABLE");
    size_t begin = rc.find("BEGIN", start);
    size_t end = rc.find("\nEND", begin);
    if (start == std::string::npos || begin == std::string::npos || end == std::string::npos)
        return table;
    std::istringstream lines(rc.substr(begin + 5, end - begin - 5));
    for (std::string line; std::getline(lines, line);) {
        size_t nameStart = line.find_first_not_of(" \t");
        size_t quote = line.find('"');
        size_t last = line.rfind('"');
        if (nameStart == std::string::npos || quote == std::string::npos || last <= quote)
            continue;
        std::string name = line.substr(nameStart, line.find_first_of(" \t", nameStart) - nameStart);
        if (!ids.count(name) && name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        UINT id = ids.count(name) ? ids[name] : static_cast<UINT>(std::stoul(name));
        table[id] = Unescape(line.substr(quote + 1, last - quote - 1));
    }
    return table;
}

std::string LanguageLibraryPath() {
    std::string path = std::string(VELTRIX_BINARY_DIR) + "/tests/lang/SETUPENU.DLL";
    return fs::exists(path) ? path : std::string();
}

std::string DamagedLanguageLibraryPath() {
    std::string path = std::string(VELTRIX_BINARY_DIR) + "/tests/lang/SETUPENU-DAMAGED.DLL";
    return fs::exists(path) ? path : std::string();
}

bool CopyHostFile(const std::string& from, const std::string& to) {
    std::error_code error;
    fs::create_directories(fs::path(to).parent_path(), error);
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
}
