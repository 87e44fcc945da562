// The page stays in the engine when its document window is closed. A change to it, or an item
// opened for editing, brings the window back; and Exit and File > New ask about the page's
// unsaved work whether or not a window showed it.
#include <QMdiArea>
#include <QMessageBox>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "frontend/view/frames.h"
#include "tests/core/document_bytes.h"
#include "tests/frontend/app_fixture.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

using namespace frontend;
namespace fs = std::filesystem;

namespace {

enum class Road { Exit, FileNew };

struct WindowBackCase {
    const char* name;
    std::vector<const char*> lines;  // typed after the window was closed; %1 the note's number
    bool window_back;                // the lines bring the window back, and the road asks
    Road road;
    int answer;            // the answer to "Save changes to song.MUS?"
    bool road_goes_on;     // Exit closes the frame / New makes a window
    bool file_holds_nine;  // the file's note then has P4 9
};

void PrintTo(const WindowBackCase& c, std::ostream* os) { *os << c.name; }

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

class PageWindowBackTest : public AppTest, public ::testing::WithParamInterface<WindowBackCase> {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        document_ = dir_ / "song.MUS";
        fs::copy_file(reference_file("scale.MUS"), document_);
        CMainFrame& f = make_frame();
        ASSERT_NE(f.OpenDocumentFile(QString::fromStdString(document_.string())), nullptr);
        f.show();
    }
    void type_line(const QString& line) {
        QWidget* edit = frame_->CommandBar()->InputEdit();
        type(edit, line);
        press(edit, Qt::Key_Return, QStringLiteral("\r"));
    }
    int windows() const { return static_cast<int>(frame_->MdiArea()->subWindowList().size()); }
    fs::path document_;
};

TEST_P(PageWindowBackTest, UnsavedWorkBringsTheWindowBackAndIsAskedAbout) {
    const WindowBackCase c = GetParam();
    int32_t note = 1;
    while (note <= core::ItemCount && stored_param(note, 1) != 1.0f) ++note;
    ASSERT_LE(note, core::ItemCount);
    const float staff = stored_param(note, 2);
    const float p3 = stored_param(note, 3);
    ASSERT_NE(note_p4_in(document_, staff, p3), 9.0f);

    // The page had no changes: its window closes without a question, and the page stays.
    ASSERT_TRUE(frame_->MdiArea()->subWindowList().first()->close());
    QCoreApplication::processEvents();
    ASSERT_EQ(windows(), 0);
    for (const char* line : c.lines)
        type_line(QString::fromLatin1(line).replace(QStringLiteral("%1"), QString::number(note)));
    QCoreApplication::processEvents();
    ASSERT_EQ(windows(), c.window_back ? 1 : 0);
    if (c.window_back) {
        CChildFrame* child = ActiveChildFrame();
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->Document()->Title().toStdString(), "song.MUS");
        EXPECT_TRUE(child->Document()->HoldsEnginePage());
    }

    SetSaveQuestionHook([this, &c](const QString& text) {
        questions_.push_back(text.toStdString());
        return c.answer;
    });
    const int before = windows();
    if (c.road == Road::Exit) {
        frame_->CommandAction(kCmdAppExit)->trigger();
        EXPECT_EQ(!frame_->isVisible(), c.road_goes_on);
    } else {
        frame_->CommandAction(kCmdFileNew)->trigger();
        EXPECT_EQ(windows(), c.road_goes_on ? before + 1 : before);
    }
    const std::vector<std::string> asked =
        c.window_back ? std::vector<std::string>{"Save changes to song.MUS?"}
                      : std::vector<std::string>{};
    EXPECT_EQ(questions_, asked);
    EXPECT_EQ(note_p4_in(document_, staff, p3) == 9.0f, c.file_holds_nine);
}

const WindowBackCase kWindowBackCases[] = {
    {"StoredEditExitYesSaves",
     {"I %1", ",,,9", "X"},
     true,
     Road::Exit,
     QMessageBox::Yes,
     true,
     true},
    {"StoredEditExitNoLeaves",
     {"I %1", ",,,9", "X"},
     true,
     Road::Exit,
     QMessageBox::No,
     true,
     false},
    {"StoredEditExitCancelStays",
     {"I %1", ",,,9", "X"},
     true,
     Road::Exit,
     QMessageBox::Cancel,
     false,
     false},
    // An item opened and changed, not stored: the save stores it first.
    {"EditedItemExitYesSaves", {"I %1", ",,,9"}, true, Road::Exit, QMessageBox::Yes, true, true},
    // Opened only: nothing changed yet, but the edit is still open.
    {"OpenedItemExitAsks", {"I %1"}, true, Road::Exit, QMessageBox::No, true, false},
    {"StoredEditNewCancelStays",
     {"I %1", ",,,9", "X"},
     true,
     Road::FileNew,
     QMessageBox::Cancel,
     false,
     false},
    {"StoredEditNewYesSaves",
     {"I %1", ",,,9", "X"},
     true,
     Road::FileNew,
     QMessageBox::Yes,
     true,
     true},
    // No change: no window comes back, and nothing is asked.
    {"NoChangeExitAsksNothing", {}, false, Road::Exit, QMessageBox::Cancel, true, false},
    {"NoChangeNewAsksNothing", {}, false, Road::FileNew, QMessageBox::Cancel, true, false},
};

// A window closed over changes answered No: the page keeps them in the engine, so Exit asks
// again, in the window brought back for it, rather than ending at once.
using PageWindowClosedTest = PageWindowBackTest;
TEST_F(PageWindowClosedTest, ChangesKeptAfterNoAreAskedAboutAtExit) {
    type_line(QStringLiteral("8 5 0"));
    ASSERT_NE(core::ChangesMadeFlag, 0);
    ASSERT_TRUE(frame_->MdiArea()->subWindowList().first()->close());  // answered No
    QCoreApplication::processEvents();
    ASSERT_EQ(windows(), 0);
    ASSERT_EQ(questions_.size(), 1u);
    SetSaveQuestionHook([this](const QString& text) {
        questions_.push_back(text.toStdString());
        return static_cast<int>(QMessageBox::Cancel);
    });
    frame_->CommandAction(kCmdAppExit)->trigger();
    EXPECT_TRUE(frame_->isVisible());
    EXPECT_EQ(windows(), 1);
    EXPECT_EQ(questions_,
              (std::vector<std::string>{"Save changes to song.MUS?", "Save changes to song.MUS?"}));
}

INSTANTIATE_TEST_SUITE_P(Roads, PageWindowBackTest, ::testing::ValuesIn(kWindowBackCases),
                         [](const ::testing::TestParamInfo<WindowBackCase>& i) {
                             return std::string(i.param.name);
                         });

}  // namespace
