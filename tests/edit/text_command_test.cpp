// The T words: text entry through the Text Input dialog, the quote form and command files, the
// font escape repairs, sung text under numbered notes with its connector lines, and the small
// words "TI", "TPL", "TXD" and the "W" form.
#include "engine/edit/text/text_command.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/settings_tables.h"
#include "engine/edit/tables.h"
#include "engine/edit/text/text_units.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "platform/clock.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

class TextCommand : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        if (!use_build_fonts()) GTEST_SKIP() << "ORMEST_HOME does not name the build's data folder";
        enter_items_without_editing();
    }
    void TearDown() override {
        platform::set_time_of_day_for_tests(std::nullopt);
        InterpreterTest::TearDown();
    }
    // A clean engine for the next row of a table.
    void start_again() {
        InterpreterTest::TearDown();
        InterpreterTest::SetUp();
        use_build_fonts();
        enter_items_without_editing();
    }
    // The Text Input dialog answered with OK and this text (P2..P6 as the command gave them).
    void answer_text(const std::string& text) {
        ScriptedFrontEnd::DialogAnswer a;
        a.text = text;
        fe_.answer_dialog(a);
    }
    void answer_units(const std::string& numbers) {
        ScriptedFrontEnd::DialogAnswer a;
        a.text = numbers;
        fe_.answer_dialog(a);
    }
    // The characters of text item k.
    static std::string text_of(int32_t k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t header = core::ItemStore(s + 14) == -1.0f ? 16 : 13;
        const auto chars = static_cast<std::size_t>(core::ItemStore(s + 12));
        std::string text(chars, ' ');
        std::memcpy(text.data(), core::ItemStore.at(s + header + 1), chars);
        return text;
    }
    // The items of code c, by number.
    static std::vector<int32_t> items_of(float code) {
        std::vector<int32_t> found;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (stored_param(k, 1) == code) found.push_back(k);
        return found;
    }
    // Staff 1 with notes at 10, 20, ... (count of them).
    void staff_with_notes(int count) {
        type("8 1 0");
        for (int i = 1; i <= count; ++i) type("1 1 " + std::to_string(10 * i) + " 5 0 0 4");
        fe_.message_boxes.clear();
    }
};

TEST_F(TextCommand, SmallWordsAnswerTimeDisplayFlagAndDivider) {
    platform::set_time_of_day_for_tests(platform::TimeOfDay{9, 5, 7, 33});
    type("TI");
    EXPECT_EQ(reply(), "Time =  9:05  07.33");
    type("TPL");
    EXPECT_EQ(reply(), "Display: Top Left = YES");
    EXPECT_EQ(edit::TopLeftDisplayFlag, 0.0f);
    type("TPL NO");
    EXPECT_EQ(reply(), "Display: Top Left = NO");
    EXPECT_EQ(edit::TopLeftDisplayFlag, 1.0f);
    type("TXD ;");
    EXPECT_EQ(edit::TextDividerChar, ';');
    type("TXD");
    EXPECT_EQ(edit::TextDividerChar, ';');
    type("TXD   x");
    EXPECT_EQ(edit::TextDividerChar, 'x');
    EXPECT_EQ(core::ItemCount, 0);
}

TEST_F(TextCommand, WFormBuildsTheIfLineForTheStaff) {
    type("TXW 5");
    EXPECT_EQ(core::SecondLine.trimmed(), "IF P2=  5. and P1=1 and p6<0 then P20=1");
    type("TXW -12");
    EXPECT_EQ(core::SecondLine.trimmed(), "IF P2= 12. and P1=1 and p6<0 then P20=0");
}

TEST_F(TextCommand, UnitsAreSetOneAfterAnotherWithTheFontPrefix) {
    type("8 1 0");
    answer_text("hello world");
    type("T 1 20 12");
    const std::vector<int32_t> texts = items_of(16.0f);
    ASSERT_EQ(texts.size(), 2u);
    const int32_t first = texts[0];
    EXPECT_EQ(text_of(first), "_00hello");
    EXPECT_EQ(stored_param(first, 12), 8.0f);
    EXPECT_EQ(item(first)[0], 15.0f);
    EXPECT_EQ(stored_param(first, 3), 20.0f);
    EXPECT_EQ(stored_param(first, 4), 12.0f);
    EXPECT_EQ(stored_param(first, 5), 1.0f);  // P5 0 becomes 1
    EXPECT_EQ(stored_param(first, 6), 1.0f);  // size 0 is raised by 1
    EXPECT_GT(stored_param(first, 13), 0.0f);
    EXPECT_EQ(stored_param(texts[1], 3), 20.0f + stored_param(first, 13) + 2.0f);
    EXPECT_EQ(text_of(texts[1]), "_00world");
    EXPECT_EQ(reply(), "text");
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_EQ(core::ItemStartTable(core::ItemCount + 1), core::ItemWordsUsed);
}

