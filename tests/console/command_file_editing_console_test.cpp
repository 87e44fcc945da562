// A command file read by RE while an item is edited: its lines go through the item-editing
// words as the same lines typed do. Each case types the lines on one fresh engine and reads
// them from a file on another, then compares the saved documents.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "tests/core/document_bytes.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

using Record = std::vector<float>;

// A staff (item 1) and two slurs (items 2 and 3), none of them edited.
const std::vector<std::string> kStaffAndSlurs = {"EI", "8 1 0", "5 1 20 5 7 40 1",
                                                 "5 1 30 5 7 50 1"};
const Record kStaff = {8, 1, 0};
const Record kFirstSlur = {5, 1, 20, 5, 7, 40, 1};
const Record kSecondSlur = {5, 1, 30, 5, 7, 50, 1};

// The item records of a saved document: [n, P1..Pn] each, up to the trailer.
std::vector<Record> saved_records(const std::string& name) {
    const std::vector<float> words = decode(read_file_bytes(name));
    std::vector<Record> records;
    std::size_t i = 0;
    while (i < words.size()) {
        const auto n = static_cast<std::size_t>(words[i]);
        if (n == 0 || i + n >= words.size()) break;
        records.emplace_back(words.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                             words.begin() + static_cast<std::ptrdiff_t>(i + n) + 1);
        i += n + 1;
    }
    return records;
}

Record stored_record(int32_t k) {
    Record r;
    const int32_t n = static_cast<int32_t>(core::ItemStore(core::ItemStartTable(k)));
    for (int32_t j = 1; j <= n; ++j) r.push_back(stored_param(k, j));
    return r;
}

void write_command_file(const std::string& name, const std::vector<std::string>& lines) {
    std::ofstream file(name);
    for (const std::string& line : lines) file << line << '\n';
}

class CommandFileEditingTest : public ConsoleSessionTest {
  protected:
    // A fresh engine in the same folder, as after a new start of the program.
    void restart() {
        core::close_all_units();
        core::reset_engine();
        core::reset_service_gate();
    }

    // A document name not used before in this folder (no write-over question).
    std::string new_document_name() { return "page" + std::to_string(++saves_) + ".mus"; }

    // The page of kStaffAndSlurs with `lines` typed, then saved; its records.
    std::vector<Record> typed_road(const std::vector<std::string>& lines) {
        restart();
        const std::string name = new_document_name();
        std::vector<std::string> all = kStaffAndSlurs;
        all.insert(all.end(), lines.begin(), lines.end());
        all.push_back("SA " + name);
        typed_output_ = type(all);
        return saved_records(name);
    }

    // The page of kStaffAndSlurs saved, read again by G, then `lines` typed and saved; its
    // records.
    std::vector<Record> loaded_road(const std::vector<std::string>& lines) {
        restart();
        const std::string base = new_document_name();
        std::vector<std::string> page = kStaffAndSlurs;
        page.push_back("SA " + base);
        type(page);
        restart();
        const std::string name = new_document_name();
        std::vector<std::string> all = {"G " + base};
        all.insert(all.end(), lines.begin(), lines.end());
        all.push_back("SA " + name);
        loaded_output_ = type(all);
        return saved_records(name);
    }

    // The same page with `lines` read from a command file by RE (the page is then left as the
    // file left it, unsaved).
    void read_lines(const std::vector<std::string>& lines) {
        restart();
        write_command_file("edit.txt", lines);
        type(kStaffAndSlurs);
        read_output_ = type({"RE edit.txt"});
    }

    // read_lines, then saved; its records.
    std::vector<Record> file_road(const std::vector<std::string>& lines) {
        read_lines(lines);
        const std::string name = new_document_name();
        type({"SA " + name});
        return saved_records(name);
    }

    int saves_ = 0;
    std::string typed_output_;
    std::string read_output_;
    std::string loaded_output_;
};

// The lines of the report: "X" stores the item the file changed, as typed "X" does, and UNDO
// then gives the page back as it was before the file.
TEST_F(CommandFileEditingTest, XInAFileStoresTheEditedItem) {
    const std::vector<std::string> lines = {"I 2", ",,,9", "X"};
    const std::vector<Record> typed = typed_road(lines);
    const std::vector<Record> read = file_road(lines);
    const std::vector<Record> expected = {kStaff, {5, 1, 20, 9, 7, 40, 1}, kSecondSlur};
    EXPECT_EQ(typed, expected) << typed_output_;
    EXPECT_EQ(read, expected) << read_output_;
    EXPECT_EQ(core::EditedItemNumber, 0);

    read_lines(lines);
    type({"UNDO"});
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(stored_record(2), kFirstSlur);
}

