// The window started with a document that has a record it cannot read: the notice that names
// the left-out record stays in the message line beside the start's MIDI word (when there is no
// MIDI input), and a box shows it whole. The application runs once a process, so the test runs
// itself again in a child process.
#include <QApplication>
#include <QMessageBox>
#include <filesystem>
#include <limits>
#include <string>

#include "frontend/app/command_bar.h"
#include "frontend/app/main_frame.h"
#include "frontend/app/ormest_app.h"
#include "frontend/midi/midi_input_path.h"
#include "frontend/midi/midi_mailbox.h"
#include "frontend/view/ormest_doc.h"
#include "tests/core/document_bytes.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

constexpr char kLeftOutChild[] = "ORMEST_START_LEFT_OUT_FOLDER";

void start_with_left_out_record(const fs::path& folder) {
    ASSERT_NO_FATAL_FAILURE(prepare_child_application(folder));
    static std::string document = (folder / "nan.MUS").string();
    static int argc = 2;
    static char name[] = "ormest";
    static char* argv[] = {name, document.data(), nullptr};
    COrmestApp app(argc, argv);
    ASSERT_TRUE(app.InitInstance());
    run_events(200);

    const std::string notice =
        "*** 1 record of " + document + " could not be read and was left out.";
    const std::string line = app.MainFrame()->CommandBar()->MessageText().toStdString();
    EXPECT_NE(line.find(notice), std::string::npos) << line;
    if (frontend::NoMidiInputDevices != 0) {
        EXPECT_NE(line.find(frontend::kNoMidiInputText), std::string::npos) << line;
    }
    QMessageBox* box = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("StartNotice") && w->isVisible())
            box = qobject_cast<QMessageBox*>(w);
    }
    ASSERT_NE(box, nullptr) << "no notice box";
    EXPECT_EQ(box->text().toStdString(), notice);
    box->close();
    // The page lacks a record of its file: closing would ask about saving it.
    if (COrmestDoc* doc = app.MainFrame()->ActiveDocument()) doc->SetModifiedFlag(false);
    app.MainFrame()->close();
}

}  // namespace

TEST(StartLeftOut, TheLeftOutRecordsNoticeStaysBesideTheMidiWord) {
    if (const char* folder = std::getenv(kLeftOutChild); folder != nullptr && *folder != '\0') {
        start_with_left_out_record(folder);
        return;
    }
    const TempFolder temp("start_left_out");
    const fs::path folder = temp.root();
    fs::create_directories(folder / "work");
    fs::create_directories(folder / "config");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    write_bytes(folder / "nan.MUS",
                encode(with_trailer({3, 8, 1, 0, 4, 1, 1, 10, 5, 4, 1, 1, nan, 5})));
    expect_child_test_passes(folder, QStringLiteral("offscreen"), kLeftOutChild,
                             QStringLiteral("StartLeftOut.*"));
}
