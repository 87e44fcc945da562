#include "engine/input/live/midi_keyboard.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/input/live/live_notes.h"
#include "engine/input/live/live_rhythms.h"
#include "engine/input/tables.h"
#include "engine/input/typed/typed_items.h"
#include "engine/input/typed/typed_rhythms.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/page_redraw.h"

namespace input {

namespace {

constexpr int32_t kNoteOn = 144;
constexpr int32_t kNoteOff = 128;
constexpr int32_t kHighestKey = 120;
constexpr int32_t kFirstNoteKey = 48;
constexpr int32_t kKeys = 15;  // key indexes -7..+7

// One pitch name: letter 0..6 (C..B) and accidental code (0 none, 1 F, 2 S, 3 N, 4 FF, 5 SS).
struct Name {
    int8_t letter = 0;
    int8_t accidental = 0;
};
using NameRow = std::array<Name, 12>;

// The names of the 12 pitch classes in each key, seven flats to seven sharps.
constexpr std::array<std::string_view, kKeys> kNameTable = {
    "CN DF EFF EF FF FN GF GN AF BFF BF CF",  "CN DF DN EF FF F GF GN AF BFF BF CF",
    "C DF DN EF FF F GF GN AF AN BF CF",      "C DF DN EF EN F GF G AF AN BF CF",
    "C DF D EF EN F GF G AF AN BF BN",        "C DF D EF EN F FS G AF A BF BN",
    "C CS D EF E F FS G AF A BF BN",          "C CS D EF E F FS G GS A BF B",
    "C CS D DS E FN FS G GS A BF B",          "CN CS D DS E FN FS G GS A AS B",
    "CN CS D DS E ES FS GN GS A AS B",        "BS CS DN DS E ES FS GN GS A AS B",
    "BS CS DN DS E ES FS FSS GS AN AS B",     "BS CS CSS DS EN ES FS FSS GS AN AS B",
    "BS CS CSS DS EN ES FS FSS GS GSS AS BN",
};
constexpr std::string_view kLetters = "CDEFGAB";
constexpr std::array<const char*, 6> kSigns = {"", "F", "S", "N", "FF", "SS"};
// Letters in the order a key signature adds its sharps, and its flats.
constexpr std::array<int8_t, 7> kSharpOrder = {3, 0, 4, 1, 5, 2, 6};
constexpr std::array<int8_t, 7> kFlatOrder = {6, 2, 5, 1, 4, 0, 3};
// The step of C4 on the staff of each clef kind (treble, bass, alto, tenor, percussion).
constexpr std::array<int32_t, 5> kClefBaseStep = {1, 13, 7, 9, 1};
constexpr std::array<const char*, 5> kClefTokens = {"TR", "BA", "AL", "TE", "PR"};
// The major key on each pitch class (the key-signature layer).
constexpr std::array<int32_t, 12> kMajorKey = {0, -5, 2, -3, 4, -1, 6, 1, -4, 3, -2, 5};

NameRow parse_row(std::string_view text) {
    NameRow row{};
    std::size_t at = 0;
    for (int p = 0; p < 12; ++p) {
        while (at < text.size() && text[at] == ' ') ++at;
        std::size_t end = text.find(' ', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view name = text.substr(at, end - at);
        row[p].letter = static_cast<int8_t>(kLetters.find(name[0]));
        const std::string_view sign = name.substr(1);
        for (int a = 1; a < 6; ++a)
            if (sign == kSigns[a]) row[p].accidental = static_cast<int8_t>(a);
        at = end;
    }
    return row;
}

// Everything a key played may change, so that an entry of the history can bring it back.
struct RunState {
    std::string echo;  // the line built so far
    float x = 5.0f;    // the running position of the provisional items
    int32_t clef_kind = 0;
    int32_t key = 0;
    std::array<NameRow, kKeys> names{};
    std::array<std::array<int8_t, 10>, 7> accidentals{};  // per letter and octave
    int32_t octave_shift = 1;
    int32_t previous_step = 0;
    int32_t stem = 0;      // 0 automatic, 1 up, -1 down
    int32_t modifier = 0;  // accidental forced on the next note, or the bar-line count
    int32_t layer = 0;     // 1 key signature, 2 meter
    int32_t meter_top = 0;
    bool double_dot = false;
    int32_t item_count = 0;
    int32_t item_words = 0;
    int32_t last_item = 0;
    RhythmCursorRecord rhythm;
};

// The last kMidiHistoryLimit states, oldest first overwritten.
struct History {
    std::array<RunState, kMidiHistoryLimit> entries;
    int32_t next = 0;
    int32_t size = 0;

    void push(const RunState& s) {
        entries[static_cast<std::size_t>(next)] = s;
        next = (next + 1) % kMidiHistoryLimit;
        if (size < kMidiHistoryLimit) ++size;
    }
    bool pop(RunState& s) {
        if (size == 0) return false;
        next = (next + kMidiHistoryLimit - 1) % kMidiHistoryLimit;
        --size;
        s = entries[static_cast<std::size_t>(next)];
        return true;
    }
};

// What one token makes on the page (notes line).
struct ItemPlan {
    int32_t code = 0;  // 0: no item
    bool chord = false;
    float p4 = 0.0f;
    float p5 = 0.0f;
    float p6 = 0.0f;
    bool has_p6 = false;
    float advance_after = 0.0f;
};

struct Run {
    int32_t mode = kNotesMode;
    int32_t staff = 1;
    RunState s;
    History history;
    std::array<bool, 128> held{};
    int32_t last_message = -1;
    bool ended = false;
};

int8_t& accidental_at(RunState& s, int32_t letter, int32_t octave) {
    const int32_t o = octave < 0 ? 0 : (octave > 9 ? 9 : octave);
    return s.accidentals[static_cast<std::size_t>(letter)][static_cast<std::size_t>(o)];
}

// The accidental state of the key, in every octave.
void set_accidentals_from_key(RunState& s) {
    for (auto& letter : s.accidentals) letter.fill(0);
    const int32_t count = std::abs(s.key);
    for (int32_t i = 0; i < count && i < 7; ++i) {
        const int8_t letter = s.key > 0 ? kSharpOrder[i] : kFlatOrder[i];
        s.accidentals[static_cast<std::size_t>(letter)].fill(s.key > 0 ? 2 : 1);
    }
}

NameRow& current_row(RunState& s) { return s.names[static_cast<std::size_t>(s.key + 7)]; }

// P5 of the last key signature of the staff at or before position (|P5| > 99 counts as 0).
int32_t staff_key(int32_t staff, float position) {
    int32_t key = 0;
    float best = -1.0e9f;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t at = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(at));
        if (n < 5 || core::int_of(std::abs(core::ItemStore(at + 1))) != 17) continue;
        if (core::nint(core::ItemStore(at + 2)) != staff) continue;
        const float x = core::ItemStore(at + 3);
        if (x > position || x < best) continue;
        best = x;
        const int32_t p5 = core::int_of(core::ItemStore(at + 5));
        key = std::abs(p5) > 99 ? 0 : p5;
    }
    return key < -7 ? -7 : (key > 7 ? 7 : key);
}

// Puts the echo line into CommandLine and shows it as the input line's preset answer.
void append_to_echo_line(const Run& run) {
    core::CommandLine.blank();
    core::CommandLine.set(run.s.echo);
    core::preset_answer(core::CommandLine, static_cast<int32_t>(run.s.echo.size()));
}

// A provisional item for the token just written, drawn at once.
void draw_midi_token_item(Run& run, const ItemPlan& plan) {
    RunState& s = run.s;
    if (plan.code == 0) return;
    if (!plan.chord) s.x += 5.0f;
    core::Array1<float, 6> p;
    p(1) = static_cast<float>(plan.code);
    p(2) = static_cast<float>(run.staff);
    p(3) = s.x;
    p(4) = plan.p4;
    p(5) = plan.p5;
    p(6) = plan.p6;
    int32_t n = plan.has_p6 ? 6 : 5;
    s.x += plan.advance_after;
    const int32_t before = core::ItemCount;
    if (!render::append_item(n, p) || core::ItemCount != before + 1) return;
    // The drawers may write into CommandLine: the echo line survives in SecondLine.
    std::swap(core::CommandLine, core::SecondLine);
    render::redraw_items_from(core::ItemCount);
    std::swap(core::CommandLine, core::SecondLine);
    core::refresh_screen();
}

// Writes one token after its separator; false (nothing changed) when the line is full.
bool write_token(Run& run, const std::string& token, char separator, const ItemPlan& plan) {
    RunState& s = run.s;
    std::string text = token;
    const char last = s.echo.empty() ? '/' : s.echo.back();
    if (separator != 0 && last != '[' && last != ',' && last != ':' && last != '/')
        text.insert(text.begin(), separator);
    const int32_t end = static_cast<int32_t>(s.echo.size() + text.size());
    if (!live_line_fits(end, token)) return false;
    run.history.push(s);
    s.echo += text;
    append_to_echo_line(run);
    if (run.mode == kNotesMode) draw_midi_token_item(run, plan);
    return true;
}

// Key 42 (and a refused rhythm): the last entry's item goes and its state comes back.
void take_back(Run& run) {
    RunState before;
    if (!run.history.pop(before)) return;
    if (run.mode == kRhythmsMode) {
        for (int32_t k = before.rhythm.current_item + 1; k <= run.s.rhythm.current_item; ++k)
            if (k >= 1 && k <= core::ItemCount) clear_item_rhythm(k);
        RhythmCursor = before.rhythm;
        rebuild_rhythm_tables(before.rhythm.columns);
    } else if (core::ItemCount > before.item_count) {
        core::ItemCount = before.item_count;
        core::ItemWordsUsed = before.item_words;
        core::LastItemNumber = before.last_item;
        core::rebuild_item_start_table();
        render::redraw_items();
        core::refresh_screen();
    }
    run.s = before;
    append_to_echo_line(run);
}

// The line is handed over: CommandLine without control characters, MIDI input ended.
void hand_over(Run& run) {
    std::string line;
    for (char c : run.s.echo)
        if (static_cast<unsigned char>(c) >= 32) line += c;
    core::CommandLine.blank();
    core::CommandLine.set(line);
    InputLineLength = static_cast<int32_t>(line.size());
    run.ended = true;
}

void remember_store(RunState& s) {
    s.item_count = core::ItemCount;
    s.item_words = core::ItemWordsUsed;
    s.last_item = core::LastItemNumber;
    s.rhythm = RhythmCursor;
}

// -- notes line --

void write_plain(Run& run, const std::string& token, int32_t code = 0, float p5 = 0.0f) {
    ItemPlan plan;
    plan.code = code;
    plan.p5 = p5;
    remember_store(run.s);
    write_token(run, token, '/', plan);
}

void note_key(Run& run, int32_t n, bool chord) {
    RunState& s = run.s;
    const int32_t p = n % 12;
    const int32_t o = n / 12 - s.octave_shift;
    NameRow& row = current_row(s);
    int32_t letter = row[p].letter;
    int32_t accidental = row[p].accidental;
    int32_t octave = o;
    if (letter == 6 && (accidental == 2 || accidental == 5)) octave = o - 1;
    if (letter == 0 && (accidental == 1 || accidental == 4)) octave = o + 1;
    const bool black = p == 1 || p == 3 || p == 6 || p == 8 || p == 10;

    RunState before = s;
    remember_store(before);
    std::string sign;
    int32_t written = 0;  // the accidental code the sign writes
    int32_t m = s.modifier;
    s.modifier = 0;
    // A forced natural on a black key, or a white-key naming of one, would name a pitch a
    // semitone from the key played: the key's own name wins.
    if ((m == 3 && black && accidental != 3 && accidental != 0) || (m >= 6 && black)) m = 0;
    const auto contains = [p](std::initializer_list<int32_t> set) {
        for (int32_t v : set)
            if (v == p) return true;
        return false;
    };
    if (m >= 6) {
        accidental = 0;
        accidental_at(s, letter, octave) = 0;
    } else if (m != 0) {
        int32_t direction = 0;  // +1 up, -1 down
        bool dropped = false;
        if (m != accidental) {
            switch (m) {
                case 1:
                    if (contains({4, 11})) direction = 1;
                    dropped = contains({0, 2, 5, 7, 9});
                    break;
                case 2:
                    if (contains({0, 5})) direction = -1;
                    dropped = contains({2, 4, 7, 9, 11});
                    break;
                case 4:
                    if (contains({0, 2, 5, 7, 9})) direction = 1;
                    dropped = !direction;
                    break;
                case 5:
                    if (contains({2, 4, 7, 9, 11})) direction = -1;
                    dropped = !direction;
                    break;
                default:
                    break;
            }
            if (!dropped && direction == 0 && (m <= 3)) {
                if (accidental == 1 || accidental == 4) direction = -1;
                if (accidental == 2 || accidental == 5) direction = 1;
            }
        }
        if (dropped) {
            int32_t renamed = -1;
            if (letter == 2 && accidental == 2) renamed = 3;  // E sharp: F
            if (letter == 6 && accidental == 2) renamed = 0;  // B sharp: C
            if (letter == 0 && accidental == 1) renamed = 6;  // C flat: B
            if (letter == 3 && accidental == 1) renamed = 2;  // F flat: E
            if (renamed >= 0) {
                if (renamed == 0) ++octave;
                if (renamed == 6) --octave;
                letter = renamed;
                row[p] = {static_cast<int8_t>(letter), 0};
                accidental_at(s, letter, octave) = 0;
            }
            accidental = 0;
        } else {
            if (direction != 0) {
                letter += direction;
                if (letter > 6) letter = 0, ++octave;
                if (letter < 0) letter = 6, --octave;
                row[p] = {static_cast<int8_t>(letter), static_cast<int8_t>(m == 3 ? 0 : m)};
            }
            sign = kSigns[static_cast<std::size_t>(m)];
            written = m;
            accidental_at(s, letter, octave) = static_cast<int8_t>(m == 3 ? 0 : m);
            accidental = m;
        }
    } else {
        int8_t& state = accidental_at(s, letter, octave);
        if (accidental == 0 || accidental == 3) {
            if (state != 0) {
                sign = "N";
                written = 3;
            }
            state = 0;
        } else if (state != accidental) {
            sign = kSigns[static_cast<std::size_t>(accidental)];
            written = accidental;
            state = static_cast<int8_t>(accidental);
        }
    }
    std::string token(1, kLetters[static_cast<std::size_t>(letter)]);
    token += sign;
    const int32_t step = letter + 7 * octave;
    if (std::abs(step - s.previous_step) >= 4) token += std::to_string(octave < 0 ? 0 : octave);
    s.previous_step = step;

    ItemPlan plan;
    plan.code = 1;
    plan.chord = chord;
    const int32_t clef = s.clef_kind >= 0 && s.clef_kind <= 4 ? s.clef_kind : 0;
    plan.p4 = static_cast<float>(kClefBaseStep[static_cast<std::size_t>(clef)] + 7 * octave +
                                 letter - 28);
    int32_t stem_code = plan.p4 > 6.0f ? 20 : 10;
    if (s.stem == 1) stem_code = 10;
    if (s.stem == -1) stem_code = 20;
    plan.p5 = static_cast<float>(stem_code + written);
    if (written == 4) plan.advance_after = 3.0f;

    // The history keeps the state before the key: the new namings are taken back with it.
    std::string text = token;
    const char sep = chord ? ':' : '/';
    const char last = s.echo.empty() ? '/' : s.echo.back();
    if (last != '[' && last != ',' && last != ':' && last != '/') text.insert(text.begin(), sep);
    if (!live_line_fits(static_cast<int32_t>(s.echo.size() + text.size()), token)) {
        s = before;
        return;
    }
    run.history.push(before);
    s.echo += text;
    append_to_echo_line(run);
    draw_midi_token_item(run, plan);
}

void key_signature_key(Run& run, int32_t n) {
    RunState& s = run.s;
    const int32_t p = n % 12;
    s.layer = 0;
    if (p == 0 && n != 96) {
        s.octave_shift = n / 12 - 4;
        std::string count = std::to_string(s.octave_shift - 1);
        if (count.size() < 2) count.insert(0, 2 - count.size(), ' ');
        core::show_notice("Middle C is shifted " + count + " octave(s).");
        return;
    }
    int32_t key = kMajorKey[static_cast<std::size_t>(p)];
    if (n == 85) key = 7;
    if (n == 90) key = -6;
    if (n == 95) key = -7;
    std::string token;
    ItemPlan plan;
    plan.code = 17;
    plan.has_p6 = true;
    plan.p6 = static_cast<float>(s.clef_kind);
    if (n == 96) {
        if (s.key == 0) return;
        token = "K" + std::to_string(std::abs(s.key)) + (s.key > 0 ? "S" : "F") + "N";
        plan.p5 = static_cast<float>((std::abs(s.key) + 100) * (s.key > 0 ? 1 : -1));
        plan.advance_after = 2.0f + 3.0f * static_cast<float>(std::abs(s.key));
        key = 0;
    } else {
        token = "K" + std::to_string(std::abs(key)) + (key >= 0 ? "S" : "F");
        plan.p5 = static_cast<float>(key);
        plan.advance_after = 2.0f + 3.0f * static_cast<float>(std::abs(key));
    }
    RunState before = s;
    remember_store(before);
    before.layer = 0;
    s.key = key;
    set_accidentals_from_key(s);
    run.history.push(before);
    s.echo += (s.echo.empty() || s.echo.back() == '/' ? "" : "/") + token;
    append_to_echo_line(run);
    draw_midi_token_item(run, plan);
}

// The white keys from 60 count 1, 2, 3...; a black key counts as the white key below it.
int32_t meter_top_of(int32_t n) {
    int32_t count = 0;
    for (int32_t k = 60; k <= n; ++k) {
        const int32_t p = k % 12;
        if (!(p == 1 || p == 3 || p == 6 || p == 8 || p == 10)) ++count;
    }
    return count;
}

void meter_key(Run& run, int32_t n) {
    RunState& s = run.s;
    if (s.meter_top == 0) {
        if (n < 60 || n > 96) return;
        s.meter_top = meter_top_of(n);
        std::string top = std::to_string(s.meter_top);
        if (top.size() < 2) top.insert(0, 1, ' ');
        core::show_message(core::ReplyKind::Question,
                           "Top meter number =" + top + "||Hit key for lower meter number.");
        return;
    }
    int32_t lower = 4;
    if (n == 60) lower = 1;
    if (n == 62) lower = 2;
    if (n == 65) lower = 8;
    if (n == 67) lower = 16;
    if (n == 69) lower = 32;
    if (n == 71) lower = 64;
    ItemPlan plan;
    plan.code = 18;
    plan.has_p6 = true;
    plan.p5 = static_cast<float>(s.meter_top);
    plan.p6 = static_cast<float>(lower);
    const std::string token = std::to_string(s.meter_top) + " " + std::to_string(lower);
    remember_store(s);
    s.meter_top = 0;
    s.layer = 0;
    write_token(run, token, '/', plan);
}

void command_key(Run& run, int32_t n) {
    RunState& s = run.s;
    if (s.layer > 0) {
        int32_t clef = -1;
        if (n == 45) clef = 0;
        if (n == 43) clef = 1;
        if (n == 41) clef = 2;
        if (n == 40) clef = 3;
        if (n == 38) clef = 4;
        if (clef >= 0) {
            ItemPlan plan;
            plan.code = 3;
            plan.p5 = static_cast<float>(clef);
            plan.advance_after = 2.0f;
            remember_store(s);
            const RunState before = s;
            s.layer = 0;
            s.meter_top = 0;
            s.clef_kind = clef;
            if (!write_token(run, kClefTokens[static_cast<std::size_t>(clef)], '/', plan))
                s = before;
            return;
        }
    }
    if (n <= 36) {
        const int32_t m = s.modifier;
        std::string token = "M";
        if (m % 3 == 1) token += "D";
        if (m % 3 == 2) token += "DH";
        if (m / 3 != 0) token += std::to_string(m / 3);
        ItemPlan plan;
        plan.code = 14;
        plan.p5 = static_cast<float>(m % 3 == 0 ? 0 : (m % 3 == 1 ? 1 : 2));
        remember_store(s);
        const RunState before = s;
        s.modifier = 0;
        set_accidentals_from_key(s);
        // The history takes the state before the bar line.
        const RunState after = s;
        s = before;
        if (write_token(run, token, '/', plan)) {
            const std::string echo = s.echo;
            const float x = s.x;
            s = after;
            s.echo = echo;
            s.x = x;
        }
        return;
    }
    switch (n) {
        case 37:
            s.modifier = s.modifier == 1 ? 4 : s.modifier + 1;
            return;
        case 38:
            s.modifier += 3;
            return;
        case 39:
            if (s.modifier == 1) {
                core::show_message(core::ReplyKind::Question, "**** Type Notes, etc. ****");
                s.echo += "/";
                hand_over(run);
                return;
            }
            s.modifier = s.modifier == 2 ? 5 : s.modifier + 2;
            return;
        case 40: {
            std::string token = s.modifier != 0 ? "RI" : "R";
            if (s.stem == 1) token += "U";
            s.modifier = 0;
            write_plain(run, token, 2, 0.0f);
            return;
        }
        case 41:
            write_plain(run, "RW", 2, -2.0f);
            return;
        case 42:
            take_back(run);
            return;
        case 43:
            s.echo += ";";
            hand_over(run);
            return;
        case 44: {
            const std::string token = s.stem == -1 ? "-" : "D";
            write_plain(run, token);
            s.stem = -1;
            return;
        }
        case 45:
            write_plain(run, "O");
            s.stem = 0;
            return;
        case 46:
            write_plain(run, "U");
            s.stem = 1;
            return;
        case 47:
            if (s.layer < 2) ++s.layer;
            return;
        default:
            return;
    }
}

// -- rhythms line --

std::string rhythm_token_of(int32_t n) {
    switch (n) {
        case 62:
            return "D";
        case 63:
            return "W.";
        case 64:
            return "W";
        case 65:
            return "H";
        case 66:
            return "H.";
        case 67:
            return "Q";
        case 68:
            return "Q.";
        case 69:
            return "E";
        case 70:
            return "E.";
        case 71:
            return "S";
        case 73:
            return "S.";
        case 72:
            return "32";
        case 74:
            return "64";
        case 75:
            return "G";
        case 88:
            return "1.25";
        case 89:
            return "2.5";
        case 90:
            return "2.5.";
        case 91:
            return "5";
        case 92:
            return "5.";
        case 93:
            return "10";
        case 94:
            return "10.";
        case 95:
            return "20";
        case 96:
            return "40";
        case 97:
            return "40.";
        default:
            break;
    }
    if (n >= 76 && n <= 86) {
        const std::string lower = rhythm_token_of(n - 12);
        if (!lower.empty()) return "T" + lower;
    }
    return {};
}

void rhythm_key(Run& run, int32_t n) {
    RunState& s = run.s;
    if (n < 60) return;
    if (n == 60) {
        s.double_dot = true;
        return;
    }
    std::string token = rhythm_token_of(n);
    if (token.empty()) {
        if (n % 12 == 6) take_back(run);
        return;
    }
    if (s.double_dot && token.back() == '.') token += ".";
    s.double_dot = false;
    if (token.size() > 12) return;
    remember_store(s);
    if (!write_token(run, token, '/', ItemPlan{})) return;
    layout::ColumnRecords.token.blank();
    layout::ColumnRecords.token.set(token);
    core::SecondLine.blank();
    core::SecondLine(1) = '/';
    const int32_t cursor = static_cast<int32_t>(s.echo.size()) + 1;
    const bool taken =
        report_input_error(layout::ColumnRecords.token, static_cast<int32_t>(token.size())) == 0 &&
        apply_rhythm_token(cursor);
    append_to_echo_line(run);
    s.rhythm = RhythmCursor;
    if (!taken) {
        take_back(run);
        return;
    }
    if (RhythmCursor.columns >= InputColumnCount) {
        s.echo += ";";
        hand_over(run);
    }
}

// Takes one polled message.
void take_event(Run& run, int32_t message) {
    const int32_t status = message & 0xFF;
    if (status != kNoteOn && status != kNoteOff) return;
    if (message == run.last_message) return;
    run.last_message = message;
    int32_t n = (message >> 8) & 0xFF;
    int32_t velocity = status == kNoteOff ? 0 : (message >> 16) & 0xFF;
    if (core::BaseMidiKey == 24) n += 12;
    if (core::BaseMidiKey == 48) n -= 12;
    if (n < 0 || n > 127) return;
    if (velocity == 0) {
        run.held[static_cast<std::size_t>(n)] = false;
        return;
    }
    if (n > kHighestKey) return;
    if (run.mode == kRhythmsMode) {
        rhythm_key(run, n);
        return;
    }
    RunState& s = run.s;
    if (n < kFirstNoteKey) {
        command_key(run, n);
        return;
    }
    if (s.layer == 1) {
        key_signature_key(run, n);
        return;
    }
    if (s.layer == 2) {
        meter_key(run, n);
        return;
    }
    bool chord = false;
    for (std::size_t k = 0; k < run.held.size(); ++k)
        if (run.held[k] && static_cast<int32_t>(k) != n) chord = true;
    run.held[static_cast<std::size_t>(n)] = true;
    note_key(run, n, chord);
}

}  // namespace