// A line of numbers while an item is edited is a pair list for it, not a new item.
TEST_F(CommandFileEditingTest, NumberLineInAFileChangesTheEditedItem) {
    const std::vector<std::string> lines = {"I 2", "4 9", "X"};
    const std::vector<Record> typed = typed_road(lines);
    const std::vector<Record> read = file_road(lines);
    const std::vector<Record> expected = {kStaff, {5, 1, 20, 9, 7, 40, 1}, kSecondSlur};
    EXPECT_EQ(typed, expected) << typed_output_;
    EXPECT_EQ(read, expected) << read_output_;

    read_lines(lines);
    type({"UNDO"});
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(stored_record(2), kFirstSlur);
    EXPECT_EQ(stored_record(3), kSecondSlur);
}

// The other item-editing words from a file, each compared with the same lines typed.
TEST_F(CommandFileEditingTest, EditingWordsInAFileActAsTyped) {
    struct Case {
        std::vector<std::string> lines;
        Record second;       // item 2 as saved
        Record third;        // item 3 as saved
        Record fourth = {};  // a copy, when one is made
    };
    const std::vector<Case> cases = {
        // "N" stores the item and takes the next one.
        {{"I 2", ",,,9", "N", ",,,8", "X"}, {5, 1, 20, 9, 7, 40, 1}, {5, 1, 30, 8, 7, 50, 1}},
        // "I 3" while item 2 has changes: stored, and item 3 is edited next.
        {{"I 2", ",,,9", "I 3", ",,,,,,2", "X"}, {5, 1, 20, 9, 7, 40, 1}, {5, 1, 30, 5, 7, 50, 2}},
        // An end word, then a step word with its number: the right end moves.
        {{"I 2", "RGT", "R 5", "X"}, {5, 1, 20, 5, 7, 45, 1}, kSecondSlur},
        // The slider.
        {{"I 2", "QP6", "PCHNG11", "PCHNG8", "X"}, {5, 1, 20, 5, 7, 50.5f, 1}, kSecondSlur},
        // An arithmetic line.
        {{"I 2", "5 P 4+1", "X"}, {5, 1, 20, 5, 6, 40, 1}, kSecondSlur},
        // A key code: Right.
        {{"I 2", "~~039", "X"}, {5, 1, 21, 5, 7, 41, 1}, kSecondSlur},
        // "ab" leaves item 3 unchanged; lower-case words.
        {{"i 3", "ab", "i 2", ",,,,,,2", "x"}, {5, 1, 20, 5, 7, 40, 2}, kSecondSlur},
        // "ST" stores the item before it runs.
        {{"I 2", ", , ,9", "ST"}, {5, 1, 20, 9, 7, 40, 1}, kSecondSlur},
        // P13 keeps its fraction: the half and fifth steps of marks and brackets.
        {{"I 2", "13 0.5", "X"}, {5, 1, 20, 5, 7, 40, 1, 0, 0, 0, 0, 0, 0.5f}, kSecondSlur},
        {{"I 3", "13 1.5", "X"}, kFirstSlur, {5, 1, 30, 5, 7, 50, 1, 0, 0, 0, 0, 0, 1.5f}},
        {{"I 2", "13 0.2", "X"}, {5, 1, 20, 5, 7, 40, 1, 0, 0, 0, 0, 0, 0.2f}, kSecondSlur},
        {{"I 2", "1300 0.6", "X"}, {5, 1, 20, 5, 7, 40, 1, 0, 0, 0, 0, 0, 0.6f}, kSecondSlur},
        // The copy words: the changes go to a new last item, the stored one stays, and the item
        // named (C* n), the one after (CX) or the copy (CC) is edited next.
        {{"I 2", "4 9", "C* 3", "4 8", "X"},
         kFirstSlur,
         {5, 1, 30, 8, 7, 50, 1},
         {5, 1, 20, 9, 7, 40, 1}},
        {{"I 2", "4 9", "CX", "4 8", "X"},
         kFirstSlur,
         {5, 1, 30, 8, 7, 50, 1},
         {5, 1, 20, 9, 7, 40, 1}},
        {{"I 2", "4 9", "CC", "4 8", "X"}, kFirstSlur, kSecondSlur, {5, 1, 20, 8, 7, 40, 1}},
        // "B" steps back yet the reply still shows the forward direction: CX goes on forward.
        {{"I 3", "B", "4 9", "CX", "4 8", "X"},
         kFirstSlur,
         {5, 1, 30, 8, 7, 50, 1},
         {5, 1, 20, 9, 7, 40, 1}},
        // Refused without changes: the next line changes the item still edited.
        {{"I 2", "CX", "4 8", "X"}, {5, 1, 20, 8, 7, 40, 1}, kSecondSlur},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& line : c.lines) shown += line + " | ";
        std::vector<Record> expected = {kStaff, c.second, c.third};
        if (!c.fourth.empty()) expected.push_back(c.fourth);
        const std::vector<Record> typed = typed_road(c.lines);
        EXPECT_EQ(typed, expected) << shown << typed_output_;
        const std::vector<Record> read = file_road(c.lines);
        EXPECT_EQ(read, typed) << shown << read_output_;
        EXPECT_EQ(core::ItemCount, static_cast<int32_t>(expected.size())) << shown;
        EXPECT_EQ(loaded_road(c.lines), expected) << shown << loaded_output_;
    }
}

