// The screen's lists after a command that redraws only what changed are those of a whole
// redraw: the graphics list, the text stream and every item's spans. Commands are typed one by
// one into the engine with the test's own lists (the questions answered from the front-end's
// input), and after each the lists are compared with a whole redraw of the same store.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "console/console_front_end.h"
#include "engine/commands/interpreter/interpreter.h"
#include "engine/commands/start_up.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/shown_page.h"
#include "engine/core/tables.h"
#include "engine/render/page/page_redraw.h"
#include "tests/support/console_run.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/store_records.h"

namespace {

namespace fs = std::filesystem;

// The reference pages of the source tree, found from this file's name (which may be relative to
// the build folder, where the test program sits) whatever the current folder.
fs::path reference_page(const std::string& name) {
    fs::path folder = fs::path(__FILE__).parent_path().parent_path() / "reference";
    if (folder.is_relative()) folder = fs::read_symlink("/proc/self/exe").parent_path() / folder;
    return folder / (name + ".MUS");
}

struct Lists {
    std::vector<int32_t> graphics;
    std::vector<uint8_t> text;
    std::vector<int32_t> graphics_spans;  // items 2..count + 1
    std::vector<int32_t> text_spans;
    bool operator==(const Lists&) const = default;
};

class RedrawListsTest : public ConsoleSessionTest {
  protected:
    void TearDown() override {
        core::OutputBufferViews.graphics.unbind();
        core::OutputBufferViews.text.unbind();
        ConsoleSessionTest::TearDown();
    }
    // The console front-end answers the questions from these lines. It stands for a front-end
    // with a view, which the redraws draw for, unless without_view.
    void answer_with(const std::string& lines, bool without_view = false) {
        answers_.str(lines);
        console_ = std::make_unique<ConsoleFrontEnd>(answers_, out_);
        if (!without_view) core::FrontEndWithoutView = nullptr;
        core::set_front_end(console_.get());
        if (!started_) started_ = core::start_engine();
        ASSERT_TRUE(started_) << out_.str();
    }
    void type(const std::string& line) {
        core::MessageLine.set(line);
        core::FrontEndCommandBuffer.blank();
        int32_t status = -1;
        core::run_command(graphics_.data(), graphics_length_, text_.data(), text_length_,
                          status);
    }
    Lists lists() const {
        Lists l;
        l.graphics.assign(graphics_.begin(), graphics_.begin() + graphics_length_);
        l.text.assign(text_.begin(), text_.begin() + text_length_);
        for (int32_t k = 2; k <= core::ItemCount + 1; ++k) {
            l.graphics_spans.push_back(core::ItemOutputSpans.graphics(k));
            l.text_spans.push_back(core::ItemOutputSpans.text(k));
        }
        return l;
    }
    // Where the graphics lists part: the word and the item whose output holds it.
    static std::string first_difference(const Lists& a, const Lists& b) {
        std::size_t w = 0;
        while (w < a.graphics.size() && w < b.graphics.size() && a.graphics[w] == b.graphics[w]) ++w;
        int32_t item = 1;
        while (item - 1 < static_cast<int32_t>(b.graphics_spans.size()) &&
               b.graphics_spans[static_cast<std::size_t>(item - 1)] <= static_cast<int32_t>(w) + 1) {
            ++item;
        }
        std::string around;
        for (std::size_t k = w - w % 3; k < w - w % 3 + 6 && k < a.graphics.size() && k < b.graphics.size(); ++k)
            around += " " + std::to_string(a.graphics[k]) + "/" + std::to_string(b.graphics[k]);
        return around + " word " + std::to_string(w + 1) + " of item " + std::to_string(item) + " (code " +
               std::to_string(stored_param(item, 1)) + ")";
    }
    // The lists as they stand, and then as a whole redraw of the same store draws them.
    void expect_whole_redraw_lists(const std::string& after) {
        const Lists now = lists();
        const std::vector<float> store(core::ItemStore.at(1),
                                       core::ItemStore.at(1) + core::ItemWordsUsed - 1);
        render::redraw_items();
        const Lists whole = lists();
        // The drawing left the store as a whole redraw leaves it.
        EXPECT_TRUE(store == std::vector<float>(core::ItemStore.at(1),
                                                core::ItemStore.at(1) + core::ItemWordsUsed - 1))
            << after;
        EXPECT_EQ(now.graphics.size(), whole.graphics.size()) << after;
        EXPECT_TRUE(now.graphics == whole.graphics) << after << ": " << first_difference(now, whole);
        EXPECT_TRUE(now.text == whole.text) << after;
        EXPECT_TRUE(now.graphics_spans == whole.graphics_spans) << after;
        EXPECT_TRUE(now.text_spans == whole.text_spans) << after;
    }
    // Every system of the page (staves 1-2, 3-4, ...), each "LJ" checked after it.
    void justify_every_system(int32_t systems, bool check_each) {
        std::string yes;
        for (int32_t s = 0; s < systems; ++s) yes += "Y\n";
        answer_with(yes);
        for (int32_t s = 0; s < systems; ++s) {
            type("LJ");
            type(std::to_string(2 * s + 1) + " 2");
            if (check_each) expect_whole_redraw_lists("after LJ on system " + std::to_string(s + 1));
        }
    }

