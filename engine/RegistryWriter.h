// Writing the setup script's registry entries once every file is installed, and recording the
// driver-interface library in the Windows 95 family's version-warning list. Every failure here
// is silent: a registry entry that cannot be written is skipped.
#pragma once

#include <windows.h>

class CSetupScript;

// Records WINKELP.DLL when the script installs it on the Windows 95 family, then writes every
// registry entry of the script in list order.
void WriteRegistryEntries(CSetupScript& script);

// Writes the directory entry of the library at path (a WIN32_FIND_DATAA record, named
// "winkelp.dll" and "WINKELP.DLL") as the binary value WINKELP.DLL of the existing key
// HKEY_LOCAL_MACHINE\System\CurrentControlSet\control\SessionManager\WarnVerDLLs. Nothing is
// written when the file or the key is missing.
void RegisterWarnVerDll(LPCSTR path);
