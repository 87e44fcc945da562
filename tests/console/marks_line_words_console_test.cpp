// The marcato and arco words of the marks line, typed in the input mode and read from a command
// file: "AR" alone is the marcato, a mark of its note; every longer letter word that starts "AR"
// is arco, a symbol item at its note, as "AO" is. A digit after "AR" is the note number. The
// lines written back by "EDI" give the same items again. The long words (STAC, TRILL, 8VA...)
// are read as their short forms in every column.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace {

constexpr float kMarcatoCode = 15.0f;
constexpr float kArcoCode = 67.0f;
constexpr int32_t kNoteCode = 1;
constexpr int32_t kSymbolCode = 9;

// The input run of four notes on staff 1 with one marks line. A command file is asked neither
// for bar lines nor for the next staff: its two "N" are left out.
std::vector<std::string> marks_word_run(const std::string& marks, bool from_file) {
    if (from_file) return {"IN 1", "", "C5/D/E/F;", "Q;", marks, ";", ";", "X"};
    return {"IN 1", "", "C5/D/E/F;", "Q;", "N", marks, ";", ";", "X", "N"};
}

// The arco items of staff 1: their P3 and whether they stand on the side other than the
// default one (as the lines written back read it: a "-" before the word).
struct ArcoItem {
    float x;
    bool other_side;
};
std::vector<ArcoItem> marks_word_arcos() {
    std::vector<ArcoItem> out;
    for (int32_t k : stored_items_of(kSymbolCode, 1)) {
        if (stored_param(k, 5) == kArcoCode)
            out.push_back({stored_param(k, 3), stored_param(k, 4) < 11.0f});
    }
    return out;
}

class MarksLineWordsTest : public ConsoleSessionTest {};

TEST_F(MarksLineWordsTest, MarcatoAndArcoWordsTypedAndReadFromAFile) {
    // Forty-one "S 1/" put the last word past the columns the long words are rewritten in.
    std::string far;
    for (int i = 0; i < 41; ++i) far += "S 1/";
    struct Case {
        std::string marks;
        bool arco;  // else the marcato on note 2
        bool other_side = false;
    };
    const Case kCases[] = {
        {"AR 2;", false},         {"AR2;", false},           {"ARC 2;", true},
        {"ARCO 2;", true},        {"ARCOS 2;", true},        {"ARCOX 2;", true},
        {"ARCO2;", true},         {"AO 2;", true},           {"arco 2;", true},
        {"-ARCO 2;", true, true}, {"S 1/ARCO 2/A 3;", true}, {far + "ARCO 2;", true},
        {far + "AR 2;", false},
    };
    for (const Case& c : kCases) {
        for (const bool from_file : {false, true}) {
            const std::string label = c.marks + (from_file ? " (RE)" : " (typed)");
            core::reset_engine();
            std::string out;
            if (from_file) {
                std::string text;
                for (const std::string& l : marks_word_run(c.marks, true)) text += l + "\n";
                write_text(temp_.root() / "marks.re", text);
                out = type({"RE marks.re"});
            } else {
                out = type(marks_word_run(c.marks, false));
            }
            EXPECT_EQ(out.find("Error"), std::string::npos) << label << "\n" << out;
            const std::vector<int32_t> notes = stored_items_of(kNoteCode, 1);
            ASSERT_EQ(notes.size(), 4u) << label << "\n" << out;
            const float second_x = stored_param(notes[1], 3);
            const std::vector<ArcoItem> arcos = marks_word_arcos();
            if (c.arco) {
                ASSERT_EQ(arcos.size(), 1u) << label;
                EXPECT_EQ(arcos[0].x, second_x) << label;
                EXPECT_EQ(arcos[0].other_side, c.other_side) << label;
                EXPECT_NE(stored_param(notes[1], 11), kMarcatoCode) << label;
            } else {
                EXPECT_TRUE(arcos.empty()) << label;
                EXPECT_EQ(stored_param(notes[1], 11), kMarcatoCode) << label;
            }
            // Written back as the input lines and read again, each stays what it was.
            const std::vector<std::string> before = stored_item_lines();
            const std::string round =
                type({"EDI", "1 0 200 1", "Y", "", "", "", "", "", "", "", "", "X"});
            EXPECT_EQ(round.find("Error"), std::string::npos) << label << "\n" << round;
            EXPECT_EQ(stored_item_lines(), before) << label << "\n" << round;
        }
    }
}

