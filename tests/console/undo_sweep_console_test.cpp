// The undo sweep: every command word of the program's tables, typed on a page where most of them
// change something (the others are checked to leave it as it was), in both orders around a plain
// change: (i) word, change, UNDO and (ii) change, word, UNDO. Either way UNDO takes back the last
// step alone, so the page is as it stood before that step, record for record. A word that takes
// no undo copy of its own passes order (i) and fails order (ii): UNDO then takes back the change
// before it too. (iii) The change, then the word from a command file read by RE, and UNDO typed
// after it: UNDO takes back the file alone. (iv) The change, then a command file of the word and
// UNDO: the file's UNDO takes back the word alone.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/commands/interpreter/item_names.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_words_lines.h"
#include "engine/input/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace {

// Two staves joined by their bar lines, a key, a meter, a chord, a rest, a tie across the first
// staff's bar line, eighths beamed in pairs and a slur on the second, as the input mode makes them;
// a text, a piano dynamic and a line after the run.
const std::vector<std::string> kPageLines = {
    "IN 1",
    "",
    "BA/K1S/3 4/G3:B3:D4/M2/G3/M/G3/M/C4/R/D3/M;",
    "H./H./H./Q/Q/Q;",
    ";",
    ";",
    "2 3;",
    "X",
    "Y",
    "",
    "TR/K1S/3 4/D5/G4/A/B/C5/M1/D5/G4/G/M/E5/C/D/E/CS5/M/D5/G4/G/M;",
    "Q/E/E/E/E/Q/Q/Q/Q/E/E/E/E/Q/Q/Q;",
    ";",
    "2 3/4 5/10 11/12 13;",
    "1 5;",
    "X",
    "N",
    "T 2 10 12",
    "Allegro",
    "X",
    "P 1 24.9 -3",
    "X",
    "LIN",
    "X",
    "SA page.mus",
};

// The plain change around each word: a new note, stored by X.
const std::vector<std::string> kChange = {"1 1 190 3 10 0 4", "X"};

// What UNDO right after a word gives back.
enum class Undo {
    Step,         // the page before the word; a word that changed nothing may be no step at all
    CopyFirst,    // the page before the word, even when it changed nothing: its copy comes first
    AtE,          // the input run as it stood at E (the row's at_e lines typed on the page)
    NewDocument,  // nothing: the word made a new document, and UNDO says so
};

// A word of the sweep: its name as the table holds it, the lines that type it with its answers
// ("{beam}", "{slur}", "{line}", "{text}", "{note}" stand for the first item of that code),
// whether it leaves this page as it was (checked: the page is compared after it), and what UNDO
// right after it gives back.
struct Row {
    std::string word;
    std::vector<std::string> lines;
    bool unchanged = false;
    Undo undo = Undo::Step;
    std::vector<std::string> at_e = {};
    // The lines as a command file gives them, when they differ beyond the box confirmations
    // (which a file does not answer); a word a command file cannot run has none.
    std::vector<std::string> file = {};
    bool runs_from_file = true;
};

// The run the IN rows type, to the closing menu.
const std::vector<std::string> kInputRun = {"IN 1", "", "C5/D5;", "Q/Q;", "N", ";", ";", ";"};