// Contract: see the header. Reads ItemStore, InputStaff, InputRangeStart, BaseMidiKey,
// InputParserMode, InputLineLength; writes CommandLine, SecondLine, the store (provisional
// items), RhythmCursor and EntryRhythms (rhythms line), InputLineLength.
void run_midi_keyboard_input() {
    // No modal notice while keys are taken: it would swallow the keys typed while it is up.
    const render::OutOfBoundsNoticeHold notice_hold;
    static Run run;  // large: kept out of the stack
    run = Run{};
    run.mode = InputParserMode == kRhythmsMode ? kRhythmsMode : kNotesMode;
    run.staff = core::nint(layout::InputStaff);
    RunState& s = run.s;

    if (run.mode == kNotesMode) {
        const core::FixedText<512> kept = core::CommandLine;
        const int32_t kept_length = InputLineLength;
        core::CommandLine.blank();
        int32_t cursor = 0;
        write_staff_clef_token(cursor);
        // The clef token stands with its "/" after the line's first cursor places.
        s.echo = core::CommandLine.c_text();
        if (s.echo.size() >= 3) {
            const std::string_view clef = std::string_view(s.echo).substr(1, 2);
            for (int k = 0; k < 4; ++k)
                if (clef == kClefTokens[static_cast<std::size_t>(k)]) s.clef_kind = k;
        }
        if (kept_length > 0) {
            s.echo = std::string(kept.view().substr(
                0, static_cast<std::size_t>(std::min(kept_length, kInputLineChars))));
        }
        s.key = staff_key(run.staff, layout::InputRangeStart);
        for (int k = 0; k < kKeys; ++k)
            s.names[static_cast<std::size_t>(k)] =
                parse_row(kNameTable[static_cast<std::size_t>(k)]);
        set_accidentals_from_key(s);
    } else {
        RhythmCursor.columns = 0;
        RhythmCursor.current_item = InputStartItemCount;
        s.rhythm = RhythmCursor;
    }
    append_to_echo_line(run);
    InputLineLength = static_cast<int32_t>(s.echo.size());
    core::show_notice("Starting MIDI input ****");

    while (!run.ended) {
        if (core::front_end().ApplicationClosing()) break;
        core::Array1<int32_t, 5> record;
        record.fill(0);
        core::front_end().PollMidiOrKey(record);
        if (record(1) != 0) break;
        take_event(run, record(2));
    }
    if (!run.ended) InputLineLength = static_cast<int32_t>(run.s.echo.size());
}

}  // namespace input
