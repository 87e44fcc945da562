// Vertical justification of staves: the profiles of the drawn page, their distance, and the
// staff moves of "VJ".
#include "engine/layout/staves/vertical_justify.h"

#include <cmath>
#include <string>

#include "engine/core/store/item_store.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/render/page/page_redraw.h"
#include "tests/layout/layout_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using layout::StaffProfile;

class VerticalJustifyTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        // The redraw needs the program's fonts.
        temp_.use_program_data_folder();
        temp_.enter();
    }
    TempFolder temp_{"vertical_justify_test"};

    // "VJ" with its five numbers in P2..P6, as the interpreter leaves them.
    static void justify(float clearance, float window, float gap, float first = 0.0f,
                        float count = 0.0f) {
        core::ParamBuffer.fill(0.0f);
        core::ParamBuffer(2) = clearance;
        core::ParamBuffer(3) = window;
        core::ParamBuffer(4) = gap;
        core::ParamBuffer(5) = first;
        core::ParamBuffer(6) = count;
        core::CommandModeLetters(1) = 'V';
        core::CommandModeLetters(2) = 'J';
        layout::justify_staves_vertically();
    }
    static void draw() {
        int32_t n = 0;
        layout::rebuild_index_and_staff_table(n);
        render::redraw_items();
    }
    // Display distance from the top line of staff s to the bottom line of staff t.
    static int32_t line_gap(int32_t s, int32_t t) {
        const auto& st = layout::StaffTables;
        return (st.StaffBaseY(t) + core::int_of(21.0f * st.StaffScale(t))) -
               (st.StaffBaseY(s) + core::int_of(77.0f * st.StaffScale(s)));
    }
    static StaffProfile empty(int32_t v) {
        StaffProfile p;
        p.fill(v);
        return p;
    }
};

TEST_F(VerticalJustifyTest, OneStaffIsRefused) {
    add_item({8, 1, 0, 0, 0});
    add_item({1, 1, 10, 6, 10});
    draw();
    const std::vector<float> before(core::ItemStore.data(),
                                    core::ItemStore.data() + core::ItemWordsUsed);
    justify(4, 0, 0);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "Multiple staves not found. Cannot do VJ.");
    EXPECT_EQ(
        std::vector<float>(core::ItemStore.data(), core::ItemStore.data() + core::ItemWordsUsed),
        before);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
}

TEST_F(VerticalJustifyTest, DistanceOfProfilesWithinTheWindow) {
    StaffProfile top = empty(layout::kEmptyTop);
    StaffProfile bottom = empty(layout::kEmptyBottom);
    EXPECT_EQ(layout::min_staff_distance(top, bottom, 4), 99999);
    top(10) = 1000;
    bottom(14) = 3000;
    // Four slots apart: inside a window of 4, outside one of 3.
    EXPECT_EQ(layout::min_staff_distance(top, bottom, 4), 2000);
    EXPECT_EQ(layout::min_staff_distance(top, bottom, 3), 99999);
    top(13) = 2500;
    EXPECT_EQ(layout::min_staff_distance(top, bottom, 4), 500);
    // The ends of the page: slots 0 and 100 count.
    StaffProfile top2 = empty(layout::kEmptyTop);
    StaffProfile bottom2 = empty(layout::kEmptyBottom);
    top2(100) = 10;
    bottom2(100) = 5;
    top2(0) = 0;
    bottom2(0) = 40;
    EXPECT_EQ(layout::min_staff_distance(top2, bottom2, 0), -5);
}

