// Entry of the console front-end, called by the program's main for "--console".
#pragma once

// Parses the console's arguments (argv[0] the program), starts the engine and runs the input
// loop; returns the process exit code.
int run_console_main(int argc, char** argv);
