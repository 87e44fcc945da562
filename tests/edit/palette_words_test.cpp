// Every button of the palettes shown while an item is edited sends a word that the item's
// editing knows: each word is sent as its button sends it, with an item of that palette's kind
// being edited, and none may be answered "unknown word".
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/commands/interpreter/item_names.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

std::string palette_words_data_dir() {
    const char* home = std::getenv("ORMEST_HOME");
    return home != nullptr ? std::string(home) : std::string();
}

// The texts that the "send" buttons of the handler table send, by command id.
std::map<int, std::string> palette_words_handlers() {
    std::map<int, std::string> texts;
    std::ifstream in(palette_words_data_dir() + "/palettes/handlers.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string ids, kind, palette;
        fields >> ids >> kind >> palette;
        if (kind != "send") continue;
        const std::size_t open = line.find('"');
        const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
        if (close == std::string::npos) continue;
        const std::string text = line.substr(open + 1, close - open - 1);
        std::istringstream id_list(ids);
        std::string id;
        while (std::getline(id_list, id, ',')) texts[std::atoi(id.c_str())] = text;
    }
    return texts;
}

// The command ids of a palette's buttons, in order.
std::vector<int> palette_words_buttons(int palette) {
    std::ifstream in(palette_words_data_dir() + "/palettes/palettes.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        int id = 0;
        std::string size;
        fields >> id >> size;
        if (id != palette) continue;
        std::vector<int> buttons;
        int b = 0;
        while (fields >> b) buttons.push_back(b);
        return buttons;
    }
    return {};
}

// An item of one kind, the line that enters it and the palette its editing shows.
struct PaletteWordsCase {
    const char* name;
    const char* line;
    int palette;
};

class PaletteWordsTest : public InterpreterTest {
  protected:
    // A page with a staff and the item of `line`, which is being edited.
    bool edit_item_of(const char* line) { return edit_last_of({line}); }
    // A page with a staff and the items of `lines`; the last of them is being edited.
    bool edit_last_of(std::initializer_list<const char*> lines) {
        core::reset_engine();
        core::set_front_end(&fe_);
        // A word's own dialogs and questions are left unanswered (Cancel): only its refusal counts.
        fe_.strict = false;
        type("EI");
        type("8 1 0");
        for (const char* line : lines) type(line);
        if (core::ItemCount < 2) return false;
        core::EditedItemNumber = core::ItemCount;
        edit::load_item_for_editing();
        fe_.message_boxes.clear();
        return true;
    }
    bool palette_words_refused() const {
        for (const std::string& box : fe_.message_boxes)
            if (box.find("unknown word") != std::string::npos) return true;
        return false;
    }
};

// Buttons whose word no description defines for editing yet (palette, word): listed so that
// every other button stays known and a word mended leaves the list. Each is still refused.
// None is left: every button of every palette shown while an item is edited is checked.
const std::vector<std::pair<int, std::string>> kPaletteWordsStillOpen = {};

// Buttons refused on purpose while their item is edited: the text palette's "TH" words and the
// EPS palette's thickness words mean nothing to the item, and run as commands they would end
// the editing and take the next typed line as the words of a new text.
const std::vector<std::pair<int, std::string>> kPaletteWordsRefused = {
    {194, "TH"}, {194, "THE"}, {194, "THM"}, {194, "TH/"}, {257, "THK"}, {257, "THK0"}};

bool palette_word_still_open(int palette, const std::string& word) {
    std::string trimmed = word;
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    for (const auto* list : {&kPaletteWordsStillOpen, &kPaletteWordsRefused}) {
        for (const auto& [p, w] : *list) {
            if (p == palette && w == trimmed) return true;
        }
    }
    return false;
}

