#include "engine/edit/pages/m_commands.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/title_line.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/preferences.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/edit/areas/box_input.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/areas/group_transfer.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/pages/measure_numbers.h"
#include "engine/edit/pages/music_directory.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace edit {

core::Array1<int32_t, 3> EditModeWords;

namespace {

using core::CommandLine;
using core::ItemStore;
using core::MessageLine;
using core::ParamBuffer;
using core::PendingBoxOperation;

constexpr int32_t kYes = -1;
constexpr int32_t kExit = -2;
constexpr int32_t kDialogExit = 2;
constexpr int32_t kSourceWait = 9;
constexpr int32_t kDestinationWait = 10;
constexpr int32_t kLowestStaff = 1;
constexpr int32_t kP3Only = 1;
constexpr int32_t kP3AndEnds = 2;
constexpr float kDisplayUnitsPerPosition = 150.0f;

constexpr std::string_view kSourcePrompt =
    "Enter Lowest Staff# of system and how many staves in system - or Draw Box.";
constexpr std::string_view kDestinationPrompt = "Enter Bottom Staff# of New System -- or Draw Box.";

// What a system move or copy has learnt between its lines.
struct SystemMoveState {
    bool copy = false;
    int32_t low = 0;
    int32_t high = 0;
};
SystemMoveState SystemMove;

// The stretch of a box between new edges: the offsets typed last stay for the next call.
struct EdgeStretchState {
    int32_t calls = 0;
    float left_offset = 0.0f;
    float right_offset = 0.0f;
};
EdgeStretchState EdgeStretch;

// Whether the word is two letters long: the scan leaves "*" for each number after it.
bool two_letter_word() {
    const char third = CommandLine(3);
    return third == ' ' || third == '*';
}

bool page_drawn() {
    return core::OutputBufferViews.graphics.bound() && core::OutputBufferViews.text.bound();
}

void redraw_page() {
    if (core::ItemCount > 0 && page_drawn()) render::redraw_items();
}

void ask(std::string_view prompt) {
    core::leave_reply(core::ReplyKind::Question, prompt);
    core::SecondLine = MessageLine;
}

// Every end of a system move: nothing pending, the page waiting for a command again.
void end_system_move() {
    PendingBoxOperation = 0;
    PendingBoxStep = 0;
    core::set_engine_wait_level(-1);
    redraw_page();
    core::refresh_screen();
    show_item_palette(core::kGeneralPalette);
}

// True when every selected item's staff plus staves stays on 1..256; shift_selection would
// refuse the rest, but a copy must be refused before its copies are made.
bool selection_fits(int32_t staves) {
    for (int32_t j = 1; j <= SelectionList.count; ++j) {
        const int32_t e = SelectionList.entries(j);
        if (e <= 0) continue;
        const int32_t staff = core::int_of(ItemStore(e - 1)) + staves;
        if (staff < kLowestStaff || staff > layout::kMaxStaves) return false;
    }
    return true;
}

// Moves (or copies, then moves the copies) every item on staves low..high to the system whose
// bottom staff is destination. A destination above MaxStaffNumber, an empty system or a move
// that would take a staff off 1..256 changes nothing. The undo copy is taken before any copy
// is appended, so UNDO takes the copies away too.
void carry_out_system_move(int32_t destination) {
    const SystemMoveState& move = SystemMove;
    if (destination > layout::MaxStaffNumber) return;
    SelectionBox.low_staff = move.low;
    SelectionBox.high_staff = move.high;
    SelectionBox.left = 0.0f;
    SelectionBox.right = render::PageExtent;
    SelectionBox.letter = kP3Only;
    SelectionBox.first_item = 1;
    SelectionBox.last_item = core::ItemCount;
    select_box_items();
    if (SelectionList.count == 0) return;
    const int32_t staves = destination - move.low;
    if (!selection_fits(staves)) {
        core::report_failure("*** The system would leave staves 1 to 256: nothing moved.");
        return;
    }
    // The room is checked before the undo copy: a refused copy leaves the undo state alone.
    if (move.copy && !selection_copies_fit(1)) return;
    core::save_undo_copy();
    if (move.copy) append_selected_copies();
    shift_selection(staves);
    core::ChangesMadeFlag = 1;
    core::update_title_line(core::CurrentFileName);
}

// The word's own name, for its refusals.
std::string_view system_word() { return SystemMove.copy ? "CS" : "MS"; }

// A system line that is no system, or one off the staves, named: the word ends, and a command
// file stops, its next line having been meant for the word.
void refuse_system_line(const std::string& refusal) {
    refuse_box_line(refusal, system_word(), false);
}

// The system in a line read whole (in ParamBuffer): its lowest staff in low and its staff count
// (the line's second number, or fixed_count when that is not 0) in count. False when the word
// ends: an empty line, "B" or staff 0 quietly, a line that is no system or lies off the staves
// named.
bool take_system_line(const BoxLineReading& line, const std::string& given, int32_t fixed_count,
                      int32_t& low, int32_t& count) {
    if (line.kind == BoxLineKind::Refused) {
        refuse_system_line(line.refusal);
        return false;
    }
    if (line.kind == BoxLineKind::NoBox || core::int_of(ParamBuffer(1)) == 0) return false;
    low = core::int_of(ParamBuffer(1));
    int32_t given_count = core::int_of(ParamBuffer(2));
    // "ALL" read where no system question is pending (a command file's line) is read as a box:
    // its highest staff stands in P4.
    std::string word = given.substr(std::min(given.find_first_not_of(' '), given.size()));
    word.erase(std::min(word.find(' '), word.size()));
    for (char& ch : word) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (word == "ALL" && given_count == 0 && ParamBuffer(4) != 0.0f) {
        given_count = core::int_of(ParamBuffer(4)) - low + 1;
    }
    count = fixed_count != 0 ? fixed_count : std::max(given_count, 1);
    if (staff_count_on_staves(low, count)) return true;
    refuse_box_off_staves(given);
    return false;
}

// The command file's next line as a system (see take_system_line); false too when the file has
// ended.
bool read_file_system(int32_t fixed_count, int32_t& low, int32_t& count) {
    std::string as_read;
    core::read_line_from_command_file(&as_read);
    if (core::MacroUnit == 0) return false;
    return take_system_line(read_scanned_box_line(as_read), as_read, fixed_count, low, count);
}

// The source system from a typed or drawn answer; false when the answer cancels.
bool read_source_answer() {
    const char first = CommandLine(1);
    if (first == '|' || first == '~') {
        if (!read_drawn_box()) return false;
        SystemMove.low = core::int_of(ParamBuffer(1));
        SystemMove.high = std::max(core::int_of(ParamBuffer(4)), SystemMove.low);
        return true;
    }
    const std::string given = answer_as_given();
    int32_t low = 0;
    int32_t count = 0;
    if (!take_system_line(read_box_line(), given, 0, low, count)) return false;
    SystemMove.low = low;
    SystemMove.high = low + count - 1;
    return true;
}

// The system box as the confirmation shows it: lowest staff and staff count, which box input
// reads for this wait.
void put_system_box() {
    ParamBuffer(1) = static_cast<float>(SystemMove.low);
    ParamBuffer(2) = static_cast<float>(SystemMove.high - SystemMove.low + 1);
    ParamBuffer(3) = 0.0f;
    ParamBuffer(4) = 0.0f;
}

void take_source() {
    if (!read_source_answer()) {
        end_system_move();
        return;
    }
    put_system_box();
    int32_t answer = 0;
    confirm_box(answer, 0, system_word());
    if (answer == kExit) {
        end_system_move();
        return;
    }
    if (answer != kYes) {
        clear_drawn_box();
        ask(kSourcePrompt);
        return;
    }
    SelectionBox.low_staff = SystemMove.low;
    SelectionBox.high_staff = SystemMove.high;
    SelectionBox.left = 0.0f;
    SelectionBox.right = render::PageExtent;
    PendingBoxOperation = kDestinationWait;
    ask(kDestinationPrompt);
    // The source's marking set the level for its question: the destination is dragged anew.
    clear_drawn_box();
}

void take_destination() {
    const char first = CommandLine(1);
    if (first == '|' || first == '~') {
        if (!read_drawn_box()) {
            end_system_move();
            return;
        }
    } else {
        // An empty line, "B", staff 0 or a word ends the word as at the source question: read
        // as a staff-0 box, each was asked about and the script's next line taken as the answer.
        const std::string given = answer_as_given();
        int32_t bottom = 0;
        int32_t count = 0;
        if (!take_system_line(read_box_line(), given, SystemMove.high - SystemMove.low + 1, bottom,
                              count)) {
            end_system_move();
            return;
        }
        ParamBuffer(2) = 0.0f;
        ParamBuffer(3) = 0.0f;
        ParamBuffer(4) = 0.0f;
        show_typed_box();
        ParamBuffer(1) = static_cast<float>(bottom);
    }
    const int32_t destination = core::int_of(ParamBuffer(1));
    int32_t answer = 0;
    confirm_box(answer, 1, system_word());
    if (answer == kExit) {
        end_system_move();
        return;
    }
    if (answer != kYes) {
        ask(kDestinationPrompt);
        return;
    }
    carry_out_system_move(destination);
    end_system_move();
}

}  // namespace

