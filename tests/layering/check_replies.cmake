cmake_policy(SET CMP0057 NEW)
# Fails when a reply reaches the user by a road that is not given its kind: the front-end's
# message box or message line called from anywhere but the bridge's routines, or the console's
# output written anywhere but its one printing routine (and the usage text before any session).
set(faults "")

function(find_lines regex allowed_files)
  set(files "")
  foreach(folder engine output console platform frontend)
    file(GLOB_RECURSE found "${SOURCE}/${folder}/*.h" "${SOURCE}/${folder}/*.cpp")
    list(APPEND files ${found})
  endforeach()
  foreach(f ${files})
    file(RELATIVE_PATH rel "${SOURCE}" "${f}")
    if(rel IN_LIST allowed_files)
      continue()
    endif()
    file(STRINGS "${f}" lines REGEX "${regex}")
    foreach(l ${lines})
      string(APPEND faults "\n  ${rel}: ${l}")
    endforeach()
  endforeach()
  set(faults "${faults}" PARENT_SCOPE)
endfunction()

# The port's reply calls: only the bridge, which marks the run for a failure, calls them.
find_lines("front_end\\(\\)\\.(ShowMessageBox|SetMessageLineText)\\("
           "engine/core/bridge/console_bridge.cpp")
# The console's output: print_aside alone writes replies to it.
find_lines("(out_|std::cout) <<"
           "console/console_front_end.cpp;console/console_main.cpp")
foreach(f console/console_front_end.cpp console/console_main.cpp)
  file(STRINGS "${SOURCE}/${f}" lines REGEX "(out_|std::cout) <<")
  foreach(l ${lines})
    if(NOT l MATCHES "out_ << core::shown_text\\(l\\) << '\\\\n';" AND NOT l MATCHES "std::cout << kUsage;")
      string(APPEND faults "\n  ${f}: ${l}")
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Replies shown without their kind:${faults}")
endif()