TEST_F(VerticalJustifyTest, ProfilesFollowTheDrawnSegments) {
    add_item({8, 1, 0, 0, 0});
    add_item({8, 2, 0, 0, 0});
    draw();
    layout::StaffProfilesRecord profiles;
    layout::clear_staff_profiles(profiles);
    layout::add_item_to_staff_profiles(2, profiles);
    EXPECT_EQ(profiles.lowest, 2);
    EXPECT_EQ(profiles.highest, 2);
    EXPECT_EQ(profiles.touched(1), 0);
    // The staff's lines: top at step 11, bottom at step 3 in every slot they cross.
    const auto& st = layout::StaffTables;
    const int32_t top_line = st.StaffBaseY(2) + 11 * 175 + 290000 - render::ViewOrigin.y;
    const int32_t bottom_line = st.StaffBaseY(2) + 3 * 175 + 290000 - render::ViewOrigin.y;
    int32_t filled = 0;
    for (int32_t s = 0; s <= 100; ++s) {
        if (profiles.top(2)(s) == layout::kEmptyTop) continue;
        ++filled;
        EXPECT_NEAR(profiles.top(2)(s), top_line, 30) << s;
        EXPECT_NEAR(profiles.bottom(2)(s), bottom_line, 30) << s;
    }
    EXPECT_GT(filled, 50);
}

TEST_F(VerticalJustifyTest, StavesTooCloseMoveApartByTheClearance) {
    add_item({8, 1, 0, 0, 0});
    add_item({8, 2, 0, 0, 0});
    add_item({8, 3, 0, 0, 0});
    draw();
    ASSERT_EQ(line_gap(1, 2), 1750);
    // 14 steps of clearance between the staff lines; the least line gap (1 step) does not bind.
    justify(14, 4, 1);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_EQ(stored(1, 4), 0.0f);
    EXPECT_NEAR(stored(2, 4), 4.0f, 0.01f);
    // The third staff moves with the second and by its own need.
    EXPECT_NEAR(stored(3, 4), 8.0f, 0.01f);
    EXPECT_NEAR(line_gap(1, 2), 14 * 175, 2);
    EXPECT_NEAR(line_gap(2, 3), 14 * 175, 2);
    EXPECT_EQ(render::OutputPassWord, 1);

    // Justified: the same command changes nothing.
    justify(14, 4, 1);
    EXPECT_NEAR(stored(2, 4), 4.0f, 0.01f);
    EXPECT_NEAR(stored(3, 4), 8.0f, 0.01f);
}

TEST_F(VerticalJustifyTest, TheLeastLineGapHoldsAndSmallShiftsAreDropped) {
    add_item({8, 1, 0, 0, 0});
    add_item({8, 2, 0, 0, 0});
    draw();
    // A clearance below the present one would pull the staves together, but the line gap of
    // 12 steps wins: 2 steps up.
    justify(4, 4, 0);
    EXPECT_NEAR(stored(2, 4), 2.0f, 0.01f);
    // A need of 0.1 step is dropped: nothing moves.
    justify(4, 4, 12.1f);
    EXPECT_NEAR(stored(2, 4), 2.0f, 0.01f);
    // 0.2 steps is moved.
    justify(4, 4, 12.2f);
    EXPECT_NEAR(stored(2, 4), 2.2f, 0.02f);
}

TEST_F(VerticalJustifyTest, AHalfSizeStaffUsesTheSmallerSteps) {
    add_item({8, 1, 0, 0, 0});
    add_item({8, 2, 0, 0, 0.5f});
    draw();
    const float half_step = 7.0f * layout::StaffTables.StaffScale(2);
    ASSERT_NEAR(half_step, 87.5f, 0.01f);
    const int32_t gap_before = line_gap(1, 2);
    // Clearance 30 half steps between staff 1's top line and staff 2's bottom line.
    justify(30, 4, 1);
    EXPECT_NEAR(line_gap(1, 2), 30 * 87.5f, 2);
    EXPECT_NEAR(stored(2, 4), (30 * 87.5f - gap_before) / half_step, 0.02f);
}

TEST_F(VerticalJustifyTest, BarLinesAndStavesOutsideTheRangeDoNotCount) {
    add_item({8, 1, 0, 0, 0});
    add_item({8, 2, 0, 0, 0});
    add_item({8, 3, 0, 0, 0});
    // A bar line on staff 1 reaching far up is not material.
    add_item({14, 1, 50, 0, 0, 0, 30});
    draw();
    justify(14, 4, 1, 1, 2);
    EXPECT_NEAR(stored(2, 4), 4.0f, 0.01f);
    EXPECT_EQ(stored(3, 4), 0.0f);  // staff 3 lies outside the two staves asked for
}

