// RESTORE as a user types it in the console: the kept note goes back before the stored one, once,
// and the saved page holds both versions.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/file_units.h"
#include "engine/core/tables.h"
#include "tests/core/document_bytes.h"
#include "tests/support/console_run.h"
#include "tests/support/temp_folder.h"

namespace {

class RestoreConsoleTest : public ConsoleSessionTest {};

TEST_F(RestoreConsoleTest, RestoTwiceThenSave) {
    const std::filesystem::path file = temp_.root() / "restored.mus";
    const std::string out = type({"EI", "8 1 0", "NOTE RHQ", "I 2", "SH", "X", "RESTO", "X",
                                  "RESTO", "SA " + file.string()});
    // Only the second RESTO finds nothing kept.
    const std::size_t nothing = out.find("*** Nothing to RESTORE.");
    ASSERT_NE(nothing, std::string::npos) << out;
    EXPECT_EQ(out.find("*** Nothing to RESTORE.", nothing + 1), std::string::npos) << out;
    EXPECT_EQ(decode(read_file_bytes(file)), with_trailer({3, 8, 1, 0,                   //
                                                           7, 1, 1, 100, 1, 10, 0, 1,    // put back
                                                           7, 1, 1, 100, 1, 12, 0, 1}))  // stored
        << out;
}

}  // namespace
