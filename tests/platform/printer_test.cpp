// The printer sink: the file goes to lp, found on PATH and run without a shell.
#include "platform/printer.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/fake_lp.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

class PrinterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_.enter();
        std::ofstream(job_, std::ios::binary) << "%!PS job";
    }
    TempFolder temp_{"printer_test"};
    fs::path job_ = temp_.root() / "job file; rm -rf x.ps";
};

TEST_F(PrinterTest, DefaultQueueGetsTheFile) {
    FakeLp lp(temp_.root() / "bin", 0);
    EXPECT_TRUE(platform::send_to_printer(job_.string(), ""));
    EXPECT_EQ(lp.args(), std::vector<std::string>{job_.string()});
    EXPECT_EQ(lp.job(), "%!PS job");
}

TEST_F(PrinterTest, NamedQueueIsPassedWithDashD) {
    FakeLp lp(temp_.root() / "bin", 0);
    EXPECT_TRUE(platform::send_to_printer(job_.string(), "office q"));
    EXPECT_EQ(lp.args(), (std::vector<std::string>{"-d", "office q", job_.string()}));
}

TEST_F(PrinterTest, RelativeNameStartingWithDashIsNoOption) {
    std::ofstream("-x.ps") << "dash";
    FakeLp lp(temp_.root() / "bin", 0);
    EXPECT_TRUE(platform::send_to_printer("-x.ps", ""));
    EXPECT_EQ(lp.args(), std::vector<std::string>{"./-x.ps"});
    EXPECT_EQ(lp.job(), "dash");
}

TEST_F(PrinterTest, RefusedOrMissingLpIsFalse) {
    {
        FakeLp lp(temp_.root() / "bin", 3);
        EXPECT_FALSE(platform::send_to_printer(job_.string(), ""));
        EXPECT_EQ(lp.job(), "%!PS job");  // it ran, and said no
    }
    {
        FakeLp none(temp_.root() / "empty", -1);
        EXPECT_FALSE(platform::send_to_printer(job_.string(), ""));
    }
    EXPECT_FALSE(platform::send_to_printer("", ""));
}

}  // namespace
