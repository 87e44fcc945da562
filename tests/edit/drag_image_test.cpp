// The output lists while an edited note is dragged with the mouse: the stored note's output
// leaves them (only the preview shows the note), the store keeps the note until the change is
// stored, and abandoning the drag, with or without leaving, draws the stored note again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

class DragImage : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        enter_items_without_editing();
        type_all({"8 1 0", "1 1 20 1", "1 1 40 1"});
        ASSERT_EQ(core::ItemCount, 3);
        dragimage_point(40.0f);
        palette("~");
        ASSERT_EQ(core::EditedItemNumber, 3) << reply();
        ASSERT_GT(dragimage_words(3), 0) << "the stored note has no output";
    }
    // The mouse at the picker's point of a note at P3 p3 on staff 1.
    static void dragimage_point(float p3) {
        core::MouseRegion(4) = static_cast<int32_t>(p3 * 150.0f) + render::ViewOrigin.x;
        core::MouseRegion(3) = layout::StaffTables.StaffBaseY(1) - render::ViewOrigin.y;
    }
    // One drag step to P3 p3, as the page sends it.
    int32_t dragimage_step(float p3) {
        dragimage_point(p3);
        return palette("~v");
    }
    // The graphics words item k's stored record drew.
    static int32_t dragimage_words(int32_t k) {
        return core::ItemOutputSpans.graphics(k + 1) - core::ItemOutputSpans.graphics(k);
    }
    // Whether the graphics list holds an entry of the default colour (the stored note's ink)
    // within a note head's reach of P3 p3 on staff 1.
    bool dragimage_ink_near(float p3) const {
        const int32_t x = static_cast<int32_t>(p3 * 150.0f) + render::ViewOrigin.x;
        const int32_t y = layout::StaffTables.StaffBaseY(1) - render::ViewOrigin.y;
        for (int32_t pos = core::ItemOutputSpans.graphics(3); pos + 2 <= graphics_length_;
             pos += 3) {
            const auto word = static_cast<uint32_t>(graphics_[static_cast<std::size_t>(pos + 1)]);
            if ((word & 0xFFFFFFu) != 0 || (word >> 24) == 0xFFu) continue;
            const int32_t ex = graphics_[static_cast<std::size_t>(pos - 1)];
            const int32_t ey = graphics_[static_cast<std::size_t>(pos)];
            if (std::abs(ex - x) < 300 && std::abs(ey - y) < 600) return true;
        }
        return false;
    }
};

TEST_F(DragImage, TheStoredNoteLeavesTheListsWhileDraggedAndABDrawsItAgain) {
    const int32_t words = dragimage_words(3);
    ASSERT_TRUE(dragimage_ink_near(40.0f));
    dragimage_step(90.0f);
    EXPECT_NEAR(core::EditItemParams(3), 90.0f, 0.5f);
    EXPECT_EQ(dragimage_words(3), 0);
    EXPECT_FALSE(dragimage_ink_near(40.0f));
    EXPECT_EQ(edit::HiddenImageItem, 3);
    // The items before keep their output; the store keeps the note where it was.
    EXPECT_GT(dragimage_words(2), 0);
    EXPECT_EQ(stored_param(3, 3), 40.0f);
    // A second step leaves the lists as the first did.
    dragimage_step(100.0f);
    EXPECT_EQ(dragimage_words(3), 0);
    EXPECT_EQ(core::ItemOutputSpans.graphics(4), core::ItemOutputSpans.graphics(3));

    type("AB");
    EXPECT_EQ(core::EditedItemNumber, 3);
    EXPECT_EQ(core::EditItemParams(3), 40.0f);
    EXPECT_EQ(dragimage_words(3), words);
    EXPECT_TRUE(dragimage_ink_near(40.0f));
    EXPECT_EQ(edit::HiddenImageItem, 0);
    EXPECT_EQ(stored_param(3, 3), 40.0f);
}

// "ABX" leaves editing at once: the note is drawn where the store has it.
TEST_F(DragImage, LeavingWithoutStoringDrawsTheStoredNoteAgain) {
    const int32_t words = dragimage_words(3);
    dragimage_step(90.0f);
    ASSERT_EQ(dragimage_words(3), 0);
    type("ABX");
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_EQ(stored_param(3, 3), 40.0f);
    EXPECT_EQ(dragimage_words(3), words);
    EXPECT_TRUE(dragimage_ink_near(40.0f));
    EXPECT_EQ(graphics_length_, core::ItemOutputSpans.graphics(4) - 1);
}