// Contract: the M words (and "CS") by their letters: "MN" measure numbers, "MT" texts at one
// level, "MS"/"CS" a system move or copy (third letter "E": nothing), "MA..." a macro file
// ("MAKEDIR" is the interpreter's), "MB" alone the previous music directory entry, "MG" the
// next, "MG n" entry n (-1 the dialog), "MC" the edit-mode words, "MET..." metric units. Any
// other word does nothing. Reads CommandLine, CommandModeLetters, ParamBuffer.
void run_m_command() {
    const char second = CommandLine(2);
    const int32_t letter1 = core::CommandModeLetters(1);
    const int32_t letter2 = core::CommandModeLetters(2);
    if (second == 'N') {
        measure_numbers();
        return;
    }
    if (CommandLine.starts_with("MT")) {
        move_texts_at_level();
        return;
    }
    if (letter1 < 'F' || letter2 == 'S' || letter2 == ' ') {
        if (CommandLine(3) != 'E') move_system();
        return;
    }
    switch (letter2) {
        case 'A':
            if (!CommandLine.starts_with("MAKEDIR")) core::open_macro_file();
            return;
        case 'B':
            // Only the word alone: "MBLM" and the like are other commands' words.
            if (two_letter_word()) music_directory_dialog(-99);
            return;
        case 'G': {
            if (!two_letter_word()) return;
            const int32_t entry = core::int_of(ParamBuffer(2));
            music_directory_dialog(entry == 0 ? -98 : entry);
            return;
        }
        case 'C':
            EditModeWords(1) = 1;
            EditModeWords(2) = 0;
            EditModeWords(3) = 0;
            return;
        case 'E':
            if (CommandLine(3) != 'T') return;
            core::MetricFlag = 1;
            if (core::PreferencesHooks.format_units_message != nullptr)
                core::PreferencesHooks.format_units_message();
            core::ChangesMadeFlag = 1;
            return;
        default:
            return;
    }
}

