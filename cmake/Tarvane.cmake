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
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60)
endfunction()
