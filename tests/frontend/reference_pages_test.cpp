// The reference pages (tests/reference/NAME.MUS), loaded through the engine and painted into
// PNGs for a person to judge. Checked: every item drew something (invisible ones only while
// shown), nothing off the page, each document is what its script makes, and a full store is
// drawn whole without a word that something was left out.
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <iostream>

#include "engine/commands/files/file_commands.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/edit/systems/justify_command.h"
#include "engine/layout/tables.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/bridge/display_lists.h"
#include "frontend_fixture.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;

// The pages a person looks at; the dense and the full-store pages are the redraw benchmark's,
// justify_store the justification benchmark's.
const char* const kPages[] = {"scale",        "beams",         "rests",        "keys_meters",
                              "bar_lines",    "lines",         "new_items",    "typed_input",
                              "slurs_boxes",  "dense_page",    "full_store",   "justify_system",
                              "justify_page", "justify_grace", "justify_store"};
const char* const kFullStorePage = "full_store";

constexpr int32_t kRestCode = 2;
constexpr int32_t kBarCode = 14;
constexpr int32_t kPageWidth = 30000;  // display units; items stand at P3 0..200

float stored_word(int32_t item, int32_t k) {
    const int32_t s = core::ItemStartTable(item);
    if (k > core::int_of(core::ItemStore(s))) return 0.0f;
    return core::ItemStore(s + k);
}

// Invisible rests (P6 = -1) and bars (P4 < 0): on screen only while invisible items are shown.
bool invisible_by_design(int32_t item) {
    const int32_t code = core::int_of(stored_word(item, 1));
    if (code == kRestCode) return core::int_of(stored_word(item, 6)) == -1;
    if (code == kBarCode) return core::int_of(stored_word(item, 4)) < 0;
    return false;
}

// Whether item k put anything into the graphics list or the text stream at the last redraw.
bool item_drew(int32_t k) {
    return core::ItemOutputSpans.graphics(k + 1) > core::ItemOutputSpans.graphics(k) ||
           core::ItemOutputSpans.text(k + 1) > core::ItemOutputSpans.text(k);
}

class ReferencePageTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        bind_screen_lists();
    }

    // Loads tests/reference/NAME.MUS through the engine's file load and draws it; the number
    // of items, 0 when it could not be loaded.
    int32_t load_and_draw(const std::string& name) {
        const fs::path document = reference_file(name + ".MUS");
        if (!core::load_document_file(core::FixedText<512>(document.string()))) {
            ADD_FAILURE() << document << " not loaded: " << core::MessageLine.trimmed();
            return 0;
        }
        render::redraw_items();
        return core::ItemCount;
    }

    // Paints the drawn lists at zoom into an image around everything drawn and saves it as
    // reference_NAME.png in the screenshot folder; returns the number of dark pixels.
    int paint_page(const std::string& name, int32_t zoom,
                   const std::string& prefix = "reference_") {
        const auto painted = paint_screen_lists(zoom, 60);
        if (!painted) return 0;
        const QImage& image = painted->image;
        const auto path = screenshot_folder() / (prefix + name + ".png");
        EXPECT_TRUE(image.save(QString::fromStdString(path.string())));
        std::cout << "reference page: " << path.string() << '\n';
        return dark_pixels(image);
    }

    // Graphics entries left or right of the page (items stand at P3 0..200).
    static int32_t entries_off_the_page() {
        const int32_t left = render::ViewOrigin.x - 3000;
        const int32_t right = render::ViewOrigin.x + kPageWidth + 3000;
        int32_t outside = 0;
        for (const auto& e : render::decode_graphics_list()) outside += e.x < left || e.x > right;
        return outside;
    }
};

class ReferencePagesTest : public ReferencePageTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(ReferencePagesTest, EveryItemDrawsOnThePageAndThePageIsPainted) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    const std::string name = GetParam();
    const int32_t items = load_and_draw(name);
    ASSERT_GT(items, 10);

    // Every item drew into the graphics list or the text stream; invisible items only while
    // invisible items are shown.
    const bool invisible_shown = layout::ShowInvisibleItems > 0;
    std::vector<int32_t> silent;
    std::vector<int32_t> wrong_invisible;
    for (int32_t k = 1; k <= items; ++k) {
        if (invisible_by_design(k)) {
            if (item_drew(k) != invisible_shown) wrong_invisible.push_back(k);
        } else if (!item_drew(k)) {
            silent.push_back(k);
        }
    }
    EXPECT_TRUE(silent.empty()) << "items that drew nothing: " << ::testing::PrintToString(silent);
    EXPECT_TRUE(wrong_invisible.empty())
        << "invisible items " << (invisible_shown ? "not shown: " : "drawn: ")
        << ::testing::PrintToString(wrong_invisible);
    EXPECT_EQ(entries_off_the_page(), 0);
    EXPECT_GT(paint_page(name, 128), 5000);
}

INSTANTIATE_TEST_SUITE_P(Pages, ReferencePagesTest, ::testing::ValuesIn(kPages),
                         [](const auto& info) { return std::string(info.param); });

// The justification's pages after "LJ" on every system (two staves each, the bass below):
// painted as justified_NAME.png beside the pages as typed (reference_NAME.png). Every system
// counts, every note stays on the page, and the left hand's chords stand exactly where the
// right hand's eighths of the same beat stand.
const char* const kJustifiedPages[] = {"justify_system", "justify_page", "justify_grace"};