// Contract: one step of "MS"/"CS" by PendingBoxOperation: the first call asks for the source
// system (9), the next takes it and asks for the destination (10), the last moves or copies.
// In a command file the next two lines give source (P1 lowest staff, P2 staff count) and
// destination (P1) at once. Writes PendingBoxOperation, SelectionBox, SelectionList, the store.
void move_system() {
    const int32_t state = PendingBoxOperation;
    if (state == kSourceWait) {
        take_source();
        return;
    }
    if (state == kDestinationWait) {
        take_destination();
        return;
    }
    SystemMove = SystemMoveState{};
    SystemMove.copy = CommandLine(1) == 'C';
    if (core::MacroUnit != 0) {
        // The file's next two lines give the system and its destination; no one confirms them.
        const auto done = [] {
            PendingBoxOperation = 0;
            redraw_page();
        };
        int32_t low = 0;
        int32_t count = 0;
        if (!read_file_system(0, low, count)) return done();
        SystemMove.low = low;
        SystemMove.high = low + count - 1;
        int32_t bottom = 0;
        if (!read_file_system(count, bottom, count)) return done();
        carry_out_system_move(bottom);
        return done();
    }
    clear_drawn_box();
    PendingBoxOperation = kSourceWait;
    ask(kSourcePrompt);
}

