// Unsaved changes: the document's modified flag follows the engine's changes flag, and Exit,
// closing a document window and File > New ask "Save changes to <name>?" before the page goes.
#include <QKeyEvent>
#include <QMdiArea>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <fstream>
#include <iterator>

#include "engine/core/tables.h"
#include "frontend/app/command_bar.h"
#include "frontend/view/frames.h"
#include "tests/frontend/app_fixture.h"

using namespace frontend;
namespace fs = std::filesystem;

namespace {

void press(QWidget* w, int key, const QString& text = QString()) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &event);
}

// Types a line of digits and blanks into the command bar and ends it with Enter.
void type_line(CMainFrame& f, const QString& line) {
    QWidget* edit = f.CommandBar()->InputEdit();
    for (const QChar c : line) {
        press(edit, c.isDigit() ? Qt::Key_0 + (c.unicode() - '0') : Qt::Key_Space, QString(c));
    }
    press(edit, Qt::Key_Return, QStringLiteral("\r"));
}

std::string read_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What the save question showed, and how it was answered.
struct SeenQuestion {
    bool shown = false;
    QString text;
    bool cancel_is_default = false;
    bool cancel_is_escape = false;
};

// Answers the next save question with act once it is on the screen.
void answer_next_question(SeenQuestion& seen, std::function<void(QMessageBox&)> act) {
    QTimer::singleShot(0, [&seen, act = std::move(act)] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        seen.shown = true;
        seen.text = box->text();
        seen.cancel_is_default = box->defaultButton() == box->button(QMessageBox::Cancel);
        seen.cancel_is_escape = box->escapeButton() == box->button(QMessageBox::Cancel);
        act(*box);
    });
}

std::function<void(QMessageBox&)> key(int k) {
    return [k](QMessageBox& box) {
        QKeyEvent event(QEvent::KeyPress, k, Qt::NoModifier);
        QCoreApplication::sendEvent(&box, &event);
    };
}

std::function<void(QMessageBox&)> click(QMessageBox::StandardButton which) {
    return [which](QMessageBox& box) { box.button(which)->click(); };
}

class DocumentCloseTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        const fs::path reference =
            fs::path(__FILE__).parent_path().parent_path() / "reference" / "scale.MUS";
        ASSERT_TRUE(fs::exists(reference)) << reference;
        document_ = dir_ / "song.MUS";
        fs::copy_file(reference, document_);
        original_ = read_text(document_);
        CMainFrame& f = make_frame();
        child_ = f.OpenDocumentFile(QString::fromStdString(document_.string()));
        ASSERT_NE(child_, nullptr);
        f.show();
        items_ = core::ItemCount;
    }

    // A staff line typed into the loaded page: one item more, and the page changed.
    void add_a_staff() {
        type_line(*frame_, QStringLiteral("8 5 0"));
        ASSERT_EQ(core::ItemCount, items_ + 1);
        ASSERT_NE(core::ChangesMadeFlag, 0);
    }

    fs::path document_;
    std::string original_;
    CChildFrame* child_ = nullptr;
    int32_t items_ = 0;
};

}  // namespace