// A long mark word is read as its short form wherever it stands on the line: at the start,
// around column 160 and far past it, typed and from a command file. The page a long word makes
// is the page its short form makes after the same marks.
TEST_F(MarksLineWordsTest, LongWordsAreReadAsTheirShortFormsAtAnyColumn) {
    const std::pair<const char*, const char*> kWords[] = {
        {"STAC 2", "S 2"},
        {"TENU 2", "T 2"},
        {"TENS 2", "TS 2"},
        {"TRILL 2", "TR 2"},
        {"TRILLS 2", "TRS 2"},
        {"TREM2 2", "TM2 2"},
        {"WED 2", "W 2"},
        {"DIM 2", "DI 2"},
        {"CRESC 2", "CR 2"},
        {"PIZ 2", "PZ 2"},
        {"DN 2", "D 2"},
        {"8VA 2:3", "O 2:3"},
        {"8BA 2:3", "OB 2:3"},
        {"CRH 2:3", "C 2:3"},
        {"ACC 2", "A 2"},
        // A G typed inside a word spells it; only a G at a word's start ends the line.
        {"WEDG 2/S 3", "WS 2/S 3"},
        {"wedg 2/S 3", "WS 2/S 3"},
        {"FNG3 2/S 3", "F3 2/S 3"},
        {"A 1/FNG0 2/S 3", "A 1/F0 2/S 3"},
        {"fng9 2", "F9 2"},
    };
    // Words the reader does not know, with a G inside: typed, the whole line is refused and
    // named as the file's line is, and the script's next lines answer their own questions.
    // (The wedge's rewrite takes four letters: a fifth stands alone, no mark.)
    // Named as typed, in lower case too.
    const char* const kRefusedWords[] = {"WEDGE 2/S 3", "FNGX 2/S 3", "sa p.mu "};
    // Words from column 1, from 157, 159 and 161 (across column 160 and behind it), and from
    // 181, behind 45 tenuto marks.
    std::vector<std::string> leads = {""};
    std::string thirty_nine;
    for (int i = 0; i < 39; ++i) thirty_nine += "S 1/";
    for (const std::size_t blanks : {0u, 2u, 4u})
        leads.push_back(thirty_nine + std::string(blanks, ' '));
    std::string tenutos;
    for (int i = 0; i < 45; ++i) tenutos += "T 1/";
    leads.push_back(tenutos);

    auto page_of = [&](const std::string& marks, bool from_file, bool refused = false) {
        core::reset_engine();
        std::string out;
        if (from_file) {
            std::string text;
            for (const std::string& l : marks_word_run(marks, true)) text += l + "\n";
            write_text(temp_.root() / "marks.re", text);
            out = type({"RE marks.re"});
        } else {
            out = type(marks_word_run(marks, false));
        }
        if (refused) {
            EXPECT_NE(out.find("*** The marks line was refused and left out: " + marks),
                      std::string::npos)
                << marks << "\n"
                << out;
            // The run ended at its own "X" and "N": no line of the script was left over.
            EXPECT_EQ(out.find("Not an answer"), std::string::npos) << marks << "\n" << out;
            EXPECT_EQ(out.find("Syntax Error ***  ;"), std::string::npos) << marks << "\n" << out;
        } else {
            EXPECT_EQ(out.find("rror"), std::string::npos) << marks << "\n" << out;
        }
        return stored_item_lines();
    };
    for (const auto& [word, short_form] : kWords) {
        for (const std::string& lead : leads) {
            std::vector<std::string> typed_page;
            for (const bool from_file : {false, true}) {
                const std::string label = std::string(word) + " from column " +
                                          std::to_string(lead.size() + 1) +
                                          (from_file ? " (RE)" : " (typed)");
                const std::vector<std::string> expected =
                    page_of(lead + short_form + ";", from_file);
                const std::vector<std::string> page = page_of(lead + word + ";", from_file);
                EXPECT_EQ(page, expected) << label;
                // Typed or read from a file, the line leaves the same marks on the notes and
                // the same items (the roads space the notes alike, not to the same place).
                std::vector<std::string> marks = {std::to_string(page.size())};
                for (const int32_t k : stored_items_of(kNoteCode, 1))
                    marks.push_back(std::to_string(stored_param(k, 11)));
                for (const std::string& line : page) marks.push_back(line.substr(0, 2));
                if (from_file) {
                    EXPECT_EQ(marks, typed_page) << label;
                }
                typed_page = marks;
            }
        }
    }
    // The fingering word is the fingering: FNG3 on note 2 gives it 33, nothing else changes.
    {
        const std::vector<std::string> plain = page_of(";", false);
        page_of("FNG3 2;", false);
        const std::vector<int32_t> notes = stored_items_of(kNoteCode, 1);
        ASSERT_EQ(notes.size(), 4u);
        EXPECT_EQ(stored_param(notes[1], 11), 33.0f);
        EXPECT_EQ(stored_param(notes[0], 11), 0.0f);
        EXPECT_EQ(stored_item_lines().size(), plain.size());
    }
    for (const char* word : kRefusedWords) {
        for (const std::string& lead : leads) {
            for (const bool from_file : {false, true}) {
                const std::string label = std::string(word) + " from column " +
                                          std::to_string(lead.size() + 1) +
                                          (from_file ? " (RE)" : " (typed)");
                // The page of a run whose marks line is empty: the refused line adds nothing.
                const std::vector<std::string> expected = page_of(";", from_file);
                EXPECT_EQ(page_of(lead + word + ";", from_file, true), expected) << label;
            }
        }
    }
}

}  // namespace
