// Tests of the window's bridge and view: one QApplication for the test program (offscreen),
// a clean engine and clean front-end words for each test, and a QtFrontEnd that answers
// message boxes and questions without a window.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>
#include <bit>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "frontend/app/command_bar.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/input_waits.h"
#include "frontend/bridge/keys.h"
#include "frontend/bridge/qt_front_end.h"
#include "frontend/bridge/services.h"
#include "frontend/view/ormest_view.h"
#include "platform/paths.h"
#include "tests/support/screenshots.h"
#include "tests/support/temp_folder.h"

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

// The child's ground before it makes the real application: no application yet, the build's
// data folder, the work folder under folder, and folder the current folder.
inline void prepare_child_application(const std::filesystem::path& folder) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr) << "the child runs this test alone";
    const char* home = std::getenv("ORMEST_HOME");
    ASSERT_TRUE(home != nullptr && *home != '\0');
    platform::set_data_folder(home);
    platform::set_work_folder((folder / "work").string());
    std::filesystem::current_path(folder);
}

// Runs this test program again as a child with only the tests matching filter, on the Qt
// platform given, its settings and state under folder, and child_variable naming folder (the
// child's sign that it is the child). The child must end normally, its one test passed.
inline void expect_child_test_passes(const std::filesystem::path& folder, const QString& platform,
                                     const char* child_variable, const QString& filter) {
    test_application();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"),
               QString::fromStdString((folder / "config").string()));
    env.insert(QStringLiteral("XDG_STATE_HOME"),
               QString::fromStdString((folder / "state").string()));
    env.insert(QString::fromLatin1(child_variable), QString::fromStdString(folder.string()));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=") + filter});
    ASSERT_TRUE(child.waitForStarted(30000));
    const bool finished = child.waitForFinished(120000);
    if (!finished) child.kill();
    child.waitForFinished(10000);
    const QString out = QString::fromLocal8Bit(child.readAll());
    ASSERT_TRUE(finished) << out.toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << out.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("[  PASSED  ] 1 test"))) << out.toStdString();
}

// Presses a key in a widget and lets it come up again; text is what the key types. A stroke
// made while an earlier press is still being handled (an answer typed inside the wait that the
// earlier Enter started) comes after that key came up, as a keyboard gives it.
inline void press(QWidget* w, int key, const QString& text = QString(),
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool repeat = false) {
    if (!repeat) {
        QKeyEvent earlier_up(QEvent::KeyRelease, key, modifiers, text);
        QCoreApplication::sendEvent(w, &earlier_up);
    }
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text, repeat);
    QCoreApplication::sendEvent(w, &event);
    // A keyboard's key comes up again (a repeat's release is a repeat too).
    QKeyEvent up(QEvent::KeyRelease, key, modifiers, text, repeat);
    QCoreApplication::sendEvent(w, &up);
}

// Types text key by key (letters, digits, blank, '.').
inline void type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        int key = Qt::Key_Space;
        if (c.isLetter()) key = Qt::Key_A + (c.toUpper().unicode() - 'A');
        if (c.isDigit()) key = Qt::Key_0 + (c.unicode() - '0');
        if (c == QLatin1Char('.')) key = Qt::Key_Period;
        press(w, key, QString(c), c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
    }
}

