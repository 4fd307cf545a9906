#include "RegistryTree.h"

#include <chrono>

namespace host::detail {

namespace {

// Upper case of the letters a registry name is likely to hold: Latin, Greek, Cyrillic and the
// full-width Latin letters of the Japanese code page.
char16_t UpperOf(char16_t c) {
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return static_cast<char16_t>(c & ~1u);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? c : static_cast<char16_t>(c - 1);
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F)
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 0x50);
    if (c >= 0xFF41 && c <= 0xFF5A)
        return static_cast<char16_t>(c - 0x20);
    return c;
}

} // namespace

RegName FoldRegName(const RegName& name) {
    RegName folded(name);
    for (auto& c : folded)
        c = UpperOf(c);
    return folded;
}

RegKey* RegKey::FindSubkey(const RegName& subName) const {
    auto it = subkeys.find(FoldRegName(subName));
    return it == subkeys.end() ? nullptr : it->second.get();
}

RegValue* RegKey::FindValue(const RegName& valueName) {
    RegName folded = FoldRegName(valueName);
    for (auto& value : values) {
        if (value.name.size() == valueName.size() && FoldRegName(value.name) == folded)
            return &value;
    }
    return nullptr;
}

RegKey* RegKey::AddSubkey(const RegName& subName, uint64_t now, bool& created) {
    RegName folded = FoldRegName(subName);
    auto it = subkeys.find(folded);
    if (it != subkeys.end()) {
        created = false;
        return it->second.get();
    }
    auto key = std::make_shared<RegKey>();
    key->name = subName;
    key->parent = this;
    key->hive = hive;
    key->modified = now;
    key->isVolatile = isVolatile;
    RegKey* raw = key.get();
    subkeys.emplace(std::move(folded), std::move(key));
    if (now)
        Touch(now);
    created = true;
    return raw;
}

RegKey::~RegKey() {
    std::vector<std::shared_ptr<RegKey>> pending;
    for (auto& entry : subkeys)
        pending.push_back(std::move(entry.second));
    subkeys.clear();
    while (!pending.empty()) {
        std::shared_ptr<RegKey> key = std::move(pending.back());
        pending.pop_back();
        // A key that an open handle still holds keeps its subtree.
        if (key.use_count() != 1)
            continue;
        for (auto& entry : key->subkeys)
            pending.push_back(std::move(entry.second));
        key->subkeys.clear();
    }
}

void RegKey::SetValue(const RegName& valueName, DWORD type, std::vector<BYTE> data) {
    fileText.clear();
    if (RegValue* existing = FindValue(valueName)) {
        existing->type = type;
        existing->data = std::move(data);
        return;
    }
    values.push_back(RegValue{valueName, type, std::move(data)});
}

bool RegKey::DeleteValue(const RegName& valueName) {
    RegName folded = FoldRegName(valueName);
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (FoldRegName(it->name) == folded) {
            values.erase(it);
            fileText.clear();
            return true;
        }
    }
    return false;
}

void RegKey::MarkDeleted() {
    std::vector<RegKey*> pending{this};
    while (!pending.empty()) {
        RegKey* key = pending.back();
        pending.pop_back();
        key->deleted = true;
        for (auto& entry : key->subkeys)
            pending.push_back(entry.second.get());
    }
}

uint64_t RegNow() {
    using namespace std::chrono;
    // FILETIME counts from 1601; the host clock from 1970.
    constexpr uint64_t kTicks1601To1970 = 116444736000000000ULL;
    auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    if (since1970 < 0)
        return kTicks1601To1970;
    return kTicks1601To1970 + static_cast<uint64_t>(since1970) / 100;
}

} // namespace host::detail
