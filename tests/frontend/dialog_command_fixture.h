// The fixture of the end-to-end dialog tests (offscreen): a main window with a page of two
// staves; a line typed into its command bar runs the command, and the dialogs and typed
// questions the command opens on the way are answered in order, as a user would answer them.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "frontend/app/command_bar.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/input_waits.h"
#include "tests/frontend/app_fixture.h"
#include "tests/frontend/input_mode_script.h"
#include "tests/support/store_records.h"

namespace dialog_commands {

// Two staves and two notes on the upper one.
inline const std::vector<std::vector<float>> kTwoStaves = {
    {8, 1, 0}, {8, 2, 0}, {1, 2, 10, 5, 10, 0, 1}, {1, 2, 20, 3, 10, 0, 1}};

// What the dialog that opened showed.
struct Seen {
    bool opened = false;
    QString title;
};

// The answers a command asks for, given in order from the event loops it runs (its dialogs and
// its waits for a typed line); the test never sleeps.
class Answers {
  public:
    // The next modal dialog; `seen` (when given) keeps what it showed.
    void dialog(std::function<void(QDialog&)> act, Seen* seen = nullptr) {
        steps_.push_back({true, std::move(act), {}, seen});
    }
    // A line typed into the command bar while the engine waits for one (no dialog up), over
    // the preset the wait put there.
    void line(QString text) { steps_.push_back({false, {}, std::move(text), nullptr}); }
    // Keys typed into the command bar one at a time, each while a key wait sleeps (the input
    // mode); Escape as "\x1b".
    void keys(const QString& text) {
        for (const QChar c : text) steps_.push_back({false, {}, QString(c), nullptr, true});
    }

    void start(QWidget* edit) {
        edit_ = edit;
        schedule();
    }
    bool finished() const { return steps_.empty(); }
    std::string next() const {
        if (steps_.empty()) return "";
        const Step& s = steps_.front();
        return s.is_dialog ? "a dialog" : (s.key ? "the key " : "the line ") + s.text.toStdString();
    }

