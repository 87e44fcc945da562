// One page, several document windows: a window whose document is no longer the engine's page
// closes, never saves that page under its own name, and its title is the engine's title line.
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>

#include "engine/commands/files/file_commands.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/settings_tables.h"
#include "frontend/app/command_bar.h"
#include "frontend/view/frames.h"
#include "platform/paths.h"
#include "tests/frontend/app_fixture.h"
#include "tests/support/test_files.h"

using namespace frontend;
namespace fs = std::filesystem;

namespace {

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

void type_line(CMainFrame& f, const QString& line) {
    type(f.CommandBar()->InputEdit(), line);
    press(f.CommandBar()->InputEdit(), Qt::Key_Return, QStringLiteral("\r"));
}

class DocumentWindowsTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        song_ = dir_ / "song.mus";
        bass_ = dir_ / "bass.mus";
        std::vector<std::vector<float>> song = {{8, 1, 0}};
        for (int k = 1; k <= 10; ++k) song.push_back({1, 1, 10.0f * static_cast<float>(k), 4});
        write_document(song_, song);
        write_document(bass_,
                       {{8, 1, 0}, {1, 1, 10, 2}, {1, 1, 20, 2}, {1, 1, 30, 2}, {14, 1, 40}});
        song_bytes_ = read_text(song_);
        bass_bytes_ = read_text(bass_);
    }
    int windows() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return static_cast<int>(frame_->MdiArea()->subWindowList().size());
    }
    fs::path song_, bass_;
    std::string song_bytes_, bass_bytes_;
};

}  // namespace

// Open song (11 items), File > New, open bass (5 items): the song window goes, so no Save can
// write bass's page into song.mus; the window left is bass's and saves into bass.mus.
TEST_F(DocumentWindowsTest, OpeningAnotherFileClosesTheWindowsOfThePageItReplaced) {
    CMainFrame& f = make_frame();
    f.show();
    CChildFrame* song = f.OpenDocumentFile(q(song_));
    ASSERT_NE(song, nullptr);
    ASSERT_EQ(core::ItemCount, 11);
    EXPECT_TRUE(song->windowTitle().startsWith(song->Document()->ShownTitle()));
    EXPECT_NE(song->windowTitle().indexOf(QStringLiteral("11 Items")), -1)
        << song->windowTitle().toStdString();
    f.CommandAction(kCmdFileNew)->trigger();
    EXPECT_EQ(windows(), 2);
    CChildFrame* bass = f.OpenDocumentFile(q(bass_));
    ASSERT_NE(bass, nullptr);
    ASSERT_EQ(core::ItemCount, 5);
    EXPECT_EQ(windows(), 1);
    EXPECT_EQ(f.ActiveChild(), bass);
    EXPECT_NE(bass->windowTitle().indexOf(QStringLiteral("bass.mus")), -1);
    EXPECT_NE(bass->windowTitle().indexOf(QStringLiteral("5 Items")), -1);

    type_line(f, QStringLiteral("8 2 0"));
    f.OnFileSave();
    EXPECT_EQ(read_text(song_), song_bytes_);
    EXPECT_NE(read_text(bass_), bass_bytes_);
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    // On screen: the window lies inside the document area.
    EXPECT_TRUE(f.MdiArea()->viewport()->rect().intersects(bass->geometry()));
    EXPECT_GE(bass->x(), 0);
    EXPECT_GE(bass->y(), 0);
}

// A G word typed in a window loads another file into the page: the window takes that file's
// name (its title says so) and saves there; a second window of the old file closes.
TEST_F(DocumentWindowsTest, AFileLoadedByATypedWordBecomesTheWindowsDocument) {
    CMainFrame& f = make_frame();
    f.show();
    ASSERT_NE(f.OpenDocumentFile(q(song_)), nullptr);
    CChildFrame* second = f.OnFileNew();  // a second window on the same page
    ASSERT_EQ(windows(), 2);
    type_line(f, QStringLiteral("G ") + q(bass_));
    ASSERT_EQ(core::ItemCount, 5);
    EXPECT_EQ(windows(), 1);
    ASSERT_EQ(f.ActiveChild(), second);
    EXPECT_EQ(QFileInfo(second->Document()->PathName()).fileName(), QStringLiteral("bass.mus"));
    EXPECT_NE(second->windowTitle().indexOf(QStringLiteral("bass.mus")), -1);
    type_line(f, QStringLiteral("8 2 0"));
    f.OnFileSave();
    EXPECT_EQ(read_text(song_), song_bytes_);
    EXPECT_NE(read_text(bass_), bass_bytes_);
}

// Should a window ever be left on a page that is not its document's, its Save refuses and says
// why; the file keeps its bytes.
TEST_F(DocumentWindowsTest, SaveRefusesAPageThatIsNotTheDocuments) {
    CMainFrame& f = make_frame();
    CChildFrame* song = f.OpenDocumentFile(q(song_));
    ASSERT_NE(song, nullptr);
    EXPECT_TRUE(song->Document()->HoldsEnginePage());
    core::CurrentFileName.set(bass_.string());
    EXPECT_FALSE(song->Document()->HoldsEnginePage());
    song->Document()->SetModifiedFlag(true);
    EXPECT_FALSE(song->Document()->DoFileSave());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("no longer the page"), std::string::npos) << messages_[0];
    EXPECT_EQ(read_text(song_), song_bytes_);
    EXPECT_EQ(read_text(bass_), bass_bytes_);
}

