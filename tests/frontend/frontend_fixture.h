// Tests of the window's bridge and view: one QApplication for the test program (offscreen),
// a clean engine and clean front-end words for each test, and a QtFrontEnd that answers
// message boxes and questions without a window.
#pragma once

#include <QApplication>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/front_end_port.h"
#include "engine/core/tables.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/qt_front_end.h"
#include "frontend/view/ormest_view.h"
#include "platform/paths.h"

// The test program's application (offscreen); made on first use and kept to the end.
inline QApplication& test_application() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
    // Tests never open a window on a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "frontend_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A window front-end that keeps the line in MessageLine whenever the engine arms key mode,
// which it does first thing in a call that takes a key token or a typed line.
class LineProbe : public QtFrontEnd {
  public:
    std::vector<std::string> lines;
    void ArmImmediateKeyMode() override {
        QtFrontEnd::ArmImmediateKeyMode();
        lines.emplace_back(core::MessageLine.view());
    }
};

class FrontEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test_application();
        core::reset_engine();
        frontend::ResetGateState();
        frontend::ResetViewState();
        frontend::Hooks() = frontend::GateHooks{};
        frontend::Hooks().message_box = [this](std::string_view text) {
            gate_messages_.emplace_back(text);
        };
        fe_.SetUnattended(true);
        core::set_front_end(&fe_);
    }
    void TearDown() override {
        core::set_front_end(nullptr);
        frontend::Hooks() = frontend::GateHooks{};
        frontend::SetInputListener(nullptr);
        if (!temp_dir_.empty()) std::filesystem::remove_all(temp_dir_);
    }

    // Points the engine at the build's data folder and a fresh work folder and starts it, as
    // the application does before its first command. False when there is no data folder.
    bool start_engine_with_data();

    QtFrontEnd fe_;
    std::vector<std::string> gate_messages_;
    std::filesystem::path temp_dir_;
};

// Where the tests write their pictures: $ORMEST_SCREENSHOT_DIR, else "screenshots" beside the
// build's data folder ($ORMEST_HOME), else under the current folder.
inline std::filesystem::path screenshot_folder() {
    std::filesystem::path dir;
    if (const char* d = std::getenv("ORMEST_SCREENSHOT_DIR"); d != nullptr && *d != '\0') {
        dir = d;
    } else if (const char* home = std::getenv("ORMEST_HOME"); home != nullptr && *home != '\0') {
        dir = std::filesystem::path(home).parent_path() / "screenshots";
    } else {
        dir = std::filesystem::current_path() / "screenshots";
    }
    std::filesystem::create_directories(dir);
    return dir;
}
