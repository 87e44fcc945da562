#include "tests/frontend/frontend_fixture.h"

#include <unistd.h>

#include "engine/commands/start_up.h"

bool FrontEndTest::start_engine_with_data() {
    const char* home = std::getenv("ORMEST_HOME");
    if (home == nullptr || *home == '\0') return false;
    char pattern[] = "/tmp/frontend_test_XXXXXX";
    if (mkdtemp(pattern) == nullptr) return false;
    temp_dir_ = pattern;
    const std::filesystem::path work = temp_dir_ / "work";
    std::filesystem::create_directories(work);
    platform::set_data_folder(home);
    platform::set_work_folder(work.string());
    return core::start_engine();
}

// fontconfig keeps its configuration for the life of the process and Qt never frees it; the
// leak checker would report it at every exit of a test that drew text. Weak, so that another
// test file of this program may give the same list.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
