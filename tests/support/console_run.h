// Runs the console front-end over typed lines and returns what it printed.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "console/console_front_end.h"
#include "engine/core/front_end_port.h"

inline std::string run_console(const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    ConsoleFrontEnd fe(in, out);
    core::set_front_end(&fe);
    EXPECT_EQ(fe.run(), 0);
    core::set_front_end(nullptr);
    return out.str();
}