TEST_F(TextCommand, MissingFontNumbersAreRepairedToCourier) {
    answer_text("_5a _a _12b");
    type("T 1 20 12");
    const std::vector<int32_t> texts = items_of(16.0f);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(text_of(texts[0]), "_29a");
    EXPECT_EQ(text_of(texts[1]), "_29a");
    EXPECT_EQ(text_of(texts[2]), "_12b");
    EXPECT_EQ(times_shown("*** ERROR - font number missing after underbar *** Font set to "
                          "COURIER (_29)"),
              2);
    // The prefix follows the last escape stored.
    EXPECT_EQ(edit::TextFontPrefix.view(), "_12");
}

// The outline escapes ("__" and two digits) are typed as they are; only an underbar without
// its two digits is repaired.
TEST_F(TextCommand, OutlineFontEscapesAreKeptAsTyped) {
    answer_text("__05a __12b _29__99c __7d");
    type("T 1 20 12");
    const std::vector<int32_t> texts = items_of(16.0f);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(text_of(texts[0]), "__05a");
    EXPECT_EQ(text_of(texts[1]), "__12b");
    EXPECT_EQ(text_of(texts[2]), "_29__99c");
    // "__7" is not an outline escape: both underbars lack their two digits.
    EXPECT_EQ(text_of(texts[3]), "_29_29d");
    EXPECT_EQ(times_shown("*** ERROR - font number missing after underbar *** Font set to "
                          "COURIER (_29)"),
              2);
}

TEST_F(TextCommand, StartingXFromSevenHundredCentresTheUnit) {
    fe_.strict = false;  // the page's drawing reports the text beyond the page
    answer_text("word");
    type("T 1 750 12");
    ASSERT_EQ(core::ItemCount, 1);
    EXPECT_FLOAT_EQ(stored_param(1, 3), 750.0f - stored_param(1, 13) * 0.5f);
}

// A centred line is centred whole, its units keeping the spacing of placed text; below 700 the
// line starts at its x.
TEST_F(TextCommand, ACentredLineIsCentredWhole) {
    fe_.strict = false;  // 700 lies beyond the page
    for (const float x : {1100.0f, 700.0f, 699.0f}) {
        start_again();
        fe_.strict = false;
        answer_text("Minuet in G");
        type("T 1 " + std::to_string(static_cast<int>(x)) + " 20 0 3");
        const std::vector<int32_t> units = items_of(16.0f);
        ASSERT_EQ(units.size(), 3u) << x;
        for (std::size_t i = 1; i < units.size(); ++i) {
            EXPECT_FLOAT_EQ(stored_param(units[i], 3),
                            stored_param(units[i - 1], 3) + stored_param(units[i - 1], 13) + 2.0f)
                << x;
        }
        const float left = stored_param(units[0], 3);
        const float right = stored_param(units[2], 3) + stored_param(units[2], 13);
        if (x >= 700.0f) {
            EXPECT_NEAR(0.5f * (left + right), std::fmod(x, 1000.0f), 1e-3f) << x;
        } else {
            EXPECT_EQ(left, x);
        }
    }
}

// Doubled marks join sung syllables only: in placed text they are characters and no line is
// drawn for them.
TEST_F(TextCommand, DoubledMarksAreCharactersOfPlacedText) {
    type("8 1 0");
    answer_text("Hurrah!! Ma??e [[x]] !!");
    type("T 1 20 12");
    const std::vector<int32_t> texts = items_of(16.0f);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(text_of(texts[0]), "_00Hurrah!!");
    EXPECT_EQ(text_of(texts[1]), "_00Ma??e");
    EXPECT_EQ(text_of(texts[2]), "_00[[x]]");
    EXPECT_EQ(text_of(texts[3]), "_00!!");
    EXPECT_TRUE(items_of(4.0f).empty());
}

