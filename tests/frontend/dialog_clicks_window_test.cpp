// Mouse input of the page window while dialogs come and go, through the window system as a real
// mouse gives it (offscreen): a click in the Edit Text dialog changes the text and leaves the
// edited text where it was; a press held on the page when a dialog opens, a release or move
// without a press on the page, and events sent to the page behind a modal dialog do nothing;
// a dragged note leaves no image at its old place.
#include <QAbstractButton>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QRegion>
#include <QWindow>
#include <memory>

#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/view/ormest_view.h"
#include "tests/frontend/dialog_command_fixture.h"

// The window system's entry for a mouse event (Qt's own test helpers deliver through it): the
// event reaches Qt as a real mouse's does, modal blocking and mouse grabs included.
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                      Qt::MouseButtons state, Qt::MouseButton button,
                                      QEvent::Type type, Qt::KeyboardModifiers mods, int timestamp);

using namespace frontend;
using namespace dialog_commands;

namespace {

// Far enough apart that no two clicks make a double click.
int g_dlgclick_clock = 1000;

// A mouse event at point p of widget w, delivered to w's window as the window system does.
void dlgclick_mouse(QWidget* w, QPoint p, QEvent::Type type, Qt::MouseButtons state) {
    QWidget* top = w->window();
    qt_handleMouseEvent(top->windowHandle(), w->mapTo(top, p), w->mapToGlobal(p), state,
                        type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, type,
                        Qt::NoModifier, g_dlgclick_clock += 1000);
}
void dlgclick_press(QWidget* w, QPoint p) {
    dlgclick_mouse(w, p, QEvent::MouseButtonPress, Qt::LeftButton);
}
void dlgclick_release(QWidget* w, QPoint p) {
    dlgclick_mouse(w, p, QEvent::MouseButtonRelease, Qt::NoButton);
}
void dlgclick_click(QWidget* w, QPoint p) {
    dlgclick_press(w, p);
    dlgclick_release(w, p);
}
// An event sent straight to a widget, past the window system (as a test tool or an input
// method may do).
void dlgclick_send(QWidget* w, QPoint p, QEvent::Type type, Qt::MouseButton button,
                   Qt::MouseButtons state) {
    QMouseEvent e(type, p, w->mapToGlobal(p), button, state, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Red (highlight) pixels in a box around c.
int dlgclick_red_near(const QImage& image, QPoint c) {
    int red = 0;
    const QRect box = QRect(c.x() - 30, c.y() - 60, 60, 120).intersected(image.rect());
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QRgb px = image.pixel(x, y);
            red += qRed(px) > 180 && qGreen(px) < 90 && qBlue(px) < 90;
        }
    return red;
}

// Black (ink) pixels in a box around c.
int dlgclick_black_near(const QImage& image, QPoint c) {
    int black = 0;
    const QRect box = QRect(c.x() - 30, c.y() - 60, 60, 120).intersected(image.rect());
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QRgb px = image.pixel(x, y);
            black += qRed(px) < 90 && qGreen(px) < 90 && qBlue(px) < 90;
        }
    return black;
}

// The page with a text under staff 1.
class DialogClicksWindowTest : public DialogCommandTest {
  protected:
    std::vector<std::vector<float>> page() const override {
        std::vector<float> text = {16, 1, 30, -4, 1, 1, 0, 0, 0, 0, 0, 5, 3};
        const std::vector<float> chars = text_words("_00la");
        text.insert(text.end(), chars.begin(), chars.end());
        return {{8, 1, 0}, {8, 2, 0}, text};
    }
    // The device point of the picker's point of staff s at P3 p3 (one step below the staff).
    static QPoint dlgclick_point(int32_t s, float p3) {
        const int32_t x = static_cast<int32_t>(p3 * 150.0f) + render::ViewOrigin.x;
        const int32_t y = layout::StaffTables.StaffBaseY(s) -
                          static_cast<int32_t>(7.0f * layout::StaffTables.StaffScale(s)) -
                          render::ViewOrigin.y;
        return ActiveView()->PageToDevice(
            QPoint(EngineToPage(x, DisplayScale), EngineToPage(y, DisplayScale)));
    }
};

}  // namespace

