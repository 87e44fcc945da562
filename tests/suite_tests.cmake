# Writes the ctest lines of one test program (run after it is built): one ctest test per test
# suite, whose cases run in one process, so that a run does not start the program (with the
# sanitizers' start-up and exit scan) once for each of some two thousand short cases; the cases
# of a parameterized suite (a "/" in the name: table rows, often long) keep one process each,
# so that they spread over the cores.
# Variables: PROGRAM, OUT (the file written), DATA (ORMEST_HOME for the tests), TIMEOUT (one
# case), SUITE_TIMEOUT (a suite of cases).
execute_process(COMMAND "${PROGRAM}" --gtest_list_tests
  OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed (${rc})")
endif()

set(script "")
set(suite "")
string(REPLACE ";" "\\;" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(environment "ENVIRONMENT \"ORMEST_HOME=${DATA}\"")
# A case alone that skips itself is shown as skipped; a suite is judged by its cases' results
# (a skip there must not hide a failure beside it).
set(skipped "SKIP_REGULAR_EXPRESSION \"\\\\[  SKIPPED \\\\]\"")
foreach(line IN LISTS lines)
  # The comment gtest adds to a parameterized case ("  # GetParam() = ...") is no part of it.
  string(REGEX REPLACE "  #.*$" "" line "${line}")
  if(line MATCHES "^([^ ].*)\\.$")
    set(suite "${CMAKE_MATCH_1}")
    set(grouped FALSE)
  elseif(line MATCHES "^  ([^ ]+)$" AND NOT suite STREQUAL "")
    set(case "${CMAKE_MATCH_1}")
    if(case MATCHES "^DISABLED_" OR suite MATCHES "^DISABLED_")
      continue()
    endif()
    if(suite MATCHES "/" OR case MATCHES "/")
      string(APPEND script "add_test(\"${suite}.${case}\" \"${PROGRAM}\" \"--gtest_filter=${suite}.${case}\")\n")
      string(APPEND script "set_tests_properties(\"${suite}.${case}\" PROPERTIES ${environment} ${skipped} TIMEOUT ${TIMEOUT})\n")
    elseif(NOT grouped)
      set(grouped TRUE)
      string(APPEND script "add_test(\"${suite}\" \"${PROGRAM}\" \"--gtest_filter=${suite}.*\")\n")
      string(APPEND script "set_tests_properties(\"${suite}\" PROPERTIES ${environment} TIMEOUT ${SUITE_TIMEOUT})\n")
    endif()
  endif()
endforeach()
file(WRITE "${OUT}" "${script}")
