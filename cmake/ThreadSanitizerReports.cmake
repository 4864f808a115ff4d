# ctest's set-up and clean-up of a ThreadSanitizer build's test run:
#   cmake -DDIR=<folder> -DMODE=clear -P ThreadSanitizerReports.cmake
#   cmake -DDIR=<folder> -DMODE=check -P ThreadSanitizerReports.cmake
# Every instrumented process of the run (the test programs and the tessaly
# programs they start) writes its reports into DIR (TSAN_OPTIONS log_path);
# the check prints them and fails when there is any, so a report in a program
# a test started fails the run even where that test passed.
if(MODE STREQUAL "clear")
  file(REMOVE_RECURSE "${DIR}")
  file(MAKE_DIRECTORY "${DIR}")
elseif(MODE STREQUAL "check")
  file(GLOB reports "${DIR}/report.*")
  if(reports)
    list(LENGTH reports count)
    foreach(report ${reports})
      file(READ "${report}" text)
      message("${report}:\n${text}")
    endforeach()
    message(FATAL_ERROR "ThreadSanitizer: ${count} process(es) reported (see above; ${DIR})")
  endif()
  message("ThreadSanitizer: no report")
else()
  message(FATAL_ERROR "MODE must be clear or check")
endif()
