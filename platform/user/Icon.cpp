// LoadIconA and the icon handles it hands out. An icon is decoded once, when it is loaded, so
// that it stays usable after its library is freed; the same icon loaded again gives the same
// handle, as shared icons do on Windows.
#include "IconStore.h"
#include "kernel/ModuleTable.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace host::detail {

namespace {

struct Icon {
    std::vector<StoredIconImage> images;
};

struct IconTable {
    std::mutex lock;
    std::vector<std::unique_ptr<Icon>> icons;
    std::map<std::pair<HMODULE, std::u16string>, HICON> loaded;
};

IconTable& Icons() {
    static IconTable table;
    return table;
}

HICON HandleOf(const Icon* icon) {
    return reinterpret_cast<HICON>(const_cast<Icon*>(icon));
}

const Icon* IconOf(IconTable& table, HICON handle) {
    for (const auto& icon : table.icons)
        if (HandleOf(icon.get()) == handle)
            return icon.get();
    return nullptr;
}

// A key that tells numbers from names: numbers as "#n".
std::u16string KeyOf(const ResourceId& id) {
    if (!id.isNumber)
        return id.name;
    std::string number = "#" + std::to_string(id.number);
    return std::u16string(number.begin(), number.end());
}

// The images a group icon lists, each looked up as an RT_ICON of the module. Images that are
// missing or cannot be read are left out.
void ReadGroup(const Module& module, const ByteSpan& group, Icon& icon) {
    const uint8_t* p = group.data;
    if (!p || group.size < 6)
        return;
    uint16_t reserved = static_cast<uint16_t>(p[0] | (p[1] << 8));
    uint16_t type = static_cast<uint16_t>(p[2] | (p[3] << 8));
    size_t count = static_cast<size_t>(p[4] | (p[5] << 8));
    if (reserved != 0 || type != 1)
        return;
    constexpr size_t kEntrySize = 14;
    if (count > (group.size - 6) / kEntrySize)
        count = (group.size - 6) / kEntrySize;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = p + 6 + kEntrySize * i;
        uint16_t imageId = static_cast<uint16_t>(entry[12] | (entry[13] << 8));
        const ResourceEntry* image =
            FindModuleResource(module, ResourceId::Number(3), ResourceId::Number(imageId));
        StoredIconImage decoded;
        if (image && DecodeIconImage(image->data.data, image->data.size, decoded))
            icon.images.push_back(std::move(decoded));
    }
}

HICON SystemIcon(IconTable& table, WORD id) {
    auto key = std::make_pair(static_cast<HMODULE>(nullptr), KeyOf(ResourceId::Number(id)));
    auto found = table.loaded.find(key);
    if (found != table.loaded.end())
        return found->second;
    StoredIconImage image;
    if (!DrawSystemIcon(id, image.image))
        return nullptr;
    image.bitCount = 4;
    auto icon = std::make_unique<Icon>();
    icon->images.push_back(std::move(image));
    HICON handle = HandleOf(icon.get());
    table.icons.push_back(std::move(icon));
    table.loaded[key] = handle;
    return handle;
}

} // namespace

} // namespace host::detail

using namespace host::detail;

HICON WINAPI LoadIconA(HINSTANCE module, LPCSTR name) {
    IconTable& table = Icons();
    std::lock_guard<std::mutex> guard(table.lock);
    ResourceId id = ResourceId::FromWindowsId(name);
    if (!module) {
        // IDI_WINLOGO (32517) has the look of the application icon here.
        WORD number = id.isNumber && id.number == 32517 ? 32512 : id.number;
        HICON icon = id.isNumber ? SystemIcon(table, number) : nullptr;
        if (!icon)
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return icon;
    }
    const Module* found = FindModule(module);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto key = std::make_pair(found->handle, KeyOf(id));
    auto cached = table.loaded.find(key);
    if (cached != table.loaded.end())
        return cached->second;
    const ResourceEntry* group = FindModuleResource(*found, ResourceId::Number(14), id);
    if (!group)
        return nullptr;
    auto icon = std::make_unique<Icon>();
    ReadGroup(*found, group->data, *icon);
    // A group whose images are all damaged or missing counts as no icon at all.
    if (icon->images.empty()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    HICON handle = HandleOf(icon.get());
    table.icons.push_back(std::move(icon));
    table.loaded[key] = handle;
    return handle;
}

namespace res {

bool GetIconImage(HICON handle, IconImage& out, int width, int height) {
    IconTable& table = Icons();
    std::lock_guard<std::mutex> guard(table.lock);
    const Icon* icon = IconOf(table, handle);
    if (!icon || icon->images.empty())
        return false;
    // The nearest size wins; among equal sizes, the most colours.
    const StoredIconImage* best = nullptr;
    long bestDistance = 0;
    for (const StoredIconImage& candidate : icon->images) {
        long distance = std::labs(static_cast<long>(candidate.image.width) - width) +
                        std::labs(static_cast<long>(candidate.image.height) - height);
        if (!best || distance < bestDistance ||
            (distance == bestDistance && candidate.bitCount > best->bitCount)) {
            best = &candidate;
            bestDistance = distance;
        }
    }
    out = best->image;
    return true;
}

} // namespace res

BOOL WINAPI DrawIcon(HDC hdc, int x, int y, HICON icon) {
    res::IconImage image;
    if (!res::GetIconImage(icon, image, 32, 32))
        return FALSE;
    return gdi::DrawIconImage(hdc, x, y, image);
}