// A click moves the edited note as a drag does: its stored ink leaves the old place at once
// (not only at X), a second click leaves the lists as the first, and AB draws it there again.
TEST_F(DragImage, AClickLeavesNoStoredInkAtTheOldPlace) {
    const int32_t words = dragimage_words(3);
    dragimage_point(90.0f);
    palette("~");
    ASSERT_EQ(core::EditedItemNumber, 3) << reply();
    EXPECT_NEAR(core::EditItemParams(3), 90.0f, 0.5f);
    EXPECT_EQ(dragimage_words(3), 0);
    EXPECT_FALSE(dragimage_ink_near(40.0f));
    EXPECT_EQ(edit::HiddenImageItem, 3);
    EXPECT_EQ(stored_param(3, 3), 40.0f);
    dragimage_point(100.0f);
    palette("~");
    EXPECT_NEAR(core::EditItemParams(3), 100.0f, 0.5f);
    EXPECT_EQ(dragimage_words(3), 0);
    EXPECT_GT(dragimage_words(2), 0);
    type("AB");
    EXPECT_EQ(dragimage_words(3), words);
    EXPECT_TRUE(dragimage_ink_near(40.0f));
    EXPECT_EQ(edit::HiddenImageItem, 0);
}

// Typed pairs and key steps move the edited note as a click does: the stored ink leaves the old
// place at once, and X draws the note at its new place only.
TEST_F(DragImage, ATypedOrKeyedChangeLeavesNoStoredInkAtTheOldPlace) {
    for (const char* line : {"3 60", "~~035", "r1"}) {
        SCOPED_TRACE(line);
        const float before = core::EditItemParams(3);
        type(line);
        ASSERT_EQ(core::EditedItemNumber, 3) << reply();
        EXPECT_GT(core::EditItemParams(3), before);
        EXPECT_EQ(dragimage_words(3), 0);
        EXPECT_FALSE(dragimage_ink_near(40.0f));
    }
    // A zoom draws the page again as the screen shows it: the stored items in their own colour
    // (not all red, as an edit draws), the red copy with its mark, the old place still empty. A
    // line that draws nothing (a view word, a refused line) keeps the mark too.
    for (const char* zoom : {"Z+", "Z-", "Z1", "TOP", "4 junk"}) {
        SCOPED_TRACE(zoom);
        type(zoom);
        const int32_t page_end = core::ItemOutputSpans.graphics(core::ItemCount + 1);
        int32_t red_on_page = 0;
        int32_t red_after = 0;
        for (int32_t pos = 1; pos + 2 <= graphics_length_; pos += 3) {
            if ((graphics_[static_cast<std::size_t>(pos + 1)] & 0xFFFFFF) != 255) continue;
            ++(pos < page_end ? red_on_page : red_after);
        }
        EXPECT_EQ(red_on_page, 0);
        EXPECT_GT(red_after, 4);  // the copy and the four points of its mark
        EXPECT_FALSE(dragimage_ink_near(40.0f));
        EXPECT_EQ(core::EditItemParams(3), 71.0f);
    }
    type("X");
    EXPECT_EQ(stored_param(3, 3), 71.0f);
    EXPECT_TRUE(dragimage_ink_near(71.0f));
    EXPECT_FALSE(dragimage_ink_near(40.0f));
    EXPECT_EQ(edit::HiddenImageItem, 0);
}

// A text being edited and moved: a zoom draws the page's lines in their own colour, and the
// working copy stays as typed.
TEST_F(DragImage, AZoomWhileATextIsEditedLeavesThePageInItsOwnColour) {
    type("X");
    ScriptedFrontEnd::DialogAnswer text;
    text.text = "Hello";
    fe_.answer_dialog(text);
    type_all({"T 1 60 10", "I 4", "3 80"});
    ASSERT_EQ(core::EditedItemNumber, 4) << reply();
    ASSERT_EQ(core::int_of(core::EditItemParams(1)), 16);
    for (const char* zoom : {"Z+", "Z-", "Z1"}) {
        SCOPED_TRACE(zoom);
        type(zoom);
        const int32_t page_end = core::ItemOutputSpans.graphics(core::ItemCount + 1);
        for (int32_t pos = 1; pos + 2 <= graphics_length_ && pos < page_end; pos += 3)
            EXPECT_NE(graphics_[static_cast<std::size_t>(pos + 1)] & 0xFFFFFF, 255) << pos;
        EXPECT_EQ(core::EditItemParams(3), 80.0f);
    }
    type("X");
    EXPECT_EQ(stored_param(4, 3), 80.0f);
}

// A drag that is stored puts the note at its new place, in the store and in the lists.
TEST_F(DragImage, AStoredDragDrawsTheNoteAtItsNewPlaceOnly) {
    dragimage_step(90.0f);
    type("X");
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_NEAR(stored_param(3, 3), 90.0f, 0.5f);
    EXPECT_GT(dragimage_words(3), 0);
    EXPECT_FALSE(dragimage_ink_near(40.0f));
    EXPECT_TRUE(dragimage_ink_near(90.0f));
    EXPECT_EQ(edit::HiddenImageItem, 0);
}

}  // namespace
