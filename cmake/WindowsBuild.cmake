# The Windows build: the installer, the framework and its resources over the real Windows API
# of mingw-w64. The emulated machine is left out: the system provides it. What the Windows
# program adds of its own (the command line of unattended runs, the timer-driven automation,
# the transcript) is in platform/win32.
enable_language(RC)
# The same preprocessing of the resource script as the native build's.
set(CMAKE_RC_FLAGS "--preprocessor=cpp --preprocessor-arg=-P -I ${CMAKE_CURRENT_SOURCE_DIR}/resources")
file(GLOB VELTRIX_RC_INPUTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/*)
set_source_files_properties(resources/setup.rc PROPERTIES OBJECT_DEPENDS "${VELTRIX_RC_INPUTS}")

# Statically linked, so that SETUP.EXE runs from its medium on a bare system.
add_link_options(-static -static-libgcc -static-libstdc++ -s)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # Windows 95 and NT 4 load only images that ask for subsystem 4.0.
  add_link_options(-Wl,--major-subsystem-version,4,--minor-subsystem-version,0
                   -Wl,--major-os-version,4,--minor-os-version,0)
endif()

set(VELTRIX_SYSTEM_LIBRARIES user32 gdi32 comdlg32 advapi32 version lz32 kernel32)

add_subdirectory(platform/win32)

# The framework; WinMain goes into the executable itself, since the C runtime asks for it
# only after the libraries were searched.
file(GLOB VELTRIX_FRAMEWORK_SOURCES CONFIGURE_DEPENDS framework/*.cpp)
list(FILTER VELTRIX_FRAMEWORK_SOURCES EXCLUDE REGEX "/WinMain\\.cpp$")
add_library(veltrix_framework STATIC ${VELTRIX_FRAMEWORK_SOURCES})
target_include_directories(veltrix_framework PUBLIC framework ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(veltrix_framework PUBLIC ${VELTRIX_SYSTEM_LIBRARIES})

file(GLOB VELTRIX_INSTALLER_SOURCES CONFIGURE_DEPENDS
  script/*.cpp engine/*.cpp pages/*.cpp app/*.cpp)
add_library(veltrix_installer STATIC ${VELTRIX_INSTALLER_SOURCES})
target_include_directories(veltrix_installer PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(veltrix_installer PUBLIC veltrix_framework)

add_executable(veltrix-setup WIN32
  framework/WinMain.cpp app/main/TheApp.cpp platform/win32/main/main.cpp resources/setup.rc)
set_target_properties(veltrix-setup PROPERTIES OUTPUT_NAME SETUP SUFFIX .EXE)
target_link_libraries(veltrix-setup PRIVATE veltrix_win32 veltrix_installer)

# The Japanese language library, SETUPJPN.DLL: the program's resources in a resource-only
# DLL, which the program loads on a Japanese system before its own.
add_library(veltrix_language_jpn MODULE resources/setup.rc)
set_target_properties(veltrix_language_jpn PROPERTIES
  OUTPUT_NAME SETUPJPN PREFIX "" SUFFIX .DLL LINKER_LANGUAGE C)
target_link_options(veltrix_language_jpn PRIVATE -nostdlib -Wl,--entry,0 -Wl,--subsystem,windows)

option(VELTRIX_WINDOWS_TESTS "Build the conformance tests for Windows" OFF)
if(VELTRIX_WINDOWS_TESTS)
  add_subdirectory(tests/windows-build)
endif()

# The sample medium, for running the program on it.
find_program(VELTRIX_WINDRES NAMES i686-w64-mingw32-windres REQUIRED)
add_subdirectory(examples)
