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
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60)
endfunction()

# Every test file includes GoogleTest, whose header costs more to compile than most test files
# themselves: in the unoptimised builds (development and the sanitizers) each test program
# parses it once, with the standard headers the tests share. Optimised builds compile each
# file on its own: there GCC's inlining through a precompiled header raises false bounds
# warnings in the standard string code.
function(tarvane_test_headers name)
  if(CMAKE_BUILD_TYPE STREQUAL "Debug")
    target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <cstdint> <memory> <string> <vector>)
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