std::vector<std::string> joined(std::vector<std::string> lines,
                                const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

// Words the sweep cannot run in a console test on one page, with the reason.
struct LeftOut {
    std::string word;
    const char* reason;
};

const std::vector<Row> kRows = {
    {"A", {"A", "1 0 200 2 1", "Y", "4 1"}},
    {"BN", {"BN 1 2"}},
    {"C", {"C", "1 10 60 1", "Y", "1 100 150", "Y", "0"}},
    {"CUE", {"CUE", "1 10 60 1", "Y"}},
    {"CUE beams", {"CUE", "2 10 160 2", "Y"}},
    {"CRV", {"CRV 2 0 200 2"}, true},
    {"CM ", {"CM 1 2"}},
    {"CM*", {"CM* 1 2"}},
    {"CW*", {"CW* 1 2"}},
    {"CWA", {"CWA"}},
    {"CS ", {"CS", "1 10 60 1", "Y", "1 100 150", "Y", "0"}},
    {"CS*", {"CS*", "1 10 60 1", "Y", "1 100 150", "Y", "0"}},
    {"CPX", {"CPX", "1 10 60 1", "Y", "1 100 150", "Y", "0"}},
    {"CT ", {"CT", "1 10 60 1", "Y", "0"}, true},
    {"CT*", {"CT*", "1 10 60 1", "Y", "0"}, true},
    // A command file's DE asks no codes: every code in the box goes.
    {"DE", {"DE", "1 10 60 1", "Y", "1"}, false, Undo::Step, {}, {"DE", "1 10 60 1"}},
    {"DEP", {"DEP"}},
    {"EN", {"EN 2 1"}},
    {"FLA", {"FLA", "1 0 200 2", "Y"}},
    {"FLU", {"FLU", "1 0 200 2", "Y"}},
    {"FLD", {"FLD", "2 0 200 2", "Y"}},
    {"FLO", {"FLO", "2 0 200 2", "Y"}},
    {"FLF", {"FLF", "2 0 200 2", "Y"}},
    {"FLV", {"FLV", "1 0 200 2", "Y"}},
    {"IF", {"IF p1=1 then p4=p4+1"}},
    {"IN", joined(kInputRun, {"X", "N"})},
    // E at the closing menu, the edit form's lines taken as offered, X at its menu.
    // The edit form takes its lines as offered only when typed (a file's blank line answers
    // nothing).
    {"IN E",
     joined(kInputRun, {"E", "", "", "", "", "N", "", "", "", "X"}),
     false,
     Undo::AtE,
     joined(kInputRun, {"X", "N"}),
     {},
     false},
    // The stems fitted to the beams: the page's already fit, but the copy comes first.
    {"AD", {"AD"}, true, Undo::CopyFirst},
    {"ADX", {"ADX"}, true, Undo::CopyFirst},
    {"AD box", {"AD 2 0 200 2"}, true, Undo::CopyFirst},
    {"COM", {"COM", "Y", "combo1.mus", "2"}, false, Undo::NewDocument},
    {"JTX", {"JTX 1 0 200 2 2 12"}},
    {"LJ", {"LJ", "1 2", "Y"}},
    {"M", {"M", "1 10 60 1", "Y", "1 100 150", "Y", "0"}},
    {"MU", {"MU", "1 10 60 1", "Y", "2"}, false, Undo::Step, {}, {}, false},
    {"MD", {"MD", "1 10 60 1", "Y", "2"}, false, Undo::Step, {}, {}, false},
    {"O", {"O"}},
    {"PGR", {"PGR"}},
    {"RS", {"RS", "Y"}},
    {"SE", {"SE 1 1 0 200 1"}},
    {"SEZ", {"SEZ"}, true},  // the console shows no options dialog: it ends before its sort
    {"STM", {"STM 1"}, true, Undo::CopyFirst},
    {"STU", {"STU", "1 0 200 2", "Y", "1"}},
    {"TYPB", {"TYPB", "1 10 60 1", "Y", "1 100 150", "Y", "0"}},
    // Words of the view and the status: the page stays.
    {"BOT", {"BOT"}, true},
    {"TOP", {"TOP"}, true},
    {"MID", {"MID"}, true},
    {"FREEZ", {"FREEZ"}, true},
    {"MM", {"MM"}, true},
    {"MS", {"MS", "1 10 60 1", "Y", "2", "Y"}},
    {"PA", {"PA"}, true},
    {"PATH", {"PATH"}, true},
    {"PMX", {"PMX"}, true},
    {"PST", {"PST"}, true},
    {"EI", {"EI"}, true},
    {"ED", {"ED", "X"}, true},
    {"ST", {"ST", "X"}, true},
    {"I*", {"I*", "X"}, true},
    {"T\"", {"T\"dolce", "X", "X"}, true},
    {"INC", {"INC"}, true},
    {"INVI", {"INVI"}, true},
    {"K", {"K"}, true},
    {"Q", {"Q"}, true},
    {"X", {"X"}, true},
    {"Y", {"YO 100"}, true},
    {"Z", {"Z"}, true},
    {"ZZ", {"ZZ"}, true},
    {"U", {"U"}, true},
    {"WW", {"WW"}, true},
    {"WS", {"WS"}, true},
    {"V", {"V"}, true},
    {"VI", {"VI"}, true},
    {"J", {"J 100"}, true},
    {"BB", {"BB"}, true},
    // The line re-fitting words: the page's line already fits.
    {"CDA", {"CDA"}, true, Undo::CopyFirst},
    {"CD*", {"CD* 1"}, true},
    {"CD ", {"CD 1"}, true, Undo::CopyFirst},
    {"STSP", {"STSP 1 30"}},
    {"T", {"T 1 100 14", "text", "X"}},
    {"T below", {"T 1 10 -5", "la la", "X"}},
    // Sung text: position 0 sets each syllable under the note numbered for it.
    {"T sung", {"T 2 0 -3", "la la", "1 2", "X"}},
    {"TR", {"TR 2 1"}},
    {"VJ", {"VJ 2"}},
    // The item editor's words on an edited item.
    {"I UE", {"I {note}", "UE", "X"}},
    {"I C", {"I {note}", "3 50", "C", "X"}},
    {"I C*", {"I {note}", "3 50", "C*", "X"}},
    {"I CC", {"I {note}", "3 50", "CC", "X"}},
    {"I CX", {"I {note}", "3 50", "CX", "X"}},
};

const std::vector<LeftOut> kLeftOut = {
    {"CV", "makes a library symbol file"},
    {"CDRW", "makes a library drawing file"},
    {"MX", "its step count is a window dialog"},
    {"G", "loads a document: a load ends the undo history"},
    {"H", "loads a recent document"},
    {"LAST", "loads the last document"},
    {"N", "the music directory: loads documents"},
    {"SA", "saves: a save ends the undo history"},
    {"UNDO", "the undo words themselves"},
    {"UND", "the undo words themselves"},
    {"REX", "runs a line of a command file"},
    {"MAKEDIR", "makes a folder"},
    {"CON", "makes a library symbol file"},
    {"PLA", "plays the page: its loop waits for keys"},
    {"line SA", "the editor's save word comes first: it saves the page under a new name"},
    {"RE", "command files: their lines are the words of this table"},
};

// The item names each make an item: typed alone they make it at the preset place.
std::vector<Row> item_name_rows() {
    std::vector<Row> rows;
    std::set<std::string> names;
    for (int k = 1; k <= core::kItemNames; ++k) {
        std::string name(core::ItemNameTable(k).sub(1, 3));
        if (!names.insert(name).second) continue;
        while (!name.empty() && name.back() == ' ') name.pop_back();
        // Typed alone, COM is the combine command.
        if (name == "COM") continue;
        rows.push_back({"item " + name, {name == "RES" ? std::string("REST") : name, "X"}});
    }
    return rows;
}

// The item editor's C words, on the line and on the text; the words that change neither are
// checked to leave the page as it was.
std::vector<Row> edit_c_word_rows() {
    std::vector<Row> rows;
    for (int k = 1; k <= core::kEditCWords; ++k) {
        std::string word(core::EditCWordTable(k).sub(1, 3));
        std::string typed = word;
        while (!typed.empty() && typed.back() == ' ') typed.pop_back();
        const bool text_word = typed == "CTN" || typed == "CTX";
        const bool unchanged = typed == "CD" || typed == "CT" || typed == "CW";
        rows.push_back({"I " + word, {text_word ? "I {text}" : "I {line}", typed, "X"}, unchanged});
    }
    return rows;
}

// The words of an edited beam and of an edited line, with the number a word takes; the words
// that change neither this beam nor this line are checked to leave the page as it was.
const std::map<std::string, std::string> kItemWordLines = {
    {"beam BE", "BE 2"}, {"beam SP", "SP 5"},  {"beam LO", "LO 5"}, {"beam RO", "RO 5"},
    {"beam BN", "BN 3"}, {"beam PB", "PB 10"}, {"beam TR", "TR 2"}, {"beam TH", "TH 2"},
    {"line DT", "DT 2"}, {"line DS", "DS 2"},  {"line LI", "LI 2"}, {"line LB", "LB 2"},
    {"line LA", "LA 2"}, {"line LO", "LO 5"},  {"line LR", "LR 5"}, {"line RO", "RO 5"},
    {"line RB", "RB 2"}, {"line RA", "RA 2"},  {"line SP", "SP 2"}, {"line TH", "TH 2"},
    {"line WI", "WI 2"},
};
const std::set<std::string> kItemWordsUnchanged = {
    "beam AD", "beam AU", "beam SP", "beam TR", "beam NL",
    "beam NU", "beam FL", "line HO", "line SP", "line XO",
};

std::vector<Row> item_word_rows() {
    std::vector<Row> rows;
    auto add = [&](const std::string& word, const char* item) {
        const auto typed = kItemWordLines.find(word);
        // The beam words take their copy first, whatever they change.
        const Undo undo = word.starts_with("beam ") ? Undo::CopyFirst : Undo::Step;
        rows.push_back({word,
                        {item, typed == kItemWordLines.end() ? word.substr(5) : typed->second, "X"},
                        kItemWordsUnchanged.count(word) > 0,
                        undo});
    };
    for (std::string_view prefix : edit::kBeamWordPrefixes)
        add("beam " + std::string(prefix), "I {beam}");
    for (std::string_view prefix : edit::kLineWordPrefixes) {
        // The save words of the editor come first: "SA" saves the page under a new name.
        if (prefix != "SA") add("line " + std::string(prefix), "I {line}");
    }
    return rows;
}

// The words a source file tests for with `call("WORD")`: the dispatch and the item editor's
// keyword decoder test the line's word in their code rather than in a table. Only words that
// begin with a letter are command words.
std::set<std::string> words_in_source(const char* file, const std::string& call) {
    const std::string text = read_text(std::filesystem::path(ORMEST_SOURCE_DIR) / file);
    std::set<std::string> words;
    const std::string open = call + "(\"";
    for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
        const std::size_t begin = at + open.size();
        // A quote inside the word is written \".
        std::size_t end = text.find('"', begin);
        while (end != std::string::npos && text[end - 1] == '\\') end = text.find('"', end + 1);
        std::string word = text.substr(begin, end - begin);
        for (std::size_t q = word.find("\\\""); q != std::string::npos; q = word.find("\\\"", q)) {
            word.erase(q, 1);
        }
        while (!word.empty() && word.back() == ' ') word.pop_back();
        if (!word.empty() && std::isupper(static_cast<unsigned char>(word[0])) != 0) {
            words.insert(word);
        }
    }
    return words;
}

