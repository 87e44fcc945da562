// Every button of the palettes shown while an item is edited sends a word that the item's
// editing knows: each word is sent as its button sends it, with an item of that palette's kind
// being edited, and none may be answered "unknown word".
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/edit/items/item_editing.h"
#include "engine/layout/tables.h"
#include "tests/support/store_records.h"
#include "tests/core/interpreter_fixture.h"

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
    bool edit_item_of(const char* line) {
        core::reset_engine();
        core::set_front_end(&fe_);
        // A word's own dialogs and questions are left unanswered (Cancel): only its refusal counts.
        fe_.strict = false;
        type("EI");
        type("8 1 0");
        type(line);
        if (core::ItemCount < 2) return false;
        core::EditedItemNumber = core::ItemCount;
        edit::load_item_for_editing();
        fe_.message_boxes.clear();
        return true;
    }
};

// Buttons whose word no description defines for editing yet (palette, word): listed so that
// every other button stays known and a word mended leaves the list. Each is still refused.
const std::vector<std::pair<int, std::string>> kPaletteWordsStillOpen = {
    {198, "PSEVM"}, {198, "PSEVZ"}, {198, "PSIXM"}, {201, "RP"},     {201, "STA"},
    {201, "STAFF"}, {204, "TRI"},   {218, "TRI"},   {257, "THK"},    {257, "THK0"},
    {257, "TRI"},   {194, "SPA+"},  {194, "SPA-"},  {194, "TH"},     {194, "TH/"},
    {194, "THE"},   {194, "THM"},   {194, "TSZM"},  {194, "TSZN"},   {194, "TSZP"},
    {194, "TYPB"},  {194, "EDR"},   {193, "RP"},    {193, "KSDN"},   {193, "KSIG"},
    {193, "KSN"},   {193, "KSUP"},  {191, "RP"},    {191, "COM/"},   {191, "CUT/"},
    {191, "JF"},    {191, "JFX"},   {191, "METER"}, {191, "METER24"}, {191, "METER34"},
    {191, "METER68"}};

bool palette_word_still_open(int palette, const std::string& word) {
    std::string trimmed = word;
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    for (const auto& [p, w] : kPaletteWordsStillOpen) {
        if (p == palette && w == trimmed) return true;
    }
    return false;
}

TEST_F(PaletteWordsTest, EveryButtonOfAnItemPaletteSendsAWordKnownWhileItsItemIsEdited) {
    ASSERT_FALSE(palette_words_data_dir().empty()) << "ORMEST_HOME names the data folder";
    const std::map<int, std::string> texts = palette_words_handlers();
    ASSERT_FALSE(texts.empty());
    const PaletteWordsCase cases[] = {
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
        {"code 13", "13 1 50 5 1", 157},
        {"code 14", "14 1 50", 179},
        {"code 15", "15 1 50 5 1", 257},
        {"text", "16 1 50 5", 194},
        {"code 17", "17 1 50 5 1", 193},
        {"code 18", "18 1 50 5 1", 191},
    };
    for (const PaletteWordsCase& c : cases) {
        const std::vector<int> buttons = palette_words_buttons(c.palette);
        ASSERT_FALSE(buttons.empty()) << c.palette;
        for (int id : buttons) {
            const auto found = texts.find(id);
            if (found == texts.end()) continue;
            const std::string& word = found->second;
            const std::size_t first = word.find_first_not_of(' ');
            // Pair lists and separators are no words.
            if (first == std::string::npos || !std::isalpha(static_cast<unsigned char>(word[first])))
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

}  // namespace