// The text is opened by a click on it, a press on the page is held while "TX" opens Edit Text;
// inside the dialog the text field is clicked, the text changed and OK clicked, while the held
// press moves and comes up over the page and events reach the page past the dialog. After the
// dialog the button comes up on the page once more. The text keeps its staff and place, in the
// store and in the saved file.
TEST_F(DialogClicksWindowTest, AClickInTheDialogNeverMovesTheEditedText) {
    frame_->resize(1000, 700);
    QApplication::processEvents();
    COrmestView* view = ActiveView();
    ASSERT_NE(view, nullptr);
    QWidget* page = view->viewport();
    const int32_t text = find_item(16, 1);
    ASSERT_GT(text, 0);
    // The syllable is opened by a click on it, as a user does.
    dlgclick_click(page, dlgclick_point(1, 30.0f));
    ASSERT_EQ(core::EditedItemNumber, text) << reply();
    ASSERT_EQ(core::EditItemParams(1), 16.0f);

    const QPoint far_away = dlgclick_point(2, 90.0f);
    dlgclick_press(page, far_away);
    ASSERT_EQ(view->DragActive, 1);
    Seen seen = type_into_dialog(QStringLiteral("TX"), [page, far_away](QDialog& d) {
        // The press held on the page is over once the dialog is up.
        auto* edit = d.findChild<QPlainTextEdit*>(QStringLiteral("c1000"));
        ASSERT_NE(edit, nullptr);
        dlgclick_mouse(page, far_away + QPoint(40, 40), QEvent::MouseMove, Qt::LeftButton);
        dlgclick_release(page, far_away + QPoint(40, 40));
        dlgclick_click(edit->viewport(), QPoint(30, 12));
        // Events that reach the page past the dialog.
        dlgclick_send(page, far_away, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
        dlgclick_send(page, far_away + QPoint(5, 5), QEvent::MouseMove, Qt::NoButton,
                      Qt::LeftButton);
        dlgclick_send(page, far_away + QPoint(5, 5), QEvent::MouseButtonRelease, Qt::LeftButton,
                      Qt::NoButton);
        edit->selectAll();
        type(edit, QStringLiteral("lo"));
        auto* ok = d.findChild<QAbstractButton*>(QStringLiteral("c1"));
        ASSERT_NE(ok, nullptr);
        dlgclick_click(ok, ok->rect().center());
    });
    ASSERT_TRUE(seen.opened) << reply();
    EXPECT_EQ(seen.title, QStringLiteral("Edit Text"));
    EXPECT_EQ(view->DragActive, 0);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank()) << core::FrontEndCommandBuffer.trimmed();
    // The button of the press held before the dialog comes up over the page.
    dlgclick_release(page, far_away);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank()) << core::FrontEndCommandBuffer.trimmed();
    EXPECT_EQ(core::EditItemParams(2), 1.0f);
    EXPECT_EQ(core::EditItemParams(3), 30.0f);
    EXPECT_EQ(core::EditItemParams(4), -4.0f);

    type_line(QStringLiteral("X"));
    ASSERT_EQ(core::EditedItemNumber, 0) << reply();
    const int32_t k = find_item(16, 1);
    ASSERT_GT(k, 0) << "the text left staff 1";
    EXPECT_EQ(stored_param(k, 3), 30.0f);
    EXPECT_EQ(stored_param(k, 4), -4.0f);
    EXPECT_EQ(stored_param(k, 12), 5.0f);
    EXPECT_EQ(stored_param(k, 14), text_words("_00lo")[0]);
    EXPECT_EQ(stored_param(k, 15), text_words("_00lo")[1]);

    type_line(QStringLiteral("SA kept.mus"));
    auto words = std::make_unique<core::DocumentWords>();
    core::DocumentReadInfo info;
    ASSERT_EQ(core::read_document((dir_ / "kept.mus").string(), *words, info),
              core::DocumentStatus::Ok);
    int32_t at = 1;
    for (int32_t i = 1; i < k; ++i) at += static_cast<int32_t>((*words)(at)) + 1;
    EXPECT_EQ((*words)(at + 1), 16.0f);
    EXPECT_EQ((*words)(at + 2), 1.0f);
    EXPECT_EQ((*words)(at + 3), 30.0f);
    EXPECT_EQ((*words)(at + 4), -4.0f);
    EXPECT_EQ((*words)(at + 14), text_words("_00lo")[0]);
}

namespace {

// The texts the view paints now: every piece of every text record, joined.
std::string dlgclick_painted_text() {
    std::string all;
    for (const TextRecord& r : ScreenLists.text_records)
        for (const TextPiece& piece : r.pieces) all += piece.text;
    return all;
}

}  // namespace