std::set<std::string> dispatch_words() {
    std::set<std::string> words =
        words_in_source("engine/commands/interpreter/letter_rows.cpp", "starts");
    for (const std::string& w : words_in_source("engine/commands/interpreter/command_dispatch.cpp",
                                                "CommandLine.starts_with")) {
        words.insert(w);
    }
    return words;
}

std::set<std::string> decoder_words() {
    const char* const file = "engine/edit/keywords/keyword_decoder.cpp";
    std::set<std::string> words = words_in_source(file, "word_is");
    for (const std::string& w : words_in_source(file, "CommandLine.starts_with")) words.insert(w);
    return words;
}

// The item editor's keyword words on an edited note; the copy words copy a changed note.
const std::set<std::string> kDecoderCopyWords = {"C", "C*", "CC", "CX"};
const std::set<std::string> kDecoderWordsUnchanged = {
    "A",   "AB",   "ABX",  "B",   "BLA", "BZ", "CM",  "CN", "CN*", "CNX", "COM/",
    "ED",  "ED*",  "EDR",  "GRA", "I",   "I*", "II",  "N",  "NZ",  "P*",  "PG*",
    "PS*", "PSEV", "PSIX", "RGB", "RIP", "RP", "RTR", "S",  "SC",  "SCX", "SET",
    "ST",  "ST*",  "STX",  "SZ",  "SZ*", "X",  "X*",  "XX", "XX*",
};