// Each item palette and an item of its kind.
const PaletteWordsCase kPaletteWordsCases[] = {
    {"note", "1 1 50 5 10 0 1", 157},
    {"rest", "2 1 50 0 2", 158},
    {"code 3", "3 1 50 5 1", 159},
    {"code 4", "4 1 50 5 60 5", 161},
    {"code 5", "5 1 50 5 60 5", 162},
    {"code 6", "6 1 50 5 60 5", 175},
    {"code 7 kind 0", "7 1 50 5 60 5 0", 202},
    {"code 7 kind 1", "7 1 50 5 60 5 1", 197},
    {"code 7 kind 15", "7 1 50 5 60 5 15", 190},
    {"code 7 kind 2", "7 1 50 5 60 5 2", 198},
    {"staff", "8 2 0", 201},
    {"symbol", "9 1 50 5 10", 184},
    {"code 10", "10 1 50 5 1", 196},
    {"code 11", "11 1 50 5 1", 158},
    {"code 12 kind 0", "12 1 50 5 0", 195},
    {"code 12 kind 10", "12 1 50 5 10", 204},
    {"code 12 kind -1", "12 1 50 5 -1", 205},
    {"code 12 kind 2", "12 1 50 5 2", 218},
    {"code 14", "14 1 50", 179},
    {"code 15", "15 1 50 5 1", 257},
    {"text", "16 1 50 5", 194},
    {"code 17", "17 1 50 5 1", 193},
    {"code 18", "18 1 50 5 1", 191},
};

TEST_F(PaletteWordsTest, EveryButtonOfAnItemPaletteSendsAWordKnownWhileItsItemIsEdited) {
    ASSERT_FALSE(palette_words_data_dir().empty()) << "ORMEST_HOME names the data folder";
    const std::map<int, std::string> texts = palette_words_handlers();
    ASSERT_FALSE(texts.empty());
    for (const PaletteWordsCase& c : kPaletteWordsCases) {
        const std::vector<int> buttons = palette_words_buttons(c.palette);
        ASSERT_FALSE(buttons.empty()) << c.palette;
        for (int id : buttons) {
            const auto found = texts.find(id);
            if (found == texts.end()) continue;
            const std::string& word = found->second;
            const std::size_t first = word.find_first_not_of(' ');
            // Pair lists and separators are no words.
            if (first == std::string::npos ||
                !std::isalpha(static_cast<unsigned char>(word[first])))
                continue;
            ASSERT_TRUE(edit_item_of(c.line)) << c.name;
            palette(word);
            bool refused = false;
            for (const std::string& box : fe_.message_boxes)
                refused = refused || box.find("unknown word") != std::string::npos;
            if (palette_word_still_open(c.palette, word)) {
                EXPECT_TRUE(refused) << "known now, take it off the open list: " << c.palette
                                     << " \"" << word << "\"";
                continue;
            }
            for (const std::string& box : fe_.message_boxes) {
                EXPECT_EQ(box.find("unknown word"), std::string::npos)
                    << c.name << " palette " << c.palette << " button " << id << " \"" << word
                    << "\": " << box;
            }
        }
    }
}

// The C words of the item palettes outside the edit-mode C words, each typed while its item is
// edited: a line the window left in the command buffer as typed (the engine was busy) is judged
// as the same line typed at a terminal, never as the palette button's word, which the item keeps.
TEST_F(PaletteWordsTest, ATypedLineInTheCommandBufferIsNoPaletteWord) {
    const std::map<int, std::string> texts = palette_words_handlers();
    ASSERT_FALSE(texts.empty());
    int checked = 0;
    for (const PaletteWordsCase& c : kPaletteWordsCases) {
        for (int id : palette_words_buttons(c.palette)) {
            const auto found = texts.find(id);
            if (found == texts.end() || found->second.rfind('C', 0) != 0) continue;
            const std::string& word = found->second;
            if (core::find_edit_c_word(word.substr(0, std::min<std::size_t>(3, word.size()))) != 0)
                continue;
            SCOPED_TRACE(std::string(c.name) + " \"" + word + "\"");
            ASSERT_TRUE(edit_item_of(c.line));
            type(word);
            const bool typed_refused = palette_words_refused();
            const int32_t typed_edited = core::EditedItemNumber;
            ASSERT_TRUE(edit_item_of(c.line));
            core::FrontEndCommandBuffer.set(word);
            core::CommandBufferLineIsTyped = 1;
            core::MessageLine.blank();
            call();
            EXPECT_EQ(palette_words_refused(), typed_refused);
            EXPECT_EQ(core::EditedItemNumber, typed_edited);
            EXPECT_EQ(core::CommandBufferLineIsTyped, 0);
            ASSERT_TRUE(edit_item_of(c.line));
            palette(word);
            EXPECT_FALSE(palette_words_refused());
            checked += typed_refused ? 1 : 0;
        }
    }
    EXPECT_GT(checked, 0) << "no palette C word is refused when typed";
}

