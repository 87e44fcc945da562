// The local time of day, which a test can set.
#pragma once

#include <cstdint>
#include <optional>

namespace platform {

struct TimeOfDay {
    int32_t hours = 0;
    int32_t minutes = 0;
    int32_t seconds = 0;
    int32_t hundredths = 0;
};

// The local time now, or the time set for tests.
TimeOfDay local_time_of_day();
// Tests: every later call answers time; std::nullopt goes back to the real clock.
void set_time_of_day_for_tests(std::optional<TimeOfDay> time);

}  // namespace platform