std::vector<Row> decoder_rows() {
    std::vector<Row> rows;
    for (const std::string& word : decoder_words()) {
        // Rows of their own above: the copy words with the change they copy.
        if (kDecoderCopyWords.count(word) > 0) continue;
        rows.push_back(
            {"edit " + word, {"I {note}", word, "X"}, kDecoderWordsUnchanged.count(word) > 0});
    }
    return rows;
}

std::vector<Row> all_rows() {
    std::vector<Row> rows = kRows;
    std::set<std::string> left_out;
    for (const LeftOut& l : kLeftOut) left_out.insert(l.word);
    std::vector<Row> decoder;
    for (const Row& r : decoder_rows()) {
        if (left_out.count(r.word) == 0) decoder.push_back(r);
    }
    for (const auto& more : {item_name_rows(), edit_c_word_rows(), item_word_rows(), decoder}) {
        rows.insert(rows.end(), more.begin(), more.end());
    }
    return rows;
}

// The first record where two pages differ, both ways, or "" when they are the same.
std::string first_difference(const std::vector<std::string>& got,
                             const std::vector<std::string>& want) {
    const std::size_t n = std::max(got.size(), want.size());
    for (std::size_t k = 0; k < n; ++k) {
        const std::string g = k < got.size() ? got[k] : "(none)";
        const std::string w = k < want.size() ? want[k] : "(none)";
        if (g != w) {
            return "item " + std::to_string(k + 1) + " of " + std::to_string(got.size()) + ": \"" +
                   g + "\", expected \"" + w + "\" of " + std::to_string(want.size());
        }
    }
    return "";
}