// The staff palette's spacing word while a staff is edited: the staff is kept, editing ends and
// the staves are spaced (one inch apart here), with no unknown-word message.
TEST_F(PaletteWordsTest, StaffSpacingWhileAStaffIsEditedSpacesTheStaves) {
    ASSERT_TRUE(edit_item_of("8 2 0 5 1.5"));
    const float base_before = static_cast<float>(layout::StaffTables.StaffBaseY(2));
    palette("STSP 999 1.0 ");
    for (const std::string& box : fe_.message_boxes)
        EXPECT_EQ(box.find("unknown word"), std::string::npos) << box;
    EXPECT_EQ(core::EditedItemNumber, 0);
    EXPECT_NE(static_cast<float>(layout::StaffTables.StaffBaseY(2)), base_before);
    EXPECT_NE(stored_param(2, 4), 0.0f);
    EXPECT_EQ(stored_param(2, 5), 1.5f) << "the edited staff was not kept";
}

// The meter palette's new meters while a meter is edited: the edited meter keeps its change,
// editing ends and a new meter of the button's kind is entered. Its input words "COM/" and
// "CUT/" instead make the edited meter common and cut time, as "3 4/" gives it 3/4.
TEST_F(PaletteWordsTest, NewMeterWordsWhileAMeterIsEditedKeepItAndEnterANewMeter) {
    for (const auto& [word, p5] :
         {std::pair<const char*, float>{"COM/ ", 99.0f}, {"CUT/ ", 98.0f}}) {
        ASSERT_TRUE(edit_item_of("18 1 50 5 3 4")) << word;
        type("3 60");
        palette(word);
        EXPECT_FALSE(palette_words_refused()) << word;
        EXPECT_EQ(core::EditedItemNumber, 2) << word;
        EXPECT_EQ(core::ItemCount, 2) << word;
        EXPECT_EQ(core::EditItemParams(3), 60.0f) << word;
        EXPECT_EQ(core::EditItemParams(5), p5) << word;
        EXPECT_EQ(core::EditItemParams(6), 0.0f) << word;
    }
    const struct {
        const char* word;
        float p5;
        float p6;
    } meters[] = {{"METER34 ", 3.0f, 4.0f}, {"METER68 ", 6.0f, 8.0f}, {"METER ", 4.0f, 4.0f}};
    for (const auto& m : meters) {
        ASSERT_TRUE(edit_item_of("18 1 50 5 3 4")) << m.word;
        type("5 2");
        palette(m.word);
        EXPECT_FALSE(palette_words_refused()) << m.word;
        EXPECT_EQ(core::EditedItemNumber, 0) << m.word;
        EXPECT_EQ(stored_param(2, 5), 2.0f) << m.word << ": the edited meter lost its change";
        ASSERT_EQ(core::ItemCount, 3) << m.word;
        EXPECT_EQ(stored_param(3, 1), 18.0f) << m.word;
        EXPECT_EQ(stored_param(3, 5), m.p5) << m.word;
        EXPECT_EQ(stored_param(3, 6), m.p6) << m.word;
        EXPECT_TRUE(fe_.questions.empty()) << m.word << ": " << fe_.questions.front();
    }
}

