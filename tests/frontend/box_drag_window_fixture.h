// The fixture of the window tests that drag boxes on the page: a main window with a view origin
// that is not 0, a page of two staves, and the press, moves and release of a drag.
#pragma once

#include <QImage>
#include <QMouseEvent>
#include <string>
#include <vector>

#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/view/ormest_view.h"
#include "tests/frontend/dialog_command_fixture.h"

namespace box_drag_window {

using namespace frontend;
using namespace dialog_commands;

// A staff (1) with notes at 10 and 100, and an empty staff (2) above it.
const std::vector<std::vector<float>> kBoxDragPage = {
    {8, 1, 0}, {8, 2, 0}, {1, 1, 10, 5, 10, 0, 1}, {1, 1, 100, 5, 10, 0, 1}};

class BoxDragWindowTest : public DialogCommandTest {
  protected:
    std::vector<std::vector<float>> page() const override { return kBoxDragPage; }

    // The device point at P3 p3 and level p4 of staff s, as the engine draws the page now.
    QPoint device_point(int32_t s, float p3, float p4) const {
        const int32_t x = static_cast<int32_t>(p3 * 150.0f) + render::ViewOrigin.x;
        const int32_t y = static_cast<int32_t>(layout::StaffTables.StaffBaseY(s) +
                                               p4 * 7.0f * layout::StaffTables.StaffScale(s)) -
                          render::ViewOrigin.y;
        return view()->PageToDevice(
            QPoint(EngineToPage(x, DisplayScale), EngineToPage(y, DisplayScale)));
    }
    COrmestView* view() const { return ActiveView(); }

    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QWidget* page = view()->viewport();
        QMouseEvent e(type, at, page->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(page, &e);
    }

    // Drags from `from` to `to` on the page: the press, moves on the way and the release;
    // `answers` answers what the release asks. Returns how many more dark pixels the dragged
    // rectangle's edges had just before the release than before the press (the rubber band).
    int drag(QPoint from, QPoint to, Answers* answers = nullptr) {
        QTimer guard;
        guard.setInterval(5000);
        QObject::connect(&guard, &QTimer::timeout, [answers] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "unanswered window after a drag: "
                              << w->windowTitle().toStdString() << " (waiting for "
                              << (answers != nullptr ? answers->next() : "nothing") << ")";
                if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
            }
        });
        guard.start();
        QApplication::processEvents();
        const QImage before = view()->viewport()->grab().toImage();
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        constexpr int kMoves = 4;
        for (int k = 1; k <= kMoves; ++k) {
            mouse(QEvent::MouseMove, from + (to - from) * k / kMoves, Qt::NoButton, Qt::LeftButton);
            QApplication::processEvents();
        }
        const QImage during = view()->viewport()->grab().toImage();
        if (answers != nullptr) answers->start(frame_->CommandBar()->InputEdit());
        mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
        QApplication::processEvents();
        if (answers != nullptr) {
            EXPECT_TRUE(answers->finished()) << answers->next();
        }
        const QRect r = QRect(from, to).normalized();
        int band = 0;
        // Each edge as a strip three pixels wide.
        for (const QRect& edge : {QRect(r.left() - 1, r.top() - 1, r.width() + 2, 3),
                                  QRect(r.left() - 1, r.bottom() - 1, r.width() + 2, 3),
                                  QRect(r.left() - 1, r.top() + 2, 3, r.height() - 4),
                                  QRect(r.right() - 1, r.top() + 2, 3, r.height() - 4)}) {
            band += dark_pixels(during, 96, edge) - dark_pixels(before, 96, edge);
        }
        return band;
    }
    // At least a quarter of the rectangle's edge is drawn (the band is dotted).
    static int band_wanted(QPoint from, QPoint to) {
        const QRect r = QRect(from, to).normalized();
        return (r.width() + r.height()) / 2;
    }

    // The question's texts of the box questions, in order.
    std::function<void(QDialog&)> yes_noting(std::vector<std::string>& seen) {
        return [&seen](QDialog& d) {
            std::string text;
            for (const QLabel* l : d.findChildren<QLabel*>()) text += l->text().toStdString();
            seen.push_back(text);
            click(d, 1045);
        };
    }
    // Round the note at 10 of staff 1 (5 to 20, the staff's bottom line to its top line: each
    // edge nearest to staff 1).
    QPoint source_from() const { return device_point(1, 5.0f, 0.0f); }
    QPoint source_to() const { return device_point(1, 20.0f, 8.0f); }
    // P3 of the notes (code 1) of staff s, rising.
    static std::vector<float> note_xs(float s) { return params_of(1, s, 3); }
    static bool near(float a, float b) { return a > b - 1.0f && a < b + 1.0f; }
};

}  // namespace box_drag_window
