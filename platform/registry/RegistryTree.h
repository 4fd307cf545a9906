// The registry's keys and values in memory. Names and string data are UTF-16, as the registry
// files and the real system hold them; the A functions convert at the interface.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace host::detail {

using RegName = std::u16string;

class RegHive;

// Names compare without regard to case, as on the real system: keys in maps are the upper-case
// form, while each key and value keeps the spelling it was created with.
RegName FoldRegName(const RegName& name);

struct RegValue {
    RegName name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct RegKey : std::enable_shared_from_this<RegKey> {
    RegName name;
    RegKey* parent = nullptr; // nullptr for a hive's root
    RegHive* hive = nullptr;  // nullptr for a key that belongs to no file (HKEY_USERS)
    std::map<RegName, std::shared_ptr<RegKey>> subkeys; // by folded name
    std::vector<RegValue> values;                       // in the order they were first set
    uint64_t modified = 0;                              // FILETIME ticks
    RegName className;
    bool hasClass = false;
    bool isLink = false;     // a symbolic link: its SymbolicLinkValue names the target
    bool isVolatile = false; // lives until the machine stops, never written to a file
    bool deleted = false;    // handles still open on it see ERROR_KEY_DELETED
    // The key's own lines as its file held them, written back as they were while the key is
    // unchanged, so that what a run did not touch keeps every byte; empty once it changed.
    std::string fileText;

    RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    // Frees the keys below without recursing, however deep the tree.
    ~RegKey();

    // Sets the time stamp of a change.
    void Touch(uint64_t now) {
        modified = now;
        fileText.clear();
    }
    RegKey* FindSubkey(const RegName& name) const;
    RegValue* FindValue(const RegName& name);
    // Adds a subkey of that name, or returns the existing one. now 0: the key is being read
    // from its file, and no time stamp changes.
    RegKey* AddSubkey(const RegName& name, uint64_t now, bool& created);
    void SetValue(const RegName& name, DWORD type, std::vector<BYTE> data);
    bool DeleteValue(const RegName& name);
    // Marks the key and everything below it deleted.
    void MarkDeleted();
};

// The current time in FILETIME ticks (100 ns since 1601).
uint64_t RegNow();

// The longest key name component and value name the registry accepts.
constexpr size_t kMaxRegKeyNameLength = 255;
constexpr size_t kMaxRegValueNameLength = 16383;
// The deepest a key may lie below its root, as Windows limits it.
constexpr size_t kMaxRegKeyDepth = 512;

} // namespace host::detail
