// Tests of the application, the main frame and the document: the front-end fixture, and the
// settings in a fresh folder (XDG_CONFIG_HOME), the engine's data from the build and a fresh
// work folder that is also the current folder.
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

#include "engine/core/files/document_files.h"
#include "frontend/app/bar_layout.h"
#include "frontend/app/frame_state.h"
#include "frontend/app/main_frame.h"
#include "frontend/app/ormest_app.h"
#include "frontend/view/ormest_doc.h"
#include "tests/frontend/frontend_fixture.h"

class AppTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        frontend::ResetFrameState();
        dir_ = temp_dir();
        config_ = dir_ / "config";
        std::filesystem::create_directories(config_);
        setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
        // QSettings keeps the folder it found first; point it at this test's folder as well.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(config_.string()));
        const char* home = std::getenv("ORMEST_HOME");
        ASSERT_TRUE(home != nullptr && *home != '\0') << "ORMEST_HOME names the data folder";
        platform::set_data_folder(home);
        temp_->enter();
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
        FrontEndTest::TearDown();
    }

    // A main frame made as the application makes it (the engine starts as its last step).
    CMainFrame& make_frame() {
        frame_.reset();
        frame_ = std::make_unique<CMainFrame>();
        frame_->SetFrontEnd(&fe_);
        EXPECT_EQ(frame_->OnCreate(), 0);
        frontend::TakeHelpPath();
        return *frame_;
    }
    // Closes the frame and forgets the window words, as a program that ends and starts again.
    CMainFrame& restart_frame() {
        frame_.reset();
        frontend::ResetFrameState();
        frontend::ResetViewState();
        return make_frame();
    }

    // A new page in the shown frame, a staff typed into its command bar (which has the focus)
    // and left unsaved, and a.mus (kPage) written in the test's folder. edit is the bar's input.
    void shown_with_unsaved_staff(CMainFrame& f, QWidget*& edit);

    // The settings file the program writes.
    std::filesystem::path settings_file() const { return config_ / "Fenwright" / "ormest.conf"; }

    std::unique_ptr<QSettings> settings() const { return frontend::OpenProgramSettings(); }

    std::filesystem::path dir_;
    std::filesystem::path config_;
    std::unique_ptr<CMainFrame> frame_;
    std::vector<std::string> messages_;
    std::vector<std::string> questions_;
};

// Writes records (each a P1..Pn list) with the engine's own document writer.
inline void write_document(const std::filesystem::path& p,
                           const std::vector<std::vector<float>>& records) {
    auto words = std::make_unique<core::DocumentWords>();
    int32_t next = 1;
    for (const auto& r : records) {
        (*words)(next++) = static_cast<float>(r.size());
        for (float v : r) (*words)(next++) = v;
    }
    ASSERT_EQ(core::write_document(p.string(), *words, next, core::kDocumentLevel, 0),
              core::DocumentStatus::Ok);
}

// A staff and two notes on it.
inline const std::vector<std::vector<float>> kPage = {{8, 1, 0}, {1, 1, 10, 5}, {1, 1, 20, 3}};

inline void AppTest::shown_with_unsaved_staff(CMainFrame& f, QWidget*& edit) {
    f.OnFileNew();
    write_document(dir_ / "a.mus", kPage);
    edit = f.CommandBar()->InputEdit();
    f.show();
    f.activateWindow();
    for (int k = 0; k < 200 && QApplication::focusWidget() != edit; ++k) run_events(10);
    ASSERT_EQ(QApplication::focusWidget(), edit);
    type(edit, "8 1 0");
    press(edit, Qt::Key_Return, QStringLiteral("\r"));
    press(edit, Qt::Key_Return, QStringLiteral("\r"));
    ASSERT_EQ(core::ItemCount, 1);
}
