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

# A ThreadSanitizer build (TESSALY_TSAN) makes only the programs that test
# the program's own threads: the platform runtime (queues, timers, executors),
# the X11 backend with its reader threads, the session and the end-to-end tests.
set(TESSALY_TSAN_TESTS PlatformTests PlatformX11Tests TessalySessionTests EndToEndTests)
# Every instrumented process, also one a test starts, leaves the libraries
# not built with ThreadSanitizer out (tests/tsan-suppressions.txt says why)
# and writes its reports into one folder, which the run's clean-up test
# checks (ThreadSanitizerReports.cmake).
set(TESSALY_TSAN_REPORTS "${PROJECT_BINARY_DIR}/tsan-reports")
set(TESSALY_TSAN_OPTIONS "ignore_noninstrumented_modules=1:second_deadlock_stack=1:\
suppressions=${PROJECT_SOURCE_DIR}/tests/tsan-suppressions.txt")
# The sanitizer builds run the rows of the window manager x behaviour table
# (the backend's and the end-to-end ones) on a few window managers: the
# sanitizers look at the program's code, which these take through the paths
# that differ between window managers, and the normal build runs every row
# on every window manager, which finds how each one behaves.
# Each path that differs runs under one sanitizer at least, openbox's test
# configuration and KWin under both.
# ThreadSanitizer: openbox's test configuration, KWin with compositing and
# mutter, whose own rules for maximising, tiling and keys add work on the
# program's threads (muffin is mutter's fork: the same paths).
set(TESSALY_TSAN_WINDOW_MANAGER_FILTER "-WindowManagers/*/xfwm4:WindowManagers/*/fluxbox:WindowManagers/*/icewm:\
WindowManagers/*/metacity:WindowManagers/*/marco:WindowManagers/*/i3:WindowManagers/*/kwin:WindowManagers/*/muffin:\
WindowManagers/*/openbox")
# AddressSanitizer: openbox (stock and the test configuration) and KWin.
set(TESSALY_SANITIZE_WINDOW_MANAGER_FILTER "-WindowManagers/*/xfwm4:WindowManagers/*/fluxbox:WindowManagers/*/icewm:\
WindowManagers/*/metacity:WindowManagers/*/marco:WindowManagers/*/i3:WindowManagers/*/kwin_composited:\
WindowManagers/*/muffin:WindowManagers/*/mutter")
# tessaly_tests(NAME DIR [OWN_MAIN] [QT] [SHARDS n] [DEPS ...]): one GoogleTest
# program of every .cpp in DIR. OWN_MAIN: one of those files has main() (a
# program that must set up Qt or a desktop before the tests run). SHARDS: the
# program runs as n rows (GoogleTest's shards) instead of a row per test, for
# programs whose tests take milliseconds: a process of its own for each of
# them cost more than the tests (a third of a second under the sanitizers).
function(tessaly_tests name dir)
  cmake_parse_arguments(ARG "OWN_MAIN;QT" "SHARDS" "DEPS" ${ARGN})
  if(TESSALY_TSAN AND NOT name IN_LIST TESSALY_TSAN_TESTS)
    return()
  endif()
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
  # The tests' own code is not optimised (the code they test keeps the
  # build's level): a fifth less to compile than -O1, a third less than
  # -O2. Under ThreadSanitizer, whose unoptimised code runs several times
  # slower, it keeps -O1.
  if(TESSALY_TSAN)
    target_compile_options(${name} PRIVATE $<$<CONFIG:RelWithDebInfo,Release>:-O1>)
  else()
    target_compile_options(${name} PRIVATE $<$<CONFIG:RelWithDebInfo,Release>:-O0>)
  endif()
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
  if(ARG_SHARDS)
    tessaly_test_shards(${name} ${ARG_SHARDS})
  elseif(TESSALY_TSAN)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         TEST_FILTER "${TESSALY_TSAN_WINDOW_MANAGER_FILTER}"
                         PROPERTIES ENVIRONMENT "TSAN_OPTIONS=${TESSALY_TSAN_OPTIONS}:log_path=${TESSALY_TSAN_REPORTS}/report"
                                    FIXTURES_REQUIRED ThreadSanitizer)
  elseif(TESSALY_SANITIZE)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         TEST_FILTER "${TESSALY_SANITIZE_WINDOW_MANAGER_FILTER}")
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# tessaly_test_shards(NAME COUNT): the rows of a sharded test program. A row
# prints only what failed.
function(tessaly_test_shards name count)
  foreach(shard RANGE 1 ${count})
    math(EXPR index "${shard} - 1")
    set(row "${name}.Shard${shard}of${count}")
    add_test(NAME ${row} COMMAND ${name} --gtest_brief=1 WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
    set(environment "GTEST_TOTAL_SHARDS=${count}" "GTEST_SHARD_INDEX=${index}")
    if(TESSALY_TSAN)
      list(APPEND environment "TSAN_OPTIONS=${TESSALY_TSAN_OPTIONS}:log_path=${TESSALY_TSAN_REPORTS}/report")
      set_tests_properties(${row} PROPERTIES FIXTURES_REQUIRED ThreadSanitizer)
    endif()
    set_tests_properties(${row} PROPERTIES ENVIRONMENT "${environment}")
  endforeach()
endfunction()

# tessaly_bench(NAME FILE [DEPS ...])
function(tessaly_bench name file)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  add_executable(${name} ${file})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  tessaly_warnings(${name})
endfunction()
