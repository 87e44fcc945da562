// Rebuilding an edited beam from its notes: the beam is taken into editing as the user does
// ("I n") and the words typed ("AU", "AUX", the split edit line "8 -S"); the stored records
// are checked. The end-shift code and the store's tail shift are also called directly.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

constexpr float kUp = 10.0f;
constexpr float kDown = 20.0f;
constexpr float kEighth = 0.5f;
constexpr float kSixteenth = 0.25f;

// A note on staff 1 with nine parameters: position, stem code, rhythm, P9.
std::vector<float> note(float x, float rhythm, float p5 = kUp, float p9 = 0.0f) {
    return {1, 1, x, 5, p5, 0, rhythm, 0, p9};
}

class BeamRefit : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
    }
    // A staff (item 1), then the records as the loaders append them.
    void put_page(const std::vector<std::vector<float>>& records) {
        enter_items_without_editing();
        type("8 1 0");
        for (const auto& r : records) append_test_record(r);
    }
    void edit(int32_t k) {
        type("I " + std::to_string(k));
        ASSERT_EQ(core::EditedItemNumber, k);
        fe_.message_boxes.clear();
    }
    // Item k's P1..Pn.
    static std::vector<float> params(int32_t k) {
        std::vector<float> w = item(k);
        return {w.begin() + 1, w.end()};
    }
    static float E(int32_t k) { return core::EditItemParams(k); }
    // Notes at 20, 30, ... with the given rhythms, stems up.
    static std::vector<std::vector<float>> run(const std::vector<float>& rhythms) {
        std::vector<std::vector<float>> notes;
        for (std::size_t i = 0; i < rhythms.size(); ++i) {
            notes.push_back(note(20.0f + 10.0f * static_cast<float>(i), rhythms[i]));
        }
        return notes;
    }
    // Refits item k directly with the edit line (p1, p2).
    void refit_directly(int32_t k, float p1, float p2) {
        edit(k);
        core::ParamBuffer(1) = p1;
        core::ParamBuffer(2) = p2;
        layout::refit_edited_beam();
    }
};

TEST_F(BeamRefit, SplitCodesPutGapsInTheInnerBeams) {
    // Four sixteenths split after the second: the inner beam breaks between 30 and 40.
    auto items = run({kSixteenth, kSixteenth, kSixteenth, kSixteenth});
    items.push_back({6, 1, 20, 7, 7, 50, 12});
    put_page(items);
    edit(6);
    type("8 -2");
    EXPECT_EQ(params(6),
              (std::vector<float>{6, 1, 20, 7, 7, 50, 11, 0, 0, 11, 20, 30, 11, 40, 50}));
    EXPECT_EQ(core::ItemCount, 6);
    EXPECT_EQ(E(7), 11.0f);  // the editor took the rebuilt beam back

    // 222 on eight sixteenths: gaps after notes 2, 4 and 6; the third and fourth pairs need a
    // further beam item, inserted right after the edited one; the item after it stays intact.
    core::reset_engine();
    core::set_front_end(&fe_);
    items = run({kSixteenth, kSixteenth, kSixteenth, kSixteenth, kSixteenth, kSixteenth, kSixteenth,
                 kSixteenth});
    items.push_back({6, 1, 20, 7, 7, 90, 12});
    items.push_back({14, 1, 100, 0});
    put_page(items);
    const std::vector<float> bar = item(11);
    edit(10);
    type("8 -222");
    EXPECT_EQ(params(10),
              (std::vector<float>{6, 1, 20, 7, 7, 90, 11, 0, 0, 11, 20, 30, 11, 40, 50}));
    EXPECT_EQ(params(11),
              (std::vector<float>{6, 1, 20, 7, 7, 90, 11, 0, 0, 11, 60, 70, 11, 80, 90}));
    EXPECT_EQ(core::ItemCount, 12);
    EXPECT_EQ(item(12), bar);
    EXPECT_EQ(core::ItemWordsUsed, core::ItemStartTable(13));
    EXPECT_EQ(core::ItemStartTable(12), core::ItemStartTable(11) + 16);

    // The beam is split now: a second split is refused and the store stays as it is.
    const std::vector<float> split = page();
    ASSERT_EQ(core::EditedItemNumber, 10);  // still the edited item
    type("8 -2");
    EXPECT_EQ(page(), split);
    EXPECT_EQ(core::ItemCount, 12);
}

