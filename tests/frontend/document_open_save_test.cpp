// The document: files staged for the engine's open, opens and saves through the engine that
// give back the same bytes, and the files and saves that must be refused.
#include <QMdiArea>

#include "frontend/view/frames.h"
#include "tests/frontend/app_fixture.h"
#include "tests/support/test_files.h"

using namespace frontend;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

}  // namespace

TEST_F(AppTest, OpenThenSaveGivesTheSameBytesForShortAndLongPaths) {
    CMainFrame& f = make_frame();
    const fs::path source = dir_ / "song.MUS";
    write_document(source, kPage);
    CChildFrame* child = f.OpenDocumentFile(q(source));
    ASSERT_NE(child, nullptr) << (messages_.empty() ? fe_.LastMessage().toStdString()
                                                    : messages_.front());
    EXPECT_EQ(core::ItemCount, 3);
    EXPECT_EQ(OpenedPathCopy, source.string());
    EXPECT_EQ(child->Document()->Title(), "song.MUS");

    const fs::path short_copy = dir_ / "copy.MUS";
    const fs::path long_folder = dir_ / "a_folder_whose_name_makes_the_path_longer_than_48";
    fs::create_directories(long_folder);
    const fs::path long_copy = long_folder / "copy.MUS";
    ASSERT_LE(short_copy.string().size(), 47u);
    ASSERT_GT(long_copy.string().size(), 48u);
    for (const fs::path& copy : {short_copy, long_copy, source}) {
        SCOPED_TRACE(copy.string());
        EXPECT_TRUE(child->Document()->OnSaveDocument(q(copy)));
        EXPECT_EQ(read_text(copy),
                  read_text(short_copy.string() == copy.string() ? source : short_copy));
        // The path never stays behind as a command for the next engine call.
        EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
        EXPECT_TRUE(core::FrontEndPathBuffer.is_blank());
    }
    EXPECT_TRUE(messages_.empty()) << messages_.front();
}

TEST_F(AppTest, DocumentWithAWideCountOpensAndSavesWhole) {
    std::vector<std::vector<float>> records = {{8, 1, 0}};
    for (int k = 0; k < 2900; ++k)
        records.push_back({1, 1, 10.0f + static_cast<float>(k % 150), 5});
    const fs::path source = dir_ / "big.MUS";
    write_document(source, records);
    const std::string original = read_text(source);
    ASSERT_GT(original.size(), 4u * 14200u);
    CMainFrame& f = make_frame();
    CChildFrame* child = f.OpenDocumentFile(q(source));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(core::ItemCount, 2901);
    const fs::path copy = dir_ / "big_copy.MUS";
    ASSERT_TRUE(child->Document()->OnSaveDocument(q(copy)));
    EXPECT_EQ(read_text(copy), original);
}