// The key palette's "KSIG", the staff palette's "STAFF" and "STA", and the shape palettes'
// "TRI" enter a new item of their kind; the edited item is kept as edited.
TEST_F(PaletteWordsTest, NewItemWordsOfItemPalettesKeepTheEditedItem) {
    const struct {
        const char* line;
        const char* change;
        int32_t param;
        float value;
        const char* word;
        float code;
    } cases[] = {{"17 1 50 5 2", "5 -3", 5, -3.0f, "KSIG ", 17.0f},
                 {"8 2 0 5 1.5", "5 1.25", 5, 1.25f, "STAFF ", 8.0f},
                 {"8 2 0 5 1.5", "5 1.25", 5, 1.25f, "STA ", 8.0f},
                 {"12 1 50 5 0", "6 12", 6, 12.0f, "TRI ", 7.0f},
                 {"15 1 50 5 1", "5 1.5", 5, 1.5f, "TRI ", 7.0f}};
    for (const auto& c : cases) {
        ASSERT_TRUE(edit_item_of(c.line)) << c.word;
        type(c.change);
        const int32_t before = core::ItemCount;
        palette(c.word);
        EXPECT_FALSE(palette_words_refused()) << c.line << " " << c.word;
        EXPECT_EQ(core::EditedItemNumber, 0) << c.line << " " << c.word;
        EXPECT_EQ(stored_param(2, c.param), c.value) << c.line << " " << c.word;
        ASSERT_EQ(core::ItemCount, before + 1) << c.line << " " << c.word;
        EXPECT_EQ(stored_param(core::ItemCount, 1), c.code) << c.line << " " << c.word;
    }
}

// Words of the command table that the text palette sends end editing with the item kept and
// run as commands; a word of the same letters that a code knows stays that code's ("TH" on a
// line, "THK" on a number, "STA" on a note, "TRI" on a trill). The T words of the text and EPS
// palettes are no such commands (as one they would take the next line as a new text): the text
// steps its size with "TSZP", and the "TH" words and the EPS's "THK0" are refused with a reply.
TEST_F(PaletteWordsTest, CommandWordsEndEditingOnlyWhereTheCodeDoesNotKnowThem) {
    for (const char* word : {"TYPB ", "SPA+ "}) {
        ASSERT_TRUE(edit_item_of("16 1 50 5"));
        type("3 60");
        palette(word);
        EXPECT_FALSE(palette_words_refused()) << word;
        EXPECT_EQ(core::EditedItemNumber, 0) << word;
        EXPECT_EQ(stored_param(2, 3), 60.0f) << word << ": the text was not kept";
    }
    for (const char* word : {"TSZP ", "TH ", "THE "}) {
        ASSERT_TRUE(edit_item_of("16 1 50 5"));
        palette(word);
        EXPECT_EQ(core::EditedItemNumber, 2) << word << " ended the editing";
        EXPECT_EQ(core::ItemCount, 2) << word;
    }
    ASSERT_TRUE(edit_item_of("15 1 50 5 1"));
    palette("THK0 ");
    EXPECT_TRUE(palette_words_refused());
    EXPECT_EQ(core::EditedItemNumber, 2);

    ASSERT_TRUE(edit_item_of("10 1 50 5 1"));
    palette("THK ");
    EXPECT_EQ(core::EditedItemNumber, 2) << "THK is a number's own word";
    EXPECT_EQ(core::EditItemParams(10), 1.0f);
    ASSERT_TRUE(edit_item_of("1 1 50 5 10 0 1"));
    palette("STA ");
    EXPECT_EQ(core::EditedItemNumber, 2) << "STA is a note's ornament";
    EXPECT_EQ(core::EditItemParams(11), 7.0f);
    ASSERT_TRUE(edit_item_of("7 1 50 5 60 5 0"));
    palette("TRI ");
    EXPECT_EQ(core::EditedItemNumber, 2) << "TRI is a trill's own word";
    EXPECT_EQ(core::ItemCount, 2);
    ASSERT_TRUE(edit_item_of("18 1 50 5 3 4"));
    palette("KSIG ");
    EXPECT_TRUE(palette_words_refused())
        << "a command word of another palette is still refused here";
    EXPECT_EQ(core::EditedItemNumber, 2);
}