TEST_F(BeamRefit, RefusedSplitsLeaveTheStore) {
    auto items = run({kSixteenth, kSixteenth, kSixteenth, kSixteenth});
    items.push_back({6, 1, 20, 7, 7, 50, 12});
    put_page(items);
    const std::vector<float> before = page();
    refit_directly(6, 8.0f, -220.0f);  // a zero digit
    EXPECT_EQ(core::CommandModeLetters(1), -99);
    EXPECT_EQ(core::ParamBuffer(1), 0.0f);
    EXPECT_EQ(page(), before);

    // Offset ends (P13 0 with P14 set) are no partial beams to split.
    core::reset_engine();
    core::set_front_end(&fe_);
    items = run({kSixteenth, kSixteenth, kSixteenth});
    items.push_back({6, 1, 20, 7, 7, 40, 12, 0, 0, 0, 0, 0, 0, 10});
    put_page(items);
    const std::vector<float> offset = page();
    refit_directly(5, 8.0f, -2.0f);
    EXPECT_EQ(core::CommandModeLetters(1), -99);
    EXPECT_EQ(page(), offset);
}

TEST_F(BeamRefit, CollectionFollowsRhythmsAndTuplets) {
    // A quarter inside an eighth beam ends the collection: the beam ends at the eighth before.
    put_page({note(20, kEighth),
              note(30, kEighth),
              note(40, 1.0f),
              note(50, kEighth),
              {6, 1, 20, 7, 7, 50, 11}});
    edit(6);
    type("AU");
    EXPECT_EQ(params(6), (std::vector<float>{6, 1, 20, 7, 7, 30, 11}));

    // A triplet eighth (0.5 / 1.5) takes one beam; a septuplet sixteenth (0.25 / 1.75) two; a
    // triplet quarter (0.667) none, and ends the collection.
    core::reset_engine();
    core::set_front_end(&fe_);
    put_page({note(20, kEighth, kUp, 10),
              note(30, kSixteenth, kUp, 20),
              note(40, 1.0f, kUp, 10),
              {6, 1, 20, 7, 7, 40, 13}});
    edit(5);
    type("AU");
    EXPECT_EQ(params(5), (std::vector<float>{6, 1, 20, 7, 7, 30, 11, 0, 0, 11, 0, -1}));
}

// Grace notes (a rhythm of 64 or more) are beamed as sixteenths: two beams from the first to
// the last, from exactly 64 on.
TEST_F(BeamRefit, GraceNotesAreBeamedAsSixteenths) {
    for (const float grace : {64.0f, 65.0f}) {
        SCOPED_TRACE(grace);
        core::reset_engine();
        core::set_front_end(&fe_);
        put_page({note(20, grace), note(30, grace), note(40, grace), {6, 1, 20, 7, 7, 40, 11}});
        edit(5);
        type("AU");
        const std::vector<float> b = params(5);
        ASSERT_GE(b.size(), 7u);
        EXPECT_EQ(b[5], 40.0f);  // P6: the last grace note
        EXPECT_EQ(b[6], 12.0f);  // P7: stems up, two beams
    }
}

