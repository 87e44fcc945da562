// Tests of the application, the main frame and the document: a clean engine and clean window
// words for each test, the settings in a fresh folder (XDG_CONFIG_HOME), the engine's data
// from the build and a fresh work folder, and a QtFrontEnd that answers without a window.
#pragma once

#include <QMessageBox>
#include <QSettings>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/front_end_port.h"
#include "frontend/app/bar_layout.h"
#include "frontend/app/frame_state.h"
#include "frontend/app/main_frame.h"
#include "frontend/app/ormest_app.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/qt_front_end.h"
#include "frontend/view/ormest_doc.h"
#include "frontend/view/ormest_view.h"
#include "platform/paths.h"
#include "tests/frontend/frontend_fixture.h"

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test_application();
        char pattern[] = "/tmp/app_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        config_ = dir_ / "config";
        std::filesystem::create_directories(config_);
        std::filesystem::create_directories(dir_ / "work");
        setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
        // QSettings keeps the folder it found first; point it at this test's folder as well.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(config_.string()));

        const char* home = std::getenv("ORMEST_HOME");
        ASSERT_TRUE(home != nullptr && *home != '\0') << "ORMEST_HOME names the data folder";
        platform::set_data_folder(home);
        platform::set_work_folder((dir_ / "work").string());
        old_cwd_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);

        core::reset_engine();
        frontend::ResetGateState();
        frontend::ResetViewState();
        frontend::ResetFrameState();
        frontend::Hooks() = frontend::GateHooks{};
        fe_ = std::make_unique<QtFrontEnd>();
        fe_->SetUnattended(true);
        core::set_front_end(fe_.get());
        frontend::SetDocumentMessageHook(
            [this](const QString& text) { messages_.push_back(text.toStdString()); });
        // "Save changes to ...?" is answered No unless a test answers it otherwise.
        frontend::SetSaveQuestionHook([this](const QString& text) {
            questions_.push_back(text.toStdString());
            return static_cast<int>(QMessageBox::No);
        });
    }

    void TearDown() override {
        frame_.reset();
        frontend::SetDocumentMessageHook(nullptr);
        frontend::SetSaveQuestionHook(nullptr);
        core::set_front_end(nullptr);
        fe_.reset();
        frontend::Hooks() = frontend::GateHooks{};
        frontend::SetInputListener(nullptr);
        if (!old_cwd_.empty()) std::filesystem::current_path(old_cwd_);
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }

    // A main frame made as the application makes it (the engine starts as its last step).
    CMainFrame& make_frame() {
        frame_.reset();
        frame_ = std::make_unique<CMainFrame>();
        frame_->SetFrontEnd(fe_.get());
        EXPECT_EQ(frame_->OnCreate(), 0);
        frontend::TakeHelpPath();
        return *frame_;
    }

    // The settings file the program writes.
    std::filesystem::path settings_file() const { return config_ / "Fenwright" / "ormest.conf"; }

    std::unique_ptr<QSettings> settings() const { return frontend::OpenProgramSettings(); }

    std::filesystem::path dir_;
    std::filesystem::path config_;
    std::filesystem::path old_cwd_;
    std::unique_ptr<QtFrontEnd> fe_;
    std::unique_ptr<CMainFrame> frame_;
    std::vector<std::string> messages_;
    std::vector<std::string> questions_;
};
