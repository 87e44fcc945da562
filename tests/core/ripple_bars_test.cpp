// "RIP": bars moved between two systems of the page, typed through the interpreter as a user
// types them: the page's staves, clefs, notes and bar lines, then the ripple.
#include "engine/commands/words/ripple_bars.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

constexpr float kMarked = 7.0f;  // P4 of the notes the ripple should move

class RippleBarsTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        enter_items_without_editing();
    }
    // One system staff: staff item, clef (kind clef), notes at 20, 60, 100 and 140 and bar
    // lines at 50, 90, 130 and the page's end. Notes at the positions in marked get P4 7.
    void make_staff(int32_t s, const std::vector<int>& marked, int clef = 1) {
        const std::string st = std::to_string(s);
        type_all({"8 " + st + " 0", "3 " + st + " 2 0 " + std::to_string(clef)});
        for (int x : {20, 60, 100, 140}) {
            bool m = false;
            for (int y : marked) m = m || y == x;
            type("1 " + st + " " + std::to_string(x) + (m ? " 7" : " 5") + " 10 0 1");
        }
        for (int x : {50, 90, 130, 200}) type("14 " + st + " " + std::to_string(x));
    }
    // Items of code on staff, with the P4 wanted (0: any).
    static std::vector<std::vector<float>> on_staff(int32_t code, int32_t staff, float p4 = 0) {
        std::vector<std::vector<float>> found;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const std::vector<float> w = item(k);
            if (w[1] != static_cast<float>(code) || w[2] != static_cast<float>(staff)) continue;
            if (p4 != 0 && (w.size() < 5 || w[4] != p4)) continue;
            found.push_back(w);
        }
        return found;
    }
    static void expect_on_page() {
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const std::vector<float> w = item(k);
            if (w.size() < 4) continue;
            EXPECT_GE(w[3], 0.0f) << "item " << k;
            EXPECT_LE(w[3], render::PageExtent + 0.01f) << "item " << k;
        }
    }
    static bool bar_at_page_end(int32_t staff) {
        for (const auto& w : on_staff(14, staff))
            if (std::fabs(w[3] - render::PageExtent) < 0.01f) return true;
        return false;
    }
};

TEST_F(RippleBarsTest, LastBarMovesToTheStartOfTheLowerSystemAndUndoTakesItBack) {
    for (int32_t s = 1; s <= 4; ++s) make_staff(s, {});
    for (int32_t s = 5; s <= 8; ++s) make_staff(s, {140});
    const std::vector<float> before = page();
    type("RIP 4 5 1 1");
    for (int32_t s = 1; s <= 4; ++s) {
        EXPECT_EQ(on_staff(1, s).size(), 5u) << s;
        ASSERT_EQ(on_staff(1, s, kMarked).size(), 1u) << s;
        // The moved note comes before every note the staff had.
        const float moved = on_staff(1, s, kMarked)[0][3];
        for (const auto& w : on_staff(1, s, 5.0f)) EXPECT_LT(moved, w[3]) << s;
    }
    for (int32_t s = 5; s <= 8; ++s) {
        EXPECT_EQ(on_staff(1, s).size(), 3u) << s;
        EXPECT_TRUE(on_staff(1, s, kMarked).empty()) << s;
        // The bar line the cut was made at now ends the system.
        EXPECT_TRUE(bar_at_page_end(s)) << s;
    }
    expect_on_page();
    EXPECT_NE(reply(), "***** working *****");
    type("UNDO");
    EXPECT_EQ(page(), before);
}

TEST_F(RippleBarsTest, FirstBarsMoveToTheEndOfTheHigherSystem) {
    for (int32_t s = 1; s <= 4; ++s) make_staff(s, {20, 60});
    for (int32_t s = 5; s <= 8; ++s) make_staff(s, {});
    type("RIP 4 1 5 2");
    for (int32_t s = 5; s <= 8; ++s) {
        EXPECT_EQ(on_staff(1, s).size(), 6u) << s;
        ASSERT_EQ(on_staff(1, s, kMarked).size(), 2u) << s;
        for (const auto& m : on_staff(1, s, kMarked))
            for (const auto& w : on_staff(1, s, 5.0f)) EXPECT_GT(m[3], w[3]) << s;
        EXPECT_TRUE(bar_at_page_end(s)) << s;
        // The clef stays where the line starts.
        EXPECT_EQ(on_staff(3, s).size(), 1u) << s;
    }
    for (int32_t s = 1; s <= 4; ++s) {
        EXPECT_EQ(on_staff(1, s).size(), 2u) << s;
        EXPECT_EQ(on_staff(3, s).size(), 1u) << s;
    }
    expect_on_page();
}

