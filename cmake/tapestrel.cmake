# Helpers shared by the native, Windows and fuzzing builds.

add_compile_options(-Wall -Wextra -Wno-unused-parameter)
if(TAPESTREL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  # The sanitised tree exists for its tests: light optimisation and line
  # tables (enough for the sanitisers' reports) build it in half the time.
  set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O1 -g1 -DNDEBUG")
  set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O1 -g1 -DNDEBUG")
endif()

if(TAPESTREL_FUZZ)
  # Coverage instrumentation for the code under test; the harnesses add the
  # fuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # The program is built for x86 (32-bit plug-ins, ".spi") and for x64
  # (64-bit plug-ins, ".sph"); TAPESTREL_ARCH names the one of this tree.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TAPESTREL_ARCH x64)
  else()
    set(TAPESTREL_ARCH x86)
  endif()
  # Line tables only, in DWARF 4, which Wine 8's debugger reads (not the
  # compiler's default DWARF 5): the backtrace of a crashing test names its
  # functions and lines, and the tree builds a fifth faster (and a third the
  # size) than with full debug information. The shipped program is stripped
  # either way, so its code is the same.
  set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O2 -g1 -gdwarf-4 -DNDEBUG")
  set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O2 -g1 -gdwarf-4 -DNDEBUG")
  # Windows 7 and later; SSE2 is taken for granted.
  # Interface macros default to the "W" functions; data code names the "A" ones.
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN STRICT UNICODE _UNICODE)
  add_compile_options(-msse2 -mfpmath=sse)
  # Everything static, so Tapestrel.exe runs from any folder.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# libjpeg and zlib: the system's for native builds; for Windows, libjpeg-turbo
# built by scripts/setup and MinGW's zlib.
add_library(tapestrel_jpeg INTERFACE)
add_library(tapestrel_zlib INTERFACE)
if(WIN32)
  set(TAPESTREL_JPEG_WIN ${CMAKE_SOURCE_DIR}/build/deps/jpeg-win-${TAPESTREL_ARCH})
  if(NOT EXISTS ${TAPESTREL_JPEG_WIN}/lib/libjpeg.a)
    message(FATAL_ERROR "libjpeg for Windows is missing: run scripts/setup")
  endif()
  target_include_directories(tapestrel_jpeg INTERFACE ${TAPESTREL_JPEG_WIN}/include)
  target_link_libraries(tapestrel_jpeg INTERFACE ${TAPESTREL_JPEG_WIN}/lib/libjpeg.a)
  target_link_libraries(tapestrel_zlib INTERFACE /usr/${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32/lib/libz.a)
else()
  find_package(JPEG REQUIRED)
  find_package(ZLIB REQUIRED)
  target_link_libraries(tapestrel_jpeg INTERFACE JPEG::JPEG)
  target_link_libraries(tapestrel_zlib INTERFACE ZLIB::ZLIB)
endif()

# Every .cpp under src/ that is not in a win32/ folder.
function(tapestrel_portable_sources out)
  file(GLOB_RECURSE all CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
  list(FILTER all EXCLUDE REGEX "/win32/")
  set(${out} ${all} PARENT_SCOPE)
endfunction()

# Every .cpp under a win32/ folder of src/, except the program entry.
function(tapestrel_win32_sources out)
  file(GLOB_RECURSE all CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/win32/*.cpp)
  list(FILTER all EXCLUDE REGEX "/program/win32/main\\.cpp$")
  set(${out} ${all} PARENT_SCOPE)
endfunction()

macro(tapestrel_googletest)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endmacro()

# Windows path of a file of this machine, as Wine shows it (drive Z:).
function(tapestrel_wine_path out path)
  string(REPLACE "/" "\\" p "${path}")
  set(${out} "Z:${p}" PARENT_SCOPE)
endfunction()

# One test program per folder below `root`: tests/<kind>/<name>/*.cpp becomes
# <kind>_<name>, linked against `lib` and GoogleTest. Each program writes its
# results as XML into test-results/, which scripts/test counts.
function(tapestrel_add_test_dirs root kind lib)
  file(GLOB dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${root}/*)
  set(results ${CMAKE_BINARY_DIR}/test-results)
  file(MAKE_DIRECTORY ${results})
  foreach(dir ${dirs})
    if(NOT IS_DIRECTORY ${dir})
      continue()
    endif()
    get_filename_component(name ${dir} NAME)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(NOT sources)
      continue()
    endif()
    set(target ${kind}_${name})
    if(WIN32)
      # The program's icons, dialogs and manifest, for tests of its windows.
      list(APPEND sources ${CMAKE_SOURCE_DIR}/resources/tapestrel.rc)
    endif()
    add_executable(${target} ${sources})
    target_link_libraries(${target} PRIVATE ${lib} GTest::gmock GTest::gtest_main)
    if(NOT WIN32)
      # libpng is a test-only reference for the PNG codec.
      find_package(PNG REQUIRED)
      target_link_libraries(${target} PRIVATE PNG::PNG)
    endif()
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${dir})
    target_compile_definitions(${target} PRIVATE
      TAPESTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
      TAPESTREL_BINARY_DIR="${CMAKE_BINARY_DIR}")
    if(WIN32)
      target_precompile_headers(${target} REUSE_FROM tapestrel_test_headers)
      # The test plug-ins, and where they are.
      if(TAPESTREL_TEST_DEPENDS)
        add_dependencies(${target} ${TAPESTREL_TEST_DEPENDS})
      endif()
      string(REPLACE "\\" "\\\\" plugin_dir_literal "${TAPESTREL_TEST_PLUGIN_DIR_WIN}")
      target_compile_definitions(${target} PRIVATE TAPESTREL_TEST_PLUGIN_DIR="${plugin_dir_literal}")
      tapestrel_wine_path(xml ${results}/${target}.xml)
      add_test(NAME ${target} COMMAND ${target} --gtest_output=xml:${xml})
    else()
      add_test(NAME ${target} COMMAND ${target} --gtest_output=xml:${results}/${target}.xml)
    endif()
    set_tests_properties(${target} PROPERTIES TIMEOUT 600)
  endforeach()
endfunction()
