# One library per module: every .cpp directly inside the folder belongs to it,
# so adding a file needs no edit here.
function(tessaly_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Wcast-align -Woverloaded-virtual
                                           -Wformat=2)
  if(TESSALY_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# tessaly_module(NAME DIR [QT] [EXCLUDE files...] [DEPS ...]): QT turns on
# Qt's meta-object compiler for the module; EXCLUDE leaves files of DIR out
# (a program's main).
function(tessaly_module name dir)
  cmake_parse_arguments(ARG "QT" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/${excluded}")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${name} ${scope} "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${name} ${scope} ${ARG_DEPS})
  if(sources)
    tessaly_warnings(${name})
    if(ARG_QT)
      set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
  endif()
endfunction()

# tessaly_tests(NAME DIR [OWN_MAIN] [QT] [DEPS ...]): one GoogleTest program of
# every .cpp in DIR. OWN_MAIN: one of those files has main() (a program that
# must set up Qt or a desktop before the tests run).
function(tessaly_tests name dir)
  cmake_parse_arguments(ARG "OWN_MAIN;QT" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
  if(ARG_OWN_MAIN)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main)
  endif()
  tessaly_warnings(${name})
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
endfunction()

# tessaly_bench(NAME FILE [DEPS ...])
function(tessaly_bench name file)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  add_executable(${name} ${file})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  tessaly_warnings(${name})
endfunction()