TEST_F(RippleBarsTest, NothingToMoveSaysWhyAndChangesNothing) {
    make_staff(1, {});
    make_staff(2, {});
    const std::vector<float> before = page();
    // Staff 2 has exactly four bar lines: five are too many, and nothing moves.
    type("RIP 1 2 1 5");
    EXPECT_EQ(page(), before);
    EXPECT_NE(reply().find("fewer bar lines"), std::string::npos) << reply();
    type("RIP 1 2 1 -1");
    EXPECT_EQ(page(), before);
    EXPECT_NE(reply().find("above 0"), std::string::npos) << reply();
    type("RIP 2 1 2 1");
    EXPECT_EQ(page(), before);
    EXPECT_NE(reply().find("overlap"), std::string::npos) << reply();
    // Four bar lines are enough for four bars: all of staff 2's music goes.
    type("RIP 1 2 1 4");
    EXPECT_TRUE(on_staff(1, 2).empty());
    EXPECT_EQ(on_staff(1, 1).size(), 8u);
}

TEST_F(RippleBarsTest, RenumberingPastStaff256IsRefused) {
    // Staves 1, 2 and 250, 251: the first page is renumbered from 252 up. A staff 4 item ends on
    // 256 exactly, which is allowed; a staff 5 item would need 257: refused, nothing changed.
    make_staff(1, {});
    make_staff(2, {});
    make_staff(250, {20});
    make_staff(251, {});
    type("8 4 0");
    type("RIP 2 250 1 1");
    EXPECT_EQ(on_staff(1, 1, kMarked).size(), 1u);
    EXPECT_FALSE(shown("past 256"));
    type("8 5 0");
    const std::vector<float> before = page();
    type("RIP 2 250 1 1");
    EXPECT_EQ(page(), before);
    EXPECT_TRUE(shown("*** Ripple bars would need staves past 256. Nothing moved."));
    EXPECT_NE(reply(), "***** working *****");
}

TEST_F(RippleBarsTest, SecondPageSystemRipplesIntoTheFirstPageAndStavesComeBack) {
    // Staff 201 is the page after staff 1: its first bar goes to the end of staff 1. Staff
    // 1 + highest (202) = 203 is the highest staff needed: allowed.
    make_staff(1, {});
    make_staff(201, {20});
    type("RIP 1 201 1 1");
    EXPECT_EQ(on_staff(1, 1, kMarked).size(), 1u);
    EXPECT_EQ(on_staff(1, 201).size(), 3u);
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const float staff = item(k)[2];
        EXPECT_TRUE(staff == 1.0f || staff == 201.0f) << staff;
    }
}

TEST_F(RippleBarsTest, ACommandEndedHalfWayLeavesNoStaffRenumbered) {
    // Without the font metrics the justification ends the command after the renumbering.
    temp_.use_data_folder(dir_ / "no_fonts");
    make_staff(1, {});
    make_staff(201, {20});
    fe_.message_boxes.clear();
    type("RIP 1 201 1 1");
    ASSERT_TRUE(shown("the command was ended"));
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const float staff = item(k)[2];
        EXPECT_TRUE(staff == 1.0f || staff == 201.0f) << staff;
    }
}

TEST_F(RippleBarsTest, LowerSystemOpeningWithAMeterGetsCourtesyMetersAbove) {
    for (int32_t s = 1; s <= 2; ++s) {
        make_staff(s, {});
        type("18 " + std::to_string(s) + " 5 3 4");
    }
    for (int32_t s = 3; s <= 4; ++s) {
        make_staff(s, {});
        type("18 " + std::to_string(s) + " 196 2 4");  // an old courtesy meter: replaced
    }
    type("RIP 2 3 1 1");
    for (int32_t s = 3; s <= 4; ++s) {
        const auto meters = on_staff(18, s);
        ASSERT_EQ(meters.size(), 1u) << s;
        EXPECT_EQ(meters[0][4], 3.0f);
        EXPECT_EQ(meters[0][5], 4.0f);
    }
}

TEST_F(RippleBarsTest, LowerSystemStartsWithTheClefTheHigherEndsWith) {
    make_staff(1, {}, 1);
    make_staff(2, {}, 4);
    type("RIP 1 2 1 1");
    const auto clefs = on_staff(3, 1);
    ASSERT_EQ(clefs.size(), 1u);
    EXPECT_EQ(clefs[0][4], 0.0f);
    EXPECT_EQ(clefs[0][5], 4.0f);
}

}  // namespace
