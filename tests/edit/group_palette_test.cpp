// The group copy sent by the palette's button ("C " after Group Edit): a destination off the
// staves is refused before any copy is made, and the group-edit request is spent either way.
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

constexpr int kPaletteYes = -1;

class GroupPaletteTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        bind_output_lists();
        enter_items_without_editing();
        type_all({"8 1 0", "8 2 0", "8 256 0", "1 1 20 5 5 0 1", "1 2 20 5 5 0 1"});
        ASSERT_EQ(core::ItemCount, 5);
        type("SA page.mus");
        ASSERT_EQ(core::ChangesMadeFlag, 0);
        fe_.message_boxes.clear();
    }
    // The button, the source box and the destination, each box confirmed, every code chosen.
    void copy_from_palette(const std::string& destination) {
        core::GroupEditFlag = -1;
        palette("C ");
        fe_.answer_yes_no(kPaletteYes);
        type("1 10 50 2");
        fe_.answer_yes_no(kPaletteYes);
        fe_.answer_dialog(1);
        type(destination);
    }
};

TEST_F(GroupPaletteTest, CopyOffTheStavesChangesNothing) {
    const std::vector<float> before = page();
    copy_from_palette("256 60 100");
    EXPECT_TRUE(shown("*** The group would leave staves 1 to 256: nothing moved."));
    EXPECT_EQ(core::ItemCount, 5);
    EXPECT_EQ(page(), before);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    EXPECT_EQ(core::GroupEditFlag, 0);
    EXPECT_EQ(core::PendingBoxOperation, 0);
    type("UNDO");
    EXPECT_TRUE(shown("*** Nothing to UNDO."));
    EXPECT_EQ(page(), before);
}

TEST_F(GroupPaletteTest, CopyOntoTheLastStavesIsMadeAndUndone) {
    const std::vector<float> before = page();
    copy_from_palette("255 60 100");
    ASSERT_EQ(core::ItemCount, 7);
    EXPECT_EQ(item(6), (std::vector<float>{7, 1, 255, 70, 5, 5, 0, 1}));
    EXPECT_EQ(item(7), (std::vector<float>{7, 1, 256, 70, 5, 5, 0, 1}));
    EXPECT_EQ(core::GroupEditFlag, 0);
    type("UNDO");
    EXPECT_EQ(page(), before);
}

}  // namespace