void PrintTo(const Row& row, std::ostream* os) { *os << row.word; }

std::string test_name(const ::testing::TestParamInfo<Row>& info) {
    std::string name;
    for (char c : info.param.word) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            name += c;
        } else if (c == '*') {
            name += "Star";
        } else if (c == '"') {
            name += "Quote";
        } else if (c == '-') {
            name += "Dash";
        }
    }
    return name + "_" + std::to_string(info.index);
}

class UndoSweepConsoleTest : public ConsoleSessionTest, public ::testing::WithParamInterface<Row> {
  protected:
    // The row's lines as a command file gives them: a box is not confirmed from a file.
    std::vector<std::string> file_lines() {
        if (!GetParam().file.empty()) return GetParam().file;
        std::vector<std::string> lines;
        for (const std::string& line : row_lines()) {
            const bool after_box = !lines.empty() && !lines.back().empty() &&
                                   std::isdigit(static_cast<unsigned char>(lines.back()[0])) != 0;
            if (line == "Y" && after_box) continue;
            lines.push_back(line);
        }
        return lines;
    }

    // The row's lines with the item numbers of this page put in.
    std::vector<std::string> row_lines() {
        const std::map<std::string, int32_t> codes = {
            {"{note}", 1}, {"{line}", 4}, {"{slur}", 5}, {"{beam}", 6}, {"{text}", 16}};
        std::vector<std::string> lines = GetParam().lines;
        for (std::string& line : lines) {
            for (const auto& [mark, code] : codes) {
                const std::size_t at = line.find(mark);
                if (at == std::string::npos) continue;
                int32_t item = 0;
                for (int32_t k = 1; k <= core::ItemCount && item == 0; ++k) {
                    if (stored_param(k, 1) == static_cast<float>(code)) item = k;
                }
                line.replace(at, mark.size(), std::to_string(item));
            }
        }
        return lines;
    }

    // Loads the page; the undo history starts empty.
    void load_page() {
        core::reset_engine();
        core::reset_service_gate();
        type({"G page.mus"});
    }

    // Types the row's word; it is over: nothing waits for an answer.
    void type_word() {
        type(row_lines());
        ASSERT_EQ(core::EditedItemNumber, 0);
        ASSERT_EQ(core::PendingBoxOperation, 0);
        ASSERT_EQ(input::InputParserMode, 0);
    }
};