TEST_F(TextCommand, LongLinesAreRefusedAtFiveHundredTwelveCharacters) {
    // 509 characters and the 3 of the prefix fill the 512 of a text item exactly.
    answer_text(std::string(509, 'a'));
    type("T 1 20 12");
    ASSERT_EQ(core::ItemCount, 1);
    EXPECT_EQ(stored_param(1, 12), 512.0f);
    EXPECT_EQ(item(1)[0], 13.0f + 128.0f);
    answer_text(std::string(510, 'a'));
    type("T 1 20 12");
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_TRUE(shown("would pass 512 characters"));
    // A repair that lengthens the line past 512 refuses it too; one that reaches 512 does not.
    fe_.message_boxes.clear();
    answer_text("_a" + std::string(508, 'b'));
    type("T 1 20 12");
    ASSERT_EQ(core::ItemCount, 2);
    EXPECT_EQ(stored_param(2, 12), 512.0f);
    answer_text("_a" + std::string(509, 'b'));
    type("T 1 20 12");
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_TRUE(shown("would pass 512 characters"));
}

TEST_F(TextCommand, CancelInTheDialogMakesNothing) {
    fe_.answer_dialog(2);
    type("T 1 20 12");
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
}

TEST_F(TextCommand, TxWithoutAStaffAsksForThePlace) {
    type("8 1 0");
    fe_.answer_line("1 30 12");
    answer_text("Here");
    type("TX");
    ASSERT_EQ(items_of(16.0f).size(), 1u);
    const int32_t k = items_of(16.0f)[0];
    EXPECT_EQ(stored_param(k, 2), 1.0f);
    EXPECT_EQ(stored_param(k, 3), 30.0f);
    EXPECT_EQ(stored_param(k, 4), 12.0f);
    EXPECT_EQ(text_of(k), "_00Here");
    // Escape while the place is awaited ends the command with nothing made.
    fe_.answer_key(27);
    type("TX");
    EXPECT_EQ(items_of(16.0f).size(), 1u);
}

// In the window keys come one by one: a key that can begin a number (input code 59 or below)
// opens the command bar with that key in it for the rest of the place; a key above 59 ends the
// command without a line edit.
TEST_F(TextCommand, AKeyUpToFiftyNineStartsTheTypedPlace) {
    type("8 1 0");
    const struct {
        int key;
        bool starts;
    } keys[] = {{'1', true}, {';', true}, {'<', false}, {'Q', false}};
    std::size_t made = 0;
    for (const auto& k : keys) {
        const std::size_t waits = fe_.line_waits.size();
        fe_.answer_key(k.key);
        if (k.starts) {
            fe_.answer_line("1 30 12");
            answer_text("Here");
        }
        type("T");
        made += k.starts ? 1 : 0;
        const std::string key(1, static_cast<char>(k.key));
        ASSERT_EQ(items_of(16.0f).size(), made) << key;
        ASSERT_EQ(fe_.line_waits.size(), waits + (k.starts ? 1 : 0)) << key;
        if (!k.starts) continue;
        EXPECT_EQ(fe_.line_waits.back().preset, key);
        EXPECT_EQ(fe_.line_waits.back().sel_start, 1);
        const int32_t t = items_of(16.0f).back();
        EXPECT_EQ(stored_param(t, 2), 1.0f) << key;
        EXPECT_EQ(stored_param(t, 3), 30.0f) << key;
        EXPECT_EQ(stored_param(t, 4), 12.0f) << key;
    }
}

TEST_F(TextCommand, AClickPlacesTheTextAtTheClickedPoint) {
    type("8 1 0");
    const int32_t middle = layout::StaffTables.StaffMiddleY(1);
    core::MouseRegion(3) = middle - render::ViewOrigin.y;
    core::MouseRegion(4) = 40 * 150 + render::ViewOrigin.x;
    fe_.answer_line("~ ");
    answer_text("clicked");
    type("T");
    ASSERT_EQ(items_of(16.0f).size(), 1u);
    const int32_t k = items_of(16.0f)[0];
    EXPECT_EQ(stored_param(k, 2), 1.0f);
    EXPECT_EQ(stored_param(k, 3), 40.0f);
    EXPECT_EQ(stored_param(k, 4), 7.0f);
}

TEST_F(TextCommand, TheQuoteFormTakesTheTextAsTyped) {
    type("8 1 0");
    fe_.answer_line("1 30 12");
    type("\"Hello There\"");
    const std::vector<int32_t> texts = items_of(16.0f);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(text_of(texts[0]), "_00Hello");
    EXPECT_EQ(text_of(texts[1]), "_00There");
    EXPECT_EQ(stored_param(texts[0], 3), 30.0f);
}

