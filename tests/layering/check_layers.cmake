# Fails when a file of the engine's ground (engine/core) includes a header of a folder above it,
# when render or layout include input, edit or the command layer at the top, when input or
# edit include the command layer, or when any of them but the command layer includes the
# output (output/).
set(faults "")

# Every include of a header under a folder matching `pattern` (a path regex such as
# "engine/(render|layout)" or "output") in the files of the engine folders named after it.
function(check_includes pattern)
  set(files "")
  foreach(folder ${ARGN})
    file(GLOB found "${SOURCE}/engine/${folder}/*.h" "${SOURCE}/engine/${folder}/*.cpp")
    list(APPEND files ${found})
  endforeach()
  foreach(f ${files})
    file(STRINGS "${f}" lines REGEX "#include \"${pattern}/")
    foreach(l ${lines})
      string(APPEND faults "\n  ${f}: ${l}")
    endforeach()
  endforeach()
  set(faults "${faults}" PARENT_SCOPE)
endfunction()

check_includes("engine/(render|layout|commands|edit|input)" core)
check_includes("engine/(commands|edit|input)" render layout)
check_includes("engine/(commands)" input edit)
# The output (output/) stands beside the command layer: only the commands may call it.
check_includes("output" core render layout input edit)

if(faults)
  message(FATAL_ERROR "Includes against the engine's layers:${faults}")
endif()