// Edit Text's OK shows the new words on the page at once, before the editing ends; "X" keeps
// them.
TEST_F(DialogClicksWindowTest, EditTextOkShowsTheNewWordsAtOnce) {
    frame_->resize(1000, 700);
    QApplication::processEvents();
    COrmestView* view = ActiveView();
    ASSERT_NE(view, nullptr);
    dlgclick_click(view->viewport(), dlgclick_point(1, 30.0f));
    ASSERT_EQ(core::EditItemParams(1), 16.0f) << reply();
    ASSERT_NE(dlgclick_painted_text().find("la"), std::string::npos) << dlgclick_painted_text();
    Seen seen = type_into_dialog(QStringLiteral("TX"), [](QDialog& d) {
        auto* edit = d.findChild<QPlainTextEdit*>(QStringLiteral("c1000"));
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        type(edit, QStringLiteral("mi"));
        auto* ok = d.findChild<QAbstractButton*>(QStringLiteral("c1"));
        ASSERT_NE(ok, nullptr);
        dlgclick_click(ok, ok->rect().center());
    });
    ASSERT_TRUE(seen.opened) << reply();
    QApplication::processEvents();
    EXPECT_NE(dlgclick_painted_text().find("mi"), std::string::npos) << dlgclick_painted_text();
    type_line(QStringLiteral("X"));
    EXPECT_NE(dlgclick_painted_text().find("mi"), std::string::npos) << dlgclick_painted_text();
    EXPECT_EQ(dlgclick_painted_text().find("la"), std::string::npos) << dlgclick_painted_text();
}

namespace {

// A page view of its own on an engine with a staff and two notes; the second one is opened.
class PageMouseWindowTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        view_ = shown_page_view();
        if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
        core::EngineWaitLevel = 0;
        SendCommand("EI");
        SendCommand("8 1 0");
        SendCommand("1 1 20 1");
        SendCommand("1 1 40 1");
        QApplication::processEvents();
        head_ = note_point(40.0f);
        dlgclick_click(page(), head_);
        ASSERT_EQ(core::EditedItemNumber, 3) << core::MessageLine.trimmed();
        QApplication::processEvents();
    }
    void TearDown() override {
        view_.reset();
        FrontEndTest::TearDown();
    }
    QWidget* page() const { return view_->viewport(); }
    // The device point of the picker's point of a note at P3 p3 and P4 1 on staff 1.
    QPoint note_point(float p3) const {
        const int32_t x = static_cast<int32_t>(p3 * 150.0f) + render::ViewOrigin.x;
        const int32_t y = layout::StaffTables.StaffBaseY(1) - render::ViewOrigin.y;
        return view_->PageToDevice(
            QPoint(EngineToPage(x, DisplayScale), EngineToPage(y, DisplayScale)));
    }
    // Nothing reached the engine: the note where it was, no token waiting.
    void expect_untouched() const {
        EXPECT_EQ(core::EditedItemNumber, 3);
        EXPECT_EQ(core::EditItemParams(3), 40.0f);
        EXPECT_EQ(core::EditItemParams(4), 1.0f);
        EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank())
            << core::FrontEndCommandBuffer.trimmed();
    }
    std::unique_ptr<COrmestView> view_;
    QPoint head_;
};

