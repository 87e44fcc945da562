// Beam end heights and the stem direction of a beamed group.
#include "engine/layout/notes/beam_heights.h"

#include <vector>

#include "engine/core/settings_tables.h"
#include "tests/layout/input_rows.h"

namespace {

class BeamHeightsTest : public InputRowsTest {
  protected:
    // Notes at the heights, 10 apart from x 10, stems by p5; returns the decided direction
    // and the ends.
    struct Ends {
        float left, right;
        int32_t direction;
    };
    Ends beam(const std::vector<float>& heights, int32_t direction, float p5 = 10.0f,
              float spacing = 10.0f) {
        int32_t k = 0;
        for (float h : heights) {
            ++k;
            layout::BeamNoteColumns(k) = chord(10.0f + spacing * (k - 1), h, p5);
            layout::BeamNoteHeights(k) = h;
        }
        Ends e{-1.0f, -1.0f, direction};
        layout::compute_beam_ends(e.left, e.right, e.direction, k, 10.0f,
                                  10.0f + spacing * (k - 1));
        return e;
    }
};

TEST_F(BeamHeightsTest, DirectionFromTheSpreadAboutTheMiddleLine) {
    // 3, 5, 4: the highest is nearer the middle: up; the middle note pokes 1.5 through the line
    // from 3 to 4 and no end is at 5, so the beam is flat at 5, a line, and moves to 4.5.
    Ends e = beam({3.0f, 5.0f, 4.0f}, 0);
    EXPECT_EQ(e.direction, 10);
    EXPECT_FLOAT_EQ(e.left, 4.5f);
    EXPECT_FLOAT_EQ(e.right, 4.5f);
}

TEST_F(BeamHeightsTest, TwoNotesOnTheMiddleLineGoDown) {
    Ends e = beam({7.0f, 7.0f}, 0);
    EXPECT_EQ(e.direction, 20);
    EXPECT_FLOAT_EQ(e.left, 7.5f);  // flat on the middle line: moved into the space
    EXPECT_FLOAT_EQ(e.right, 7.5f);
}

TEST_F(BeamHeightsTest, EqualSpreadCountsTheNotesAboveAndBelow) {
    // a = b = 3: two below, one above: up.
    EXPECT_EQ(beam({4.0f, 5.0f, 10.0f}, 0).direction, 10);
    layout::reset_input_work_tables();
    // One below, one above: at most as many below: down.
    EXPECT_EQ(beam({4.0f, 10.0f}, 0).direction, 20);
}

TEST_F(BeamHeightsTest, SteepBeamIsHeldToTheSlopeLimit) {
    core::BeamTilt = 0.10f;
    // 8 drops to 7; 2 rises to 6, one step below it (10 x 0.10 = 1.0).
    Ends e = beam({2.0f, 8.0f}, 10);
    EXPECT_FLOAT_EQ(e.left, 6.0f);
    EXPECT_FLOAT_EQ(e.right, 7.0f);
    layout::reset_input_work_tables();
    // Down: the lower end rises first, then the higher follows to one step from it.
    e = beam({8.0f, 2.0f}, 20);
    EXPECT_FLOAT_EQ(e.left, 4.0f);
    EXPECT_FLOAT_EQ(e.right, 3.0f);
    layout::reset_input_work_tables();
    // A slope within the limit, or a difference of 1.5 or less, stays.
    core::BeamTilt = 0.5f;
    e = beam({2.0f, 6.0f}, 10);
    EXPECT_FLOAT_EQ(e.left, 2.0f);
    EXPECT_FLOAT_EQ(e.right, 6.0f);
}

TEST_F(BeamHeightsTest, TheFollowingEndNeverMovesAwayFromTheFirst) {
    core::BeamTilt = 0.10f;
    // Up, 2 and 5 over 28: 5 drops to 4; 2 / 28 is within the limit, so 2 stays (moving it out
    // to 28 x 0.10 = 2.8 below 4 would keep the slope and shorten both stems).
    Ends e = beam({2.0f, 5.0f}, 10, 10.0f, 28.0f);
    EXPECT_FLOAT_EQ(e.left, 2.0f);
    EXPECT_FLOAT_EQ(e.right, 4.0f);
    layout::reset_input_work_tables();
    // Down, the mirror: 9 rises to 10, 12 stays.
    e = beam({12.0f, 9.0f}, 20, 20.0f, 28.0f);
    EXPECT_FLOAT_EQ(e.left, 12.0f);
    EXPECT_FLOAT_EQ(e.right, 10.0f);
    layout::reset_input_work_tables();
    // Exactly at the limit (3 over 30) nothing moves.
    e = beam({2.0f, 5.0f}, 10, 10.0f, 30.0f);
    EXPECT_FLOAT_EQ(e.left, 2.0f);
    EXPECT_FLOAT_EQ(e.right, 5.0f);
    layout::reset_input_work_tables();
    // At the limit after the first step (4 over 30 becomes 3): only that step.
    e = beam({2.0f, 6.0f}, 10, 10.0f, 30.0f);
    EXPECT_FLOAT_EQ(e.left, 2.0f);
    EXPECT_FLOAT_EQ(e.right, 5.0f);
    layout::reset_input_work_tables();
    // Just beyond it (4 over 29): the lower end comes to 29 x 0.10 = 2.9 below 5.
    e = beam({2.0f, 6.0f}, 10, 10.0f, 29.0f);
    EXPECT_FLOAT_EQ(e.left, 2.0f);  // 2.1 cut to half steps
    EXPECT_FLOAT_EQ(e.right, 5.0f);
    layout::reset_input_work_tables();
    e = beam({2.0f, 6.0f}, 20, 20.0f, 29.0f);
    EXPECT_FLOAT_EQ(e.left, 3.0f);
    EXPECT_FLOAT_EQ(e.right, 5.5f);  // 3 + 2.9 = 5.9 cut to half steps
}

TEST_F(BeamHeightsTest, EqualPositionsGiveAFlatBeamAtTheExtremeWithoutDividing) {
    // All three notes at x 10: no width to slope over.
    Ends e = beam({2.0f, 9.0f, 6.0f}, 10, 10.0f, 0.0f);
    EXPECT_FLOAT_EQ(e.left, 9.0f);  // above the staff's middle space rule: stays
    EXPECT_FLOAT_EQ(e.right, 9.0f);
    layout::reset_input_work_tables();
    e = beam({2.0f, 9.0f, 6.0f}, 20, 20.0f, 0.0f);
    EXPECT_FLOAT_EQ(e.left, 2.0f);
    EXPECT_FLOAT_EQ(e.right, 2.0f);
}

TEST_F(BeamHeightsTest, FlatBeamsLeaveTheStaffLines) {
    EXPECT_FLOAT_EQ(beam({5.0f, 5.0f}, 10).left, 4.5f);
    layout::reset_input_work_tables();
    EXPECT_FLOAT_EQ(beam({9.0f, 9.0f}, 20).right, 9.5f);
    layout::reset_input_work_tables();
    // Two notes at the maximum make the beam flat there.
    Ends e = beam({3.0f, 8.0f, 8.0f, 6.0f}, 10);
    EXPECT_FLOAT_EQ(e.left, 8.0f);
    EXPECT_FLOAT_EQ(e.right, 8.0f);
}

// The flat-beam rules at their edges: the extreme met twice (an end among them) flattens the
// beam there; met once, the beam keeps its slope.
TEST_F(BeamHeightsTest, AnExtremeMetTwiceFlattensTheBeamAtIt) {
    // Up, 3, 5, 5: flat at 5, a line, so into the space below: 4.5.
    Ends e = beam({3.0f, 5.0f, 5.0f}, 10);
    EXPECT_FLOAT_EQ(e.left, 4.5f);
    EXPECT_FLOAT_EQ(e.right, 4.5f);
    layout::reset_input_work_tables();
    // The maximum once: sloped, 3 to 5.
    e = beam({3.0f, 4.0f, 5.0f}, 10);
    EXPECT_FLOAT_EQ(e.left, 3.0f);
    EXPECT_FLOAT_EQ(e.right, 5.0f);
    layout::reset_input_work_tables();
    // Down, 9, 7, 7: flat at the minimum 7, a line above 13 half steps: into the space, 7.5.
    e = beam({9.0f, 7.0f, 7.0f}, 20, 20.0f);
    EXPECT_FLOAT_EQ(e.left, 7.5f);
    EXPECT_FLOAT_EQ(e.right, 7.5f);
    layout::reset_input_work_tables();
    e = beam({9.0f, 8.0f, 7.0f}, 20, 20.0f);
    EXPECT_FLOAT_EQ(e.left, 9.0f);
    EXPECT_FLOAT_EQ(e.right, 7.0f);
    layout::reset_input_work_tables();
    // Down, the maximum twice is no reason to flatten.
    e = beam({9.0f, 9.0f, 8.0f}, 20, 20.0f);
    EXPECT_FLOAT_EQ(e.left, 9.0f);
    EXPECT_FLOAT_EQ(e.right, 8.0f);
}

TEST_F(BeamHeightsTest, EqualEndsGoToTheExtremeUnlessAlreadyThere) {
    // Up, ends 4 and an inner 6: both ends at 6 (a space: stays).
    Ends e = beam({4.0f, 6.0f, 4.0f}, 10);
    EXPECT_FLOAT_EQ(e.left, 6.0f);
    EXPECT_FLOAT_EQ(e.right, 6.0f);
    layout::reset_input_work_tables();
    // Up, ends 6 and an inner 4 below them: the ends stay at 6.
    e = beam({6.0f, 4.0f, 6.0f}, 10);
    EXPECT_FLOAT_EQ(e.left, 6.0f);
    EXPECT_FLOAT_EQ(e.right, 6.0f);
    layout::reset_input_work_tables();
    // Down, ends 10 and an inner 8: both at 8.
    e = beam({10.0f, 8.0f, 10.0f}, 20, 20.0f);
    EXPECT_FLOAT_EQ(e.left, 8.0f);
    EXPECT_FLOAT_EQ(e.right, 8.0f);
}

TEST_F(BeamHeightsTest, AnInnerNotePokesThroughOnlyByMoreThanAStep) {
    // Wide spacing keeps the slope inside the limit. Line 2 to 5 is 3.5 at the middle.
    core::BeamTilt = 0.10f;
    // 4.5 lies exactly one step above the line: nothing moves.
    Ends e = beam({2.0f, 4.5f, 5.0f}, 10, 10.0f, 40.0f);
    EXPECT_FLOAT_EQ(e.left, 2.0f);
    EXPECT_FLOAT_EQ(e.right, 5.0f);
    layout::reset_input_work_tables();
    // An inner maximum exactly one step above the line 2 to 3 leaves the slope; a little more
    // makes the beam flat at it (cut to 3.5, a line, then into the space: 3.0).
    e = beam({2.0f, 3.5f, 3.0f}, 10, 10.0f, 40.0f);
    EXPECT_FLOAT_EQ(e.left, 2.0f);
    EXPECT_FLOAT_EQ(e.right, 3.0f);
    layout::reset_input_work_tables();
    e = beam({2.0f, 3.6f, 3.0f}, 10, 10.0f, 40.0f);
    EXPECT_FLOAT_EQ(e.left, 3.0f);
    EXPECT_FLOAT_EQ(e.right, 3.0f);
    layout::reset_input_work_tables();
    // Down, an inner minimum exactly one step below the line 12 to 11 leaves it too.
    e = beam({12.0f, 10.5f, 11.0f}, 20, 20.0f, 40.0f);
    EXPECT_FLOAT_EQ(e.left, 12.0f);
    EXPECT_FLOAT_EQ(e.right, 11.0f);
    layout::reset_input_work_tables();
    // 4.9 pokes through: the last end is the maximum and stays; the first rises so the line
    // passes 3.9 in the middle: 2 x 3.9 - 5 = 2.8, cut to 2.5.
    e = beam({2.0f, 4.9f, 5.0f}, 10, 10.0f, 40.0f);
    EXPECT_FLOAT_EQ(e.left, 2.5f);
    EXPECT_FLOAT_EQ(e.right, 5.0f);
    layout::reset_input_work_tables();
    // Down, mirrored about the middle line: 12, 9.5 (one step below 10.5): nothing moves.
    e = beam({12.0f, 9.5f, 9.0f}, 20, 20.0f, 40.0f);
    EXPECT_FLOAT_EQ(e.left, 12.0f);
    EXPECT_FLOAT_EQ(e.right, 9.0f);
    layout::reset_input_work_tables();
    // 9.1 pokes through: the first end falls to 2 x 10.1 - 9 = 11.2, cut to 11.0.
    e = beam({12.0f, 9.1f, 9.0f}, 20, 20.0f, 40.0f);
    EXPECT_FLOAT_EQ(e.left, 11.0f);
    EXPECT_FLOAT_EQ(e.right, 9.0f);
}

TEST_F(BeamHeightsTest, EndsAreKeptInsideTheirLimitsAndFlatBeamsLeaveLinesByDirection) {
    // Down: ends above 14 come back to 14 (28 half steps, a space: it stays there).
    Ends e = beam({15.5f, 15.0f}, 20, 20.0f);
    EXPECT_FLOAT_EQ(e.left, 14.0f);
    EXPECT_FLOAT_EQ(e.right, 14.0f);
    layout::reset_input_work_tables();
    // Exactly 14 is inside.
    e = beam({14.0f, 13.0f}, 20, 20.0f);
    EXPECT_FLOAT_EQ(e.left, 14.0f);
    EXPECT_FLOAT_EQ(e.right, 13.0f);
    layout::reset_input_work_tables();
    // Up: ends below 0 come up to 0; exactly 0 is inside.
    e = beam({-1.0f, -0.5f}, 10);
    EXPECT_FLOAT_EQ(e.left, 0.0f);
    EXPECT_FLOAT_EQ(e.right, 0.0f);
    layout::reset_input_work_tables();
    e = beam({0.0f, 1.0f}, 10);
    EXPECT_FLOAT_EQ(e.left, 0.0f);
    EXPECT_FLOAT_EQ(e.right, 1.0f);
    layout::reset_input_work_tables();
    // A flat beam on a line moves into a space only on its own side of the staff: down from 7
    // (14 half steps, above 13) to 7.5, but not down from 5 (10 half steps).
    EXPECT_FLOAT_EQ(beam({7.0f, 7.0f}, 20, 20.0f).left, 7.5f);
    layout::reset_input_work_tables();
    EXPECT_FLOAT_EQ(beam({5.0f, 5.0f}, 20, 20.0f).left, 5.0f);
    layout::reset_input_work_tables();
    // Up from 7 (14 half steps, below 15) to 6.5; up at 9 (18 half steps) it stays.
    EXPECT_FLOAT_EQ(beam({7.0f, 7.0f}, 10).left, 6.5f);
    layout::reset_input_work_tables();
    EXPECT_FLOAT_EQ(beam({9.0f, 9.0f}, 10).left, 9.0f);
}

TEST_F(BeamHeightsTest, InnerNoteTurnsTheBeamAboutTheEndAtTheExtreme) {
    // Up, ends 6 and 2 (first at the maximum); the note at x 20 lies at 5.5, 1.5 above the line
    // (4.0): the last end moves so the line passes 4.5 there: 6 + (4.5 - 6) x 2 = 3.
    core::BeamTilt = 0.5f;
    Ends e = beam({6.0f, 5.5f, 2.0f}, 10);
    EXPECT_FLOAT_EQ(e.left, 6.0f);
    EXPECT_FLOAT_EQ(e.right, 3.0f);
}

TEST_F(BeamHeightsTest, LimitsAndMixedCrossStaffStems) {
    // Up: ends below 0 become 0.
    Ends e = beam({-4.0f, -4.0f}, 10);
    EXPECT_FLOAT_EQ(e.left, 0.0f);
    layout::reset_input_work_tables();
    // Stems both ways with a fixed-height request of 2 on the first note's row.
    layout::BeamNoteColumns(1) = chord(10.0f, 3.0f, 20.0f);
    F(1, 12) = 2.0f;
    layout::BeamNoteHeights(1) = 3.0f;
    layout::BeamNoteColumns(2) = chord(20.0f, 9.0f, 10.0f);
    layout::BeamNoteHeights(2) = 9.0f;
    e = Ends{0.0f, 0.0f, 0};
    layout::compute_beam_ends(e.left, e.right, e.direction, 2, 10.0f, 20.0f);
    EXPECT_EQ(e.direction, 20);
    EXPECT_FLOAT_EQ(e.left, 4.0f);
    EXPECT_FLOAT_EQ(e.right, 4.0f);
}

}  // namespace
