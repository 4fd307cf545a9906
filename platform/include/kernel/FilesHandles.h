// The kernel handles of the emulated machine: open files, searches and the objects other
// services register, with the share modes of open files checked as Windows checks them.
#pragma once

#include <windows.h>

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace host::detail {

struct KernelObject {
    virtual ~KernelObject() = default;
};

struct FileObject : KernelObject {
    int fd = -1;
    bool canRead = false;
    bool canWrite = false;
    DWORD share = 0;
    dev_t device = 0;
    ino_t inode = 0;
    std::string host;
    bool deleteOnClose = false;
    ~FileObject() override;
};

struct FindObject : KernelObject {
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next = 0;
};

struct CustomObject : KernelObject {
    std::function<void()> onClose;
    ~CustomObject() override;
};

HANDLE AddHandle(std::shared_ptr<KernelObject> object);
// The value a handle opened and closed at once would have had, spent as such a handle's.
HANDLE SpendHandleValue();
std::shared_ptr<KernelObject> LookUpHandle(HANDLE handle);
template <class T> std::shared_ptr<T> LookUp(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(LookUpHandle(handle));
}
// Takes the handle out of the table; the object goes when its last user lets it go.
std::shared_ptr<KernelObject> RemoveHandle(HANDLE handle);

// Whether a new open with this access and share mode conflicts with the open handles of the
// same file.
bool ShareConflict(dev_t device, ino_t inode, bool read, bool write, DWORD share);
// Whether any file is open: else no share mode can conflict.
bool AnyFileOpen();
// Whether an open handle keeps the file from being deleted or renamed.
bool DeleteConflict(dev_t device, ino_t inode);
// The share mode that the OF_SHARE_ flags of OpenFile and LZOpenFile stand for.
DWORD ShareModeOfOpenStyle(UINT style);

} // namespace host::detail
