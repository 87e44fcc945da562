# Fails when a file of the engine's ground (engine/core) includes a header of a folder above it,
# when render or layout include input, edit or the command layer at the top, or when input or
# edit include the command layer, or when any of them but the command layer includes the
# output (output/).
set(faults "")

# Includes of output/ headers in the given engine folders.
function(check_output_layer)
  foreach(folder ${ARGN})
    file(GLOB found "${SOURCE}/engine/${folder}/*.h" "${SOURCE}/engine/${folder}/*.cpp")
    foreach(f ${found})
      file(STRINGS "${f}" lines REGEX "#include \"output/")
      foreach(l ${lines})
        string(APPEND faults "\n  ${f}: ${l}")
      endforeach()
    endforeach()
  endforeach()
  set(faults "${faults}" PARENT_SCOPE)
endfunction()

# Every include, in the files of the engine folders named after `above`, of a folder matching
# `above`.
function(check_layer above)
  set(files "")
  foreach(folder ${ARGN})
    file(GLOB found "${SOURCE}/engine/${folder}/*.h" "${SOURCE}/engine/${folder}/*.cpp")
    list(APPEND files ${found})
  endforeach()
  foreach(f ${files})
    file(STRINGS "${f}" lines REGEX "#include \"engine/(${above})/")
    foreach(l ${lines})
      string(APPEND faults "\n  ${f}: ${l}")
    endforeach()
  endforeach()
  set(faults "${faults}" PARENT_SCOPE)
endfunction()

check_layer("render|layout|commands|edit|input" core)
# The output (output/) stands beside the command layer: only the commands may call it.
check_output_layer(core render layout input edit)
check_layer("commands|edit|input" render layout)
check_layer("commands" input edit)

if(faults)
  message(FATAL_ERROR "Includes against the engine's layers:${faults}")
endif()
