// The window's open (File > Open, the recent-files list and the start-up argument all open
// through it) of a document with no readable item, and of a link that leads round in a loop:
// refused, with the open page, its window and its name left as they were; and of one whose
// record holds a number the page never holds: opened without that record, which is named.
#include <QMdiArea>
#include <limits>

#include "engine/core/files/document_tables.h"
#include "frontend/view/frames.h"
#include "tests/core/document_bytes.h"
#include "tests/frontend/app_fixture.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

QString damaged_open_q(const fs::path& p) { return QString::fromStdString(p.string()); }

TEST_F(AppTest, AnOpenOfADocumentWithNoReadableItemLeavesThePageAndItsWindow) {
    CMainFrame& f = make_frame();
    f.OnFileNew();
    const fs::path good = dir_ / "good.MUS";
    write_document(good, kPage);
    ASSERT_NE(f.OpenDocumentFile(damaged_open_q(good)), nullptr);
    const int32_t items = core::ItemCount;
    const std::string folder = platform::current_folder();

    // The first record's count word says 500.
    const fs::path damaged = dir_ / "other" / "damaged.MUS";
    write_bytes(damaged, encode(with_trailer({500, 5, 1, 1, 3, 5, 1, 2})));
    EXPECT_EQ(f.OpenDocumentFile(damaged_open_q(damaged)), nullptr);
    EXPECT_NE(fe_.LastMessage().toStdString().find("Error opening file-> " + damaged.string()),
              std::string::npos)
        << fe_.LastMessage().toStdString();
    EXPECT_EQ(core::ItemCount, items);
    EXPECT_EQ(core::CurrentFileName.trimmed(), good.string());
    EXPECT_EQ(platform::current_folder(), folder);
    EXPECT_EQ(f.MdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(f.ActiveDocument()->PathName().toStdString(), good.string());

    // A link that leads round in a loop is named as such, and nothing reaches the engine.
    fs::create_symlink(dir_ / "round_b.MUS", dir_ / "round_a.MUS");
    fs::create_symlink(dir_ / "round_a.MUS", dir_ / "round_b.MUS");
    messages_.clear();
    EXPECT_EQ(f.OpenDocumentFile(damaged_open_q(dir_ / "round_a.MUS")), nullptr);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("is a link that leads round in a loop."), std::string::npos)
        << messages_[0];
    EXPECT_EQ(core::CurrentFileName.trimmed(), good.string());
}

TEST_F(AppTest, AnOpenLeavesOutARecordWithANumberThePageNeverHolds) {
    CMainFrame& f = make_frame();
    const fs::path file = dir_ / "nan.MUS";
    const float nan = std::numeric_limits<float>::quiet_NaN();
    write_bytes(file, encode(with_trailer({3, 8, 1, 0, 4, 1, 1, 10, 5, 4, 1, 1, nan, 5})));
    ASSERT_NE(f.OpenDocumentFile(damaged_open_q(file)), nullptr);
    EXPECT_EQ(core::ItemCount, 2);
    std::string shown;
    for (const auto* texts : {&fe_.message_lines, &fe_.message_boxes, &gate_messages_, &messages_})
        for (const std::string& text : *texts) shown += text + "\n";
    EXPECT_NE(
        shown.find("*** 1 record of " + file.string() + " could not be read and was left out."),
        std::string::npos)
        << shown;
}

}  // namespace