// Contract: "MT staff level step": every text (16) and line (4) on the staff whose P4 lies
// within 2.0 of level moves by step (0: -1.0) in P4, a line also in P5. None: "Text not
// found." and nothing changes. An undo copy is saved before the first change.
void move_texts_at_level() {
    const int32_t staff = core::int_of(ParamBuffer(2));
    const float level = ParamBuffer(3);
    const float step = ParamBuffer(4) == 0.0f ? -1.0f : ParamBuffer(4);
    std::vector<int32_t> found;
    for (int32_t i = 1; i <= core::ItemCount; ++i) {
        const int32_t s = core::ItemStartTable(i);
        const int32_t n = core::int_of(ItemStore(s));
        if (n < 4) continue;
        const int32_t code = core::int_of(ItemStore(s + 1));
        if ((code != 16 && code != 4) || core::int_of(ItemStore(s + 2)) != staff) continue;
        const float height = ItemStore(s + 4);
        if (height >= level - 2.0f && height <= level + 2.0f) found.push_back(s);
    }
    if (found.empty()) {
        core::report_failure("Text not found.");
        return;
    }
    core::save_undo_copy();
    for (const int32_t s : found) {
        ItemStore(s + 4) += step;
        if (core::int_of(ItemStore(s + 1)) == 4 && core::int_of(ItemStore(s)) >= 5)
            ItemStore(s + 5) += step;
    }
    core::ChangesMadeFlag = 1;
    redraw_page();
    core::refresh_screen();
}

// Contract: the box in ParamBuffer (P1 lower staff, P2 left, P3 right (0: PageExtent), P4
// upper staff): its items (P3 and the further horizontal words inside) keep their place as a
// fraction of the box width while the "Steps to move" dialog moves the edges, until Exit. A
// box with no width is refused with a message. An undo copy is saved before the first change;
// an Exit before any step leaves the store exactly as it was.
// Ends with "X" as the first letter of CommandLine, so the box operation ends.
void adjust_box_edges() {
    ++EdgeStretch.calls;
    const int32_t low = core::int_of(ParamBuffer(1));
    float left = ParamBuffer(2);
    float right = ParamBuffer(3) == 0.0f ? render::PageExtent : ParamBuffer(3);
    const int32_t high = std::max(core::int_of(ParamBuffer(4)), low);
    auto finish = [] {
        CommandLine(1) = 'X';
        EdgeStretch.calls = 0;
    };
    if (right - left <= 0.0f) {
        core::report_failure("*** The box has no width: nothing stretched.");
        finish();
        return;
    }
    // The selection grows short items and fills a staff's open end: an Exit before the first
    // step puts the page back as it was.
    core::StoreSnapshot before;
    before.take();
    select_box_range(low, high, left, right, kP3AndEnds);
    if (SelectionList.count == 0) {
        before.restore();
        finish();
        return;
    }
    struct Place {
        int32_t word;
        float fraction;
    };
    std::vector<Place> places;
    places.reserve(static_cast<std::size_t>(SelectionList.count));
    for (int32_t j = 1; j <= SelectionList.count; ++j) {
        const int32_t e = SelectionList.entries(j);
        const int32_t word = e > 0 ? e : -e;
        places.push_back({word, (ItemStore(word) - left) / (right - left)});
    }
    bool saved = false;
    for (;;) {
        core::Array1<float, 4> box;
        box(1) = left;
        box(2) = EdgeStretch.left_offset;
        box(3) = right;
        box(4) = EdgeStretch.right_offset;
        if (core::front_end().RunStepsToMoveDialog(box) == kDialogExit) break;
        EdgeStretch.left_offset = box(2);
        EdgeStretch.right_offset = box(4);
        const float new_left = left + EdgeStretch.left_offset;
        const float new_right = right + EdgeStretch.right_offset;
        if (EdgeStretch.left_offset != 0.0f || EdgeStretch.right_offset != 0.0f) {
            if (!saved) core::save_undo_copy();
            saved = true;
            core::ChangesMadeFlag = 1;
        }
        for (const Place& p : places)
            ItemStore(p.word) = new_left + p.fraction * (new_right - new_left);
        left = new_left;
        right = new_right;
        core::MouseRegion(4) = core::int_of(left * kDisplayUnitsPerPosition);
        core::MouseRegion(2) = core::int_of(right * kDisplayUnitsPerPosition);
        redraw_page();
        draw_box_outline(1);
        core::refresh_screen();
    }
    if (!saved) before.restore();
    finish();
}

}  // namespace edit
