// The editing dialogs behind their commands, end to end (offscreen): typed boxes and their
// "Source Box O.K.?" question, Transpose Setup, Steps to move, Separate Voices, Ripple bars,
// Measure numbers and Edit Text, answered as a user would; checked by the items they leave.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <cstring>

#include "tests/frontend/dialog_command_fixture.h"

#include "engine/render/page/output_lists.h"
#include "engine/render/page/page_redraw.h"

using namespace frontend;
using namespace dialog_commands;

namespace {

// ---- typed boxes --------------------------------------------------------------------------

// "TR": the box typed, the question answered Yes, the interval typed in Transpose Setup.
TEST_F(DialogCommandTest, TransposeSetupTransposesTheTypedBox) {
    const std::vector<float> heights = params_of(1, 2, 4);
    ASSERT_EQ(heights.size(), 2u);
    Seen question;
    Seen setup;
    type_line(QStringLiteral("TR"));
    Answers answers;
    answers.dialog(yes(), &question);
    answers.dialog(
        [](QDialog& d) {
            set_field(d, 1067, QStringLiteral("4"));
            click(d, 1);
        },
        &setup);
    type_line(QStringLiteral("2 0 0 2"), &answers);
    EXPECT_TRUE(question.opened);
    EXPECT_TRUE(setup.opened);
    EXPECT_EQ(setup.title, QStringLiteral("Transpose Setup"));
    // A major third up: two steps higher on the staff.
    EXPECT_EQ(params_of(1, 2, 4), (std::vector<float>{heights[0] + 2, heights[1] + 2})) << reply();

    // Cancel in the setup leaves the notes.
    const std::vector<std::vector<float>> before = page_items();
    type_line(QStringLiteral("TR"));
    Answers cancelled;
    cancelled.dialog(yes());
    cancelled.dialog(escape());
    type_line(QStringLiteral("2 0 0 2"), &cancelled);
    EXPECT_EQ(page_items(), before);
}

// "MX": the items of the typed box keep their place in it while Steps to move moves its right
// edge; Exit ends it.
TEST_F(DialogCommandTest, StepsToMoveStretchesTheBoxUntilExit) {
    const std::vector<float> xs = params_of(1, 2, 3);
    ASSERT_EQ(xs, (std::vector<float>{10, 20}));
    type_line(QStringLiteral("MX"));
    QString left;
    Answers answers;
    answers.dialog(yes());
    answers.dialog([&left](QDialog& d) {
        left = control<QLabel>(d, 1726)->text();
        set_field(d, 1730, QStringLiteral("10"));
        click(d, 1);
    });
    answers.dialog([](QDialog& d) { click(d, 2); });
    type_line(QStringLiteral("2 0 40 2"), &answers);
    EXPECT_EQ(left.toDouble(), 0.0);
    // The box 0..40 became 0..50: each note keeps its fraction of the width.
    EXPECT_EQ(params_of(1, 2, 3), (std::vector<float>{12.5f, 25.0f})) << reply();
    // Exit ended the box operation: the next line is the user's command, and opens no dialog.
    type_line(QStringLiteral("PATH"));
    EXPECT_EQ(reply().rfind("Path = ", 0), 0u) << reply();
    EXPECT_EQ(params_of(1, 2, 3), (std::vector<float>{12.5f, 25.0f}));
}

// ---- voices, bars, numbers ------------------------------------------------------------------

TEST_F(DialogCommandTest, SeparateVoicesKeepsTheChosenVoice) {
    ASSERT_EQ(params_of(1, 2, 3).size(), 2u);
    Answers answers;
    answers.dialog([](QDialog& d) {
        control<QRadioButton>(d, 1716)->click();
        set_field(d, 1718, QStringLiteral("2"));
        set_field(d, 1717, QStringLiteral("2"));
        click(d, 1);
    });
    type_line(QStringLiteral("SE"), &answers);
    // Both notes have their stems up: the lower voice has none of them.
    EXPECT_TRUE(params_of(1, 2, 3).empty()) << reply();
}

// Three staves with stem-up notes at 10, 20 and 30 on each: which of them the separation
// takes away tells every field of the dialog apart from its preset.
class VoiceFieldsDialogTest : public DialogCommandTest {
  protected:
    std::vector<std::vector<float>> page() const override {
        std::vector<std::vector<float>> items;
        for (float s = 1; s <= 3; ++s) items.push_back({8, s, 0});
        for (float s = 1; s <= 3; ++s) {
            for (float x : {10.0f, 20.0f, 30.0f}) items.push_back({1, s, x, 5, 10, 0, 1});
        }
        return items;
    }
    // "SE" answered with the voice's button and the four fields typed: bottom staff, top
    // staff, left and right limit.
    void separate(int voice_button) {
        Answers answers;
        answers.dialog([voice_button](QDialog& d) {
            control<QRadioButton>(d, voice_button)->click();
            set_field(d, 1718, QStringLiteral("2"));
            set_field(d, 1717, QStringLiteral("2"));
            set_field(d, 1719, QStringLiteral("15"));
            set_field(d, 1720, QStringLiteral("25"));
            click(d, 1);
        });
        type_line(QStringLiteral("SE"), &answers);
    }
};

// The bottom voice on staff 2 between 15 and 25: only the stem-up note at 20 of staff 2 goes;
// staves 1 and 3 (outside the typed staves) and the notes outside the limits stay.
TEST_F(VoiceFieldsDialogTest, EveryFieldOfSeparateVoicesReachesTheCommand) {
    separate(1716);
    const std::vector<float> all{10, 20, 30};
    EXPECT_EQ(params_of(1, 1, 3), all) << "the bottom staff typed was not taken";
    EXPECT_EQ(params_of(1, 3, 3), all) << "the top staff typed was not taken";
    EXPECT_EQ(params_of(1, 2, 3), (std::vector<float>{10, 30}))
        << "a limit typed was not taken; " << reply();
}

// The top voice keeps the stem-up notes: the voice button chosen is the voice kept.
TEST_F(VoiceFieldsDialogTest, TheTopVoiceChosenKeepsTheUpperNotes) {
    separate(1716);
    ASSERT_EQ(params_of(1, 2, 3), (std::vector<float>{10, 30}));
    separate(1715);
    EXPECT_EQ(params_of(1, 2, 3), (std::vector<float>{10, 30})) << reply();
    EXPECT_EQ(params_of(1, 1, 3), (std::vector<float>{10, 20, 30}));
}

// Systems of two staves (1-2 and 3-4): notes at 20, 60, 100, 140 and bar lines at 50, 90, 130
// and the page's end; the last bar of the lower system carries notes of height 7.
std::vector<std::vector<float>> two_systems() {
    std::vector<std::vector<float>> page;
    for (float s = 1; s <= 4; ++s) {
        page.push_back({8, s, 0});
        for (float x : {20.0f, 60.0f, 100.0f, 140.0f})
            page.push_back({1, s, x, s >= 3 && x == 140 ? 7.0f : 5.0f, 10, 0, 1});
        for (float x : {50.0f, 90.0f, 130.0f, 200.0f}) page.push_back({14, s, x});
    }
    return page;
}

class SystemsDialogTest : public DialogCommandTest {
  protected:
    std::vector<std::vector<float>> page() const override { return two_systems(); }
};

int32_t marked_notes(float staff) {
    const std::vector<float> h = params_of(1, staff, 4);
    return static_cast<int32_t>(std::count(h.begin(), h.end(), 7.0f));
}

TEST_F(SystemsDialogTest, RippleBarsMovesTheTypedBars) {
    Answers answers;
    answers.dialog([](QDialog& d) {
        set_field(d, 1000, QStringLiteral("2"));
        set_field(d, 1001, QStringLiteral("3"));
        set_field(d, 1123, QStringLiteral("1"));
        set_field(d, 1124, QStringLiteral("1"));
        click(d, 1);
    });
    type_line(QStringLiteral("RIP"), &answers);
    for (float s : {1.0f, 2.0f}) EXPECT_EQ(marked_notes(s), 1) << s << reply();
    for (float s : {3.0f, 4.0f}) EXPECT_EQ(marked_notes(s), 0) << s << reply();
}

TEST_F(SystemsDialogTest, MeasureNumbersNumberFromTheTypedFirst) {
    Answers answers;
    answers.dialog([](QDialog& d) {
        set_field(d, 1615, QStringLiteral("5"));
        control<QRadioButton>(d, 1611)->click();
        click(d, 1);
    });
    type_line(QStringLiteral("MN"), &answers);
    // Each staff is a system of its own (the bar lines span one staff), the top one first; the
    // numbers count on from the typed 5.
    EXPECT_EQ(params_of(10, 4, 5), (std::vector<float>{5, 6, 7})) << reply();
    EXPECT_EQ(params_of(10, 1, 5), (std::vector<float>{14, 15, 16})) << reply();
}

// ---- the command line -----------------------------------------------------------------------

// "q" brings the last command back in Edit Text; the edited line runs, Escape runs nothing.
TEST_F(DialogCommandTest, EditTextRunsTheEditedCommand) {
    type_line(QStringLiteral("PATH"));
    const std::string path = reply();
    ASSERT_EQ(path.rfind("Path = ", 0), 0u) << path;
    QString shown;
    Seen seen = type_into_dialog(QStringLiteral("q"), [&shown](QDialog& d) {
        QWidget* text = d.findChild<QWidget*>(QStringLiteral("c1000"));
        ASSERT_NE(text, nullptr);
        shown = text->property("plainText").toString();
        if (shown.isEmpty()) shown = text->property("text").toString();
        escape()(d);
    });
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.title, QStringLiteral("Edit Text"));
    EXPECT_EQ(shown.trimmed(), QStringLiteral("PATH"));
    EXPECT_EQ(reply().find("Path = "), std::string::npos) << reply();

