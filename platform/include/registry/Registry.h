// The registry of the emulated machine (platform/registry): the RegOpenKeyExA family over a
// store kept in the prefix in Wine's file format: system.reg (HKEY_LOCAL_MACHINE, with
// HKEY_CLASSES_ROOT under Software\Classes), user.reg (HKEY_CURRENT_USER) and userdef.reg
// (HKEY_USERS\.Default); also the privilege calls and ExitWindowsEx, which only record
// (registry/Shutdown.h). Uses the kernel only. The registry API loads the store on first use;
// changes reach the files together, when the registry is flushed (RegFlushKey, FlushRegistry)
// and when the machine stops, each file replaced whole in one write.
#pragma once

namespace host {

// Reads the prefix's registry files now, giving a new prefix the keys of a freshly installed
// system and a Windows 95 machine its version-warning key. Needs a started machine.
void LoadRegistry();

// Writes every changed registry file. FALSE when one could not be written (it is then left as
// it was, and the change stays in memory for the next attempt).
bool FlushRegistry();

// TRUE when something the running machine's programs wrote to the registry is not on disk: a
// file could not be written, or a change was refused because its file is damaged.
bool RegistryEntriesLost();

// Forgets what the registry holds in memory without writing it, so that a run that failed
// before its registry entries were complete leaves the files as they were.
void DiscardRegistryChanges();

// Writes back and forgets the loaded registry; every open key handle becomes invalid. The
// machine calls it when it stops.
void UnloadRegistry();

} // namespace host
