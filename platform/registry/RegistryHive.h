// One registry file of the prefix and the tree of keys it holds. The file is replaced whole and
// atomically, so that a crash or a full disk leaves the old file or the new one. A file that
// cannot be read is reported and never written over.
#pragma once

#include "RegistryFormat.h"
#include "RegistryTree.h"

#include <memory>
#include <string>

namespace host::detail {

class RegHive {
  public:
    // hostPath: the file; relativeTo: the root's path as the file's header names it
    // ("\\Machine"); rootName: the root key's name where HKEY_USERS shows it.
    RegHive(std::string hostPath, std::string relativeTo, RegName rootName);
    RegHive(const RegHive&) = delete;
    RegHive& operator=(const RegHive&) = delete;

    // Reads the file. A missing file gives an empty hive that IsNew(); a file that cannot be
    // read or parsed makes the hive damaged, with a message on standard error.
    void Load();
    // Writes the tree to the file when it changed since it was read or last written.
    // FALSE, with a message on standard error, when the file could not be replaced.
    bool Save();

    const std::shared_ptr<RegKey>& Root() const { return m_root; }
    const std::string& HostPath() const { return m_hostPath; }
    bool IsDamaged() const { return m_bDamaged; }
    // "win32" or "win64": the kind of machine the file was made for.
    const std::string& Arch() const { return m_header.arch; }
    bool IsNew() const { return m_bNew; }
    bool IsDirty() const { return m_bDirty; }
    void MarkDirty() { m_bDirty = true; }

  private:
    std::string m_hostPath;
    RegFileHeader m_header;
    std::shared_ptr<RegKey> m_root;
    bool m_bDamaged = false;
    bool m_bNew = false;
    bool m_bDirty = false;
};

// Replaces the file at path with bytes: a new file is written beside it, synced and renamed over
// it. On failure the old file is untouched, no new file is left, and error says why.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes, std::string& error);

} // namespace host::detail
