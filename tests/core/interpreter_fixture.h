// A test of the command interpreter drives run_command as the front-end's gate does: a typed
// line in MessageLine or a palette word in FrontEndCommandBuffer, the output lists handed in,
// and what the engine shows recorded by the scripted front-end. Each test runs in a temporary
// current folder with its own work folder; the data folder is the build's.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/commands/interpreter/interpreter.h"
#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/tables.h"
#include "platform/paths.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/temp_folder.h"

class InterpreterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        core::reset_engine();
        core::set_front_end(&fe_);
        // The program's own data (fonts, glyphs) when the build's data folder is known.
        temp_.use_program_data_folder();
        temp_.enter();
    }
    void TearDown() override {
        core::OutputBufferViews.graphics.unbind();
        core::OutputBufferViews.text.unbind();
        core::close_all_units();
        core::set_front_end(nullptr);
    }
    // Hands the output lists to the engine between calls too, for tests that call routines
    // which draw (a commit draws its preview) without going through run_command. The engine's
    // reset unbinds them.
    void bind_output_lists() {
        core::OutputBufferViews.graphics.bind(graphics_.data(), &graphics_length_);
        core::OutputBufferViews.text.bind(text_.data(), &text_length_);
    }

    // The build's font folder (ORMEST_HOME/mxlib/fontlib) for texts measured as drawn; false
    // when ORMEST_HOME does not name the build's data folder.
    bool use_build_fonts() {
        const char* data = std::getenv("ORMEST_HOME");
        const std::filesystem::path home = data != nullptr ? data : "";
        if (home.empty() || !std::filesystem::exists(home / "mxlib" / "fontlib")) return false;
        core::FontFolder.set((home / "mxlib" / "fontlib").string() + "/");
        core::FontFolderLength = core::FontFolder.trimmed_length();
        return true;
    }

    // One call of the engine: returns the status word it left.
    int32_t call() {
        status_ = 99;
        core::run_command(graphics_.data(), graphics_length_, text_.data(), text_length_, status_);
        return status_;
    }
    // A line typed in the command bar.
    int32_t type(std::string_view line) {
        core::MessageLine.set(line);
        core::FrontEndCommandBuffer.blank();
        return call();
    }
    // Lines typed one after the other.
    void type_all(std::initializer_list<std::string_view> lines) {
        for (std::string_view l : lines) type(l);
    }
    // A palette or menu word (or a front-end token deposited in the command buffer).
    int32_t palette(std::string_view word) {
        core::FrontEndCommandBuffer.set(word);
        core::MessageLine.blank();
        return call();
    }
    // "EI" as the user types it: new items are entered without going on to editing, for tests
    // of what entering items does. Its reply is dropped so that tests see only their own.
    void enter_items_without_editing() {
        type("EI");
        ASSERT_EQ(core::NewItemsToEdit, -1);
        fe_.message_boxes.clear();
    }
    // A key typed in the view while key mode is armed: "~~~" and the character.
    int32_t key(char c) {
        std::string token = "~~~";
        token.push_back(c);
        return type(token);
    }

    static std::string reply() { return core::MessageLine.trimmed(); }
    // The unknown-word message: the word fills a field of 9 characters.
    static std::string unknown(std::string_view word) {
        std::string text = "ERROR -- unknown word in this context: " + std::string(word);
        text.resize(text.size() + (word.size() < 9 ? 9 - word.size() : 0), ' ');
        return text;
    }
    // Whether a message box, or a question, held the text.
    bool shown(const std::string& text) const { return holds(fe_.message_boxes, text); }
    bool asked(const std::string& text) const { return holds(fe_.questions, text); }
    // How many message boxes held exactly the text.
    long times_shown(const std::string& text) const {
        return std::count(fe_.message_boxes.begin(), fe_.message_boxes.end(), text);
    }
    static bool holds(const std::vector<std::string>& texts, const std::string& text) {
        for (const std::string& t : texts)
            if (t.find(text) != std::string::npos) return true;
        return false;
    }
    // The words of the store in use.
    static std::vector<float> page() {
        return std::vector<float>(core::ItemStore.data(),
                                  core::ItemStore.data() + core::ItemWordsUsed - 1);
    }
    // Words of item k as stored: n, P1..Pn.
    static std::vector<float> item(int32_t k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = static_cast<int32_t>(core::ItemStore(s));
        std::vector<float> words;
        for (int32_t i = 0; i <= n; ++i) words.push_back(core::ItemStore(s + i));
        return words;
    }
    void write_file(const std::string& name, const std::vector<std::string>& lines) {
        std::ofstream out(dir_ / name, std::ios::binary);
        for (const std::string& l : lines) out << l << '\n';
    }

    ScriptedFrontEnd fe_;
    TempFolder temp_{"interpreter_test"};
    const std::filesystem::path& dir_ = temp_.root();
    std::vector<int32_t> graphics_ = std::vector<int32_t>(core::kGraphicsListWords);
    std::vector<uint8_t> text_ = std::vector<uint8_t>(core::kTextStreamBytes);
    int32_t graphics_length_ = 0;
    int32_t text_length_ = 0;
    int32_t status_ = 0;
};
