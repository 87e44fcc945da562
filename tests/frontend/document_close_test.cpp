// Unsaved changes: the document's modified flag follows the engine's changes flag, and Exit,
// closing a document window and File > New ask "Save changes to <name>?" before the page goes.
#include <QFileDialog>
#include <QMdiArea>
#include <QMessageBox>
#include <QPushButton>

#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/edit/tables.h"
#include "frontend/view/frames.h"
#include "tests/core/document_bytes.h"
#include "tests/frontend/app_fixture.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

using namespace frontend;
namespace fs = std::filesystem;

namespace {

// Types a line into the command bar and ends it with Enter.
void type_line(CMainFrame& f, const QString& line) {
    type(f.CommandBar()->InputEdit(), line);
    press(f.CommandBar()->InputEdit(), Qt::Key_Return, QStringLiteral("\r"));
}

// What the save question showed.
struct SeenQuestion {
    bool shown = false;
    QString text;
    bool cancel_is_default = false;
    bool cancel_is_escape = false;
};

// Answers the next save question with act once it is on the screen.
void answer_next_question(SeenQuestion& seen, std::function<void(QDialog&)> act) {
    answer_next_dialog([&seen, act = std::move(act)](QDialog& d) {
        auto& box = static_cast<QMessageBox&>(d);
        QAbstractButton* cancel = box.button(QMessageBox::Cancel);
        seen = {true, box.text(), box.defaultButton() == cancel, box.escapeButton() == cancel};
        act(d);
    });
}

std::function<void(QDialog&)> click(QMessageBox::StandardButton which) {
    return [which](QDialog& d) { static_cast<QMessageBox&>(d).button(which)->click(); };
}

class DocumentCloseTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        document_ = dir_ / "song.MUS";
        fs::copy_file(reference_file("scale.MUS"), document_);
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

