# The Windows program: every win32/ folder of src/ as one library, the program
# entry and the resources as Tapestrel.exe.

# ctest runs every Windows test program through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run)

tapestrel_win32_sources(WIN32_SOURCES)
add_library(tapestrel_win32 STATIC ${WIN32_SOURCES})
target_include_directories(tapestrel_win32 PUBLIC ${CMAKE_SOURCE_DIR}/resources)
target_link_libraries(tapestrel_win32 PUBLIC tapestrel_portable
  comctl32 comdlg32 shell32 shlwapi ole32 oleaut32 uuid gdi32 user32 advapi32 winmm version)

file(GLOB RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
add_executable(Tapestrel WIN32
  ${CMAKE_SOURCE_DIR}/src/app/win32/main.cpp
  ${CMAKE_SOURCE_DIR}/resources/tapestrel.rc)
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/tapestrel.rc PROPERTIES
  OBJECT_DEPENDS "${RESOURCE_FILES}")
target_link_libraries(Tapestrel PRIVATE tapestrel_win32)
# Keep the program and its tests in the build tree's top folder, so the tests
# find it beside themselves.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set_target_properties(Tapestrel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Test plug-ins: every folder of tests/plugins/ becomes <name>.spi in
# test-plugins/ of the build tree, a 32-bit library with undecorated stdcall
# exports and a static runtime. Fixtures for the Windows tests, never shipped.
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
    OUTPUT_NAME ${name} PREFIX "" SUFFIX ".spi"
    RUNTIME_OUTPUT_DIRECTORY ${TAPESTREL_TEST_PLUGIN_DIR}
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-plugins-lib)
  set_source_files_properties(${sources} PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/tests/plugins/fixture.h)
  target_include_directories(spi_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/plugins)
  target_link_options(spi_${name} PRIVATE -shared -Wl,--kill-at)
  list(APPEND TAPESTREL_TEST_DEPENDS spi_${name})
endforeach()
tapestrel_wine_path(TAPESTREL_TEST_PLUGIN_DIR_WIN ${TAPESTREL_TEST_PLUGIN_DIR})