// The engine holds one page: a later open replaces the window of the page it replaced too.
TEST_F(AppTest, FirstOpenReplacesTheEmptyStartWindowLaterOpensReplaceTheirWindows) {
    CMainFrame& f = make_frame();
    f.OnFileNew();
    ASSERT_EQ(f.MdiArea()->subWindowList().size(), 1);
    EXPECT_TRUE(f.ActiveDocument()->Title().startsWith("Melandrix"));
    const fs::path a = dir_ / "a.MUS";
    const fs::path b = dir_ / "b.MUS";
    write_document(a, kPage);
    write_document(b, {{8, 1, 0}});
    ASSERT_NE(f.OpenDocumentFile(q(a)), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(f.MdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(f.ActiveDocument()->PathName().toStdString(), a.string());
    EXPECT_EQ(DocumentResetPending, 0);
    ASSERT_NE(f.OpenDocumentFile(q(b)), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(f.MdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(f.ActiveDocument()->PathName().toStdString(), b.string());
    EXPECT_EQ(core::ItemCount, 1);
}

TEST_F(AppTest, UnreadableShortOrOverlongFilesAreRefusedWithoutTheEngine) {
    CMainFrame& f = make_frame();
    f.OnFileNew();
    struct Case {
        const char* name;
        Bytes bytes;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"three.MUS", {1, 0, 0}, "Cannot read"},
        // Count 10, but only three words follow.
        {"short.MUS", {10, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, "too short"},
        // Count 2 and two words, then 5 bytes: not as long again as the counted words.
        {"tail.MUS", {2, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 1, 2, 3, 4, 5}, "data after"},
        // Count 1 and one word, then more than one word's worth.
        {"long_tail.MUS", {1, 0, 0, 0, 0, 0, 0x80, 0x3F, 1, 2, 3, 4, 5}, "data after"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_bytes(dir_ / c.name, c.bytes);
        messages_.clear();
        GraphicsList[0] = 12345;
        EXPECT_EQ(f.OpenDocumentFile(q(dir_ / c.name)), nullptr);
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_NE(messages_[0].find(c.message), std::string::npos) << messages_[0];
        EXPECT_EQ(GraphicsList[0], 12345);  // nothing staged
    }
    messages_.clear();
    EXPECT_EQ(f.OpenDocumentFile(q(dir_ / "missing.MUS")), nullptr);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(f.MdiArea()->subWindowList().size(), 1);  // only the start window
    EXPECT_EQ(DocumentResetPending, 1);
}

TEST_F(AppTest, StagingFollowsTheCountWord) {
    const fs::path p = dir_ / "stage.MUS";
    // A 16-bit count of 2: the words begin two bytes into the first four.
    write_bytes(p, {2, 0, 0xAA, 0xBB, 1, 2, 3, 4, 5, 6});
    ASSERT_EQ(StageDocumentFile(q(p)), StageResult::Ok);
    EXPECT_EQ(GraphicsList[0], 2);
    EXPECT_EQ(GraphicsListLength, 2);
    EXPECT_EQ(static_cast<uint32_t>(GraphicsList[1]), 0x04030201u);
    EXPECT_EQ(static_cast<uint32_t>(GraphicsList[2]), 0x00000605u);

    // Extra data exactly as long again as the counted words doubles the count.
    write_bytes(p, {2, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4});
    ASSERT_EQ(StageDocumentFile(q(p)), StageResult::Ok);
    EXPECT_EQ(GraphicsList[0], 4);
    EXPECT_EQ(static_cast<uint32_t>(GraphicsList[4]), 0x04040404u);

    // A count of 0 stages an empty list, which still goes to the engine, which refuses it.
    write_bytes(p, {0, 0, 0, 0});
    ASSERT_EQ(StageDocumentFile(q(p)), StageResult::Ok);
    EXPECT_EQ(GraphicsList[0], 0);
    EXPECT_EQ(make_frame().OpenDocumentFile(q(p)), nullptr);
    EXPECT_TRUE(messages_.empty());
    EXPECT_NE(fe_.LastMessage().toStdString().find("NOT a KELDA file"), std::string::npos)
        << fe_.LastMessage().toStdString();

    // The most a 16-bit count announces, twice 65,535 words, fits the list.
    Bytes big(4 + 8 * 65535, 7);
    big[0] = big[1] = 0xFF;
    big[2] = big[3] = 0;
    write_bytes(p, big);
    ASSERT_EQ(StageDocumentFile(q(p)), StageResult::Ok);
    EXPECT_EQ(GraphicsList[0], 2 * 65535);
    EXPECT_EQ(static_cast<uint32_t>(GraphicsList[2 * 65535]), 0x07070707u);
}

TEST_F(AppTest, SaveReportsFailureWhenNothingWasWritten) {
    CMainFrame& f = make_frame();
    CChildFrame* child = f.OnFileNew();
    COrmestDoc* doc = child->Document();

    // No such folder: the engine cannot write the file.
    EXPECT_FALSE(doc->OnSaveDocument(q(dir_ / "no" / "x.MUS")));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("not saved"), std::string::npos);

    // While an engine routine waits, the save is refused and nothing is deposited.
    messages_.clear();
    core::EngineWaitLevel = 1;
    const fs::path target = dir_ / "later.MUS";
    EXPECT_FALSE(doc->OnSaveDocument(q(target)));
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    EXPECT_FALSE(fs::exists(target));
    core::EngineWaitLevel = 0;

    // A path that the engine's line cannot carry.
    messages_.clear();
    EXPECT_FALSE(doc->OnSaveDocument(QString(600, QLatin1Char('a'))));
    EXPECT_EQ(messages_.size(), 1u);

    // And a save that works reports success and clears the modified flag.
    doc->SetModifiedFlag(true);
    EXPECT_TRUE(doc->OnSaveDocument(q(target)));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(fs::exists(target));
}

// A path relative to the current folder, as typed on the command line, opens the document; the
// document keeps the whole path, so saving it still reaches the file after the open has moved
// the current folder to the document's.
TEST_F(AppTest, RelativePathsOpenTheDocumentAndKeepItsWholePath) {
    const fs::path folder = dir_ / "rel" / "dir";
    fs::create_directories(folder);
    const fs::path document = folder / "song.MUS";
    fs::copy_file(reference_file("scale.MUS"), document);
    fs::create_directory_symlink(folder, dir_ / "link");
    fs::create_directories(dir_ / "elsewhere");
    CMainFrame& f = make_frame();
    f.OnFileNew();

    // Plain, with "." and "..", and through a link to the folder.
    for (const std::string typed :
         {"rel/dir/song.MUS", "./rel/../rel/dir/song.MUS", "link/song.MUS"}) {
        SCOPED_TRACE(typed);
        fs::current_path(dir_);
        const std::string whole = (dir_ / typed).lexically_normal().string();
        core::ItemCount = 0;
        CChildFrame* child = f.OpenDocumentFile(QString::fromStdString(typed));
        ASSERT_NE(child, nullptr) << (messages_.empty() ? fe_.LastMessage().toStdString()
                                                        : messages_.front());
        EXPECT_GT(core::ItemCount, 0);
        EXPECT_EQ(child->Document()->Title(), "song.MUS");
        EXPECT_FALSE(child->Document()->IsModified());
        EXPECT_EQ(fs::path(child->Document()->PathName().toStdString()).lexically_normal(),
                  fs::path(whole));
        ASSERT_FALSE(f.RecentFiles().isEmpty());
        EXPECT_EQ(fs::path(f.RecentFiles().first().toStdString()).lexically_normal(),
                  fs::path(whole));

        // Wherever the current folder is now, the save goes to the document's file.
        fs::current_path(dir_ / "elsewhere");
        const auto before = read_text(document);
        fs::remove(document);
        EXPECT_TRUE(child->Document()->DoFileSave());
        EXPECT_EQ(read_text(document), before);
    }
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    EXPECT_TRUE(fs::is_empty(dir_ / "elsewhere"));
}

// The window's save of an untitled document over an existing file asks the engine's question:
// No leaves the file and reports the save as not done; Yes writes it, and the document's later
// saves ask no more.
TEST_F(AppTest, SaveOfAnUntitledDocumentAsksBeforeWritingOverAFile) {
    CMainFrame& f = make_frame();
    COrmestDoc* doc = f.OnFileNew()->Document();
    const fs::path taken = dir_ / "taken.MUS";
    write_document(taken, kPage);
    const std::string theirs = read_text(taken);
    run_line("8 3 0");

    EXPECT_FALSE(doc->OnSaveDocument(q(taken)));  // the unattended answer is No
    EXPECT_EQ(fe_.LastMessage().toStdString().rfind("FILE EXISTS - Write over file?", 0), 0u)
        << fe_.LastMessage().toStdString();
    EXPECT_EQ(read_text(taken), theirs);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("not saved"), std::string::npos);

    fe_.SetUnattended(true, -1);
    EXPECT_TRUE(doc->OnSaveDocument(q(taken)));
    EXPECT_NE(read_text(taken), theirs);
    fe_.SetUnattended(true, 0);
    run_line("5 3 12");
    EXPECT_TRUE(doc->OnSaveDocument(q(taken)));
    EXPECT_EQ(messages_.size(), 1u);
}

// The engine gives a name typed without an extension the page's extension (".MUS" for a new
// page): the window keeps the file the engine wrote, as saved, and its next Save writes that
// file again without asking. A name the engine refuses keeps the document as it was.
TEST_F(AppTest, SaveKeepsTheFileTheEngineWroteWithTheExtensionItAdded) {
    CMainFrame& f = make_frame();
    COrmestDoc* doc = f.OnFileNew()->Document();
    run_line("8 3 0");
    fs::create_directories(dir_ / "folder");
    struct Row {
        const char* typed;
        const char* written;  // "" when the engine refuses the name
    };
    const Row rows[] = {
        {"gminor", "gminor.MUS"},                  // the new page's extension
        {"b.mus", "b.mus"},       {"c", "c.mus"},  // the page's extension is now ".mus"
        {"D.Mus", "D.Mus"},                        // kept as typed
        {"folder", ""},                            // a folder: the engine refuses it
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        messages_.clear();
        const QString before = doc->PathName();
        run_line("5 3 14");  // a change
        ASSERT_TRUE(doc->IsModified());
        const bool saved = doc->OnSaveDocument(q(dir_ / row.typed));
        if (*row.written == '\0') {
            EXPECT_FALSE(saved);
            EXPECT_EQ(doc->PathName(), before);
            EXPECT_TRUE(doc->IsModified());
            ASSERT_EQ(messages_.size(), 1u);
            EXPECT_NE(messages_[0].find("not saved"), std::string::npos);
            continue;
        }
        EXPECT_TRUE(saved) << (messages_.empty() ? "" : messages_[0]);
        EXPECT_TRUE(messages_.empty());
        EXPECT_EQ(doc->PathName().toStdString(), (dir_ / row.written).string());
        EXPECT_EQ(doc->Title().toStdString(), row.written);
        EXPECT_FALSE(doc->IsModified());
        // File > Save writes the same file, and no file of the typed name appears.
        run_line("5 3 12");
        EXPECT_TRUE(doc->DoFileSave());
        EXPECT_EQ(doc->PathName().toStdString(), (dir_ / row.written).string());
        EXPECT_FALSE(doc->IsModified());
        if (std::string(row.typed) != row.written) {
            EXPECT_FALSE(fs::exists(dir_ / row.typed));
        }
    }
    EXPECT_TRUE(questions_.empty());
}

// RS gives the page a new page's name: the window's document follows it and becomes untitled, so
// that its Save asks for a name instead of writing the empty page over the file.
TEST_F(AppTest, ADocumentWhosePageWasResetBecomesUntitled) {
    CMainFrame& f = make_frame();
    const fs::path source = dir_ / "t4.mus";
    write_document(source, kPage);
    CChildFrame* child = f.OpenDocumentFile(q(source));
    ASSERT_NE(child, nullptr);
    const std::string theirs = read_text(source);
    run_line("RS");
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_TRUE(child->Document()->PathName().isEmpty());
    EXPECT_EQ(child->Document()->Title().indexOf(QStringLiteral("t4")), -1);
    EXPECT_EQ(read_text(source), theirs);
}