    const int32_t items = core::ItemCount;
    type_into_dialog(QStringLiteral("q"), [](QDialog& d) {
        QWidget* text = d.findChild<QWidget*>(QStringLiteral("c1000"));
        ASSERT_NE(text, nullptr);
        if (!text->setProperty("plainText", QStringLiteral("NOTE RHH")))
            text->setProperty("text", QStringLiteral("NOTE RHH"));
        click(d, 1);
    });
    EXPECT_EQ(core::ItemCount, items + 1) << reply();
}

// A bare "T" waits for the place: the first key of "1 30 12" opens the command bar for the rest
// of the line, and the text typed in Text Input goes there.
TEST_F(DialogCommandTest, ABareTTakesThePlaceTypedInTheCommandBar) {
    Answers answers;
    answers.keys(QStringLiteral("1"));
    answers.line(QStringLiteral("1 30 12"));
    answers.dialog([](QDialog& d) {
        set_field(d, 1000, QStringLiteral("Here"));
        click(d, 1);
    });
    type_line(QStringLiteral("T"), &answers);
    EXPECT_EQ(params_of(16, 1, 3), (std::vector<float>{30})) << reply();
    EXPECT_EQ(params_of(16, 1, 4), (std::vector<float>{12})) << reply();
}

// Letters typed in Text Input (T) and in Edit Text (TX on the text) are stored as the escapes
// that print them; a letter no escape gives is named and the text stays as it was.
TEST_F(DialogCommandTest, TypedLettersAreStoredAsTheirEscapes) {
    const auto text_on_staff_1 = [] {
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (stored_param(k, 1) != 16.0f) continue;
            const int32_t s = core::ItemStartTable(k);
            std::string text(static_cast<std::size_t>(stored_param(k, 12)), ' ');
            std::memcpy(text.data(), core::ItemStore.at(s + 14), text.size());
            return text;
        }
        return std::string("(no text)");
    };
    const auto edit_text = [](const QString& typed) {
        return [typed](QDialog& d) {
            QWidget* text = d.findChild<QWidget*>(QStringLiteral("c1000"));
            ASSERT_NE(text, nullptr);
            text->setProperty("plainText", typed);
            click(d, 1);
        };
    };
    Answers answers;
    answers.dialog([](QDialog& d) {
        set_field(d, 1000, QStringLiteral("Grüße"));
        click(d, 1);
    });
    type_line(QStringLiteral("T 1 30 12"), &answers);
    EXPECT_EQ(text_on_staff_1(), "_00Gr%%u?se") << reply();

    // The text stays edited after T: the edits reach the page at X.
    Answers tx;
    tx.dialog(edit_text(QStringLiteral("_00Süß")));
    type_line(QStringLiteral("TX"), &tx);

    Answers refused;
    std::string said;
    refused.dialog(edit_text(QStringLiteral("_00€uro")));
    refused.dialog([&said](QDialog& d) {
        for (const QLabel* l : d.findChildren<QLabel*>()) said += l->text().toStdString();
        d.accept();
    });
    type_line(QStringLiteral("TX"), &refused);
    // The letter as typed, not its UTF-8 bytes read as single characters.
    EXPECT_NE(said.find("No text escape gives the letter € --"), std::string::npos) << said;
    type_line(QStringLiteral("X"));
    EXPECT_EQ(text_on_staff_1(), "_00S%%u?s") << reply();
}