// The key palette's accidental steps: "KSUP"/"KSDN" step the accidental "KS n" chose, and ask
// for one when none is chosen; "KSN" shows or hides the naturals as "KSNA" does.
TEST_F(PaletteWordsTest, KeyAccidentalStepsAndNaturals) {
    ASSERT_TRUE(edit_item_of("17 1 50 5 -3 0 0 201"));
    palette("KSUP ");
    EXPECT_TRUE(shown("Choose the accidental first (KS1 to KS6)."));
    EXPECT_FALSE(palette_words_refused());
    EXPECT_EQ(core::EditItemParams(8), 201.0f);
    EXPECT_EQ(edit::EditChangesPending, 0);
    palette("KS1 ");
    const float chosen = core::EditItemParams(8);
    palette("KSUP ");
    EXPECT_EQ(core::EditItemParams(8), chosen + 1.0f);
    palette("KSDN ");
    palette("KSDN ");
    EXPECT_EQ(core::EditItemParams(8), chosen - 1.0f);
    palette("KSN ");
    EXPECT_EQ(core::EditItemParams(5), -103.0f);
    palette("KSN ");
    EXPECT_EQ(core::EditItemParams(5), -3.0f);
    palette("X ");
    EXPECT_EQ(stored_param(2, 8), chosen - 1.0f);
}

// "Get saved param." ("RP") on staves, keys and meters gets the parameter "PS n" saved last, and
// says so when none is saved; on a rest it stays the repeat sign.
TEST_F(PaletteWordsTest, GetSavedParameterOnStavesKeysAndMeters) {
    ASSERT_TRUE(edit_item_of("18 1 50 5 3 4"));
    palette("RP ");
    EXPECT_TRUE(shown("No parameter saved yet."));
    EXPECT_FALSE(palette_words_refused());
    EXPECT_EQ(core::EditItemParams(5), 3.0f);
    palette("PS5 ");
    type("5 7");
    EXPECT_EQ(core::EditItemParams(5), 7.0f);
    palette("RP ");
    EXPECT_EQ(core::EditItemParams(5), 3.0f);

    ASSERT_TRUE(edit_item_of("2 1 50 0 2"));
    palette("RP ");
    EXPECT_EQ(core::EditItemParams(5), -4.0f);
}

// "EDR" on the text palette edits the first item at the text's position, as "ED" does; the
// string words of a Code 12 item step its parameters instead of saving one.
TEST_F(PaletteWordsTest, EdrSearchesByPositionAndStringWordsStepTheirParameters) {
    ASSERT_TRUE(edit_last_of({"9 1 52 5 10", "16 1 50 5"}));
    palette("EDR ");
    EXPECT_FALSE(palette_words_refused());
    EXPECT_EQ(core::EditedItemNumber, 2) << "the symbol at 52 comes first";

    ASSERT_TRUE(edit_item_of("12 1 50 5 2 1.5 1"));
    palette("PSEVM ");
    EXPECT_FALSE(palette_words_refused());
    EXPECT_FLOAT_EQ(core::EditItemParams(7), 0.9f);
    palette("PSIXM ");
    EXPECT_FLOAT_EQ(core::EditItemParams(6), 1.4f);
    palette("PSEVZ ");
    EXPECT_FLOAT_EQ(core::EditItemParams(7), 0.9f);
    palette("PS6 ");
    EXPECT_EQ(reply(), "P6");
}

}  // namespace

namespace {

// The tooltip (the last quoted text) of a handler line, by command id.
std::string palette_words_tooltip(int wanted) {
    std::ifstream in(palette_words_data_dir() + "/palettes/handlers.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || std::atoi(line.c_str()) != wanted) continue;
        const std::size_t close = line.rfind('"');
        const std::size_t open = close == 0 ? std::string::npos : line.rfind('"', close - 1);
        if (open == std::string::npos) return {};
        return line.substr(open + 1, close - open - 1);
    }
    return {};
}

}  // namespace