class JustifiedPagesTest : public ReferencePageTest,
                           public ::testing::WithParamInterface<const char*> {
  protected:
    // The distinct P3 of the notes of the staff (grace notes left out), smallest first.
    static std::vector<float> onsets(int32_t staff) {
        std::vector<float> out;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (stored_word(k, 1) != 1.0f || core::int_of(stored_word(k, 2)) != staff) continue;
            if (stored_word(k, 7) >= 64.0f) continue;
            const float x = stored_word(k, 3);
            if (out.empty() || std::fabs(out.back() - x) > 0.001f) out.push_back(x);
        }
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_P(JustifiedPagesTest, EverySystemIsRespacedByItsRhythmAndPainted) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    const std::string name = GetParam();
    ASSERT_GT(load_and_draw(name), 10);
    int32_t staves = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) staves += stored_word(k, 1) == 8.0f;
    ASSERT_EQ(staves % 2, 0);
    for (int32_t bass = 1; bass < staves; bass += 2) {
        SCOPED_TRACE(bass);
        core::CommandModeLetters(1) = 'L';
        core::CommandModeLetters(2) = 'J';
        int32_t lowest = bass;
        int32_t highest = bass + 1;
        float left = 0.0f;
        float right = 0.0f;
        edit::justify_system(lowest, highest, left, right);
        EXPECT_EQ(lowest, bass) << "the beat count failed";
    }
    EXPECT_TRUE(fe_.message_boxes.empty()) << fe_.message_boxes.front();
    for (int32_t bass = 1; bass < staves; bass += 2) {
        SCOPED_TRACE(bass);
        const std::vector<float> right_hand = onsets(bass + 1);
        const std::vector<float> left_hand = onsets(bass);
        ASSERT_EQ(right_hand.size(), 32u);  // four bars of eighths
        ASSERT_EQ(left_hand.size(), 16u);   // four bars of quarter chords
        for (std::size_t q = 0; q < left_hand.size(); ++q) {
            EXPECT_NEAR(left_hand[q], right_hand[2 * q], 0.01f) << "quarter " << q;
        }
        EXPECT_GE(right_hand.front(), 0.0f);
        EXPECT_LE(right_hand.back(), render::PageExtent);
    }
    render::redraw_items();
    EXPECT_EQ(entries_off_the_page(), 0);
    EXPECT_GT(paint_page(name, 128, "justified_"), 5000);
}

INSTANTIATE_TEST_SUITE_P(Pages, JustifiedPagesTest, ::testing::ValuesIn(kJustifiedPages),
                         [](const auto& info) { return std::string(info.param); });

// A full store of the densest music is drawn whole: exactly the item limit is stored, the
// output of the last item is still in the screen lists, every text record is whole, and
// neither the message line nor a message box says that something was left out.
TEST_F(ReferencePageTest, AFullStoreIsDrawnWholeIntoTheScreenLists) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    const int32_t items = load_and_draw(kFullStorePage);
    ASSERT_EQ(items, render::ItemCountLimit);
    EXPECT_EQ(render::ScreenListOverflow, 0);
    const auto& gspan = core::ItemOutputSpans.graphics;
    const auto& tspan = core::ItemOutputSpans.text;
    EXPECT_TRUE(item_drew(items));
    EXPECT_EQ(frontend::GraphicsListLength, gspan(items + 1) - 1);
    EXPECT_LT(frontend::GraphicsListLength, core::kGraphicsListWords);
    EXPECT_EQ(frontend::TextDisplayStreamLength, tspan(items + 1) - 1);
    EXPECT_LT(frontend::TextDisplayStreamLength, core::kTextStreamBytes);
    const auto text =
        frontend::DecodeTextRecords(frontend::TextDisplayStream.data(),
                                    frontend::TextDisplayStreamLength, core::kTextStreamBytes);
    EXPECT_TRUE(text.complete);
    EXPECT_GT(text.records.size(), 1000u);  // the fingerings, bar numbers and words
    EXPECT_TRUE(fe_.message_boxes.empty()) << fe_.message_boxes.front();
    for (const std::string& line : fe_.message_lines)
        EXPECT_EQ(line.find("more than the screen can hold"), std::string::npos) << line;
    std::cout << "full store: " << frontend::GraphicsListLength << " graphics words, "
              << frontend::TextDisplayStreamLength << " text bytes\n";
}

// The documents are what their scripts give: the generator is run again through the console
// program and its output compared byte for byte with the kept documents.
TEST(ReferencePageScripts, EveryDocumentIsMadeAgainFromItsScript) {
    test_application();
    const fs::path script = reference_file("make_reference_pages.sh");
    ASSERT_TRUE(fs::exists(script)) << script;
    char pattern[] = "/tmp/reference_pages_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path out = pattern;

    QProcess run;
    run.start(QStringLiteral("/bin/sh"), {QString::fromStdString(script.string()), program_path(),
                                          QString::fromStdString(out)});
    ASSERT_TRUE(run.waitForFinished(120000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    for (const std::string name : kPages) {
        SCOPED_TRACE(name);
        const fs::path made = out / (name + ".MUS");
        ASSERT_TRUE(fs::exists(made));
        EXPECT_EQ(read_text(made), read_text(reference_file(name + ".MUS")));
    }
    fs::remove_all(out);
}

}  // namespace
