// Saves that must not lose work: a file the page was never bound to, a file another program
// changed, names that are links, and names of folders; typed through the interpreter, checked
// on the file's bytes.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/commands/files/document_file_records.h"
#include "engine/commands/files/file_commands.h"
#include "engine/core/tables.h"
#include "tests/core/document_folder_fixture.h"

namespace {

namespace fs = std::filesystem;

const std::vector<float> kPart = {3, 8, 1, 0, 3, 5, 1, 10};
const std::string kQuestion = "FILE EXISTS - Write over file? - ";

class DocumentSaveTest : public DocumentFolderTest {
  protected:
    // The page's words as a saved file holds them, trailer included.
    static std::vector<float> saved(std::vector<float> records) {
        return with_trailer(std::move(records));
    }
    std::size_t asked_count() const { return fe_.questions.size(); }
    std::string changed_message(const std::string& name) const {
        return "*** " + path(name) + " was changed by another program since it was read.";
    }
};

// A new page, or one whose get failed, has never been bound to the file its name leads to: the
// first "SM" asks; No leaves the file byte for byte, Yes binds the page and later saves ask no
// more.
TEST_F(DocumentSaveTest, SmOfAPageNeverBoundToItsFileAsksBeforeWritingOverIt) {
    enter_items_without_editing();
    write_doc("kelda.mus", kPart);  // the default name, in another case
    const Bytes original = bytes("kelda.mus");
    type("8 4 0");
    fe_.answer_yes_no(0);
    type("SM");
    ASSERT_EQ(asked_count(), 1u);
    EXPECT_EQ(fe_.questions[0].find(kQuestion), 0u) << fe_.questions[0];
    EXPECT_EQ(bytes("kelda.mus"), original);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_NE(fe_.view.title.find("not saved"), std::string::npos) << fe_.view.title;

    fe_.answer_yes_no(-1);
    type("SM");
    EXPECT_EQ(asked_count(), 2u);
    EXPECT_EQ(decode(bytes("kelda.mus")), saved({3, 8, 4, 0}));
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    // The file found regardless of case was written, no second one beside it.
    EXPECT_FALSE(fs::exists(base_ / "KELDA.MUS"));
    type_all({"5 4 12", "SM"});
    EXPECT_EQ(asked_count(), 2u);
    EXPECT_EQ(decode(bytes("kelda.mus")), saved({3, 8, 4, 0, 3, 5, 4, 12}));
}

TEST_F(DocumentSaveTest, SmAfterAFailedGetAsksBeforeWritingOverTheFileThatDidNotLoad) {
    enter_items_without_editing();
    write_doc("kelda.mus", kPart);
    Bytes cut = bytes("kelda.mus");
    cut.resize(cut.size() - 6);
    write_bytes(base_ / "kelda.mus", cut);
    type("8 4 0");
    fe_.answer_yes_no(-1);  // let the new page go
    type("G kelda.mus");
    EXPECT_TRUE(shown("Error opening file-> " + path("kelda.mus")));
    EXPECT_EQ(page(), (std::vector<float>{3, 8, 4, 0}));
    fe_.answer_yes_no(0);
    type("SM");
    EXPECT_EQ(asked_count(), 2u);
    EXPECT_EQ(bytes("kelda.mus"), cut);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    fe_.answer_yes_no(-1);
    type("SM");
    EXPECT_EQ(decode(bytes("kelda.mus")), saved({3, 8, 4, 0}));
}

// Each of the identity's words on its own tells a file another program changed: the message,
// then the question; No writes nothing, Yes writes and binds the page to the new file.
TEST_F(DocumentSaveTest, AFileChangedByAnotherProgramIsToldAndAskedAboutBeforeASave) {
    enter_items_without_editing();
    const struct {
        const char* what;
        void (*change)(const fs::path&);
    } changes[] = {
        // Another file put in its place: same size, same time, another inode.
        {"file",
         [](const fs::path& p) {
             const fs::file_time_type t = fs::last_write_time(p);
             const fs::path other = p.string() + ".new";
             fs::copy_file(p, other);
             fs::rename(other, p);
             fs::last_write_time(p, t);
         }},
        // Grown in place, the time put back.
        {"size",
         [](const fs::path& p) {
             const fs::file_time_type t = fs::last_write_time(p);
             std::ofstream(p, std::ios::binary | std::ios::app) << "x";
             fs::last_write_time(p, t);
         }},
        // Touched a nanosecond later, nothing else.
        {"time",
         [](const fs::path& p) {
             fs::last_write_time(p, fs::last_write_time(p) + std::chrono::nanoseconds(1));
         }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        const std::string name = std::string(c.what) + ".mus";
        write_doc(name, kPart);
        if (core::ChangesMadeFlag != 0) fe_.answer_yes_no(-1);
        type("G " + name);
        ASSERT_EQ(page(), kPart);
        c.change(base_ / name);
        const Bytes theirs = bytes(name);
        type("5 1 12");
        const std::size_t before = asked_count();
        fe_.answer_yes_no(0);
        type("SM");
        EXPECT_TRUE(shown(changed_message(name)));
        EXPECT_EQ(asked_count(), before + 1);
        EXPECT_EQ(bytes(name), theirs);
        EXPECT_EQ(core::ChangesMadeFlag, 1);
        fe_.answer_yes_no(-1);
        type("SM");
        EXPECT_EQ(decode(bytes(name)), saved({3, 8, 1, 0, 3, 5, 1, 10, 3, 5, 1, 12}));
        type_all({"5 1 13", "SM"});
        EXPECT_EQ(asked_count(), before + 2);
    }
}

TEST_F(DocumentSaveTest, ChangesAfterASaveAreAskedAboutByEverySaveAndAVanishedFileIsWritten) {
    enter_items_without_editing();
    type_all({"8 1 0", "SA doc.mus"});
    EXPECT_EQ(asked_count(), 0u);
    write_doc("doc.mus", {3, 8, 9, 0, 3, 8, 10, 0});  // the other copy's save
    const Bytes theirs = bytes("doc.mus");
    type("5 1 12");
    // The window's save.
    fe_.answer_yes_no(0);
    front_end_save(path("doc.mus"));
    EXPECT_EQ(times_shown(changed_message("doc.mus")), 1);
    EXPECT_EQ(asked_count(), 1u);
    EXPECT_EQ(bytes("doc.mus"), theirs);
    // A save-as over it: told, and asked once.
    fe_.answer_yes_no(0);
    type("SA doc.mus");
    EXPECT_EQ(times_shown(changed_message("doc.mus")), 2);
    EXPECT_EQ(asked_count(), 2u);
    EXPECT_EQ(bytes("doc.mus"), theirs);
    // Gone since: simply written.
    fs::remove(base_ / "doc.mus");
    type("SM");
    EXPECT_EQ(asked_count(), 2u);
    EXPECT_EQ(decode(bytes("doc.mus")), saved({3, 8, 1, 0, 3, 5, 1, 12}));
}

// The page keeps the files of its last 16 loads and saves: with the table exactly full each
// still saves without a question; the 17th file makes the one used longest ago a stranger.
TEST_F(DocumentSaveTest, ThePageKeepsItsLastSixteenFiles) {
    enter_items_without_editing();
    const auto name = [](int k) { return "f" + std::to_string(k) + ".mus"; };
    type("8 1 0");
    for (int k = 1; k <= core::kDocumentFileRecords; ++k) type("SA " + name(k));
    ASSERT_TRUE(fe_.questions.empty());
    ASSERT_EQ(core::DocumentFileRecords.count, core::kDocumentFileRecords);
    type("5 1 12");
    front_end_save(path(name(1)));  // the oldest, now the most recent
    EXPECT_TRUE(fe_.questions.empty());
    EXPECT_EQ(decode(bytes(name(1))), saved({3, 8, 1, 0, 3, 5, 1, 12}));
    type("SA " + name(17));
    type("5 1 13");
    const Bytes kept = bytes(name(2));
    fe_.answer_yes_no(0);
    front_end_save(path(name(2)));
    EXPECT_EQ(asked_count(), 1u);
    EXPECT_EQ(bytes(name(2)), kept);
    front_end_save(path(name(3)));  // still kept
    EXPECT_EQ(asked_count(), 1u);
}

// A save in a command file asks no one at the keyboard: the file's next line answers the
// write-over question. Without an answer (the end of the file, or a line that is no answer,
// named and dropped) nothing is written and the reply says why.
TEST_F(DocumentSaveTest, SavesInCommandFilesTakeTheirAnswerFromTheFile) {
    enter_items_without_editing();
    write_doc("kelda.mus", kPart);
    const Bytes other = bytes("kelda.mus");
    write_file("save.cmd", {"5 1 12", "SM"});
    type("8 1 0");
    type("RE save.cmd");  // a new page's name, a file there: no answer, nothing written
    EXPECT_TRUE(fe_.questions.empty());
    EXPECT_EQ(bytes("kelda.mus"), other);
    EXPECT_TRUE(holds(fe_.message_boxes, "does not answer"));
    write_file("save_yes.cmd", {"SM", " yes "});
    type("RE save_yes.cmd");
    EXPECT_TRUE(fe_.questions.empty());
    EXPECT_EQ(decode(bytes("kelda.mus")), saved({3, 8, 1, 0, 3, 5, 1, 12}));
    // Another program writes the file: told, and the file's "N" keeps its work.
    write_doc("kelda.mus", kPart);
    const Bytes newer = bytes("kelda.mus");
    write_file("save_no.cmd", {"5 1 13", "SM", "n"});
    type("RE save_no.cmd");
    EXPECT_TRUE(fe_.questions.empty());
    EXPECT_TRUE(holds(fe_.message_boxes, "was changed by another program"));
    EXPECT_TRUE(holds(fe_.message_boxes, "answered No"));
    EXPECT_EQ(bytes("kelda.mus"), newer);
    // A command after the save is no answer: named with the question and dropped, never run
    // as the command the file meant as its answer.
    write_file("save_cmd.cmd", {"SM", "5 1 14"});
    const int32_t items = core::ItemCount;
    type("RE save_cmd.cmd");
    EXPECT_EQ(bytes("kelda.mus"), newer);
    EXPECT_EQ(core::ItemCount, items);
    EXPECT_TRUE(holds(fe_.message_boxes, "*** Not an answer to \"FILE EXISTS - Write over file?\": 5 1 14 -- taken as No: "));
}

// A link is a name of the file it leads to, also when that file does not exist yet: the save
// makes it and the link stays. Links that loop or end in a missing folder are refused, named.
TEST_F(DocumentSaveTest, SavesWriteThroughLinksAndRefuseLoopsAndMissingFolders) {
    enter_items_without_editing();
    fs::create_directory(base_ / "real");
    fs::create_symlink("real/target.mus", base_ / "link.mus");  // relative, dangling
    fs::create_symlink("link.mus", base_ / "chain.mus");
    type("8 1 0");
    type("SA chain.mus");
    EXPECT_TRUE(fe_.questions.empty());
    EXPECT_TRUE(fs::is_symlink(base_ / "link.mus"));
    EXPECT_TRUE(fs::is_symlink(base_ / "chain.mus"));
    EXPECT_EQ(decode(bytes("real/target.mus")), saved({3, 8, 1, 0}));
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    type_all({"5 1 12", "SM"});
    EXPECT_TRUE(fe_.questions.empty());
    EXPECT_TRUE(fs::is_symlink(base_ / "chain.mus"));
    EXPECT_EQ(decode(bytes("real/target.mus")), saved({3, 8, 1, 0, 3, 5, 1, 12}));

    type("5 1 13");
    fs::create_symlink("loop_b.mus", base_ / "loop_a.mus");
    fs::create_symlink("loop_a.mus", base_ / "loop_b.mus");
    fs::create_symlink("self.mus", base_ / "self.mus");
    fs::create_symlink("no_folder/x.mus", base_ / "gone.mus");
    for (const std::string name : {"loop_a.mus", "self.mus"}) {
        type("SA " + name);
        EXPECT_TRUE(
            shown("*** Not saved: " + path(name) + " is a link that leads round in a loop."))
            << name;
        EXPECT_TRUE(fs::is_symlink(base_ / name));
    }
    type("SA gone.mus");
    EXPECT_TRUE(shown("*** Not saved: " + path("gone.mus") +
                      " is a link into a folder that does not exist."));
    EXPECT_TRUE(fs::is_symlink(base_ / "gone.mus"));
    EXPECT_FALSE(fs::exists(base_ / "no_folder"));
    EXPECT_TRUE(fe_.questions.empty());
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("chain.mus"));
}

// A name that ends in a separator, or names a folder, is no document: refused, named, and
// nothing written, in the folder or beside it.
TEST_F(DocumentSaveTest, FolderNamesAreRefused) {
    enter_items_without_editing();
    fs::create_directory(base_ / "sdir");
    fs::create_directory(base_ / "box.mus");
    type("8 1 0");
    const struct {
        std::string typed;
        std::string shown;
    } names[] = {
        {"sdir/", path("sdir/")},     {"sdir\\", path("sdir/")},
        {"sdir", path("sdir")},       {"newdir/", path("newdir/")},
        {"box.mus", path("box.mus")}, {path("sdir") + "/", path("sdir/")},
    };
    for (const auto& n : names) {
        SCOPED_TRACE(n.typed);
        fe_.message_boxes.clear();
        type("SA " + n.typed);
        EXPECT_TRUE(shown("*** Not saved: " + n.shown + " is a folder, not a file."))
            << (fe_.message_boxes.empty() ? "" : fe_.message_boxes.back());
        EXPECT_EQ(core::ChangesMadeFlag, 1);
        EXPECT_EQ(core::CurrentFileName.trimmed(), "KELDA.MUS");
    }
    front_end_save(path("sdir") + "/");
    EXPECT_TRUE(shown("*** Not saved: " + path("sdir/") + " is a folder, not a file."));
    EXPECT_TRUE(fs::is_empty(base_ / "sdir"));
    EXPECT_TRUE(fs::is_empty(base_ / "box.mus"));
    EXPECT_FALSE(fs::exists(base_ / "newdir"));
    EXPECT_FALSE(fs::exists(base_ / "sdir.MUS"));
    EXPECT_TRUE(fe_.questions.empty());
}

}  // namespace