// The staff changed in Text Input to one past 256 (or below 1) is refused: no text is made.
TEST_F(DialogCommandTest, TextInputRefusesAStaffPast256) {
    for (const QString& staff : {QStringLiteral("257"), QStringLiteral("-2")}) {
        const int32_t items = core::ItemCount;
        Answers answers;
        answers.dialog([&staff](QDialog& d) {
            set_field(d, 1000, QStringLiteral("Nowhere"));
            set_field(d, 1555, staff);
            click(d, 1);
        });
        answers.dialog([](QDialog& d) { d.accept(); });  // the refusal's message
        type_line(QStringLiteral("T 1 30 12"), &answers);
        EXPECT_EQ(core::ItemCount, items) << staff.toStdString() << ": " << reply();
    }
    Answers answers;
    answers.dialog([](QDialog& d) {
        set_field(d, 1000, QStringLiteral("Last"));
        set_field(d, 1555, QStringLiteral("256"));
        click(d, 1);
    });
    type_line(QStringLiteral("T 1 30 12"), &answers);
    EXPECT_EQ(params_of(16, 256, 3), (std::vector<float>{30})) << reply();
}

// "TE 2": the text typed in Text Input, placed at the note typed for it, becomes a text item on
// the staff; the divider character that went back with it is not taken for the next command.
TEST_F(DialogCommandTest, TextInputMakesTheTypedText) {
    const int32_t items = core::ItemCount;
    Seen seen;
    QString units;
    Answers answers;
    answers.dialog(
        [](QDialog& d) {
            set_field(d, 1000, QStringLiteral("Allegro"));
            click(d, 1);
        },
        &seen);
    answers.dialog([&units](QDialog& d) {
        units = control<QLabel>(d, 1000)->text();
        set_field(d, 1001, QStringLiteral(" 2"));
        click(d, 1);
    });
    type_line(QStringLiteral("TE 2"), &answers);
    EXPECT_EQ(seen.title, QStringLiteral("Text Input"));
    EXPECT_EQ(units.trimmed(), QStringLiteral("Allegro"));
    type_line(QStringLiteral("X"));
    EXPECT_GT(core::ItemCount, items) << reply();
    // At the second note.
    EXPECT_EQ(params_of(16, 2, 3), (std::vector<float>{20})) << reply();
    type_line(QStringLiteral("PATH"));
    EXPECT_EQ(reply().rfind("Path = ", 0), 0u) << reply();
}

