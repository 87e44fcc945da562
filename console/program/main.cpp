// ormest-console: the terminal front-end alone, without the window's or the synthesizer's
// libraries; "ormest --console" hands over to it.
#include "console/console_main.h"

int main(int argc, char** argv) { return run_console_main(argc, argv); }
