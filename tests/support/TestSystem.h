// What the tests ask of the system they run on where the emulated machine and a real system
// differ: tests/support/TestSystem.cpp for the emulated machine, and
// tests/windows-build/fixture/TestSystem.cpp for the tests compiled for Windows.
#pragma once

#include <string>

// The root of the tests' drive C: as a Windows path ending in '\'. The emulated machine gives
// each test a drive C: of its own; a real system cannot, so there it is a drive that the test
// runner maps to the test's directory.
std::string TestDriveC();

// Runs a command of the host's shell (the tests' tools: mscompress, windres, ld); TRUE when it
// ends with status 0. What it writes to its standard output and error goes to output.
bool RunHostCommand(const std::string& command, std::string& output);
// The path of a host file as the host's tools take it.
std::string HostToolPath(const std::string& hostPath);

// Whether mscompress, the independent compressor of the LZ format, is at hand.
bool HaveMscompress();
// Compresses the host file hostPath with mscompress into hostPath + "_"; FALSE on failure.
bool Mscompress(const std::string& hostPath);