// A quoted text typed in the command bar: its letters are stored as the escapes that print
// them, as a terminal's are; a letter no escape gives is named as it was typed (the reply shows
// it as that letter) and no text is made.
TEST_F(DialogCommandTest, AQuotedTextTypedInTheCommandBarTakesItsEscapes) {
    struct Row {
        QString line;
        const char* stored;  // the text made; nullptr: none
        const char* named;   // the letter a refusal names
    };
    const std::vector<Row> rows = {
        {QStringLiteral("T\"Grüße\" 1 30 12"), "_00Gr%%u?se", nullptr},
        {QStringLiteral("T\"Çété\" 1 40 12"), "_00##C<<et<<e", nullptr},
        {QStringLiteral("T\"漢字\" 1 50 12"), nullptr, "漢"},
        {QStringLiteral("T\"okж\" 1 60 12"), nullptr, "ж"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line.toStdString());
        const int32_t items = core::ItemCount;
        std::string said;
        Answers answers;
        if (row.named != nullptr) {
            answers.dialog([&said](QDialog& d) {
                for (const QLabel* l : d.findChildren<QLabel*>()) said += l->text().toStdString();
                d.accept();
            });
        }
        type_line(row.line, &answers);
        type_line(QStringLiteral("X"));
        if (row.stored == nullptr) {
            EXPECT_EQ(core::ItemCount, items) << reply();
            EXPECT_NE(said.find(std::string("*** No text escape gives the letter ") + row.named +
                                " -- the text was not entered."),
                      std::string::npos)
                << said;
            continue;
        }
        ASSERT_EQ(core::ItemCount, items + 1) << reply();
        const int32_t s = core::ItemStartTable(core::ItemCount);
        std::string text(static_cast<std::size_t>(stored_param(core::ItemCount, 12)), ' ');
        std::memcpy(text.data(), core::ItemStore.at(s + 14), text.size());
        EXPECT_EQ(text, row.stored);
    }
}

