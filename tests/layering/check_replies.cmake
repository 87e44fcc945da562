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

# The folders whose every reply is given its kind; widen the list as each folder is done.
set(kinded_folders engine/commands output console frontend)
set(kinded_files "")
foreach(folder ${kinded_folders})
  file(GLOB_RECURSE found "${SOURCE}/${folder}/*.h" "${SOURCE}/${folder}/*.cpp")
  list(APPEND kinded_files ${found})
endforeach()

# MessageLine is written only through the bridge's routines (leave_reply for a reply with its
# kind, set_exchange_text and clear_exchange_text for a line handed between engine and
# front-end); console_bridge.cpp holds them.
set(message_line_writers "engine/core/bridge/console_bridge.cpp")
set(writes "(^|[^A-Za-z_])MessageLine(\\.(set|blank|put|data)\\(| *=[^=]|\\([^()]*\\) *=[^=])")
set(copies "(^|[^A-Za-z_])(StoreLine|store|write_int_field|write_real_field|convert_bars_to_newlines)\\((core::)?MessageLine[,)]")
# A reply's kind comes first: a ReplyKind value, or a variable holding one ("kind", "reply_kind").
set(reply_call "(^|[^A-Za-z_:])(core::)?(show_message|show_prompt)\\([ \t\r\n]*[A-Za-z_:]*")
foreach(f ${kinded_files})
  file(RELATIVE_PATH rel "${SOURCE}" "${f}")
  file(READ "${f}" text)
  # Comments out first: a comment may name a call.
  string(REGEX REPLACE "//[^\n]*" "" text "${text}")
  if(NOT rel IN_LIST message_line_writers)
    foreach(form "${writes}" "${copies}")
      string(REGEX MATCHALL "${form}[^\n]*" found "${text}")
      foreach(m ${found})
        string(APPEND faults "\n  ${rel}: MessageLine written outside the bridge: ${m}")
      endforeach()
    endforeach()
  endif()
  string(REGEX MATCHALL "${reply_call}" found "${text}")
  foreach(m ${found})
    string(REGEX REPLACE "^.*(show_message|show_prompt)\\([ \t\r\n]*" "" first "${m}")
    if(NOT first MATCHES "^(core::)?ReplyKind::" AND NOT first MATCHES "^[a-z_]*kind$")
      string(REGEX REPLACE "^[^a-z]+" "" call "${m}")
      string(APPEND faults "\n  ${rel}: a reply without its kind: ${call}")
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Replies shown without their kind:${faults}")
endif()