// "ormest FILE": the window's title is the engine's title line from the start.
TEST_F(DocumentWindowsTest, TheFirstWindowOfADocumentShowsTheTitleLine) {
    CMainFrame& f = make_frame();
    CChildFrame* song = f.OpenDocumentFile(q(song_));
    ASSERT_NE(song, nullptr);
    const QString title = song->windowTitle();
    EXPECT_NE(title.indexOf(QStringLiteral("song.mus")), -1) << title.toStdString();
    EXPECT_NE(title.indexOf(QStringLiteral("(saved -   11 Items)")), -1) << title.toStdString();
    // A change marks it in the title line as well.
    type_line(f, QStringLiteral("EI"));
    type_line(f, QStringLiteral("8 2 0"));
    EXPECT_NE(song->windowTitle().indexOf(QStringLiteral("* (not saved -   12 Items)")), -1)
        << song->windowTitle().toStdString();
}

// GSV typed in a window: the backup an end left of song (one note more, song's name stored
// after its words) comes back as song's page, not saved; the title says so, not the backup's.
TEST_F(DocumentWindowsTest, ABackupLoadedByGsvIsItsDocumentNotSavedInTheTitle) {
    CMainFrame& f = make_frame();
    f.show();
    auto words = std::make_unique<core::DocumentWords>();
    int32_t next = 1;
    std::vector<std::vector<float>> page = {{8, 1, 0}};
    for (int k = 1; k <= 11; ++k) page.push_back({1, 1, 10.0f * static_cast<float>(k), 4});
    for (const auto& r : page) {
        (*words)(next++) = static_cast<float>(r.size());
        for (float v : r) (*words)(next++) = v;
    }
    const std::string backup =
        platform::local_path(core::TempDirPrefix.trimmed() + std::string(core::kBackupCopyFile));
    ASSERT_EQ(core::write_document(backup, *words, next, core::kDocumentLevel, 0,
                                   std::string_view(song_.string())),
              core::DocumentStatus::Ok);

    CChildFrame* window = f.OnFileNew();
    ASSERT_NE(window, nullptr);
    type_line(f, QStringLiteral("GSV"));
    ASSERT_EQ(core::ItemCount, 12);
    ASSERT_EQ(f.ActiveChild(), window);
    const QString title = window->windowTitle();
    EXPECT_TRUE(title.startsWith(q(song_) + QStringLiteral(" * (not saved -   12 Items)")))
        << title.toStdString();
    EXPECT_EQ(QFileInfo(window->Document()->PathName()).fileName(), QStringLiteral("song.mus"));
    EXPECT_EQ(read_text(song_), song_bytes_);
}

// File > New keeps the engine's one page: the new window is that page's. On a loaded page it
// names the page's file, so Exit asks about that file and Save writes it, with no made-up file
// beside it; after RS (the page reset) it is untitled and the loaded file keeps its bytes.
TEST_F(DocumentWindowsTest, TheWindowFileNewMakesFollowsTheEnginesPage) {
    const struct {
        const char* name;
        const char* before_new;  // typed before File > New ("" none)
        bool names_song;
    } cases[] = {{"LoadedPage", "", true}, {"ResetPage", "RS", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_document(song_, {{8, 1, 0}, {1, 1, 10, 4}});
        song_bytes_ = read_text(song_);
        CMainFrame& f = make_frame();
        f.show();
        ASSERT_NE(f.OpenDocumentFile(q(song_)), nullptr);
        if (*c.before_new != '\0') type_line(f, QString::fromLatin1(c.before_new));
        f.CommandAction(kCmdFileNew)->trigger();
        CChildFrame* window = f.ActiveChild();
        ASSERT_NE(window, nullptr);
        type_line(f, QStringLiteral("8 2 0"));
        ASSERT_NE(core::ChangesMadeFlag, 0);

        const QString path = window->Document()->PathName();
        EXPECT_EQ(QFileInfo(path).fileName(), c.names_song ? QStringLiteral("song.mus") : "");
        EXPECT_EQ(window->windowTitle().contains(QStringLiteral("song.mus")), c.names_song)
            << window->windowTitle().toStdString();
        questions_.clear();
        SetSaveQuestionHook([this](const QString& text) {
            questions_.push_back(text.toStdString());
            return static_cast<int>(QMessageBox::Cancel);
        });
        f.CommandAction(kCmdAppExit)->trigger();
        EXPECT_TRUE(f.isVisible());
        ASSERT_EQ(questions_.size(), 1u);
        EXPECT_EQ(questions_[0] == "Save changes to song.mus?", c.names_song) << questions_[0];
        if (c.names_song) {
            f.CommandAction(kCmdFileSave)->trigger();
            EXPECT_NE(read_text(song_), song_bytes_);
            EXPECT_FALSE(window->Document()->IsModified());
        }
        for (const auto& entry : fs::directory_iterator(dir_))
            EXPECT_NE(entry.path().filename().string().rfind("Melandrix", 0), 0u) << entry.path();
        if (!c.names_song) EXPECT_EQ(read_text(song_), song_bytes_);
        SetSaveQuestionHook([](const QString&) { return static_cast<int>(QMessageBox::No); });
    }
}
