// The start in a work folder that holds a backup kept when the program was ended: the notice
// that tells of it is shown whole in a box, however long the page's name (the message line has
// room for a part of it). The application runs once a process, so the test runs itself again in
// a child process.
#include <QApplication>
#include <QMessageBox>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/commands/files/end_backup.h"
#include "engine/commands/files/file_commands.h"
#include "frontend/app/main_frame.h"
#include "frontend/app/ormest_app.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr char kStartNoticeChild[] = "ORMEST_START_NOTICE_FOLDER";

// A page name long enough that no message line shows the notice whole.
std::string start_notice_page(const fs::path& folder) {
    return (folder / "a folder with a long name for the music" /
            "Funeral March in B flat minor.mus")
        .string();
}

void start_notice_in_this_process(const fs::path& folder) {
    ASSERT_NO_FATAL_FAILURE(prepare_child_application(folder));

    static int argc = 1;
    static char name[] = "ormest";
    static char* argv[] = {name, nullptr};
    COrmestApp app(argc, argv);
    ASSERT_TRUE(app.InitInstance());
    run_events(200);

    const std::string notice = "*** A backup of " + start_notice_page(folder) +
                               " was kept when the program was ended: type GSV to load it.";
    QMessageBox* box = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("StartNotice") && w->isVisible())
            box = qobject_cast<QMessageBox*>(w);
    }
    ASSERT_NE(box, nullptr) << "no notice box";
    EXPECT_EQ(box->text().toStdString(), notice);
    EXPECT_FALSE(box->isModal()) << "the notice must not stop the typing";
    box->close();
    app.MainFrame()->close();
}

}  // namespace

TEST(StartNotice, ABackupKeptAtTheEndIsToldWholeInABox) {
    if (const char* folder = std::getenv(kStartNoticeChild); folder != nullptr && *folder != '\0') {
        start_notice_in_this_process(folder);
        return;
    }
    const TempFolder temp("start_notice");
    const fs::path folder = temp.root();
    const fs::path work = folder / "work";
    fs::create_directories(work);
    fs::create_directories(folder / "config");
    const fs::path backup = work / std::string(core::kBackupCopyFile);
    std::ofstream(backup) << "kept";
    std::ofstream(work / std::string(core::kEndedBackupsRecord))
        << backup.string() << '\t' << start_notice_page(folder) << '\n';

    expect_child_test_passes(folder, QStringLiteral("offscreen"), kStartNoticeChild,
                             QStringLiteral("StartNotice.*"));
}