    std::istringstream answers_;
    std::ostringstream out_;
    std::unique_ptr<ConsoleFrontEnd> console_;
    std::vector<int32_t> graphics_ = std::vector<int32_t>(core::kGraphicsListWords, 0);
    std::vector<uint8_t> text_ = std::vector<uint8_t>(core::kTextStreamBytes, 0);
    int32_t graphics_length_ = 0;
    int32_t text_length_ = 0;
    bool started_ = false;
};

// Each "LJ" draws again only its own system; the page as a whole must still be as a whole
// redraw draws it, system after system (the first and the last system are the edges of the
// partial redraw: nothing before, nothing behind).
TEST_F(RedrawListsTest, LjOnEverySystemLeavesTheListsOfAWholeRedraw) {
    answer_with("");
    type("G " + reference_page("justify_page").string());
    ASSERT_GT(core::ItemCount, 100) << out_.str();
    const std::vector<float> before(core::ItemStore.at(1),
                                    core::ItemStore.at(1) + core::ItemWordsUsed - 1);
    justify_every_system(6, true);
    EXPECT_NE(std::vector<float>(core::ItemStore.at(1),
                                 core::ItemStore.at(1) + core::ItemWordsUsed - 1),
              before)
        << "LJ moved nothing: " << out_.str();

    // Once more, now that the spacing is settled: LJ then changes little or nothing.
    justify_every_system(6, true);
}

// Without a view LJ draws nothing (the lists stay as the load drew them) but settles the store;
// the next redraw of what changed then leaves the lists of a whole redraw.
TEST_F(RedrawListsTest, WithoutAViewLjDrawsNothingAndTheNextRedrawCatchesUp) {
    answer_with("", true);
    type("G " + reference_page("justify_page").string());
    ASSERT_GT(core::ItemCount, 100) << out_.str();
    const Lists loaded = lists();
    answer_with("Y\nY\n", true);
    type("LJ");
    type("1 2");
    type("LJ");
    type("5 2");
    // The items' output as loaded (the box's outline may follow it).
    const Lists now = lists();
    ASSERT_GE(now.graphics.size(), loaded.graphics.size());
    EXPECT_TRUE(std::equal(loaded.graphics.begin(), loaded.graphics.end(), now.graphics.begin()));
    EXPECT_TRUE(now.text == loaded.text);
    EXPECT_TRUE(now.graphics_spans == loaded.graphics_spans);
    EXPECT_NE(out_.str().find("Source Box O.K.?"), std::string::npos);
    render::redraw_changed_items();
    expect_whole_redraw_lists("after LJ without a view and a redraw of what changed");
}

// Without a whole redraw in between, each partial redraw starts from the previous one's lists.
TEST_F(RedrawListsTest, PartialRedrawsInARowLeaveTheListsOfAWholeRedraw) {
    answer_with("");
    type("G " + reference_page("justify_page").string());
    justify_every_system(6, false);
    expect_whole_redraw_lists("after LJ on every system");
}

// A one-system page and a dense page of texts and many codes: the kept output behind the
// system moves by what the system's drawing grew or shrank.
TEST_F(RedrawListsTest, LjOnOtherPagesLeavesTheListsOfAWholeRedraw) {
    for (const char* name : {"justify_system", "dense_page", "justify_store"}) {
        answer_with("Y\nY\n");
        type("G " + reference_page(name).string());
        ASSERT_GT(core::ItemCount, 0) << name;
        type("LJ");
        type("1 2");
        expect_whole_redraw_lists(name);
    }
}

// The box question's marking draws nothing in the console; the command's end still leaves the
// lists of a whole redraw, also when the answer is Exit or No and then Yes.
TEST_F(RedrawListsTest, TheBoxAnswersLeaveTheListsOfAWholeRedraw) {
    answer_with("X\nN\nY\n");
    type("G " + reference_page("justify_page").string());
    const std::vector<float> loaded(core::ItemStore.at(1),
                                    core::ItemStore.at(1) + core::ItemWordsUsed - 1);
    type("LJ");
    type("1 2");  // Exit: nothing changes
    EXPECT_EQ(std::vector<float>(core::ItemStore.at(1),
                                 core::ItemStore.at(1) + core::ItemWordsUsed - 1),
              loaded);
    expect_whole_redraw_lists("after Exit");
    type("LJ");
    type("3 2");  // No: asked again
    type("3 2");  // Yes
    expect_whole_redraw_lists("after No, then Yes");
    EXPECT_NE(std::vector<float>(core::ItemStore.at(1),
                                 core::ItemStore.at(1) + core::ItemWordsUsed - 1),
              loaded);
}

// Anything else that wrote into the lists since the last redraw (here the first entry of an
// item before the system and the last entry of the page) is not kept: the next redraw draws
// those items again.
TEST_F(RedrawListsTest, ListsChangedBehindTheRedrawsBackAreDrawnAgain) {
    answer_with("Y\nY\n");
    type("G " + reference_page("justify_page").string());
    type("LJ");
    type("1 2");
    expect_whole_redraw_lists("after LJ on system 1");
    int32_t on_staff_3 = 0;
    for (int32_t k = 1; k <= core::ItemCount && on_staff_3 == 0; ++k) {
        if (stored_param(k, 2) == 3.0f && stored_param(k, 1) == 1.0f) on_staff_3 = k;
    }
    ASSERT_GT(on_staff_3, 0);
    graphics_[static_cast<std::size_t>(core::ItemOutputSpans.graphics(on_staff_3)) - 1] ^= 1;
    graphics_[static_cast<std::size_t>(graphics_length_) - 1] ^= 1;
    type("LJ");
    type("7 2");
    expect_whole_redraw_lists("after lists changed behind the redraw's back");
}

// A view that shows the lists while the box question waits: the box's items are drawn
// highlighted over the page then, exactly as the whole page drawn and its items from the first
// boxed one drawn again with the boxed ones highlighted.
class QuestionLists : public ScriptedFrontEnd {
  public:
    int AskYesNoExit(const char* question) override {
        auto& g = core::OutputBufferViews.graphics;
        shown.assign(g.data(), g.data() + g.length());
        return ScriptedFrontEnd::AskYesNoExit(question);
    }
    std::vector<int32_t> shown;
};

TEST_F(RedrawListsTest, AViewShowsTheBoxItemsHighlightedWhileTheQuestionWaits) {
    answer_with("");
    type("G " + reference_page("justify_page").string());
    answer_with("Y\n");
    type("LJ");
    type("1 2");  // system 1 justified: the lists now come from a partial redraw
    QuestionLists view;
    view.strict = false;
    view.answer_yes_no(-1);  // Yes
    core::set_front_end(&view);
    type("LJ");
    type("3 2");
    ASSERT_FALSE(view.shown.empty());
    const std::vector<int32_t> shown = view.shown;
    EXPECT_NE(view.questions.size(), 0u);
    // After the answer the highlighted items are drawn plainly again, as a whole redraw draws.
    expect_whole_redraw_lists("after LJ with the view");

    // The same picture made the long way, on the store as it was when asked.
    answer_with("");
    type("UNDO");
    std::vector<int32_t> highlighted;
    int32_t first = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const float staff = stored_param(k, 2);
        const float code = stored_param(k, 1);
        if (staff < 3 || staff > 4 || code <= 0 || code == 13) continue;
        if (first == 0) first = k;
        core::ItemStore(core::ItemStartTable(k) + 1) = -code;
    }
    ASSERT_GT(first, 0);
    render::redraw_items_from(first);
    EXPECT_EQ(std::vector<int32_t>(graphics_.begin(), graphics_.begin() + graphics_length_),
              std::vector<int32_t>(shown.begin(), shown.begin() + graphics_length_));
}

}  // namespace
