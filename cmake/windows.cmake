# The Windows program: every win32/ folder of src/ as one library, the program
# entry and the resources as Tapestrel.exe.

# ctest runs every Windows test program through Wine: 64-bit Wine for the x64
# tree, 32-bit Wine for the x86 one, each tree with a prefix of its own.
set(TAPESTREL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR env TAPESTREL_ARCH=${TAPESTREL_ARCH} WINEPREFIX=${TAPESTREL_WINEPREFIX}
  ${CMAKE_SOURCE_DIR}/scripts/wine-run)

tapestrel_win32_sources(WIN32_SOURCES)
add_library(tapestrel_win32 STATIC ${WIN32_SOURCES})
target_include_directories(tapestrel_win32 PUBLIC ${CMAKE_SOURCE_DIR}/resources)
# The Windows and standard headers that nearly every file of the program and
# of its tests reads, parsed once per tree: parsing them took over half of
# each file's compile time.
set(TAPESTREL_COMMON_HEADERS
  <windows.h> <commctrl.h> <shlobj.h> <shellapi.h> <shlwapi.h>
  <algorithm> <array> <atomic> <cstdint> <cstring> <functional> <map> <memory> <optional>
  <stdexcept> <string> <string_view> <vector>)
target_precompile_headers(tapestrel_win32 PRIVATE ${TAPESTREL_COMMON_HEADERS})
target_link_libraries(tapestrel_win32 PUBLIC tapestrel_portable
  comctl32 shell32 shlwapi ole32 oleaut32 uuid gdi32 user32 advapi32 version)
# The common-dialog, sound and video libraries are bound when first used
# (platform/win32/late_bound.h), so the program does not import them; tests
# may call them directly.
add_library(tapestrel_win32_tests INTERFACE)
target_link_libraries(tapestrel_win32_tests INTERFACE tapestrel_win32 comdlg32 winmm vfw32)
# The test programs share one precompiled header with GoogleTest's on top
# (tapestrel.cmake), made by this otherwise empty library.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/test_headers.cpp
  CONTENT "// Builds the precompiled header of the test programs.\n")
add_library(tapestrel_test_headers STATIC ${CMAKE_BINARY_DIR}/generated/test_headers.cpp)
target_link_libraries(tapestrel_test_headers PRIVATE tapestrel_win32_tests GTest::gmock)
target_precompile_headers(tapestrel_test_headers PRIVATE ${TAPESTREL_COMMON_HEADERS}
  <gmock/gmock.h> <gtest/gtest.h>)

# One version number, in the file VERSION (MAJOR.MINOR.PATCH): the version
# resource and the manifest are generated from it, and scripts/package names
# the release after it.
file(STRINGS ${CMAKE_SOURCE_DIR}/VERSION TAPESTREL_VERSION LIMIT_COUNT 1)
if(NOT TAPESTREL_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VERSION must read MAJOR.MINOR.PATCH, not '${TAPESTREL_VERSION}'")
endif()
set(TAPESTREL_VERSION_MAJOR ${CMAKE_MATCH_1})
set(TAPESTREL_VERSION_MINOR ${CMAKE_MATCH_2})
set(TAPESTREL_VERSION_PATCH ${CMAKE_MATCH_3})
set(TAPESTREL_VERSION_DOTTED ${TAPESTREL_VERSION}.0)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/VERSION)
set(TAPESTREL_GENERATED ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/cmake/version.h.in ${TAPESTREL_GENERATED}/tapestrel_version.h @ONLY)
# The manifest names the processor as side-by-side assemblies do.
if(TAPESTREL_ARCH STREQUAL "x64")
  set(TAPESTREL_MANIFEST_ARCH amd64)
else()
  set(TAPESTREL_MANIFEST_ARCH x86)
endif()
configure_file(${CMAKE_SOURCE_DIR}/resources/tapestrel.manifest.in ${TAPESTREL_GENERATED}/tapestrel.manifest @ONLY)
# Every program that compiles the resource script finds them there, and so
# does the code that shows the version.
include_directories(${TAPESTREL_GENERATED})
target_include_directories(tapestrel_win32 PUBLIC ${TAPESTREL_GENERATED})

file(GLOB RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
list(APPEND RESOURCE_FILES ${TAPESTREL_GENERATED}/tapestrel_version.h ${TAPESTREL_GENERATED}/tapestrel.manifest
  ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/THIRD-PARTY-NOTICES.txt)
add_executable(Tapestrel WIN32
  ${CMAKE_SOURCE_DIR}/src/program/win32/main.cpp
  ${CMAKE_SOURCE_DIR}/resources/tapestrel.rc)
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/tapestrel.rc PROPERTIES
  OBJECT_DEPENDS "${RESOURCE_FILES}")
