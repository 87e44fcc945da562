# Fails when a file of the engine's ground (engine/core) includes a header of a folder above it,
# when render or layout include input, edit or the command layer at the top, when input or
# edit include the command layer, when any of them but the command layer includes the output
# (output/), or when the output includes the command layer.
set(faults "")

# Every include of a header under a folder matching `pattern` (a path regex such as
# "engine/(render|layout)" or "output") in the files of the folders named after it (paths from
# the source root, such as engine/core or output).
function(check_includes pattern)
  set(files "")
  foreach(folder ${ARGN})
    # The rooms of a folder (engine/edit/items, ...) stand where their folder stands.
    file(GLOB_RECURSE found "${SOURCE}/${folder}/*.h" "${SOURCE}/${folder}/*.cpp")
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

check_includes("engine/(render|layout|commands|edit|input)" engine/core)
check_includes("engine/(commands|edit|input)" engine/render engine/layout)
check_includes("engine/(commands)" engine/input engine/edit)
# The output (output/) stands beside the command layer: only the commands may call it, and it
# calls them back only through the hooks they fill (output/output_hooks.h).
check_includes("output" engine/core engine/render engine/layout engine/input engine/edit)
check_includes("engine/commands" output)

if(faults)
  message(FATAL_ERROR "Includes against the engine's layers:${faults}")
endif()
