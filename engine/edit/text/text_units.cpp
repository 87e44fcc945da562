// The units of an entered text line: their records, placement and connector lines.
#include "engine/edit/text/text_units.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/text/text_command.h"
#include "engine/input/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "engine/render/text/text_escapes.h"

namespace edit {

core::Array1<float, kNoteNumberEntries> NoteNumberList;
int32_t TextUnitCounter = 0;
int32_t ConnectorDirection = 0;
int32_t BracketMode = 0;
int32_t TextStopWord = 0;

namespace {

using core::ItemStore;
using core::ParamBuffer;

constexpr float kSamePosition = 0.005f;  // notes closer than this share a number
constexpr float kTextMargin = 3.17f;
constexpr float kDashWriteFactor = 0.85714f;
constexpr float kOneDashRun = 0.02f;  // a run this short draws its first dash only
constexpr float kNoRightUnit = 9999.0f;
constexpr float kNoLeftUnit = -9999.0f;
constexpr float kCentredFrom = 700.0f;  // a starting x from here on centres the line there
constexpr int32_t kCancelMark = -999;
constexpr int kAnswerRangeChars = 220;
constexpr float kRangeMark = 77.0f;
constexpr float kContinueMark = 99.0f;
constexpr int32_t kPlacingState = 111;

// The placement of one line: the numbered notes and the last note a unit took.
struct PlacementState {
    std::vector<float> notes;
    bool shown = false;
    int32_t saved_column_mark = 0;
    float last_used = 0.0f;
    bool unplaced = false;  // the last unit's note is not on the staff
    const TextLineEntry* entry = nullptr;
};
PlacementState Placement;

float staff_scale(int32_t staff) {
    if (staff < 1 || staff > layout::kMaxStaves) return 0.0f;
    return layout::StaffTables.StaffScale(staff);
}

float stored(int32_t start, int32_t p) { return ItemStore(start + p); }

bool is_doubled_mark(const std::string& unit) {
    for (const char* mark : {"[[", "]]", "!!", "??"})
        if (unit.find(mark) != std::string::npos) return true;
    return false;
}

// The direction a doubled mark opens: 1 hyphen ("[[" and "!!"), -1 extender ("]]" and "??").
int32_t mark_direction(const std::string& unit) {
    return unit.find("]]") != std::string::npos || unit.find("??") != std::string::npos ? -1 : 1;
}

// The line of units as the note-number dialog shows it: the first unit's font escape left out,
// two blanks before every doubled mark and every "/".
std::string shown_units(const std::string& line) {
    std::string text = line;
    if (text.size() >= 3 && text[0] == '_') text.erase(0, 3);
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool mark = i + 1 < text.size() && text[i + 1] == c &&
                          (c == '[' || c == ']' || c == '!' || c == '?');
        if (c == '/' || mark) shown += "  ";
        shown += c;
        if (mark) shown += text[++i];
    }
    return shown.substr(0, 512);
}

constexpr const char* kNoteNumberPrompt = "Type note number for each text unit.";

// A decimal written whole: [-]digits[.digits] or [-].digits.
bool is_plain_number(const std::string& word) {
    std::size_t k = word.size() > 1 && word[0] == '-' ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (; k < word.size(); ++k) {
        if (std::isdigit(static_cast<unsigned char>(word[k])) != 0) {
            digits = true;
        } else if (word[k] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

// Whether every word of a note-number answer is a number: words part at blanks, commas and the
// range marks (":" and "'").
bool is_note_number_answer(const std::string& answer) {
    std::string word;
    for (std::size_t i = 0; i <= answer.size(); ++i) {
        const char c = i < answer.size() ? answer[i] : ' ';
        if (c == ' ' || c == '\t' || c == ',' || c == ':' || c == '\'') {
            if (!word.empty() && !is_plain_number(word)) return false;
            word.clear();
        } else {
            word += c;
        }
    }
    return true;
}

// The answer to the note-number question: from the command file's next record, or from the
// dialog (a blank record or a read error hands the question to the console). False when the
// user cancelled.
bool ask_note_numbers(std::string& answer) {
    if (core::MacroUnit != 0) {
        std::string record;
        if (core::next_command_file_answer_record(record)) {
            // X alone is the question's Cancel, in a command file as at the console.
            const std::size_t first = record.find_first_not_of(" \t");
            if (first == record.find_last_not_of(" \t") &&
                (record[first] == 'X' || record[first] == 'x'))
                return false;
            answer = record.substr(0, 512);
            return true;
        }
        core::MacroUnit = 0;
    }
    LastTextLine.set(shown_units(Placement.entry->line));
    if (core::front_end().RunTextUnitsDialog(LastTextLine) == 2) return false;
    answer = core::MessageLine.c_text();
    // X alone is Cancel whichever front end took it: a dialog's field hands it over as typed.
    if (core::is_bare_x(answer)) {
        core::clear_exchange_text();
        return false;
    }
    return true;
}

// Half the width of the first or last character entry of the unit just measured.
float half_char_width(bool last) {
    const auto& list = render::TextCodeList;
    const float scale = ParamBuffer(5) == 0.0f ? 1.0f : ParamBuffer(5);
    for (int32_t i = 0; i < list.count; ++i) {
        const int32_t k = last ? list.count - i : i + 1;
        const int32_t code = list.code(k);
        if (render::is_font_change_code(code) || render::is_move_code(code)) continue;
        return 0.5f * list.width(k) * scale;
    }
    return 0.0f;
}

// The stored characters of the text record at start.
std::string record_text(int32_t start) {
    const int32_t n = core::int_of(stored(start, 0));
    const int32_t header = stored(start, 14) == -1.0f ? 16 : 13;
    const int32_t chars = core::int_of(stored(start, 12));
    std::string text(static_cast<std::size_t>(std::max(0, (n - header) * 4)), ' ');
    if (!text.empty()) std::memcpy(text.data(), ItemStore.at(start + header + 1), text.size());
    text.resize(static_cast<std::size_t>(std::clamp<int32_t>(chars, 0, (n - header) * 4)));
    return text;
}

// The vertical offset of a unit under its note.
float offset_under_note(int32_t start) {
    const float scale = staff_scale(core::int_of(stored(start, 2)));
    const float width = stored(start, 13);
    if (BracketMode == 0) {
        const float d = width < 8.0f ? std::min(0.0f, 6.65f - width) : -1.35f;
        return scale * d / 25.0f;
    }
    float offset = scale * 0.064f - width * 0.5f;
    if (BracketMode == -1) {
        const std::string text = record_text(start);
        const std::string body = text.size() >= 3 && text[0] == '_' ? text.substr(3) : text;
        if (!text.empty() && std::string("NL$%BCDE").find(text.back()) != std::string::npos)
            offset += half_char_width(true);
        if (!body.empty() &&
            (body[0] == 'N' || body[0] == 'h' || static_cast<unsigned char>(body[0]) == 128)) {
            offset -= half_char_width(false);
        }
    }
    return offset;
}

// Appends the connector line of ConnectorDirection from the unit at open_start to the one at
// close_start (0 = none). False when the store refused it.
bool make_connector(const TextLineEntry& e, int32_t open_start, int32_t close_start) {
    const bool hyphen = ConnectorDirection == 1;
    const bool single_dash = core::LyricDashCount == 1;
    std::array<float, 14> p{};
    p[0] = 4.0f;
    p[1] = static_cast<float>(e.staff);
    p[2] = ParamBuffer(3) + e.size;
    int32_t n = 6;
    p[3] = ParamBuffer(4);
    if (hyphen) {
        p[3] = ParamBuffer(4) + 0.8f * e.size;
        p[6] = 1.0f;
        n = single_dash ? 14 : 9;
        if (single_dash) p[13] = static_cast<float>(core::LyricDashCount);
    }
    p[4] = p[3];
    const float right =
        close_start != 0 ? stored(close_start, 3) + stored(close_start, 11) : kNoRightUnit;
    const float left =
        open_start != 0 ? stored(open_start, 3) + stored(open_start, 11) : kNoLeftUnit;
    const TextConnectorFit fit = fit_text_connector_line(open_start, close_start, e.staff,
                                                         hyphen ? 1.0f : 0.0f, left, right);
    p[2] = fit.start;
    p[5] = fit.end;
    if (hyphen) {
        p[7] = fit.dash;
        p[8] = fit.spacing;
    }
    ConnectorDirection = 0;
    return render::append_item(n, p.data(), static_cast<int32_t>(p.size()));
}

// Appends the text record of one unit; 0 when the store refused it, else its start word.
int32_t store_unit(const TextLineEntry& e, const std::string& unit) {
    std::string text = unit[0] == '_' ? unit : std::string(TextFontPrefix.view()) + unit;
    text.erase(text.find_last_not_of(' ') + 1);
    auto& p = ParamBuffer;
    p(1) = 16.0f;
    p(12) = static_cast<float>(text.size());
    core::IntParamBuffer(8) = core::int_of(p(8));
    render::decode_text_escapes(text, static_cast<int32_t>(text.size()));
    std::array<float, 16> record{};
    for (int k = 1; k <= 16; ++k) record[static_cast<std::size_t>(k - 1)] = p(k);
    render::EditTextBuffer.blank();
    render::EditTextBuffer.set(text);
    int32_t n = 13;
    if (!render::append_item(n, record.data(), static_cast<int32_t>(record.size()))) return 0;
    const std::size_t bar = text.rfind('_');
    if (bar != std::string::npos && bar + 2 < text.size())
        TextFontPrefix.set("_" + text.substr(bar + 1, 2));
    return core::ItemStartTable(core::ItemCount);
}

}  // namespace

std::vector<float> numbered_note_positions(int32_t staff) {
    const float left = layout::InputRangeStart;
    const float right = layout::InputRangeEnd != 0.0f ? layout::InputRangeEnd : render::PageExtent;
    std::vector<float> positions;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        if (core::int_of(ItemStore(s)) < 3 || core::int_of(ItemStore(s + 1)) != 1 ||
            core::int_of(ItemStore(s + 2)) != staff)
            continue;
        const float x = ItemStore(s + 3);
        if (x < left || x > right) continue;
        const auto at = std::lower_bound(positions.begin(), positions.end(), x - kSamePosition);
        if (at == positions.end() || std::fabs(*at - x) >= kSamePosition) positions.insert(at, x);
    }
    return positions;
}

void reset_text_units_state() { Placement = PlacementState{}; }

// Contract: the marks are the page redraw's new-note marks (DisplayMarkWord -1) over the notes
// of the staff from the first item on; InputColumnMark is parked until clear_note_numbers.
void show_note_numbers(int32_t staff) {
    Placement.notes = numbered_note_positions(staff);
    if (!Placement.shown) Placement.saved_column_mark = input::InputColumnMark;
    Placement.shown = true;
    input::InputColumnMark = 0;
    layout::StaffTables.CurrentStaff = staff;
    render::DisplayMarkWord = -1;
    if (core::OutputBufferViews.graphics.bound() && core::OutputBufferViews.text.bound()) {
        render::redraw_items();
        core::refresh_screen();
    }
}

void clear_note_numbers(bool redraw) {
    if (!Placement.shown) return;
    Placement.shown = false;
    render::DisplayMarkWord = 0;
    input::InputColumnMark = Placement.saved_column_mark;
    if (redraw && core::OutputBufferViews.graphics.bound() &&
        core::OutputBufferViews.text.bound()) {
        render::redraw_items();
        core::refresh_screen();
    }
}

// Contract: colons and apostrophes among the first 220 characters stand for ranges ("3:6" is
// 3, 4, 5, 6); numbers are runs of digits and points (a "-" before one makes it negative),
// anything else separates them. A first entry of 0 counts as 1, a first entry of 99 as the
// note after last_used; the first later 0 or 99 and every entry after it count on by one from
// the entry before. Entries past 45 are dropped.
void read_note_number_answer(const std::string& answer, float last_used) {
    std::string text;
    for (std::size_t i = 0; i < answer.size(); ++i) {
        const char c = answer[i];
        if (i < kAnswerRangeChars && (c == ':' || c == '\''))
            text += " 77 ";
        else
            text += c;
    }
    std::vector<float> numbers;
    for (std::size_t i = 0; i < text.size();) {
        const bool negative = text[i] == '-' && i + 1 < text.size() &&
                              (std::isdigit(static_cast<unsigned char>(text[i + 1])) != 0);
        if (!negative && std::isdigit(static_cast<unsigned char>(text[i])) == 0 && text[i] != '.') {
            ++i;
            continue;
        }
        int32_t pos = static_cast<int32_t>(i) + 1;
        numbers.push_back(core::parse_number(text, pos));
        const std::size_t next = static_cast<std::size_t>(pos) - 1;
        i = next > i ? next : i + 1;
    }
    std::vector<float> list;
    for (std::size_t i = 0; i < numbers.size() && list.size() < kNoteNumberEntries; ++i) {
        if (numbers[i] == kRangeMark && !list.empty() && i + 1 < numbers.size()) {
            const float to = numbers[++i];
            for (float v = list.back() + 1.0f; v <= to && list.size() < kNoteNumberEntries;
                 v += 1.0f)
                list.push_back(v);
            continue;
        }
        list.push_back(numbers[i]);
    }
    list.resize(kNoteNumberEntries, 0.0f);
    if (list[0] == 0.0f) list[0] = 1.0f;
    if (list[0] == kContinueMark) list[0] = std::floor(last_used) + 1.0f;
    for (std::size_t i = 1; i < list.size(); ++i) {
        if (list[i] != 0.0f && list[i] != kContinueMark) continue;
        for (std::size_t j = i; j < list.size(); ++j) list[j] = list[j - 1] + 1.0f;
        break;
    }
    for (int k = 1; k <= kNoteNumberEntries; ++k)
        NoteNumberList(k) = list[static_cast<std::size_t>(k - 1)];
}

// Contract: see the header. Reads the record of item ItemCount, TextUnitCounter, BracketMode,
// the note positions of show_note_numbers and MacroUnit (dropped to 0 when its answer record is
// blank or unreadable); writes NoteNumberList, the record's P3 and P11, TextUnitCounter (one
// on), LastTextLine (the units shown), IntParamBuffer(1), TextStopWord and MessageLine.
void place_text_unit_under_note() {
    const int32_t start = core::ItemStartTable(core::ItemCount);
    if (TextUnitCounter <= 1) {
        std::string answer;
        if (!ask_note_numbers(answer)) {
            core::IntParamBuffer(1) = kCancelMark;
            return;
        }
        const std::size_t first = answer.find_first_not_of(' ');
        const char lead = first == std::string::npos ? ' ' : answer[first];
        if (lead == '0') {
            core::IntParamBuffer(1) = kCancelMark;
            return;
        }
        if (lead == 'B' || lead == 'b' || lead == '^') {
            TextStopWord = 1;
            return;
        }
        // A line with a word in it answers nothing, on every road: a script's forgotten answer
        // would take its next command for note numbers, and a word typed in the window's field
        // would place every unit from the first note. It is named and ends the text.
        if (!is_note_number_answer(answer)) {
            std::string shown = answer.substr(first == std::string::npos ? 0 : first);
            shown.erase(shown.find_last_not_of(" \t") + 1);
            core::name_untaken_line("*** Not an answer to \"" + std::string(kNoteNumberPrompt) +
                                    "\": " + shown +
                                    " -- the text ended, its first unit unplaced.");
            core::IntParamBuffer(1) = kCancelMark;
            return;
        }
        read_note_number_answer(answer, Placement.last_used);
    }
    const int32_t u = std::max(TextUnitCounter, 1);
    // Past the list the units go on to the following notes.
    const float v = u <= kNoteNumberEntries ? NoteNumberList(u)
                                            : NoteNumberList(kNoteNumberEntries) +
                                                  static_cast<float>(u - kNoteNumberEntries);
    const int32_t note = core::int_of(v);
    const float fraction = v - static_cast<float>(note);
    const auto count = static_cast<int32_t>(Placement.notes.size());
    if (note < 1 || note > count || (fraction > 0.0f && note + 1 > count)) {
        // The answer asked for what the staff has not: the caller takes the unit back.
        core::name_untaken_line("*** Note " + std::to_string(note) +
                                " is not numbered on this staff: the rest of the text was not "
                                "placed.");
        Placement.unplaced = true;
        TextStopWord = 1;
        return;
    }
    float x = Placement.notes[static_cast<std::size_t>(note - 1)];
    if (fraction > 0.0f) x += fraction * (Placement.notes[static_cast<std::size_t>(note)] - x);
    ItemStore(start + 3) = x;
    ItemStore(start + 11) = offset_under_note(start);
    Placement.last_used = v;
    ++TextUnitCounter;
}

// Contract: see the header.
TextConnectorFit fit_text_connector_line(int32_t open_start, int32_t close_start, int32_t staff,
                                         float hyphen, float left, float right) {
    const int32_t ref = open_start != 0 ? open_start : close_start;
    float u = ref != 0 ? staff_scale(core::int_of(stored(ref, 2))) / 25.0f : 0.0f;
    if (u <= 0.0f) u = 1.0f;
    float k = ref != 0 ? stored(ref, 6) : 1.0f;
    if (k == 0.0f) k = 1.0f;
    const float dash_length = core::LyricDashSize;
    right = std::min(right, 201.0f);
    left = open_start != 0 ? left + stored(open_start, 13) : 0.0f;
    float end = right - kTextMargin * u * k;
    float base = left;
    TextConnectorFit fit;
    if (hyphen != 0.0f) {
        const float gap = right - left - kTextMargin * u * k;
        const int32_t dashes =
            core::LyricDashCount == 1 ? 1 : core::nint(gap / (25.0f * u * k)) + 1;
        const float spacing = (gap - dash_length * static_cast<float>(dashes) * u * k) /
                              static_cast<float>(dashes + 1);
        base = left + spacing;
        end += 0.2f * u;
        fit.dash = k * dash_length * kDashWriteFactor;
        fit.spacing = kDashWriteFactor * spacing / u;
    } else {
        bool found = false;
        float last_note = 0.0f;
        for (int32_t i = 1; i <= core::ItemCount; ++i) {
            const int32_t s = core::ItemStartTable(i);
            if (core::int_of(ItemStore(s)) < 3 || core::int_of(ItemStore(s + 1)) != 1 ||
                core::int_of(ItemStore(s + 2)) != staff || ItemStore(s + 3) > end - 4.0f)
                continue;
            if (!found || ItemStore(s + 3) > last_note) last_note = ItemStore(s + 3);
            found = true;
        }
        const float candidate = last_note + 4.0f * u;
        if (found && candidate < end && candidate > left + 2.0f) end = candidate;
    }
    fit.start = base + 1.5f * u;
    if (hyphen != 0.0f) fit.start = std::max(fit.start, left + 0.1f * u);
    if (end - base < 0.2f) end = base + 0.02f;
    fit.end = end;
    // At ordinary spacing the fitted start passes the end and the line would run back, drawing
    // nothing: one dash, centred between the syllables, stands for it. Syllables that touch keep
    // the fitted line.
    const float room = right - left;
    if (hyphen != 0.0f && fit.end - fit.start < 0.2f && room >= 0.2f) {
        const float dash = std::min(dash_length * u * k, 0.5f * room);
        fit.start = left + 0.5f * (room - dash);
        fit.end = fit.start + kOneDashRun;
        fit.dash = kDashWriteFactor * dash / u;
        fit.spacing = kDashWriteFactor * 0.5f * (room - dash) / u;
    }
    return fit;
}

namespace {

// The units of the line, one after another from ParamBuffer(3) or each under its note.
TextUnitsOutcome make_units_of_line(const TextLineEntry& e) {
    Placement.entry = &e;
    const std::string& line = e.line;
    const char divider = TextDividerChar;
    int32_t previous = 0;  // start word of the last text unit made
    std::size_t s = 0;
    while (s < line.size()) {
        std::size_t stop = s;
        while (stop < line.size() &&
               !(line[stop] == divider && (stop == 0 || line[stop - 1] != '_')))
            ++stop;
        const std::string unit = line.substr(s, stop - s);
        s = stop + 1;
        const bool last = s >= line.size();
        if (unit.empty()) continue;
        // The doubled marks join sung syllables; in any other text they are its characters.
        if (e.sung && is_doubled_mark(unit)) {
            ConnectorDirection = mark_direction(unit);
            if (BracketMode != 0 && ConnectorDirection == -1 && previous != 0)
                ItemStore(previous + 11) = 0.0f;
            if (last && !make_connector(e, previous, 0)) return TextUnitsOutcome::Refused;
            continue;
        }
        const int32_t start = store_unit(e, unit);
        if (start == 0) return TextUnitsOutcome::Refused;
        if (e.sung) {
            if (stored(start, 13) > 0.0f) {
                const int32_t state = core::CommandStateWord;
                core::CommandStateWord = kPlacingState;
                core::IntParamBuffer(1) = 0;
                Placement.unplaced = false;
                place_text_unit_under_note();
                core::CommandStateWord = state;
                // A cancel leaves the unit waiting for its note unplaced: it is taken back, as
                // below, and the units of lines already placed stay.
                if (core::IntParamBuffer(1) == kCancelMark) Placement.unplaced = true;
                if (Placement.unplaced) {
                    // A unit with no note would stand at the staff's start, over the brace: it
                    // leaves no item, and neither does a connector that would close on it.
                    render::AppendTargetItem = core::ItemCount;
                    render::rewind_store_to_item();
                    ConnectorDirection = 0;
                }
                if (core::IntParamBuffer(1) == kCancelMark) return TextUnitsOutcome::Cancelled;
                if (TextStopWord != 0) {
                    TextStopWord = 0;
                    return TextUnitsOutcome::Stopped;
                }
            } else {
                core::report_failure("This text has no printable characters --");
            }
        }
        if (ConnectorDirection != 0 && !make_connector(e, previous, start))
            return TextUnitsOutcome::Refused;
        previous = start;
        if (!e.sung) ParamBuffer(3) = stored(start, 3) + stored(start, 13) + 2.0f;
    }
    return TextUnitsOutcome::Done;
}

}  // namespace

// Contract: see the header. Writes the store (records appended, the P3 and P11 of placed and
// bracketed units, the P3 of a centred line's units), ParamBuffer (P1, P3 advanced, P12, P13),
// TextFontPrefix, ConnectorDirection, TextUnitCounter, TextStopWord, CommandStateWord (111
// while a unit is placed, then back).
TextUnitsOutcome make_text_units(const TextLineEntry& e) {
    const int32_t first = core::ItemCount + 1;
    const core::FixedText<3> prefix = TextFontPrefix;
    const TextUnitsOutcome outcome = make_units_of_line(e);
    if (outcome == TextUnitsOutcome::Refused) {
        // A line is kept whole or not at all: a part of it would read as the text typed.
        render::AppendTargetItem = first;
        render::rewind_store_to_item();
        TextFontPrefix = prefix;
        ConnectorDirection = 0;
        return outcome;
    }
    const int32_t last = core::ItemCount;
    if (e.sung || e.start_x < kCentredFrom || last < first) return outcome;
    // A centred line is centred whole: its units keep their spacing.
    const float left = stored(core::ItemStartTable(first), 3);
    const int32_t end_start = core::ItemStartTable(last);
    const float width = stored(end_start, 3) + stored(end_start, 13) - left;
    const float shift = core::amod(e.start_x, 1000.0f) - 0.5f * width - left;
    for (int32_t k = first; k <= last; ++k) ItemStore(core::ItemStartTable(k) + 3) += shift;
    return outcome;
}

}  // namespace edit