// Collects the regions the page is painted in.
class PaintRegions : public QObject {
  public:
    QRegion painted;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

// A release or a move with no press on the page (the press went to a dialog or another window)
// is no click and no drag.
TEST_F(PageMouseWindowTest, AReleaseOrMoveWithoutAPressOnThePageDoesNothing) {
    const QPoint elsewhere = note_point(70.0f);
    dlgclick_send(page(), elsewhere, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton);
    dlgclick_send(page(), elsewhere, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
    expect_untouched();
    // The right button's release alone does not end the editing either.
    dlgclick_send(page(), elsewhere, QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(core::EditedItemNumber, 3);
    // A press on the page makes the next release a click again: the note follows it.
    dlgclick_click(page(), note_point(60.0f));
    EXPECT_NEAR(core::EditItemParams(3), 60.0f, 0.2f);
}

// A press held on the page when a modal dialog opens is dropped: neither its moves and release
// while the dialog is up nor its release after the dialog closed reach the engine, and events
// sent to the page behind the dialog are dropped too.
TEST_F(PageMouseWindowTest, APressHeldWhenADialogOpensIsDropped) {
    const QPoint elsewhere = note_point(70.0f);
    dlgclick_press(page(), head_ + QPoint(1, 0));
    ASSERT_EQ(view_->DragActive, 1);
    bool shown = false;
    answer_next_dialog([&](QDialog& d) {
        shown = true;
        EXPECT_EQ(view_->DragActive, 0);
        dlgclick_mouse(page(), elsewhere, QEvent::MouseMove, Qt::LeftButton);
        dlgclick_release(page(), elsewhere);
        dlgclick_send(page(), elsewhere, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
        dlgclick_send(page(), elsewhere + QPoint(3, 0), QEvent::MouseMove, Qt::NoButton,
                      Qt::LeftButton);
        dlgclick_send(page(), elsewhere + QPoint(3, 0), QEvent::MouseButtonRelease, Qt::LeftButton,
                      Qt::NoButton);
        d.accept();
    });
    QDialog dialog;
    dialog.exec();
    ASSERT_TRUE(shown);
    expect_untouched();
    dlgclick_release(page(), elsewhere);
    dlgclick_send(page(), elsewhere, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
    expect_untouched();
    EXPECT_EQ(view_->DragActive, 0);
}

// Each drag step repaints the page over the old place of the note as well as the new one: the
// highlighted note is drawn at the new place only.
TEST_F(PageMouseWindowTest, ADragStepRepaintsTheOldPlaceAsWellAsTheNew) {
    for (int step = 0; step < 2; ++step) {
        SCOPED_TRACE(step);
        const QPoint from = note_point(core::EditItemParams(3));
        const QPoint to = note_point(core::EditItemParams(3) + 30.0f);
        ASSERT_GT(dlgclick_red_near(page()->grab().toImage(), from), 5);
        PaintRegions regions;
        page()->installEventFilter(&regions);
        dlgclick_press(page(), from + QPoint(1, 0));
        dlgclick_mouse(page(), to, QEvent::MouseMove, Qt::LeftButton);
        QApplication::processEvents();
        page()->removeEventFilter(&regions);
        EXPECT_TRUE(regions.painted.contains(QRect(from - QPoint(10, 20), QSize(20, 40))));
        EXPECT_TRUE(regions.painted.contains(QRect(to - QPoint(10, 20), QSize(20, 40))));
        const QImage image = page()->grab().toImage();
        EXPECT_EQ(dlgclick_red_near(image, from), 0);
        EXPECT_GT(dlgclick_red_near(image, to), 5);
        dlgclick_release(page(), to);
    }
}

// While the opened note is dragged its stored image is not drawn at the old place: a drag step
// leaves no ink there beyond the staff lines, nor after the button comes up. Abandoning the
// change ("AB") puts the note back where it was, in the store and on the page; a drag that is
// kept is stored at its new place.
TEST_F(PageMouseWindowTest, ADraggedNoteLeavesNoImageBehindAndABBringsItBack) {
    const QPoint empty = note_point(70.0f);  // staff lines only
    const int staff_ink = dlgclick_black_near(page()->grab().toImage(), empty);
    const QPoint from = head_;
    const QPoint to = note_point(100.0f);
    dlgclick_press(page(), from + QPoint(1, 0));
    dlgclick_mouse(page(), to, QEvent::MouseMove, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_NEAR(core::EditItemParams(3), 100.0f, 1.0f);
    QImage image = page()->grab().toImage();
    EXPECT_LE(dlgclick_black_near(image, from), staff_ink);
    EXPECT_EQ(dlgclick_red_near(image, from), 0);
    EXPECT_GT(dlgclick_red_near(image, to), 5);
    dlgclick_release(page(), to);
    QApplication::processEvents();
    EXPECT_LE(dlgclick_black_near(page()->grab().toImage(), from), staff_ink);
    // The store still holds the note where it was until the change is stored.
    EXPECT_EQ(stored_param(3, 3), 40.0f);

    SendCommand("AB");
    QApplication::processEvents();
    EXPECT_EQ(core::EditedItemNumber, 3);
    EXPECT_EQ(core::EditItemParams(3), 40.0f);
    EXPECT_EQ(stored_param(3, 3), 40.0f);
    // Still edited: highlighted at the old place, nothing left at the dragged one.
    image = page()->grab().toImage();
    EXPECT_GT(dlgclick_red_near(image, from), 5);
    EXPECT_EQ(dlgclick_red_near(image, to), 0);
    EXPECT_LE(dlgclick_black_near(image, to), staff_ink);
    SendCommand("X");
    QApplication::processEvents();
    ASSERT_EQ(core::EditedItemNumber, 0);
    EXPECT_EQ(stored_param(3, 3), 40.0f);
    EXPECT_GT(dlgclick_black_near(page()->grab().toImage(), from), staff_ink + 5);

    // Dragged again and kept: stored at the new place, drawn there only.
    SendCommand("I 3");
    ASSERT_EQ(core::EditedItemNumber, 3);
    // (A press where the last drag's box ended starts no drag.)
    dlgclick_press(page(), from + QPoint(2, 0));
    dlgclick_mouse(page(), to, QEvent::MouseMove, Qt::LeftButton);
    dlgclick_release(page(), to);
    QApplication::processEvents();
    ASSERT_NEAR(core::EditItemParams(3), 100.0f, 1.0f) << core::MessageLine.trimmed();
    SendCommand("X");
    QApplication::processEvents();
    EXPECT_NEAR(stored_param(3, 3), 100.0f, 1.0f);
    image = page()->grab().toImage();
    EXPECT_LE(dlgclick_black_near(image, from), staff_ink);
    EXPECT_GT(dlgclick_black_near(image, to), staff_ink + 5);
}
