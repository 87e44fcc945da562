#include "platform/clock.h"

#include <chrono>
#include <ctime>

namespace platform {

namespace {
std::optional<TimeOfDay> g_fixed_time;
}  // namespace

TimeOfDay local_time_of_day() {
    if (g_fixed_time) return *g_fixed_time;
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto since_second =
        now.time_since_epoch() - std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch());
    TimeOfDay t;
    t.hours = local.tm_hour;
    t.minutes = local.tm_min;
    t.seconds = local.tm_sec;
    t.hundredths = static_cast<int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since_second).count() / 10);
    return t;
}

void set_time_of_day_for_tests(std::optional<TimeOfDay> time) { g_fixed_time = time; }

}  // namespace platform