// Buttons whose word means something else on an edited note than on what the button is made
// for: stored with X, the note (a quarter, P4 5, P5 5) shows the change, and the tooltip says
// what the word does to an edited note.
TEST_F(PaletteWordsTest, ButtonsWhoseWordChangesAnEditedNoteSayHowInTheirTooltip) {
    ASSERT_FALSE(palette_words_data_dir().empty()) << "ORMEST_HOME names the data folder";
    const std::map<int, std::string> texts = palette_words_handlers();
    struct Row {
        int id;
        int p;             // the parameter the word changes
        float value;       // its value stored
        const char* says;  // the tooltip's words for it
    };
    const Row rows[] = {
        {33428, 7, 7.0f, "double-dots an edited note"},             // DOWN
        {32720, 4, 6.0f, "moves an edited note up a step"},         // UP
        {33332, 5, 1.0f, "flat on an edited note"},                 // FLR11
        {33389, 5, 1.0f, "flat on an edited note"},                 // FLR14
        {32857, 11, 7.0f, "staccato on an edited note"},            // STAFF
        {33967, 11, 7.0f, "staccato on an edited note"},            // STA
        {32752, 6, 10.0f, "parentheses on an edited note"},         // PR
        {34193, 6, 10.0f, "parentheses on an edited note"},         // PRPS
        {34102, 6, 10.0f, "parentheses on an edited note"},         // PREF
        {32892, 7, 8.0f / 3.0f, "makes an edited note a triplet"},  // TRP
        {32893, 7, 8.0f / 3.0f, "makes an edited note a triplet"},  // TRP1
        {33187, 7, 8.0f / 3.0f, "makes an edited note a triplet"},  // TRP14
        {33330, 7, 8.0f / 3.0f, "makes an edited note a triplet"},  // TRP21
        {33184, 5, 3.0f, "respells an edited note"},                // END
        {33397, 5, 3.0f, "respells an edited note"},                // END1
        {33674, 5, 3.0f, "respells an edited note"},                // END2
        {34023, 10, 0.5f, "offsets an edited note right"},          // ROT+
        {34049, 10, 0.5f, "offsets an edited note right"},          // ROT-
        {34092, 10, 0.5f, "offsets an edited note right"},          // ROT0
        {33936, 10, 0.5f, "offsets an edited note right"},          // ROFFM
        {34001, 10, -0.5f, "offsets an edited note left"},          // LOFFP
        {33877, 10, -0.5f, "offsets an edited note left"},          // LOFF0
        {33291, 20, 1.02f, "widens an edited note"},                // NORM
        {33338, 20, 1.02f, "widens an edited note"},                // NORM6
        {33730, 20, 1.02f, "widens an edited note"},                // SPREAD
        {33064, 5, 5.02f, "spaces an edited note wider"},           // SPL1
        {33375, 5, 5.02f, "spaces an edited note wider"},           // SPL222
        {33887, 5, 5.02f, "spaces an edited note wider"},           // SPSM
        {32828, 5, 4.0f, "double flat on an edited note"},          // DBRS+
        {32946, 5, 4.0f, "double flat on an edited note"},          // DBRW0
        {34067, 4, 4.0f, "moves an edited note down a step"},       // ~~040x
    };
    for (const Row& r : rows) {
        const auto found = texts.find(r.id);
        ASSERT_NE(found, texts.end()) << r.id;
        SCOPED_TRACE(std::to_string(r.id) + " \"" + found->second + "\"");
        EXPECT_NE(palette_words_tooltip(r.id).find(r.says), std::string::npos)
            << palette_words_tooltip(r.id);
        ASSERT_TRUE(edit_item_of("1 1 20 5 5 0 4"));
        palette(found->second);
        type("X");
        ASSERT_EQ(core::ItemCount, 2);
        EXPECT_NEAR(stored_param(2, r.p), r.value, 1e-3f);
        EXPECT_EQ(stored_param(2, 1), 1.0f) << "still a note";
    }
}