TEST_P(UndoSweepConsoleTest, UndoTakesBackTheLastStepAloneInBothOrders) {
    type(kPageLines);
    for (const char* copy : {"combo1.mus", "combo2.mus"}) {
        std::filesystem::copy_file(temp_.root() / "page.mus", temp_.root() / copy,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    load_page();
    const std::vector<std::string> page = stored_item_lines();
    ASSERT_EQ(page.size(), 49U);
    const Undo undo = GetParam().undo;

    // (i) word, change, UNDO: the page as the word left it.
    type_word();
    const std::vector<std::string> after_word = stored_item_lines();
    if (GetParam().unchanged) {
        EXPECT_TRUE(after_word == page) << "the word changed the page";
    } else {
        EXPECT_TRUE(after_word != page) << "the word changed nothing";
    }
    type(console_lines_then(kChange, {"UNDO"}));
    EXPECT_EQ(first_difference(stored_item_lines(), after_word), "")
        << "order (i): UNDO took back more than the change";

    // The page UNDO gives back after the change and the word.
    load_page();
    type(kChange);
    const std::vector<std::string> after_change = stored_item_lines();
    ASSERT_EQ(after_change.size(), page.size() + 1);
    std::vector<std::string> undone = after_change;
    if (undo == Undo::AtE) {
        type(GetParam().at_e);
        undone = stored_item_lines();
        ASSERT_NE(undone, after_change);
    }
    // A word that changed nothing is no step, and UNDO takes back the change; or it kept an undo
    // copy of its own, and UNDO takes back the word alone. Either way one step at most.
    const auto undo_difference = [&](const std::vector<std::string>& word_page, bool changed) {
        if (undo == Undo::NewDocument) return first_difference(stored_item_lines(), word_page);
        std::string difference = first_difference(stored_item_lines(), undone);
        if (undo == Undo::Step && !changed && first_difference(stored_item_lines(), page).empty())
            difference.clear();
        return difference;
    };

    // (ii) change, word, UNDO.
    load_page();
    type(kChange);
    type_word();
    std::vector<std::string> word_page = stored_item_lines();
    std::string out = type({"UNDO"});
    EXPECT_EQ(undo_difference(word_page, !GetParam().unchanged), "")
        << "order (ii): UNDO took back more or less than the word";
    EXPECT_EQ(out.find("*** Nothing to UNDO.") != std::string::npos, undo == Undo::NewDocument)
        << out;

    // (iii) change, then the word from a command file, UNDO typed after the RE line: the file is
    // one step, and UNDO gives back the page as the change left it. A file that changed nothing
    // (a word a file cannot answer is refused there) may be no step: UNDO then takes back the
    // change.
    load_page();
    type(kChange);
    {
        std::ofstream file(temp_.root() / "word.txt");
        for (const std::string& line : row_lines()) file << line << "\n";
    }
    type({"RE word.txt"});
    word_page = stored_item_lines();
    bool file_changed = word_page != after_change;
    type({"UNDO"});
    std::string difference = undo == Undo::NewDocument
                                 ? first_difference(stored_item_lines(), word_page)
                                 : first_difference(stored_item_lines(), after_change);
    if (!file_changed && first_difference(stored_item_lines(), page).empty()) difference.clear();
    EXPECT_EQ(difference, "")
        << "order (iii): UNDO after the command file took back more or less than the file";

    // (iv) change, then a command file of the word and UNDO, and a marker save: the file's UNDO
    // takes back the word alone, and the file goes on.
    if (!GetParam().runs_from_file) return;
    load_page();
    type(kChange);
    {
        std::ofstream file(temp_.root() / "word_undo.txt");
        for (const std::string& line : file_lines()) file << line << "\n";
        file << "UNDO\nSA marker.mus\n";
    }
    std::filesystem::remove(temp_.root() / "marker.mus");
    const std::string file_out = type({"RE word_undo.txt"});
    ASSERT_TRUE(std::filesystem::exists(temp_.root() / "marker.mus")) << file_out;
    // What the file's word left is not seen here: a file that changed nothing is judged as a
    // word that changed nothing.
    file_changed = !(GetParam().unchanged);
    EXPECT_EQ(undo_difference(word_page, file_changed), "")
        << "order (iv): UNDO inside the command file took back more or less than the word";
    // The marker saved the page UNDO left.
    EXPECT_EQ(first_difference(saved_records(temp_.root() / "marker.mus"), stored_item_lines()),
              "");
}

INSTANTIATE_TEST_SUITE_P(Words, UndoSweepConsoleTest, ::testing::ValuesIn(all_rows()), test_name);

// Every word of the program's word tables, and every first letter of the dispatch, is swept or
// left out with its reason: a word added to a table is not left out of the sweep unnoticed.
TEST(UndoSweepTables, EveryTableWordAndLetterIsSweptOrListed) {
    std::set<std::string> known;
    for (const Row& r : all_rows()) known.insert(r.word);
    for (const LeftOut& l : kLeftOut) {
        EXPECT_NE(std::string(l.reason), "") << l.word;
        EXPECT_EQ(known.count(l.word), 0U) << l.word << " is both swept and left out";
        known.insert(l.word);
    }
    // Table entries are blank-padded to three characters: "CS " is the word CS.
    auto trimmed = [](std::string word) {
        while (!word.empty() && word.back() == ' ') word.pop_back();
        return word;
    };
    std::set<std::string> known_trimmed;
    for (const std::string& w : known) known_trimmed.insert(trimmed(w));
    auto covered = [&](const std::string& word) { return known_trimmed.count(trimmed(word)) > 0; };
    for (int k = 1; k <= core::kCWords; ++k) {
        const std::string word(core::CWordTable(k).sub(1, 3));
        EXPECT_TRUE(covered(word == "C  " ? "C" : word)) << word;
    }
    for (int k = 1; k <= core::kEditCWords; ++k) {
        EXPECT_TRUE(covered("I " + std::string(core::EditCWordTable(k).sub(1, 3))));
    }
    for (const std::string& word : dispatch_words()) EXPECT_TRUE(covered(word)) << word;
    for (const std::string& word : decoder_words()) {
        EXPECT_TRUE(covered("edit " + word) || covered("I " + word)) << word;
    }
    // The scans found the words: a renamed call would leave them empty.
    EXPECT_GT(dispatch_words().size(), 20U);
    EXPECT_GT(decoder_words().size(), 50U);
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const bool any = std::any_of(known.begin(), known.end(), [&](const std::string& w) {
            return !w.empty() && w[0] == letter;
        });
        EXPECT_TRUE(any) << letter;
    }
}

}  // namespace