target_link_libraries(Tapestrel PRIVATE tapestrel_win32)
# No debug sections in the shipped program: Windows (and Wine) load every
# section of the image, so they would cost memory in every running copy.
target_link_options(Tapestrel PRIVATE -s)
if(TAPESTREL_ARCH STREQUAL "x86")
  # 32-bit, but pictures are large: up to 4 GB of address space on 64-bit
  # Windows instead of 2 GB. (A 64-bit image has the whole space anyway.)
  target_link_options(Tapestrel PRIVATE -Wl,--large-address-aware)
endif()
# Sections aligned to pages in the file too, so that Wine maps the image
# instead of reading all of it into private memory.
target_link_options(Tapestrel PRIVATE -Wl,--file-alignment,4096)
# Keep the program and its tests in the build tree's top folder, so the tests
# find it beside themselves.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set_target_properties(Tapestrel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# The help page ships beside the program; every build of it brings the copy
# up to date.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/help.htm
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/resources/help.htm ${CMAKE_BINARY_DIR}/help.htm
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/help.htm)
add_custom_target(tapestrel_help ALL DEPENDS ${CMAKE_BINARY_DIR}/help.htm)
add_dependencies(Tapestrel tapestrel_help)

# Test plug-ins: every folder of tests/plugins/ becomes a plug-in library in
# test-plugins/ of the build tree, <name>.spi (32-bit, undecorated stdcall
# exports) in the x86 tree and <name>.sph (64-bit) in the x64 one, each with
# a static runtime. Fixtures for the Windows tests, never shipped.
if(TAPESTREL_ARCH STREQUAL "x64")
  set(TAPESTREL_PLUGIN_SUFFIX ".sph")
else()
  set(TAPESTREL_PLUGIN_SUFFIX ".spi")
endif()
set(TAPESTREL_TEST_PLUGIN_DIR ${CMAKE_BINARY_DIR}/test-plugins)
file(GLOB plugin_dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/plugins/*)
set(TAPESTREL_TEST_DEPENDS "")
foreach(dir ${plugin_dirs})
  if(NOT IS_DIRECTORY ${dir})
    continue()
  endif()
  get_filename_component(name ${dir} NAME)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.c)
  add_library(spi_${name} SHARED ${sources})
  set_target_properties(spi_${name} PROPERTIES
    OUTPUT_NAME ${name} PREFIX "" SUFFIX ${TAPESTREL_PLUGIN_SUFFIX}
    RUNTIME_OUTPUT_DIRECTORY ${TAPESTREL_TEST_PLUGIN_DIR}
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-plugins-lib)
  set_source_files_properties(${sources} PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/tests/plugins/fixture.h)
  target_include_directories(spi_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/plugins)
  target_link_options(spi_${name} PRIVATE -shared -Wl,--kill-at)
  list(APPEND TAPESTREL_TEST_DEPENDS spi_${name})
endforeach()
tapestrel_wine_path(TAPESTREL_TEST_PLUGIN_DIR_WIN ${TAPESTREL_TEST_PLUGIN_DIR})

# End-to-end scripts: the real program in a Wine virtual desktop, driven from
# the X side. Each takes a Wine lane, like every other Windows test.
file(GLOB E2E_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.sh)
list(FILTER E2E_SCRIPTS EXCLUDE REGEX "/lib\\.sh$")
foreach(script ${E2E_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e_${name} COMMAND bash ${script})
  set_tests_properties(e2e_${name} PROPERTIES TIMEOUT 300
    ENVIRONMENT "TAPESTREL_EXE=${CMAKE_BINARY_DIR}/Tapestrel.exe;TAPESTREL_ROOT=${CMAKE_SOURCE_DIR};TAPESTREL_ARCH=${TAPESTREL_ARCH};WINEPREFIX=${TAPESTREL_WINEPREFIX}")
endforeach()

# Helper programs the tests run (never shipped): tests/fixtures/<name>/ becomes <name>.exe.
file(GLOB FIXTURE_DIRS LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fixtures/*)
foreach(dir ${FIXTURE_DIRS})
  if(IS_DIRECTORY ${dir})
    get_filename_component(name ${dir} NAME)
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    add_executable(${name} WIN32 ${sources} ${CMAKE_SOURCE_DIR}/resources/tapestrel.rc)
    # The same system libraries as the program.
    target_link_libraries(${name} PRIVATE comctl32 comdlg32 shell32 shlwapi ole32 oleaut32 uuid gdi32 user32
      advapi32 winmm version)
  endif()
endforeach()
# The one that runs the program's own settings store.
target_link_libraries(settings_store_loop PRIVATE tapestrel_win32)

# Benchmarks of the shipped code under Wine (scripts/bench runs them).
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/win/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/bench/win ${CMAKE_BINARY_DIR}/bench-win)
endif()
