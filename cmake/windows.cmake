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