// Runs the event loop for about ms milliseconds.
inline void run_events(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The answers still waiting for their dialog; a test's end drops them, so that no answer (and
// the test's locals it holds) reaches a later test.
inline std::vector<QPointer<QTimer>>& pending_dialog_answers() {
    static std::vector<QPointer<QTimer>> pending;
    return pending;
}
inline void drop_pending_dialog_answers() {
    for (const QPointer<QTimer>& t : pending_dialog_answers())
        if (t) delete t.data();
    pending_dialog_answers().clear();
}

// Plays the next modal dialog once it is up: act gets it. The answer waits for the dialog to be
// shown (a loaded machine may take its time), at most 20 seconds, then fails the test.
inline void answer_next_dialog(std::function<void(QDialog&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    pending_dialog_answers().emplace_back(timer);
    const QDeadlineTimer deadline(20000);
    QObject::connect(timer, &QTimer::timeout, [timer, deadline, act = std::move(act)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            if (!deadline.hasExpired()) return;
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no dialog opened";
            return;
        }
        timer->stop();
        timer->deleteLater();
        act(*dialog);
    });
    timer->start();
}
// The engine dialogs name each control "c" + its id.
template <typename W = QLineEdit>
W* control(QDialog& d, int id) {
    return d.findChild<W*>(QStringLiteral("c%1").arg(id));
}
inline QLineEdit* field(QDialog& d, int id) { return control<QLineEdit>(d, id); }
// Clicks the button of an id; a dialog without it fails the test.
inline void click(QDialog& d, int id) {
    auto* b = control<QAbstractButton>(d, id);
    ASSERT_NE(b, nullptr) << id;
    b->click();
}

// An engine line up to its NUL ("<no NUL>" when the dialog left none).
template <int N>
std::string up_to_nul(const core::FixedText<N>& line) {
    const std::string_view v = line.view();
    const std::size_t nul = v.find('\0');
    return nul == std::string_view::npos ? "<no NUL>" : std::string(v.substr(0, nul));
}

// An act for answer_next_dialog: key k pressed in the dialog.
inline std::function<void(QDialog&)> key_in_dialog(int k) {
    return [k](QDialog& d) { press(&d, k); };
}

// A window front-end that keeps the line in MessageLine whenever the engine arms key mode,
// which it does first thing in a call that takes a key token or a typed line, and then runs
// inside_call once, inside that engine call. It also keeps the message lines and boxes.
class LineProbe : public QtFrontEnd {
  public:
    std::vector<std::string> lines;
    std::vector<std::string> message_lines;
    std::vector<std::string> message_boxes;
    std::function<void()> inside_call;
    void ArmImmediateKeyMode() override {
        QtFrontEnd::ArmImmediateKeyMode();
        lines.emplace_back(core::MessageLine.view());
        if (!inside_call) return;
        auto action = std::move(inside_call);
        inside_call = nullptr;
        action();
    }
    void SetMessageLineText(core::ReplyKind kind, const char* text) override {
        message_lines.emplace_back(text == nullptr ? "" : text);
        QtFrontEnd::SetMessageLineText(kind, text);
    }
    int ShowMessageBox(core::ReplyKind kind, const char* text) override {
        message_boxes.emplace_back(text == nullptr ? "" : text);
        return QtFrontEnd::ShowMessageBox(kind, text);
    }
};

// A page view of its own, 800 by 600 device points, shown and laid out.
inline std::unique_ptr<COrmestView> shown_page_view() {
    auto view = std::make_unique<COrmestView>();
    view->resize(800, 600);
    view->show();
    QApplication::processEvents();
    return view;
}

// The device point of view at P3 p3 and level p4 of staff s, as the engine measures the page.
inline QPoint page_device_point(const COrmestView& view, int32_t s, float p3, float p4) {
    const int32_t x = static_cast<int32_t>(p3 * 150.0f) + render::ViewOrigin.x;
    const int32_t y = static_cast<int32_t>(layout::StaffTables.StaffBaseY(s) +
                                           p4 * 7.0f * layout::StaffTables.StaffScale(s)) -
                      render::ViewOrigin.y;
    return view.PageToDevice(QPoint(frontend::EngineToPage(x, frontend::DisplayScale),
                                    frontend::EngineToPage(y, frontend::DisplayScale)));
}

class FrontEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test_application();
        core::reset_engine();
        frontend::ResetGateState();
        frontend::ResetViewState();
        frontend::ResetKeyWords();
        frontend::ResetWaitWords();
        frontend::ResetCommandBarWords();
        frontend::ServiceDialogHooks() = frontend::ServiceDialogs{};
        frontend::Hooks() = frontend::GateHooks{};
        frontend::Hooks().message_box = [this](std::string_view text) {
            gate_messages_.emplace_back(text);
        };
        fe_.SetUnattended(true);
        core::set_front_end(&fe_);
    }
    void TearDown() override {
        drop_pending_dialog_answers();
        fe_.SetCommandBar(nullptr);
        bar_.reset();
        core::set_front_end(nullptr);
        core::OutputBufferViews.graphics.unbind();
        core::OutputBufferViews.text.unbind();
        frontend::Hooks() = frontend::GateHooks{};
        frontend::ServiceDialogHooks() = frontend::ServiceDialogs{};
        frontend::SetInputListener(nullptr);
    }

    // A fresh temporary folder (made on first use) that is the program's work folder.
    const std::filesystem::path& temp_dir() {
        if (!temp_) temp_.emplace("frontend_test");
        return temp_->root();
    }
    // Points the engine at the build's data folder and a fresh work folder and starts it, as
    // the application does before its first command. False when there is no data folder.
    bool start_engine_with_data();
    // Hands the window's screen lists to the engine for drawing outside a gate call (the engine
    // reset at the next set-up takes them back).
    static void bind_screen_lists();

    // A command bar without a frame, linked to the front-end; its input edit.
    QWidget* make_bar() {
        bar_ = std::make_unique<CCommandBar>();
        fe_.SetCommandBar(bar_.get());
        return edit();
    }
    QWidget* edit() const { return bar_->InputEdit(); }

    // Runs a line through the gate as a typed command; the gate's answer.
    static int32_t run_line(std::string_view text = "ZZQX") {
        core::FixedText<512> line(text);
        int32_t status = 0;
        return frontend::RunEngineLine(line, status);
    }

    LineProbe fe_;
    std::unique_ptr<CCommandBar> bar_;
    std::vector<std::string> gate_messages_;
    std::optional<TempFolder> temp_;
};

