// Helpers of the resource tests: a running machine in a temporary prefix, code page
// conversions done independently of the machine (by the C library's iconv), and the string
// table as setup.rc spells it.
#pragma once

#include "TempDir.h"

#include <windows.h>

#include <map>
#include <string>

// Starts a machine with the given language in a fresh prefix, with the medium (the program's
// directory, D:\) in media(); stops it when it goes away.
class TestMachine {
  public:
    explicit TestMachine(const std::string& language);
    ~TestMachine();
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    bool Started() const { return m_started; }
    const std::string& Error() const { return m_error; }
    std::string media() const { return m_dir / "media"; }
    // The host directory of the machine's System directory.
    std::string SystemDirHost() const;

  private:
    TempDir m_dir;
    bool m_started = false;
    std::string m_error;
};

// Converts UTF-8 text with iconv to a character set ("CP932", "UTF-16LE", ...). Characters
// the set lacks make the result empty.
std::string Convert(const std::string& utf8, const char* charset);
std::u16string ToUtf16(const std::string& utf8);

// The strings of setup.rc by id, in UTF-8, with the escapes the resource compiler knows
// resolved. Read from the source, so that the tests follow the file.
std::map<UINT, std::string> ProgramStringTable();

// The test language library and its damaged copy as the build makes them; empty when the
// build has no cross tools to make them.
std::string LanguageLibraryPath();
std::string DamagedLanguageLibraryPath();

// Copies a host file, creating the target's directories.
bool CopyHostFile(const std::string& from, const std::string& to);
