// Palette tests: a small palette folder of the test's own (palettes.txt, handlers.txt, icons/)
// and a palette toolbar without a frame, or the build's real palette data.
#pragma once

#include <QToolBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "frontend/app/command_handlers.h"
#include "frontend/app/frame_state.h"
#include "frontend/app/palettes.h"
#include "tests/frontend/frontend_fixture.h"

// Palettes 134 (30 slots, one separator), 161, 172, 176, 200 (22 buttons), 222, 223, 224, 268,
// 269, 270, 271 (each 4 buttons); the handlers of a few kinds; id 33530 has none.
inline void write_small_palettes(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir / "icons");
    std::ofstream h(dir / "handlers.txt");
    h << "# small test table\n"
         "34052 send - \"UNDO \" | \"Undo\" \"Undo it\"\n"
         "32780 two-sends - \"ee \" \"FW \" | \"Display full width\" \"Display full width\"\n"
         "32861 palette 134 | \"Restore Basic Menu\" \"Restore Basic Menu\"\n"
         "33043 palette 0 | \"Main Slur Menu\" \"Main Slur Menu\"\n"
         "33758 group-edit 222 | \"Group Edit\" \"Group Edit\"\n"
         "33012 by-palette 161,223 \"QQ172 \" \"QQ268 \" \"QQ269 \" | \"Brackets etc.\" "
         "\"Brackets\"\n"
         "32895 return 134 | \"Return\" \"Return\"\n"
         "32776 zoom-plus - | \"Zoom plus\" \"Zoom plus\"\n"
         "32777 zoom-minus - | \"Zoom minus\" \"Zoom minus\"\n"
         "32858 send-palette 205 \"GUIT \" | \" Code 12 Guitar Grid\" \"Guitar\"\n"
         "33394 palette-send 200 \"SLIDER  \" | \"Change Parameter with Slider\" \"Slider\"\n"
         "32829 nothing - | \"Draw items\" \"Draw items\"\n";
    std::ofstream p(dir / "palettes.txt");
    p << "134 25x24";
    for (int i = 0; i < 30; ++i) p << (i == 3 ? " 0" : i == 24 ? " 33530" : " 34052");
    p << "\n";
    for (int id : {161, 172, 176, 205, 222, 223, 224, 268, 269, 270, 271}) {
        p << id << " 24x24 32861 34052 32780 33530\n";
    }
    p << "200 24x24";
    for (int i = 0; i < 22; ++i) p << " 34052";
    p << "\n";
}

class PaletteTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        frontend::ResetFrameState();
        frontend::ResetPaletteState();
        folder_ = temp_dir() / "palettes";
        write_small_palettes(folder_);
        frontend::UsePaletteFolder(folder_.string());
        bar_widget_ = std::make_unique<QToolBar>();
        frontend::PaletteToolbarWnd = bar_widget_.get();
        frontend::SetHandlerSender([this](const std::string& t) { sent_.push_back(t); });
    }
    void TearDown() override {
        frontend::SetHandlerSender(nullptr);
        frontend::PaletteToolbarWnd = nullptr;
        bar_widget_.reset();
        frontend::ResetPaletteState();
        frontend::UsePaletteFolder("");
        FrontEndTest::TearDown();
    }

    std::filesystem::path folder_;
    std::unique_ptr<QToolBar> bar_widget_;
    std::vector<std::string> sent_;
};

// The build's real palette data on a toolbar without a frame, and the engine started with its
// data folder (ORMEST_HOME), ready for typed commands.
class RealPaletteEngineTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        frontend::ResetFrameState();
        frontend::ResetPaletteState();
        const char* home = std::getenv("ORMEST_HOME");
        ASSERT_TRUE(home != nullptr && *home != '\0');
        frontend::UsePaletteFolder("");
        bar_widget_ = std::make_unique<QToolBar>();
        frontend::PaletteToolbarWnd = bar_widget_.get();
        ASSERT_TRUE(start_engine_with_data());
        core::EngineWaitLevel = 0;
    }
    void TearDown() override {
        frontend::PaletteToolbarWnd = nullptr;
        bar_widget_.reset();
        frontend::ResetPaletteState();
        FrontEndTest::TearDown();
    }
    std::unique_ptr<QToolBar> bar_widget_;
};