// A front-end whose dialogs open (offscreen) for the case to answer with answer_next_dialog,
// instead of taking their cancel result unattended.
class AttendedDialogTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        fe_.SetUnattended(false);
    }
    void TearDown() override {
        fe_.SetUnattended(true);
        FrontEndTest::TearDown();
    }
};

// tests/reference/NAME, or NAME in $ORMEST_REFERENCE_DIR.
inline std::filesystem::path reference_file(const std::string& name) {
    if (const char* d = std::getenv("ORMEST_REFERENCE_DIR"); d != nullptr && *d != '\0')
        return std::filesystem::path(d) / name;
    std::filesystem::path tests = std::filesystem::path(__FILE__).parent_path().parent_path();
    // A source path relative to the build folder (as the compiler was given it) is taken from
    // the test program's folder, the top of the build folder, whatever the current folder.
    if (tests.is_relative()) {
        test_application();
        tests = std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / tests;
    }
    return tests / "reference" / name;
}

// The program beside the test program (both sit at the top of the build folder).
inline QString program_path() {
    test_application();
    return QCoreApplication::applicationDirPath() + QStringLiteral("/ormest");
}

// Pixels darker than grey level `below` in rect (the whole image when rect is empty).
inline int dark_pixels(const QImage& image, int below = 96, QRect rect = QRect()) {
    const QRect r = rect.isEmpty() ? image.rect() : rect.intersected(image.rect());
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += qGray(image.pixel(x, y)) < below;
    return n;
}

// The screen lists painted by the view's own painting code at a zoom into a white image that
// holds everything drawn, with `margin` pixels on each side.
struct PaintedLists {
    QImage image;
    double scale = 0;  // pixels per engine unit
    QPoint origin;     // the image's top left in device pixels
    QPointF at(double engine_x, double engine_y) const {
        return {scale * engine_x - origin.x(), -scale * engine_y - origin.y()};
    }
};
std::optional<PaintedLists> paint_screen_lists(int32_t zoom, int margin);

// Text records as the engine writes them into the text display stream: little-endian, no
// padding.
struct StreamBuilder {
    std::vector<uint8_t> bytes;
    void string(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
    }
    void word(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void real(float f) { word(std::bit_cast<uint32_t>(f)); }
    // Escapement 0, weight 700, not underlined.
    void record(const std::string& face, float height, float width, int32_t pieces,
                uint32_t colour = 0x0000FF, int32_t italic = 1) {
        string(face);
        real(height);
        real(width);
        for (uint32_t w : {0u, colour, 700u, static_cast<uint32_t>(italic), 0u}) word(w);
        word(static_cast<uint32_t>(pieces));
    }
    void piece(int32_t x, int32_t y, const std::string& text) {
        word(static_cast<uint32_t>(x));
        word(static_cast<uint32_t>(y));
        string(text);
    }
    int32_t length() const { return static_cast<int32_t>(bytes.size()); }
};