    // "EI" as the user types it: typed items are entered without going on to editing, for the
    // tests whose subject is the page's modified state, not editing. It changes no page.
    void enter_items_without_editing() {
        type_line(*frame_, QStringLiteral("EI"));
        ASSERT_EQ(core::NewItemsToEdit, -1);
        ASSERT_EQ(core::ChangesMadeFlag, 0);
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
    // The engine's title line stays the window's title, and its change mark is the only one:
    // the title as shown (Qt shows "[*]" as "*" while the window is modified).
    QString shown = child_->windowTitle();
    shown.replace(QStringLiteral("[*]"),
                  child_->isWindowModified() ? QStringLiteral("*") : QString());
    EXPECT_NE(shown.indexOf(QStringLiteral(" * (not saved - ")), -1) << shown.toStdString();
    EXPECT_EQ(shown.count(QLatin1Char('*')), 1) << shown.toStdString();

    SetSaveQuestionHook(nullptr);  // the real box
    // Escape and Enter both mean Cancel; so does the Cancel button.
    int round = 0;
    for (const auto& act : {key_in_dialog(Qt::Key_Escape), key_in_dialog(Qt::Key_Return),
                            click(QMessageBox::Cancel)}) {
        SCOPED_TRACE(round++);  // Escape, Enter, Cancel
        SeenQuestion seen;
        answer_next_question(seen, act);
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
    enter_items_without_editing();
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

// UNDO takes back the last edit only: the one before it is still unsaved.
TEST_F(DocumentCloseTest, UndoOfOneOfTwoEditsLeavesTheDocumentModifiedAndExitAsks) {
    enter_items_without_editing();
    add_a_staff();
    type_line(*frame_, QStringLiteral("8 6 0"));
    ASSERT_EQ(core::ItemCount, items_ + 2);
    SendCommand("UNDO");
    ASSERT_EQ(core::ItemCount, items_ + 1);
    COrmestDoc* doc = child_->Document();
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(child_->isWindowModified());
    EXPECT_NE(child_->windowTitle().indexOf(QStringLiteral("not saved")), -1)
        << child_->windowTitle().toStdString();
    SetSaveQuestionHook([this](const QString& text) {
        questions_.push_back(text.toStdString());
        return static_cast<int>(QMessageBox::Cancel);
    });
    EXPECT_FALSE(frame_->close());
    EXPECT_EQ(questions_, std::vector<std::string>{"Save changes to song.MUS?"});
    EXPECT_TRUE(frame_->isVisible());
    EXPECT_EQ(read_text(document_), original_);
}

// Exit, Yes, and the save cannot be written: nothing is lost, the window stays and says why.
TEST_F(DocumentCloseTest, ExitWhoseSaveFailsKeepsTheWindowOpenAndSaysWhy) {
    const fs::path folder = dir_ / "scores";
    fs::create_directories(folder);
    const fs::path piece = folder / "piece.MUS";
    fs::copy_file(reference_file("scale.MUS"), piece);
    CChildFrame* child = frame_->OpenDocumentFile(QString::fromStdString(piece.string()));
    ASSERT_NE(child, nullptr);
    type_line(*frame_, QStringLiteral("8 5 0"));
    const int32_t items = core::ItemCount;
    // The folder becomes a plain file: nothing, not even root, can write under it.
    fs::current_path(dir_);
    fs::remove_all(folder);
    write_text(folder, "a plain file");
    SetSaveQuestionHook([this](const QString& text) {
        questions_.push_back(text.toStdString());
        return static_cast<int>(QMessageBox::Yes);
    });
    messages_.clear();
    EXPECT_FALSE(frame_->close());
    EXPECT_EQ(questions_, std::vector<std::string>{"Save changes to piece.MUS?"});
    EXPECT_TRUE(frame_->isVisible());
    EXPECT_TRUE(frame_->MdiArea()->subWindowList().contains(child));
    EXPECT_TRUE(child->Document()->IsModified());
    EXPECT_EQ(core::ItemCount, items);
    const std::string why = "The document was not saved: " + piece.string();
    EXPECT_NE(std::find(messages_.begin(), messages_.end(), why), messages_.end())
        << (messages_.empty() ? std::string("no message") : messages_.back());
    EXPECT_EQ(read_text(folder), "a plain file");
}

// A document that loads only in part (a damaged record ends it) is not the file any more:
// closing asks before the rest is lost for good.
TEST_F(DocumentCloseTest, ADamagedDocumentOpensModifiedSoClosingAsks) {
    const fs::path damaged = dir_ / "damaged.MUS";
    write_bytes(damaged, encode(with_trailer({3, 8, 1, 0, 3, 1, 1, 10, 1, 7, 3, 1, 1, 20}), 2));
    const std::string bytes = read_text(damaged);
    ASSERT_TRUE(child_->close());  // song.MUS, unchanged: nothing asked
    run_events(0);
    CChildFrame* child = frame_->OpenDocumentFile(QString::fromStdString(damaged.string()));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_TRUE(child->Document()->IsModified());
    EXPECT_TRUE(child->isWindowModified());
    SetSaveQuestionHook([this](const QString& text) {
        questions_.push_back(text.toStdString());
        return static_cast<int>(QMessageBox::Cancel);
    });
    EXPECT_FALSE(frame_->close());
    EXPECT_EQ(questions_, std::vector<std::string>{"Save changes to damaged.MUS?"});
    EXPECT_TRUE(frame_->MdiArea()->subWindowList().contains(child));
    EXPECT_EQ(read_text(damaged), bytes);
}

TEST_F(DocumentCloseTest, ADamagedDocumentMarksItsOwnWindowNotTheOneActiveBefore) {
    const fs::path damaged = dir_ / "damaged.MUS";
    write_bytes(damaged, encode(with_trailer({3, 8, 1, 0, 3, 1, 1, 10, 1, 7, 3, 1, 1, 20}), 2));
    ASSERT_FALSE(child_->Document()->IsModified());  // song.MUS, unchanged, stays open
    CChildFrame* child = frame_->OpenDocumentFile(QString::fromStdString(damaged.string()));
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->Document()->IsModified());
    EXPECT_FALSE(child_->Document()->IsModified());
    EXPECT_FALSE(child_->isWindowModified());
}

namespace {

// The roads of the window that save the page.
enum class SaveRoad { ExitYes, CloseWindowYes, FileSave, FileSaveAs };

class EditedItemSaveTest : public DocumentCloseTest,
                           public ::testing::WithParamInterface<SaveRoad> {};

// P4 of the note on staff `staff` at P3 `p3` in the document file (0 when there is none).
float note_p4_in(const fs::path& file, float staff, float p3) {
    const std::vector<float> words = document_item_words(file);
    for (std::size_t i = 0; i < words.size(); i += static_cast<std::size_t>(words[i]) + 1) {
        if (words[i] < 1) break;
        if (words[i] >= 4 && i + 4 < words.size() && words[i + 1] == 1 && words[i + 2] == staff &&
            words[i + 3] == p3)
            return words[i + 4];
    }
    return 0.0f;
}

}  // namespace

// A note edited in the command bar and changed, not stored: each road that saves stores it
// first, and the file holds the note as the page shows it.
TEST_P(EditedItemSaveTest, EveryWindowSaveStoresTheEditedItemFirst) {
    int32_t note = 1;
    while (note <= core::ItemCount && stored_param(note, 1) != 1.0f) ++note;
    ASSERT_LE(note, core::ItemCount);
    const float staff = stored_param(note, 2);
    const float p3 = stored_param(note, 3);
    ASSERT_NE(stored_param(note, 4), 9.0f);
    type_line(*frame_, QStringLiteral("I %1").arg(note));
    type_line(*frame_, QStringLiteral(",,,9"));
    ASSERT_GT(edit::EditChangesPending, 0);
    ASSERT_TRUE(child_->Document()->IsModified());
    SetSaveQuestionHook([this](const QString& text) {
        questions_.push_back(text.toStdString());
        return static_cast<int>(QMessageBox::Yes);
    });

    fs::path written = document_;
    switch (GetParam()) {
        case SaveRoad::ExitYes:
            frame_->CommandAction(kCmdAppExit)->trigger();
            EXPECT_FALSE(frame_->isVisible());
            break;
        case SaveRoad::CloseWindowYes:
            EXPECT_TRUE(child_->close());
            break;
        case SaveRoad::FileSave:
            frame_->OnFileSave();
            break;
        case SaveRoad::FileSaveAs:
            written = dir_ / "other.MUS";
            answer_next_dialog([&](QDialog& d) {
                qobject_cast<QFileDialog*>(&d)->selectFile(
                    QString::fromStdString(written.string()));
                d.accept();
            });
            frame_->OnFileSaveAs();
            EXPECT_EQ(read_text(document_), original_);
            break;
    }
    EXPECT_EQ(note_p4_in(written, staff, p3), 9.0f);
    EXPECT_EQ(edit::EditChangesPending, 0);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    if (GetParam() == SaveRoad::FileSave || GetParam() == SaveRoad::FileSaveAs) {
        // The item is still the one edited, and the reply says it was stored.
        EXPECT_EQ(core::EditedItemNumber, note);
        EXPECT_FALSE(child_->Document()->IsModified());
        EXPECT_NE(core::MessageLine.view().find("The edited item was stored before the save."),
                  std::string_view::npos)
            << core::MessageLine.trimmed();
    } else {
        EXPECT_EQ(questions_, std::vector<std::string>{"Save changes to song.MUS?"});
    }
}

std::string save_road_name(const ::testing::TestParamInfo<SaveRoad>& info) {
    static const char* const kNames[] = {"ExitYes", "CloseWindowYes", "FileSave", "FileSaveAs"};
    return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Roads, EditedItemSaveTest,
                         ::testing::Values(SaveRoad::ExitYes, SaveRoad::CloseWindowYes,
                                           SaveRoad::FileSave, SaveRoad::FileSaveAs),
                         save_road_name);

// An edit of a stored item taken back by UNDO leaves the page as the file holds it: the document
// is not modified and closing asks nothing, although the undo copy was taken with the edit open.
TEST_F(DocumentCloseTest, UndoOfAnItemEditLeavesTheDocumentUnmodified) {
    const std::vector<std::string> loaded = stored_item_lines();
    COrmestDoc* doc = child_->Document();
    type_line(*frame_, QStringLiteral("I 2"));
    type_line(*frame_, QStringLiteral("3 50"));
    type_line(*frame_, QStringLiteral("X"));
    ASSERT_NE(stored_item_lines(), loaded);
    EXPECT_TRUE(doc->IsModified());
    SendCommand("UNDO");
    EXPECT_EQ(stored_item_lines(), loaded);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_NE(child_->windowTitle().indexOf(QStringLiteral("(saved")), -1)
        << child_->windowTitle().toStdString();
    SendCommand("REDO");
    EXPECT_TRUE(doc->IsModified());
    SendCommand("UNDO");
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(frame_->close());
    EXPECT_TRUE(questions_.empty());
    EXPECT_EQ(read_text(document_), original_);
}
