// A text opened by a click in the page is edited as one opened by "I n": "TX" opens the Edit
// Text dialog, and OK keeps the text's staff and place.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/settings_tables.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

class ClickTextEdit : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        if (!use_build_fonts()) GTEST_SKIP() << "ORMEST_HOME does not name the build's data folder";
        enter_items_without_editing();
        // Two staves and the syllable "la" under staff 1 (item 3).
        type_all({"8 1 0", "8 2 0"});
        std::vector<float> text = {16, 1, 30, -4, 1, 1, 0, 0, 0, 0, 0, 5, 3};
        const std::vector<float> chars = text_words("_00la");
        text.insert(text.end(), chars.begin(), chars.end());
        append_test_record(text);
        ASSERT_EQ(core::ItemCount, 3);
        // The page as the view shows it, the syllable drawn.
        bind_output_lists();
        render::redraw_items();
    }
    // A click at the picker's point of the syllable (a text's point is one step off its
    // staff's base) and the "~" token the front-end leaves for it.
    void clicktext_click_syllable() {
        const auto& t = layout::StaffTables;
        core::MouseRegion(4) = 30 * 150 + render::ViewOrigin.x;
        core::MouseRegion(3) =
            static_cast<int32_t>(t.StaffBaseY(1) - 7.0f * t.StaffScale(1)) - render::ViewOrigin.y;
        palette("~");
    }
    // The Edit Text dialog answered with OK and this text.
    void clicktext_answer(const std::string& text) {
        ScriptedFrontEnd::DialogAnswer a;
        a.text = text;
        fe_.answer_dialog(a);
    }
    static std::string clicktext_chars(int32_t k) {
        const int32_t s = core::ItemStartTable(k);
        const auto n = static_cast<std::size_t>(core::ItemStore(s + 12));
        std::string text(n, ' ');
        std::memcpy(text.data(), core::ItemStore.at(s + 14), n);
        return text;
    }
    long clicktext_edit_dialogs() const {
        return std::count(fe_.dialogs.begin(), fe_.dialogs.end(), "Edit Text");
    }
};

// The syllable opened by a click and by "I 3": either way TX shows its characters in Edit Text,
// and the changed text is stored at its own staff and place.
TEST_F(ClickTextEdit, TxOpensEditTextWhicheverWayTheTextWasOpened) {
    for (const bool by_click : {true, false}) {
        SCOPED_TRACE(by_click ? "click" : "I 3");
        const std::string before = clicktext_chars(3);
        const std::string after = before == "_00la" ? "_00lo" : "_00la";
        if (by_click) {
            edit::LastPickedItem = 0;
            clicktext_click_syllable();
        } else {
            type("I 3");
        }
        ASSERT_EQ(core::EditedItemNumber, 3) << reply();
        const long dialogs = clicktext_edit_dialogs();
        clicktext_answer(after.substr(3));
        type("TX");
        ASSERT_EQ(clicktext_edit_dialogs(), dialogs + 1) << reply();
        EXPECT_EQ(fe_.dialog_text, before);
        EXPECT_EQ(core::EditItemParams(2), 1.0f);
        EXPECT_EQ(core::EditItemParams(3), 30.0f);
        EXPECT_EQ(core::EditItemParams(4), -4.0f);
        type("X");
        ASSERT_EQ(core::EditedItemNumber, 0) << reply();
        ASSERT_EQ(core::ItemCount, 3);
        EXPECT_EQ(stored_param(3, 1), 16.0f);
        EXPECT_EQ(stored_param(3, 2), 1.0f);
        EXPECT_EQ(stored_param(3, 3), 30.0f);
        EXPECT_EQ(stored_param(3, 4), -4.0f);
        EXPECT_EQ(clicktext_chars(3), after);
    }
}

}  // namespace