TEST_F(DocumentCloseTest, ExitAsksAndOnlyNoClosesWithoutSaving) {
    CMainFrame& f = *frame_;
    add_a_staff();
    COrmestDoc* doc = child_->Document();
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(child_->isWindowModified());
    // The engine's title line stays the window's title.
    EXPECT_NE(child_->windowTitle().indexOf(QStringLiteral("not saved")), -1)
        << child_->windowTitle().toStdString();

    SetSaveQuestionHook(nullptr);  // the real box
    struct Round {
        const char* name;
        std::function<void(QMessageBox&)> act;
    };
    // Escape and Enter both mean Cancel; so does the Cancel button.
    for (const Round& round :
         {Round{"Escape", key(Qt::Key_Escape)}, Round{"Enter", key(Qt::Key_Return)},
          Round{"Cancel", click(QMessageBox::Cancel)}}) {
        SCOPED_TRACE(round.name);
        SeenQuestion seen;
        answer_next_question(seen, round.act);
        EXPECT_FALSE(f.close());
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(seen.text, "Save changes to song.MUS?");
        EXPECT_TRUE(seen.cancel_is_default);
        EXPECT_TRUE(seen.cancel_is_escape);
        EXPECT_TRUE(f.isVisible());
        EXPECT_TRUE(f.MdiArea()->subWindowList().contains(child_));
        EXPECT_EQ(core::ItemCount, items_ + 1);
        EXPECT_TRUE(doc->IsModified());
    }

    // File > Exit, answered No: the window closes and the file is as it was.
    SeenQuestion seen;
    answer_next_question(seen, click(QMessageBox::No));
    f.CommandAction(kCmdAppExit)->trigger();
    EXPECT_TRUE(seen.shown);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(read_text(document_), original_);
}

TEST_F(DocumentCloseTest, YesSavesThroughTheEngineBeforeClosing) {
    add_a_staff();
    SetSaveQuestionHook([this](const QString& text) {
        questions_.push_back(text.toStdString());
        return static_cast<int>(QMessageBox::Yes);
    });
    EXPECT_TRUE(frame_->close());
    EXPECT_EQ(questions_, std::vector<std::string>{"Save changes to song.MUS?"});
    EXPECT_NE(read_text(document_), original_);

    // The file holds the page with the new staff.
    frame_.reset();
    core::ItemCount = 0;
    CMainFrame& g = make_frame();
    ASSERT_NE(g.OpenDocumentFile(QString::fromStdString(document_.string())), nullptr);
    EXPECT_EQ(core::ItemCount, items_ + 1);
}

TEST_F(DocumentCloseTest, ModifiedFlagFollowsTheEngineThroughEditUndoAndSave) {
    COrmestDoc* doc = child_->Document();
    EXPECT_FALSE(doc->IsModified());
    add_a_staff();
    EXPECT_TRUE(doc->IsModified());

    // Undo takes the page back to the file: nothing to save any more.
    SendCommand("UNDO");
    EXPECT_EQ(core::ItemCount, items_);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(child_->isWindowModified());

    add_a_staff();
    EXPECT_TRUE(doc->IsModified());
    frame_->OnFileSave();
    EXPECT_FALSE(doc->IsModified());
    EXPECT_NE(read_text(document_), original_);
    // A closing without changes asks nothing.
    EXPECT_TRUE(frame_->close());
    EXPECT_TRUE(questions_.empty());
}

TEST_F(DocumentCloseTest, ClosingTheDocumentWindowAndFileNewAskToo) {
    add_a_staff();
    std::vector<int> answers = {QMessageBox::Cancel, QMessageBox::Cancel, QMessageBox::No};
    SetSaveQuestionHook([&](const QString& text) {
        questions_.push_back(text.toStdString());
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    // Cancel keeps the document window and the page.
    EXPECT_FALSE(child_->close());
    EXPECT_TRUE(frame_->MdiArea()->subWindowList().contains(child_));
    // File > New, cancelled: no new window.
    frame_->CommandAction(kCmdFileNew)->trigger();
    EXPECT_EQ(frame_->MdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(core::ItemCount, items_ + 1);
    // Answered No, File > New goes on.
    frame_->CommandAction(kCmdFileNew)->trigger();
    EXPECT_EQ(frame_->MdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(questions_.size(), 3u);
    for (const std::string& q : questions_) EXPECT_EQ(q, "Save changes to song.MUS?");

    // The engine now holds the new page: the first window's changes were given up, so Exit
    // asks nothing about it (a Yes would save the new page under its name).
    type_line(*frame_, QStringLiteral("8 1 0"));
    EXPECT_FALSE(child_->Document()->IsModified());
    EXPECT_EQ(read_text(document_), original_);
}