// What only a file has: a trailing comment is no part of the line, and a blank line is
// skipped (a file says "N" where a typed blank line would).
TEST_F(CommandFileEditingTest, CommentsAndBlankLinesInAFileWhileEditing) {
    const std::vector<Record> read = file_road({"I 2", "", ",,,9 %the slur's left end", "X"});
    EXPECT_EQ(read, (std::vector<Record>{kStaff, {5, 1, 20, 9, 7, 40, 1}, kSecondSlur}))
        << read_output_;
    EXPECT_EQ(read_output_.find("unknown word"), std::string::npos) << read_output_;
}

// A file that ends (or reaches its "*" line) with the item still edited leaves the edit as the
// same lines typed leave it: the change kept, not yet stored, the item still edited; "X" typed
// next stores it, "AB" abandons it.
TEST_F(CommandFileEditingTest, FileEndingWhileEditingKeepsTheChange) {
    for (const std::string& end : {std::string(), std::string("*")}) {
        restart();
        std::vector<std::string> lines = {"I 2", ",,,9"};
        if (!end.empty()) lines.insert(lines.end(), {end, "X"});
        write_command_file("edit.txt", lines);
        type(kStaffAndSlurs);
        const std::string out = type({"RE edit.txt"});
        EXPECT_EQ(core::EditedItemNumber, 2) << out;
        EXPECT_EQ(core::EditItemParams(4), 9.0f) << out;
        EXPECT_EQ(stored_record(2), kFirstSlur) << out;
        EXPECT_EQ(edit::EditChangesPending, 1) << out;
        EXPECT_NE(out.find("P4=   9.000"), std::string::npos) << out;

        const std::string name = new_document_name();
        type({"X", "SA " + name});
        EXPECT_EQ(saved_records(name),
                  (std::vector<Record>{kStaff, {5, 1, 20, 9, 7, 40, 1}, kSecondSlur}));
    }

    // Abandoned after the file, the item is as stored before.
    restart();
    write_command_file("edit.txt", {"I 2", ",,,9"});
    type(kStaffAndSlurs);
    type({"RE edit.txt", "AB", "SA dropped.mus"});
    EXPECT_EQ(saved_records("dropped.mus"), (std::vector<Record>{kStaff, kFirstSlur, kSecondSlur}));

    // A file that only opens the item leaves it edited, as stored.
    restart();
    write_command_file("edit.txt", {"I 3"});
    type(kStaffAndSlurs);
    const std::string out = type({"RE edit.txt"});
    EXPECT_EQ(core::EditedItemNumber, 3) << out;
    EXPECT_EQ(edit::EditChangesPending, 0) << out;
    EXPECT_EQ(core::EditItemParams(6), 50.0f) << out;
}

// RE inside a file while an item is edited goes on with the next file, the item still edited.
TEST_F(CommandFileEditingTest, FileChainedWhileEditing) {
    write_command_file("next.txt", {",,,,,,3", "X"});
    const std::vector<std::string> lines = {"I 2", ",,,9", "RE next.txt", "I 3"};
    const std::vector<Record> read = file_road(lines);
    EXPECT_EQ(read, (std::vector<Record>{kStaff, {5, 1, 20, 9, 7, 40, 3}, kSecondSlur}))
        << read_output_;
    EXPECT_EQ(core::EditedItemNumber, 0);
    read_lines(lines);
    type({"UNDO"});
    EXPECT_EQ(stored_record(2), kFirstSlur);
}

}  // namespace
