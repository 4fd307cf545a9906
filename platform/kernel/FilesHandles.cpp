#include "kernel/FilesHandles.h"

#include "PathMap.h"
#include "kernel/MachineState.h"

#include <unistd.h>

#include <map>
#include <mutex>

namespace host::detail {
namespace {

// Handle values are small multiples of four, as the system's are, so that they also fit an
// HFILE and never equal INVALID_HANDLE_VALUE or a pseudo handle.
const uintptr_t kFirstHandle = 0x100;
const uintptr_t kLastHandle = 0x7FFFFFF0;
// The numbers of the LZ expansion library's handles: LZCopy takes either kind as its
// destination, so a file handle never has one of them.
const uintptr_t kFirstLzHandle = 0x400;
const uintptr_t kEndLzHandles = 0x500;

struct HandleTable {
    std::recursive_mutex lock;
    std::map<uintptr_t, std::shared_ptr<KernelObject>> objects;
    uintptr_t next = kFirstHandle;
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

} // namespace

FileObject::~FileObject() {
    if (deleteOnClose && unlink(host.c_str()) == 0)
        NoteEntryRemoved(host);
    if (fd >= 0)
        close(fd);
}

CustomObject::~CustomObject() {
    if (onClose)
        onClose();
}

namespace {

// The next handle value no open handle has, taken; 0 when every value is in use. The
// table's lock is held.
uintptr_t TakeFreeValue(HandleTable& table) {
    for (uintptr_t tries = 0; tries < (kLastHandle - kFirstHandle) / 4; ++tries) {
        uintptr_t value = table.next;
        table.next = table.next >= kLastHandle ? kFirstHandle : table.next + 4;
        if (value >= kFirstLzHandle && value < kEndLzHandles)
            continue;
        if (table.objects.count(value) == 0)
            return value;
    }
    return 0;
}

} // namespace

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
    HandleTable& table = Table();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    uintptr_t value = TakeFreeValue(table);
    if (value == 0)
        return INVALID_HANDLE_VALUE;
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

HANDLE SpendHandleValue() {
    HandleTable& table = Table();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    uintptr_t value = TakeFreeValue(table);
    return value == 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookUpHandle(HANDLE handle) {
    HandleTable& table = Table();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    auto found = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    return found == table.objects.end() ? nullptr : found->second;
}

std::shared_ptr<KernelObject> RemoveHandle(HANDLE handle) {
    HandleTable& table = Table();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    auto found = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.objects.end())
        return nullptr;
    std::shared_ptr<KernelObject> object = std::move(found->second);
    table.objects.erase(found);
    return object;
}

bool ShareConflict(dev_t device, ino_t inode, bool read, bool write, DWORD share) {
    HandleTable& table = Table();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    for (const auto& [value, object] : table.objects) {
        auto* file = dynamic_cast<FileObject*>(object.get());
        if (!file || file->device != device || file->inode != inode)
            continue;
        if ((read && !(file->share & FILE_SHARE_READ)) ||
            (write && !(file->share & FILE_SHARE_WRITE)) ||
            (file->canRead && !(share & FILE_SHARE_READ)) ||
            (file->canWrite && !(share & FILE_SHARE_WRITE)))
            return true;
    }
    return false;
}

bool AnyFileOpen() {
    HandleTable& table = Table();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    for (const auto& [value, object] : table.objects)
        if (dynamic_cast<FileObject*>(object.get()))
            return true;
    return false;
}

bool DeleteConflict(dev_t device, ino_t inode) {
    HandleTable& table = Table();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    for (const auto& [value, object] : table.objects) {
        auto* file = dynamic_cast<FileObject*>(object.get());
        if (file && file->device == device && file->inode == inode &&
            !(file->share & FILE_SHARE_DELETE))
            return true;
    }
    return false;
}

void CloseAllFileHandles() {
    HandleTable& table = Table();
    std::map<uintptr_t, std::shared_ptr<KernelObject>> closing;
    {
        std::lock_guard<std::recursive_mutex> guard(table.lock);
        for (auto it = table.objects.begin(); it != table.objects.end();) {
            if (dynamic_cast<FileObject*>(it->second.get()) ||
                dynamic_cast<FindObject*>(it->second.get())) {
                closing.insert(*it);
                it = table.objects.erase(it);
            } else {
                ++it;
            }
        }
    }
    // The objects close here, outside the lock.
}

} // namespace host::detail

namespace host {

void* NewHandle(std::function<void()> onClose) {
    auto object = std::make_shared<detail::CustomObject>();
    object->onClose = std::move(onClose);
    return detail::AddHandle(object);
}

} // namespace host

using namespace host::detail;

BOOL WINAPI CloseHandle(HANDLE handle) {
    std::shared_ptr<KernelObject> object = LookUpHandle(handle);
    // A search is closed by FindClose only.
    if (!object || dynamic_cast<FindObject*>(object.get())) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    RemoveHandle(handle);
    return TRUE;
}