// A C word typed in the command bar while a note is edited that is no edit-mode C word and no
// word of the note is an unknown word, as at the console: named in a failure's box, and editing
// ends with the change typed before it kept.
TEST_F(DialogCommandTest, ATypedForeignCWordEndsEditingAsAnUnknownWord) {
    type_line(QStringLiteral("I 3"));
    ASSERT_EQ(core::EditedItemNumber, 3) << reply();
    type_line(QStringLiteral("4 7"));
    std::string said;
    Answers answers;
    answers.dialog([&said](QDialog& d) {
        for (const QLabel* l : d.findChildren<QLabel*>()) said += l->text().toStdString();
        d.accept();
    });
    type_line(QStringLiteral("CQQ"), &answers);
    EXPECT_NE(said.find("ERROR -- unknown word in this context: CQQ"), std::string::npos) << said;
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_EQ(stored_param(3, 4), 7.0f);
}

// Sung text "la-la" on staff 2's two notes, the note numbers typed in their dialog: a list of
// numbers places both units; X (Cancel there as at the console) and 0 leave no text; a word
// answers nothing, is named, and leaves no text either, never every unit from the first note.
TEST_F(DialogCommandTest, TheNoteNumbersDialogPlacesOnlyANumberList) {
    struct Row {
        const char* typed;  // the note-number field's text at OK
        std::size_t texts;  // code 16 items on staff 2 afterwards
        bool named;         // a failure names the line
    };
    // The row that places comes last: the others must leave the page as it was.
    const std::vector<Row> rows = {
        {" X", 0, false},   {"x", 0, false},   {" 0", 0, false},
        {"hello", 0, true}, {"1 2x", 0, true}, {" 1 2", 2, false},
    };
    const int32_t items = core::ItemCount;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        std::string said;
        Answers answers;
        answers.dialog([](QDialog& d) {
            set_field(d, 1000, QStringLiteral("la-la"));
            click(d, 1);
        });
        answers.dialog([&row](QDialog& d) {
            set_field(d, 1001, QString::fromLatin1(row.typed));
            click(d, 1);
        });
        if (row.named) {
            answers.dialog([&said](QDialog& d) {
                for (const QLabel* l : d.findChildren<QLabel*>()) said += l->text().toStdString();
                d.accept();
            });
        }
        type_line(QStringLiteral("TE 2"), &answers);
        type_line(QStringLiteral("X"));
        // The note numbers go with the word: the page shown is the page drawn afresh.
        const std::size_t drawn = render::decode_graphics_list().size();
        render::redraw_items();
        EXPECT_EQ(render::decode_graphics_list().size(), drawn);
        EXPECT_EQ(params_of(16, 2, 3).size(), row.texts) << reply();
        if (row.texts == 0) EXPECT_EQ(core::ItemCount, items) << reply();
        if (row.named) {
            EXPECT_NE(said.find("Not an answer to \"Type note number for each text unit.\": " +
                                std::string(row.typed)),
                      std::string::npos)
                << said;
        }
    }
}

}  // namespace