TEST_F(BeamRefit, PartialBeamsOfMixedRhythms) {
    struct Case {
        std::vector<float> rhythms;
        std::vector<float> expected;
    };
    const std::vector<Case> cases = {
        // Sixteenths inside: a partial from the first to the last of them.
        {{kEighth, kSixteenth, kSixteenth, kEighth}, {6, 1, 20, 7, 7, 50, 11, 0, 0, 11, 30, 40}},
        // A lone sixteenth after an eighth: its stub points back (left end 0).
        {{kEighth, kSixteenth, kEighth}, {6, 1, 20, 7, 7, 40, 11, 0, 0, 11, 0, 30}},
        // A lone sixteenth first: the stub points on.
        {{kSixteenth, kEighth, kEighth}, {6, 1, 20, 7, 7, 40, 11, 0, 0, 11, 20}},
        // A block at the last note: 0 and -1, the beam's right end.
        {{kEighth, kEighth, kSixteenth}, {6, 1, 20, 7, 7, 40, 11, 0, 0, 11, 0, -1}},
        // Thirty-seconds inside eighths: two extra beams.
        {{kEighth, 0.125f, 0.125f, kEighth}, {6, 1, 20, 7, 7, 50, 11, 0, 0, 12, 30, 40}},
        // Two groups of sixteenths: the second partial.
        {{kSixteenth, kSixteenth, kEighth, kSixteenth, kSixteenth},
         {6, 1, 20, 7, 7, 60, 11, 0, 0, 11, 20, 30, 11, 50, 60}},
        // All sixteenths: no partials, and old partial codes are cleared.
        {{kSixteenth, kSixteenth}, {6, 1, 20, 7, 7, 30, 12, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        core::reset_engine();
        core::set_front_end(&fe_);
        auto items = run(c.rhythms);
        const int32_t beam = static_cast<int32_t>(items.size()) + 2;
        items.push_back({6, 1, 20, 7, 7, 90, 11, 0, 0, 12, 1, 2});
        put_page(items);
        edit(beam);
        type("AU");
        EXPECT_EQ(params(beam), c.expected) << "notes: " << c.rhythms.size();
        EXPECT_EQ(core::ItemCount, beam);
    }

    // Three groups of sixteenths: the third goes to a further beam item.
    core::reset_engine();
    core::set_front_end(&fe_);
    put_page({note(20, kSixteenth),
              note(30, kSixteenth),
              note(40, kEighth),
              note(50, kSixteenth),
              note(60, kSixteenth),
              note(70, kEighth),
              note(80, kSixteenth),
              note(90, kSixteenth),
              {6, 1, 20, 7, 7, 90, 11}});
    edit(10);
    type("AU");
    EXPECT_EQ(params(10),
              (std::vector<float>{6, 1, 20, 7, 7, 90, 11, 0, 0, 11, 20, 30, 11, 50, 60}));
    EXPECT_EQ(params(11), (std::vector<float>{6, 1, 20, 7, 7, 90, 11, 0, 0, 11, 80, 90}));
    EXPECT_EQ(E(14), 50.0f);  // the editor keeps the edited beam, not the one inserted
}

TEST_F(BeamRefit, SideChangesWhenTheNotesPointTheOtherWay) {
    // Stems down under a beam drawn above: the beam takes the other side, 13 steps higher.
    put_page({note(20, kEighth, kDown), note(30, kEighth, kDown), {6, 1, 20, 9, 8, 30, 11}});
    edit(4);
    type("AU");
    EXPECT_EQ(params(4), (std::vector<float>{6, 1, 20, 22, 21, 30, 21}));

    core::reset_engine();
    core::set_front_end(&fe_);
    put_page({note(20, kEighth, kUp), note(30, kEighth, kUp), {6, 1, 20, -3, -4, 30, 21}});
    edit(4);
    type("AU");
    EXPECT_EQ(params(4), (std::vector<float>{6, 1, 20, -16, -17, 30, 11}));

    // No notes under it on either side: the beam and the working copy are left alone.
    core::reset_engine();
    core::set_front_end(&fe_);
    put_page({note(20, kEighth), {6, 1, 100, 9, 8, 130, 11}});
    const std::vector<float> before = page();
    refit_directly(3, 0.0f, 99.0f);
    EXPECT_EQ(core::ParamBuffer(1), 0.0f);
    EXPECT_EQ(page(), before);
    EXPECT_EQ(E(4), 9.0f);
    EXPECT_EQ(E(7), 11.0f);
}

TEST_F(BeamRefit, SizeClassFollowsTheFirstNote) {
    // Cue notes under a normal beam make it cue; a normal note among them is passed over.
    put_page({{1, 1, 20, 105, 10, 0, 0.5, 0, 0},
              {1, 1, 25, 5, 10, 0, 0.5, 0, 0},
              {1, 1, 30, 104, 10, 0, 0.5, 0, 0},
              {6, 1, 10, 9, 8, 40, 11}});
    edit(5);
    type("AU");
    EXPECT_EQ(params(5), (std::vector<float>{6, 1, 20, 109, 8, 30, 11}));
}

TEST_F(BeamRefit, AllNotesModeSetsTheEndShiftCode) {
    // "AUX" takes the note whose stem points down as well; it stands at the right end.
    put_page(
        {note(20, kEighth), note(30, kEighth), note(40, kEighth, kDown), {6, 1, 20, 9, 8, 40, 11}});
    edit(5);
    type("AUX");
    EXPECT_EQ(params(5), (std::vector<float>{6, 1, 20, 9, 8, 40, 11, 0, 200}));
}

TEST_F(BeamRefit, EndShiftCodeMarksTheEndsOfOtherSideNotes) {
    // Both end notes point the other way: the main beam's flag is set twice, 3.
    put_page({note(20, kEighth, kDown),
              note(30, kEighth),
              note(40, kEighth, kDown),
              {6, 1, 20, 9, 8, 40, 11}});
    edit(5);
    layout::count_notes_in_span();
    EXPECT_EQ(core::ParamBuffer(1), 9.0f);
    EXPECT_EQ(core::ParamBuffer(2), 300.0f);

    // Partial ends: -1 stands for the beam's end; a chord's second note at one position is
    // counted once; a stemless note and one off the staff are not counted.
    core::reset_engine();
    core::set_front_end(&fe_);
    put_page({note(20, kEighth),
              {1, 1, 30, 3, 20, 0, 0.5, 0, 0},
              {1, 1, 30, 2, 20, 0, 0.5, 0, 0},
              {1, 2, 20, 5, 20, 0, 0.5, 0, 0},
              {1, 1, 40, 5, 0, 0, 0.5, 0, 0},
              {6, 1, 20, 9, 8, 40, 11, 0, 0, 11, 30, -1, 11, 20, 30}});
    edit(7);
    layout::count_notes_in_span();
    EXPECT_EQ(core::ParamBuffer(2), 12.0f);  // 30: left of the first partial, right of the second
}

TEST_F(BeamRefit, AHundredNotesAreBuiltAndMoreRefused) {
    auto many = [](int32_t n, float rhythm = kEighth) {
        std::vector<std::vector<float>> items;
        for (int32_t i = 0; i < n; ++i) {
            items.push_back(note(1.0f + 1.5f * static_cast<float>(i), rhythm));
        }
        items.push_back({6, 1, 0.5f, 9, 8, 200, 12});
        return items;
    };
    put_page(many(100));
    edit(102);
    type("AU");
    EXPECT_EQ(params(102), (std::vector<float>{6, 1, 1.0f, 9, 8, 1.0f + 1.5f * 99, 11}));

    core::reset_engine();
    core::set_front_end(&fe_);
    put_page(many(101));
    const std::vector<float> before = page();
    refit_directly(103, 0.0f, 99.0f);
    EXPECT_EQ(core::CommandModeLetters(1), -99);
    EXPECT_EQ(core::ParamBuffer(1), 0.0f);
    EXPECT_EQ(page(), before);
    EXPECT_EQ(E(3), 0.5f);

    // Split gaps count as rows: 99 notes and one gap fill the table; 100 and a gap do not.
    core::reset_engine();
    core::set_front_end(&fe_);
    put_page(many(99, kSixteenth));
    refit_directly(101, 8.0f, -2.0f);
    EXPECT_EQ(core::CommandModeLetters(1), 1);
    EXPECT_EQ(item(101)[10], 11.0f);
    core::reset_engine();
    core::set_front_end(&fe_);
    put_page(many(100, kSixteenth));
    const std::vector<float> full = page();
    refit_directly(102, 8.0f, -2.0f);
    EXPECT_EQ(core::CommandModeLetters(1), -99);
    EXPECT_EQ(page(), full);
}

TEST_F(BeamRefit, AFurtherBeamNeedsRoomInTheStore) {
    // 222 on eight sixteenths grows the beam by 8 words and inserts 16: 24 words in all.
    auto items = run({kSixteenth, kSixteenth, kSixteenth, kSixteenth, kSixteenth, kSixteenth,
                      kSixteenth, kSixteenth});
    items.push_back({6, 1, 20, 7, 7, 90, 12});
    put_page(items);
    core::ItemStoreCapacity = core::ItemWordsUsed - 1 + 23;
    const std::vector<float> before = page();
    const std::string full = "**** The page is full: the beam was not refitted.";
    fe_.message_boxes.clear();
    refit_directly(10, 8.0f, -222.0f);
    EXPECT_EQ(core::CommandModeLetters(1), -99);
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::ItemCount, 10);
    EXPECT_EQ(fe_.message_boxes, (std::vector<std::string>{full}));

    core::ItemStoreCapacity = core::ItemWordsUsed - 1 + 24;
    refit_directly(10, 8.0f, -222.0f);
    EXPECT_EQ(core::ItemCount, 11);
    EXPECT_EQ(core::ItemWordsUsed - 1, core::ItemStoreCapacity);

    // The item limit holds the inserted beam back as well.
    core::reset_engine();
    core::set_front_end(&fe_);
    put_page(items);
    render::ItemCountLimit = core::ItemCount;
    const std::vector<float> limited = page();
    fe_.message_boxes.clear();
    refit_directly(10, 8.0f, -222.0f);
    EXPECT_EQ(core::CommandModeLetters(1), -99);
    EXPECT_EQ(page(), limited);
    EXPECT_EQ(fe_.message_boxes, (std::vector<std::string>{full}));
    // One item short of the limit: the inserted beam is its last item.
    render::ItemCountLimit = core::ItemCount + 1;
    fe_.message_boxes.clear();
    refit_directly(10, 8.0f, -222.0f);
    EXPECT_EQ(core::ItemCount, render::ItemCountLimit);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(BeamRefit, StoreTailMovesWithARecordInTheMiddle) {
    put_page({{1, 1, 20, 5, 10, 0, 0.5}, {6, 1, 20, 7, 7, 30, 11}, {14, 1, 100, 0}});
    const std::vector<float> third = item(4);
    const int32_t used = core::ItemWordsUsed;
    const int32_t s3 = core::ItemStartTable(3);
    // Item 3 grows by two words; items 4 and the end mark move with the tail.
    EXPECT_TRUE(layout::move_store_tail(7, 9, s3 + 8, 4));
    EXPECT_EQ(core::ItemWordsUsed, used + 2);
    EXPECT_EQ(core::ItemStartTable(4), s3 + 10);
    EXPECT_EQ(core::ItemStartTable(5), used + 2);
    EXPECT_EQ(item(4), third);
    EXPECT_EQ(core::ItemStore(s3 + 8), 0.0f);
    // And shrinks back: the freed words at the end are cleared.
    EXPECT_TRUE(layout::move_store_tail(9, 7, s3 + 10, 4));
    EXPECT_EQ(core::ItemWordsUsed, used);
    EXPECT_EQ(core::ItemStartTable(4), s3 + 8);
    EXPECT_EQ(item(4), third);
    EXPECT_EQ(core::ItemStore(used), 0.0f);
    EXPECT_EQ(core::ItemStore(used + 1), 0.0f);
    // Equal counts do nothing; a growth past the capacity is refused.
    const std::vector<float> before = page();
    EXPECT_TRUE(layout::move_store_tail(7, 7, s3 + 8, 4));
    core::ItemStoreCapacity = used;
    EXPECT_FALSE(layout::move_store_tail(7, 9, s3 + 8, 4));
    EXPECT_TRUE(layout::move_store_tail(7, 8, s3 + 8, 4));  // exactly full
    EXPECT_EQ(core::ItemWordsUsed - 1, core::ItemStoreCapacity);
    EXPECT_EQ(page().size(), before.size() + 1);
}

}  // namespace
