// The first start (no saved settings) on a 1600 x 1000 screen with a document named on the
// command line: the window takes most of the screen, the document window fills the document
// area with the page's top left in view, and no MIDI input is told in plain words. A test
// program has one screen, so the test runs itself again in a child process with that screen.
#include <QGuiApplication>
#include <QMdiArea>
#include <QScreen>
#include <fstream>
#include <iostream>

#include "frontend/app/main_frame.h"
#include "frontend/app/ormest_app.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/midi/midi_input_path.h"
#include "frontend/midi/midi_mailbox.h"
#include "frontend/view/frames.h"
#include "frontend/view/ormest_doc.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr char kChildVariable[] = "ORMEST_FIRST_START_FOLDER";
constexpr int kScreenWidth = 1600;
constexpr int kScreenHeight = 1000;

// The child's part: the real application, started as "ormest <folder>/scale.MUS" would be.
void first_start_in_this_process(const fs::path& folder) {
    ASSERT_NO_FATAL_FAILURE(prepare_child_application(folder));

    static int argc = 2;
    static char name[] = "ormest";
    static char document[] = "scale.MUS";  // relative, as typed
    static char* argv[] = {name, document, nullptr};
    COrmestApp app(argc, argv);
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    ASSERT_NE(frame, nullptr);
    run_events(300);

    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect available = screen->availableGeometry();
    ASSERT_EQ(available.size(), QSize(kScreenWidth, kScreenHeight)) << "the screen was not set";

    // Most of the screen (90% of each side, give or take a pixel), centred on it.
    const QRect window = frame->geometry();
    EXPECT_NEAR(window.width(), available.width() * 9 / 10, 2);
    EXPECT_NEAR(window.height(), available.height() * 9 / 10, 2);
    EXPECT_LE(std::abs(window.center().x() - available.center().x()), 2);
    EXPECT_LE(std::abs(window.center().y() - available.center().y()), 2);
    EXPECT_TRUE(available.contains(window));

    // One document window, the document's, filling the document area.
    const QList<QMdiSubWindow*> windows = frame->MdiArea()->subWindowList();
    ASSERT_EQ(windows.size(), 1);
    auto* child = qobject_cast<CChildFrame*>(windows.front());
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Document()->Title(), "scale.MUS");
    EXPECT_TRUE(child->isMaximized());
    EXPECT_EQ(child->size(), frame->MdiArea()->viewport()->size());
    EXPECT_GT(core::ItemCount, 0);

    // The page's top left is in view: the highest point drawn (this page's top staff reaches
    // above the page origin) is inside the view, and music is drawn near the view's top.
    COrmestView* view = child->View();
    ASSERT_GT(frontend::ScreenLists.top, 0);
    EXPECT_EQ(view->DeviceScrollPosition().x(), 0);
    const QPoint top_left = view->PageToDevice(QPoint(0, frontend::ScreenLists.top));
    EXPECT_EQ(top_left.x(), 0);
    EXPECT_GE(top_left.y(), 0);
    EXPECT_LT(top_left.y(), 40);
    const QImage page = view->viewport()->grab().toImage();
    EXPECT_GT(dark_pixels(page, 128, QRect(0, 0, page.width(), 60)), 50);

    // Without MIDI input the message line says only that.
    if (frontend::NoMidiInputDevices != 0) {
        EXPECT_EQ(frame->CommandBar()->MessageText().trimmed(), frontend::kNoMidiInputText);
    }

    const fs::path picture = screenshot_folder() / "first_start.png";
    EXPECT_TRUE(frame->grab().save(QString::fromStdString(picture.string())));
    std::cout << "first start: " << picture.string() << '\n';
    frame->close();
}

}  // namespace

TEST(FirstStart, OnA1600x1000ScreenTheWindowAndItsDocumentFillTheScreen) {
    if (const char* folder = std::getenv(kChildVariable); folder != nullptr && *folder != '\0') {
        first_start_in_this_process(folder);
        return;
    }
    const TempFolder temp("first_start");
    const fs::path folder = temp.root();
    fs::create_directories(folder / "config");
    fs::copy_file(reference_file("scale.MUS"), folder / "scale.MUS");
    // The offscreen platform reads its screens from a file.
    const fs::path screens = folder / "screens.json";
    std::ofstream(screens) << "{ \"screens\": [ { \"name\": \"first\", \"x\": 0, \"y\": 0, "
                           << "\"width\": " << kScreenWidth << ", \"height\": " << kScreenHeight
                           << ", \"logicalDpi\": 96 } ] }\n";

    expect_child_test_passes(
        folder, QStringLiteral("offscreen:configfile=") + QString::fromStdString(screens.string()),
        kChildVariable, QStringLiteral("FirstStart.*"));
}