TEST_F(TextCommand, SungTextGoesUnderTheNotesWithHyphensAndAnExtender) {
    staff_with_notes(5);
    const int32_t before = core::ItemCount;
    core::LyricDashCount = 0;
    answer_text("la-la-la--la");
    answer_units("1");
    type("T 1 0 12");
    EXPECT_EQ(fe_.dialog_text, "la   !! la   !! la   ?? la");
    ASSERT_EQ(core::ItemCount, before + 7);
    std::vector<float> xs;
    for (int32_t k : items_of(16.0f)) xs.push_back(stored_param(k, 3));
    EXPECT_EQ(xs, (std::vector<float>{10, 20, 30, 40}));
    std::vector<float> counts;
    for (int32_t k : items_of(4.0f)) counts.push_back(item(k)[0]);
    EXPECT_EQ(counts, (std::vector<float>{9, 9, 6}));
    // The hyphen lies between the two syllables, above the text's line.
    const int32_t hyphen = items_of(4.0f)[0];
    EXPECT_GT(stored_param(hyphen, 3), 10.0f);
    EXPECT_LT(stored_param(hyphen, 6), 20.0f);
    EXPECT_EQ(stored_param(hyphen, 7), 1.0f);
    EXPECT_EQ(render::DisplayMarkWord, 0);
    EXPECT_EQ(core::ItemStartTable(core::ItemCount + 1), core::ItemWordsUsed);
}

TEST_F(TextCommand, TheSingleDashPreferenceMakesLongHyphenRecords) {
    staff_with_notes(5);
    core::LyricDashCount = 1;
    answer_text("la-la-la--la");
    answer_units("1");
    type("T 1 0 12");
    std::vector<float> counts;
    for (int32_t k : items_of(4.0f)) counts.push_back(item(k)[0]);
    EXPECT_EQ(counts, (std::vector<float>{14, 14, 6}));
    EXPECT_EQ(stored_param(items_of(4.0f)[0], 14), 1.0f);
}

TEST_F(TextCommand, SungRepairsReachTheStoredUnits) {
    staff_with_notes(2);
    answer_text("_a-b");
    answer_units("1");
    type("T 1 0 12");
    const std::vector<int32_t> texts = items_of(16.0f);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(text_of(texts[0]), "_29a");
    EXPECT_EQ(text_of(texts[1]), "_29b");
}

TEST_F(TextCommand, NoteNumbersBeyondTheNotesStopPlacingAndKeepThePlacedUnits) {
    // The unit on the last note stays; the one past it, and a hyphen that would close on it,
    // leave no item: nothing is left at the staff's start.
    struct Case {
        const char* line;
        const char* answer;
        std::size_t kept;
        std::size_t hyphens;
    };
    for (const Case& c :
         {Case{"a b c d", "1", 2, 0}, Case{"a b-c", "1", 2, 0}, Case{"a-b c", "1", 2, 1},
          Case{"a b", "1.5", 1, 0}, Case{"a b", "-1", 0, 0}}) {
        start_again();
        staff_with_notes(2);
        const int32_t before = core::ItemCount;
        answer_text(c.line);
        answer_units(c.answer);
        type("T 1 0 12");
        EXPECT_TRUE(shown("is not numbered on this staff")) << c.line << " / " << c.answer;
        const std::vector<int32_t> texts = items_of(16.0f);
        ASSERT_EQ(texts.size(), c.kept) << c.line << " / " << c.answer;
        for (const int32_t k : texts) EXPECT_GE(stored_param(k, 3), 10.0f) << c.line;
        EXPECT_EQ(items_of(4.0f).size(), c.hyphens) << c.line;
        EXPECT_EQ(core::ItemStartTable(core::ItemCount + 1), core::ItemWordsUsed);
        // The next entry lands right after the kept units.
        type("5 1 2");
        EXPECT_EQ(core::ItemCount, before + static_cast<int32_t>(c.kept + c.hyphens) + 1);
        EXPECT_EQ(item(core::ItemCount), (std::vector<float>{3, 5, 1, 2}));
    }
}

