# One static library per source folder. Sources are found by globbing, so adding a file
# needs no edit here; CONFIGURE_DEPENDS re-globs on every build.
function(tarvane_library name folder)
  file(GLOB_RECURSE _srcs CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
  add_library(${name} STATIC ${_srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  if(ARGN)
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
  tarvane_library_headers(${name})
endfunction()

# Most of an unoptimised compile of a source is parsing the standard headers it includes:
# under clang about half of it. In the fuzz build (clang, unoptimised) each library parses
# those its sources share once. The GCC builds compile the libraries optimised, the sanitizer
# build too (-O1), and there each file on its own (see tarvane_test_headers).
function(tarvane_library_headers name)
  if(TARVANE_FUZZ)
    target_precompile_headers(${name} PRIVATE <algorithm> <array> <cmath> <cstdint> <cstring> <functional>
                                              <memory> <string> <utility> <vector>)
  endif()
endfunction()

# One GoogleTest program per test folder, all its *.cpp files together.
function(tarvane_test name folder)
  file(GLOB_RECURSE _srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/*.cpp)
  if(NOT _srcs)
    return()
  endif()
  add_executable(${name} ${_srcs})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARGN} tarvane_testsupport GTest::gtest)
  tarvane_test_headers(${name})
  tarvane_register_tests(${name})
endfunction()

# CTest runs each test of a program in a process of its own (found by listing the program's
# tests when CTest starts), or, with TARVANE_TEST_SHARDS set to a count, runs the program as that
# many shards (GoogleTest's own sharding: every test in exactly one shard, in a process with the
# others of its shard). Under the sanitizers a test program takes about a second to start and,
# with leak checking, to end, longer than most of its tests, so CI runs its instrumented builds
# in shards; a failing shard's output names the failed tests. The shards are named
# <program>.shard<index>.
set(TARVANE_TEST_SHARDS 0 CACHE STRING "Run each test program as this many CTest tests (0: one CTest test per test)")
function(tarvane_register_tests name)
  cmake_parse_arguments(PARSE_ARGV 1 _arg "" "PREFIX" "")
  if(TARVANE_TEST_SHARDS GREATER 0)
    math(EXPR _last "${TARVANE_TEST_SHARDS} - 1")
    foreach(_shard RANGE ${_last})
      add_test(NAME ${_arg_PREFIX}${name}.shard${_shard} COMMAND ${name})
      set_tests_properties(${_arg_PREFIX}${name}.shard${_shard} PROPERTIES
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        ENVIRONMENT "GTEST_TOTAL_SHARDS=${TARVANE_TEST_SHARDS};GTEST_SHARD_INDEX=${_shard}")
    endforeach()
  else()
    set(_prefix)
    if(_arg_PREFIX)
      set(_prefix TEST_PREFIX ${_arg_PREFIX})
    endif()
    gtest_discover_tests(${name} ${_prefix}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# Every test file includes GoogleTest, whose header costs more to compile than most test files
# themselves: in the unoptimised builds (development and the sanitizers) it is parsed once for
# all test programs, with the standard headers the tests share, in a header precompiled by a
# target of its own with only what every test program compiles with (the test helpers' usage:
# GCC refuses a precompiled header made with a definition the file using it lacks, and
# -Winvalid-pch turns that into an error). The test programs reuse it. Optimised builds
# compile each file on its own: there GCC's inlining through a precompiled header raises false
# bounds warnings in the standard string code.
function(tarvane_test_headers name)
  if(CMAKE_BUILD_TYPE STREQUAL "Debug")
    if(NOT TARGET tarvane_test_pch)
      set(_source ${CMAKE_CURRENT_BINARY_DIR}/TestHeaders.cpp)
      file(CONFIGURE OUTPUT ${_source} CONTENT "// The test programs' precompiled header is made with this file.\n")
      add_library(tarvane_test_pch OBJECT ${_source})
      target_link_libraries(tarvane_test_pch PRIVATE tarvane_testsupport)
      target_precompile_headers(tarvane_test_pch PRIVATE <gtest/gtest.h> <cstdint> <memory> <string> <vector>)
    endif()
    target_precompile_headers(${name} REUSE_FROM tarvane_test_pch)
  endif()
endfunction()

# A smaller test program made of some test files (paths under tests/) and the helpers of an
# existing program (its sources not named *Test.cpp), compiled and linked as that program is.
# Call it once every source of the program is listed.
function(tarvane_test_subset name program)
  get_target_property(_sources ${program} SOURCES)
  set(_keep)
  foreach(_source ${_sources})
    if(NOT _source MATCHES "Test\\.cpp$")
      list(APPEND _keep ${_source})
    endif()
  endforeach()
  foreach(_file ${ARGN})
    list(APPEND _keep ${CMAKE_SOURCE_DIR}/tests/${_file})
  endforeach()
  add_executable(${name} ${_keep})
  foreach(_property INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS LINK_LIBRARIES)
    get_target_property(_value ${program} ${_property})
    if(_value)
      set_property(TARGET ${name} PROPERTY ${_property} "${_value}")
    endif()
  endforeach()
  get_target_property(_dependencies ${program} MANUALLY_ADDED_DEPENDENCIES)
  if(_dependencies)
    add_dependencies(${name} ${_dependencies})
  endif()
  tarvane_test_headers(${name})
endfunction()
