// Executable images for the tests: resource-only DLLs compiled and linked by the mingw-w64
// tools, and 16-bit NE images assembled byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Whether the tools for 32-bit (i686) or 64-bit (x86_64) DLLs are installed.
bool HaveDllTools(bool pe32plus);

// Compiles the resource script with windres and links it into a resource-only DLL. Returns
// the DLL's bytes; empty (and why in error) when a tool fails.
std::string BuildResourceDll(const std::string& workDir, const std::string& rcText, bool pe32plus,
                             std::string& error);

// A VERSIONINFO statement of a resource script with the file version a.b.c.d.
std::string VersionResourceScript(unsigned a, unsigned b, unsigned c, unsigned d);

// A resource of an NE image: the type and name are numbers, or strings when the string is set.
struct NeResource {
    uint16_t type = 0;
    std::string typeName;
    uint16_t name = 0;
    std::string nameName;
    std::string data;
};
// An NE image with those resources, aligned on 1 << alignShift bytes.
std::string BuildNeImage(const std::vector<NeResource>& resources, unsigned alignShift = 4);

// A version resource in the 16-bit layout of NE images: fixed information with the file
// version a.b.c.d (none when withFixedInfo is FALSE), a string table 040904E4 holding
// FileVersion and CompanyName, and a translation 0x0409/1252.
std::string Ne16VersionResource(unsigned a, unsigned b, unsigned c, unsigned d,
                                bool withFixedInfo = true);
// A version resource in the 32-bit layout with no fixed information.
std::string Pe32VersionResourceWithoutFixedInfo();

// Little-endian helpers for patching images.
uint16_t ReadWord(const std::string& bytes, size_t offset);
uint32_t ReadDword(const std::string& bytes, size_t offset);
void PutWord(std::string& bytes, size_t offset, uint16_t value);
void PutDword(std::string& bytes, size_t offset, uint32_t value);

// File offset and size of the .rsrc section of a PE image, and its virtual address.
struct PeSectionInfo {
    uint32_t fileOffset = 0;
    uint32_t rawSize = 0;
    uint32_t virtualAddress = 0;
};
bool FindResourceSection(const std::string& image, PeSectionInfo& section);
