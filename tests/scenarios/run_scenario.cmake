# Runs one scenario: PROGRAM --console with INPUT on standard input, in a fresh work folder,
# and compares standard output with EXPECTED line by line, and its exit status with STATUS.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/state" "${WORK}/cwd")
set(ENV{XDG_STATE_HOME} "${WORK}/state")
separate_arguments(extra UNIX_COMMAND "${ARGS}")
execute_process(COMMAND "${PROGRAM}" --console ${extra}
  INPUT_FILE "${INPUT}"
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc
  WORKING_DIRECTORY "${WORK}/cwd" TIMEOUT 60)
file(READ "${EXPECTED}" expected)
if(NOT rc EQUAL STATUS)
  message(FATAL_ERROR "exit code ${rc}, not ${STATUS}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(NOT out STREQUAL expected)
  file(WRITE "${WORK}/actual.out" "${out}")
  message(FATAL_ERROR "output differs from ${EXPECTED}\n--- expected\n${expected}--- actual\n${out}--- stderr\n${err}")
endif()