TEST_F(TextCommand, NoteNumberAnswersTakeRangesAndContinue) {
    edit::read_note_number_answer("2:4 7", 0.0f);
    EXPECT_EQ(edit::NoteNumberList(1), 2.0f);
    EXPECT_EQ(edit::NoteNumberList(3), 4.0f);
    EXPECT_EQ(edit::NoteNumberList(4), 7.0f);
    EXPECT_EQ(edit::NoteNumberList(5), 8.0f);
    EXPECT_EQ(edit::NoteNumberList(45), 48.0f);
    edit::read_note_number_answer("99", 6.0f);
    EXPECT_EQ(edit::NoteNumberList(1), 7.0f);
    EXPECT_EQ(edit::NoteNumberList(2), 8.0f);
    edit::read_note_number_answer("0 3 99 1", 0.0f);
    EXPECT_EQ(edit::NoteNumberList(1), 1.0f);
    EXPECT_EQ(edit::NoteNumberList(2), 3.0f);
    EXPECT_EQ(edit::NoteNumberList(3), 4.0f);
    EXPECT_EQ(edit::NoteNumberList(4), 5.0f);
}

// The unit that waited for its note leaves no item: the page is as it was. The dialog's Cancel,
// X typed in its field (a dialog hands it over as typed) and a line with a word in it, which
// answers nothing and is named, all end the text so.
TEST_F(TextCommand, CancellingTheNoteNumbersLeavesNoUnplacedUnit) {
    struct Case {
        const char* answer;  // nullptr: Cancel
        bool named;
    };
    for (const Case& c : {Case{nullptr, false}, Case{"X", false}, Case{" x ", false},
                          Case{" hello", true}, Case{"1 2x", true}}) {
        SCOPED_TRACE(c.answer != nullptr ? c.answer : "Cancel");
        start_again();
        staff_with_notes(3);
        const int32_t before = core::ItemCount;
        answer_text("a b");
        if (c.answer != nullptr) {
            answer_units(c.answer);
        } else {
            fe_.answer_dialog(2);
        }
        type("T 1 0 12");
        EXPECT_EQ(core::ItemCount, before);
        EXPECT_EQ(core::EditedItemNumber, 0);
        EXPECT_EQ(render::DisplayMarkWord, 0);
        EXPECT_EQ(shown("Not an answer to \"Type note number for each text unit.\""), c.named);
    }
}

TEST_F(TextCommand, ACommandFileKeepsEveryUnitAndTheItemsAfterThem) {
    write_file("text.cmd", {"T 1 20 12", "one two three", "8 2 0"});
    type("RE text.cmd");
    EXPECT_EQ(core::MacroUnit, 0);
    ASSERT_EQ(core::ItemCount, 4);
    EXPECT_EQ(text_of(1), "_00one");
    EXPECT_EQ(text_of(2), "_00two");
    EXPECT_EQ(text_of(3), "_00three");
    EXPECT_EQ(item(4), (std::vector<float>{3, 8, 2, 0}));
    EXPECT_EQ(core::ItemStartTable(core::ItemCount + 1), core::ItemWordsUsed);
}

TEST_F(TextCommand, SungTextFromACommandFileTakesTheNoteNumbersFromTheFile) {
    staff_with_notes(4);
    const int32_t before = core::ItemCount;
    write_file("sung.cmd", {"T 1 0 12", "do-re mi", "2", "5 1 2"});
    type("RE sung.cmd");
    ASSERT_EQ(core::ItemCount, before + 5);
    EXPECT_EQ(stored_param(before + 1, 3), 20.0f);
    EXPECT_EQ(stored_param(before + 2, 3), 30.0f);
    EXPECT_EQ(stored_param(before + 3, 1), 4.0f);
    EXPECT_EQ(item(core::ItemCount), (std::vector<float>{3, 5, 1, 2}));
}

TEST_F(TextCommand, TtTakesLineAfterLineEachLower) {
    type("8 1 0");
    answer_text("first");
    answer_text("second");
    fe_.answer_dialog(2);
    type("TT 1 20 12");
    const std::vector<int32_t> texts = items_of(16.0f);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(stored_param(texts[1], 3), 20.0f);
    const float step = layout::StaffTables.StaffScale(1) * 5.0f / 25.0f;
    EXPECT_FLOAT_EQ(stored_param(texts[1], 4), 12.0f - step);
}

TEST_F(TextCommand, TaWordsGoToTheTablatureSetup) {
    fe_.answer_dialog(2);
    type("TA");
    EXPECT_FALSE(shown(unknown("TA")));
    EXPECT_EQ(fe_.dialog_words.size(), 20u);  // asked, and cancelled: nothing more
}

}  // namespace