  private:
    // A key wait sleeps and has taken nothing yet.
    static bool key_wait_ready() {
        return frontend::InputEventFlags.KeyWaitArmed == 1 &&
               frontend::InputEventFlags.LastKey == 0 && core::FrontEndCommandBuffer.is_blank();
    }
    struct Step {
        bool is_dialog;
        std::function<void(QDialog&)> act;
        QString text;
        Seen* seen;
        bool key = false;
    };
    void schedule() {
        QTimer::singleShot(0, &context_, [this] { pump(); });
    }
    void pump() {
        if (steps_.empty()) return;
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        const Step& step = steps_.front();
        if (step.is_dialog && modal != nullptr && modal != answered_ && modal->isVisible()) {
            const Step s = std::move(steps_.front());
            steps_.pop_front();
            answered_ = modal;
            if (s.seen != nullptr) *s.seen = {true, modal->windowTitle()};
            s.act(*modal);
        } else if (step.key && modal == nullptr && key_wait_ready()) {
            const QChar c = step.text.at(0);
            steps_.pop_front();
            answered_ = nullptr;
            if (c == QChar(0x1b)) {
                press(edit_, Qt::Key_Escape, QStringLiteral("\x1b"));
            } else {
                input_mode_script::type_character(edit_, c);
            }
        } else if (!step.is_dialog && !step.key && modal == nullptr &&
                   frontend::InputEventFlags.LineWaitArmed == 1) {
            const QString text = step.text;
            steps_.pop_front();
            answered_ = nullptr;
            if (auto* plain = qobject_cast<QPlainTextEdit*>(edit_)) plain->selectAll();
            type(edit_, text);
            press(edit_, Qt::Key_Return, QStringLiteral("\r"));
        }
        schedule();
    }
    std::deque<Step> steps_;
    QWidget* edit_ = nullptr;
    QPointer<QDialog> answered_;  // a dialog answered stays up no longer than its answer
    QObject context_;              // the pending turn dies with the answers
};

class DialogCommandTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        fe_.SetUnattended(false);
        write_document(dir_ / "song.MUS", page());
        CMainFrame& f = make_frame();
        ASSERT_NE(f.OpenDocumentFile(QString::fromStdString((dir_ / "song.MUS").string())),
                  nullptr);
        f.show();
    }
    void TearDown() override {
        fe_.SetUnattended(true);
        AppTest::TearDown();
    }
    // The page the window opens with.
    virtual std::vector<std::vector<float>> page() const { return kTwoStaves; }

    // Types a line into the command bar and ends it with Enter; `answers` answers what the
    // command asks on the way, and all of them must be taken.
    // A window or a wait left up that no case answers fails the case and is ended, so that
    // nothing waits.
    void type_line(const QString& line, Answers* answers = nullptr) {
        QTimer guard;
        guard.setInterval(5000);
        QObject::connect(&guard, &QTimer::timeout, [this, line, answers] {
            const std::string next = answers != nullptr ? answers->next() : "";
            if (QWidget* w = QApplication::activeModalWidget()) {
                std::string texts;
                for (const QLabel* l : w->findChildren<QLabel*>())
                    texts += " | " + l->text().toStdString();
                ADD_FAILURE() << "unanswered window after " << line.toStdString() << ": "
                              << w->windowTitle().toStdString() << texts << " (waiting for "
                              << (next.empty() ? "nothing" : next) << ")";
                if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
            } else if (frontend::InputEventFlags.LineWaitArmed == 1 ||
                       frontend::InputEventFlags.KeyWaitArmed == 1) {
                ADD_FAILURE() << "unanswered wait after " << line.toStdString() << ": "
                              << reply() << " waiting for " << next;
                frontend::DeferCloseWhileEngineBusy(frame_.get());
            }
        });
        guard.start();
        QWidget* edit = frame_->CommandBar()->InputEdit();
        if (answers != nullptr) answers->start(edit);
        type(edit, line);
        press(edit, Qt::Key_Return, QStringLiteral("\r"));
        QCoreApplication::processEvents();
        if (answers != nullptr) {
            EXPECT_TRUE(answers->finished()) << line.toStdString() << ": " << answers->next();
        }
    }
    // Types a line whose command opens a dialog, which act answers; what the dialog showed.
    Seen type_into_dialog(const QString& line, std::function<void(QDialog&)> act) {
        Seen seen;
        Answers answers;
        answers.dialog(std::move(act), &seen);
        type_line(line, &answers);
        return seen;
    }
    // The reply in the command bar's message line.
    std::string reply() const { return frame_->CommandBar()->MessageText().toStdString(); }
};

inline void set_field(QDialog& d, int id, const QString& text) {
    QLineEdit* f = field(d, id);
    ASSERT_NE(f, nullptr) << id;
    f->setText(text);
}

inline std::function<void(QDialog&)> escape() { return key_in_dialog(Qt::Key_Escape); }
inline std::function<void(QDialog&)> ok() {
    return [](QDialog& d) { click(d, 1); };
}

// P1..Pn of item k.
inline std::vector<float> stored_item(int32_t k) {
    std::vector<float> p;
    const int32_t n = static_cast<int32_t>(core::ItemStore(core::ItemStartTable(k)));
    for (int32_t j = 1; j <= n; ++j) p.push_back(stored_param(k, j));
    return p;
}

// Every item, in a fixed order (a command may sort the page before its dialog opens).
inline std::vector<std::vector<float>> page_items() {
    std::vector<std::vector<float>> items;
    for (int32_t k = 1; k <= core::ItemCount; ++k) items.push_back(stored_item(k));
    std::sort(items.begin(), items.end());
    return items;
}

// The item with code `code` and staff `staff` (the first one), 0 when there is none.
inline int32_t find_item(float code, float staff) {
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == code && stored_param(k, 2) == staff) return k;
    }
    return 0;
}

// The question box's Yes.
inline std::function<void(QDialog&)> yes() {
    return [](QDialog& d) { click(d, 1045); };
}

// P(j) of the items of a code on a staff, by x.
inline std::vector<float> params_of(float code, float staff, int32_t j) {
    std::vector<std::pair<float, float>> found;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == code && stored_param(k, 2) == staff)
            found.emplace_back(stored_param(k, 3), stored_param(k, j));
    }
    std::sort(found.begin(), found.end());
    std::vector<float> out;
    for (const auto& f : found) out.push_back(f.second);
    return out;
}

}  // namespace dialog_commands