TEST_F(VerticalJustifyTest, BarLinesThroughSeveralStavesAreNotMaterial) {
    // The page of the clearance test with bar lines drawn through staves 1-2, 2-3 and 1-3:
    // they join the staves but keep nothing apart, so the staves move as without them.
    add_item({8, 1, 0, 0, 0});
    add_item({8, 2, 0, 0, 0});
    add_item({8, 3, 0, 0, 0});
    add_item({14, 1, 40, 2});
    add_item({14, 2, 80, 2});
    add_item({14, 1, 120, 3, 2});
    draw();
    justify(14, 4, 1);
    EXPECT_NEAR(stored(2, 4), 4.0f, 0.01f);
    EXPECT_NEAR(stored(3, 4), 8.0f, 0.01f);
    EXPECT_NEAR(line_gap(1, 2), 14 * 175, 2);
    EXPECT_NEAR(line_gap(2, 3), 14 * 175, 2);
}

TEST_F(VerticalJustifyTest, CancelledDialogChangesNothing) {
    add_item({8, 1, 0, 0, 0});
    add_item({8, 2, 0, 0, 0});
    draw();
    fe_.answer_dialog(2);
    justify(0, 0, 0);
    EXPECT_EQ(stored(2, 4), 0.0f);
    EXPECT_EQ(core::ChangesMadeFlag, 0);

    // OK: the dialog's five words are the command's numbers.
    ScriptedFrontEnd::DialogAnswer ok;
    ok.words = {14, 4, 1, 0, 0};
    fe_.answer_dialog(ok);
    justify(0, 0, 0);
    EXPECT_NEAR(stored(2, 4), 4.0f, 0.01f);
}

// The shift hangs on what is drawn, never on where a drawing falls against the 300-unit
// slices: a note moved by hundredths of a step gives the same shift, on two staves (a high
// note under an empty staff, a note inside each) and on four staves of chords at fractional
// places, as a justified four-part page has them.
TEST_F(VerticalJustifyTest, TheShiftDoesNotHangOnHundredthsOfAPosition) {
    struct Page {
        const char* name;
        std::vector<std::vector<float>> notes;  // staff, position, level, P5
        int32_t staves;
    };
    const Page pages[] = {
        {"high note below an empty staff", {{1, 112, 13, 20}}, 2},
        {"a note inside each staff", {{1, 60, 9, 20}, {2, 60, 5, 10}}, 2},
        {"four parts",
         {{1, 30.4f, 1, 20},
          {1, 75.6f, 8, 20},
          {2, 30.4f, 10, 10},
          {2, 75.6f, 12, 10},
          {3, 30.4f, -2, 20},
          {3, 75.6f, 4, 20},
          {4, 30.4f, 9, 10},
          {4, 120.8f, 13, 10}},
         4},
    };
    for (const Page& page : pages) {
        SCOPED_TRACE(page.name);
        std::vector<float> first;
        for (float moved : {0.0f, 0.1f, 0.17f, 0.5f, 0.93f}) {
            SCOPED_TRACE(moved);
            core::reset_engine();
            core::OutputBufferViews.graphics.bind(graphics_.data(), &graphics_length_);
            core::OutputBufferViews.text.bind(text_.data(), &text_length_);
            core::set_front_end(&fe_);
            for (int32_t s = 1; s <= page.staves; ++s)
                add_item({8, static_cast<float>(s), 0, 0, 0});
            for (const auto& n : page.notes) add_item({1, n[0], n[1] + moved, n[2], n[3], 0, 1});
            draw();
            justify(4, 4, 12);
            std::vector<float> shifts;
            for (int32_t s = 2; s <= page.staves; ++s) shifts.push_back(stored(s, 4));
            if (first.empty()) {
                first = shifts;
                continue;
            }
            for (std::size_t i = 0; i < shifts.size(); ++i)
                EXPECT_NEAR(shifts[i], first[i], 0.01f) << i;
        }
    }
}

}  // namespace
