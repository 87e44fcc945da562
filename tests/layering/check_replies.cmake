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

# The folders whose replies all carry their kind: MessageLine is written only by the bridge's
# routines (a reply left with its kind, or an exchange with the front-end), and every
# show_message / show_prompt call names its kind first.
set(kinded_folders engine output console frontend)
set(bridge_file engine/core/bridge/console_bridge.cpp)
foreach(folder ${kinded_folders})
  file(GLOB_RECURSE found "${SOURCE}/${folder}/*.h" "${SOURCE}/${folder}/*.cpp")
  foreach(f ${found})
    file(RELATIVE_PATH rel "${SOURCE}" "${f}")
    file(READ "${f}" content)
    # Comments name the routines and the buffer freely.
    string(REGEX REPLACE "//[^\n]*" "" content "${content}")
    if(NOT rel STREQUAL bridge_file)
      # An assignment to the line or one of its characters, a routine that changes it, or a
      # reference through which it could be changed.
      string(REGEX MATCHALL
             "[^A-Za-z_]MessageLine(\\([^)]*\\))?[ ]*=[^=]|[^A-Za-z_]MessageLine\\.(set|put|blank|fill)\\(|&[ ]*[A-Za-z_]+[ ]*=[ ]*(core::)?MessageLine[^A-Za-z_.(]"
             writes "${content}")
      # A routine handed the line to fill.
      string(REGEX MATCHALL
             "[^A-Za-z_](StoreLine|store|write_int_field|write_real_field|convert_bars_to_newlines)\\((core::)?MessageLine[,)]"
             copies "${content}")
      list(APPEND writes ${copies})
      foreach(w ${writes})
        string(APPEND faults "\n  ${rel}: writes MessageLine: ${w}")
      endforeach()
    endif()
    if(rel STREQUAL bridge_file OR rel STREQUAL "engine/core/bridge/console_bridge.h")
      continue()
    endif()
    string(REGEX MATCHALL "[^A-Za-z_.>]show_(message|prompt)\\([ \n]*[A-Za-z_:\"]*" calls
           "${content}")
    foreach(c ${calls})
      # The kind named, or handed on in a variable of its own.
      if(NOT c MATCHES "\\([ \n]*(core::)?ReplyKind::" AND NOT c MATCHES "[Kk]ind$")
        string(APPEND faults "\n  ${rel}: no kind: ${c}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Replies shown without their kind:${faults}")
endif()
