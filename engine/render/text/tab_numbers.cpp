#include "engine/render/text/tab_numbers.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/numeric.h"
#include "engine/core/store/clef_steps.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/lines/boxes.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/tables.h"
#include "engine/render/text/text_items.h"

namespace render {

namespace {

constexpr int32_t kComputeMode = 999;
constexpr int32_t kSavedWords = 19;
constexpr int32_t kTunedKinds = 3;  // kinds 0..3 have their pitch worked out
constexpr int32_t kBassKind = 1;
constexpr int32_t kNearWhite = 253 | 253 << 8 | 253 << 16;

// Written pitches of the eight places of the tuning table.
constexpr int32_t kTuningTable[kTabStringPlaces] = {76, 71, 67, 62, 57, 52, 47, 47};
constexpr int32_t kBanjo[5] = {74, 71, 67, 62, 79};
constexpr int32_t kFourStringTreble[4] = {76, 69, 62, 55};
// Half steps of the accidental digit 0..9 (6..9 are no accidentals; kept as the table holds).
constexpr int32_t kAccidentalShift[10] = {0, -1, 1, 0, -2, 2, 4, 1, 0, 2};
// Semitones of the letters C..B.
constexpr int32_t kLetterSemitone[7] = {0, 2, 4, 5, 7, 9, 11};

// P1..P19 of ParamBuffer and EditItemParams kept for the life of the object.
class SavedNoteWords {
  public:
    SavedNoteWords() {
        for (int32_t k = 1; k <= kSavedWords; ++k) {
            params_[k - 1] = core::ParamBuffer(k);
            edit_[k - 1] = core::EditItemParams(k);
        }
    }
    ~SavedNoteWords() {
        for (int32_t k = 1; k <= kSavedWords; ++k) {
            core::ParamBuffer(k) = params_[k - 1];
            core::EditItemParams(k) = edit_[k - 1];
        }
    }
    SavedNoteWords(const SavedNoteWords&) = delete;
    SavedNoteWords& operator=(const SavedNoteWords&) = delete;

  private:
    float params_[kSavedWords]{};
    float edit_[kSavedWords]{};
};


// One packed adjustment v applied to an open string.
void adjust_string(int32_t& open, int32_t v) {
    if (v == 0) return;
    if (v < 0) {
        open += v;
    } else if (v <= 20) {
        open += v;
    } else if (v <= 32) {
        open -= v - 20;
    } else {
        open = v;
    }
}

// The string adjustments of P16..P19 and the shift of all strings (P19 below 100; kind 1 a
// further -12) applied to the open strings 1..strings.
void apply_string_adjustments(TabOpenStrings& open, int32_t strings, int32_t kind) {
    const auto& p = core::ParamBuffer;
    const float p19 = p(19);
    const int32_t last_word = p19 >= 100.0f ? 19 : 18;
    for (int32_t w = 16; w <= last_word; ++w) {
        const int32_t packed = core::int_in(p(w), -99999, 99999);
        const int32_t first = 2 * (w - 16) + 1;
        adjust_string(open(first), packed / 100);
        adjust_string(open(first + 1), packed % 100);
    }
    int32_t shift = p19 < 100.0f ? core::int_in(p19, -999, 99) : 0;
    if (kind == kBassKind) shift -= 12;
    for (int32_t i = 1; i <= strings; ++i) open(i) += shift;
}

struct TabPlace {
    int32_t first_fit = 0;  // the first string the pitch fits
    int32_t string = 0;     // the string chosen (a requested higher one wins)
    int32_t fret = 0;
};

// Steps 3..5 for kinds 0..3: pitch, open strings, the string and the fret. strings is 1..8.
TabPlace place_on_strings(int32_t level, int32_t kind, int32_t strings, int32_t requested,
                          int32_t fret_in) {
    const auto& p = core::ParamBuffer;
    const int32_t accidental = core::int_in(p(5), -999999, 999999);
    const int32_t digit = (accidental < 0 ? -accidental : accidental) % 10;
    const int32_t pitch = compute_tab_pitch(level, kind, digit);
    TabOpenStrings open;
    if (p(6) == -5.0f) {
        open.fill(0);
        for (int32_t i = 1; i <= 5; ++i) open(i) = kBanjo[i - 1];
    } else {
        set_string_tuning(strings, kind, open);
        if (strings == 6 && kind == kBassKind) open(1) = 72;
        if (strings == 4 && kind == 0) {
            for (int32_t i = 1; i <= 4; ++i) open(i) = kFourStringTreble[i - 1];
        }
    }
    apply_string_adjustments(open, strings, kind);

    TabPlace place;
    place.first_fit = strings;
    for (int32_t i = 1; i <= strings; ++i) {
        if (open(i) <= pitch) {
            place.first_fit = i;
            break;
        }
    }
    place.string = place.first_fit;
    if (requested > place.string) place.string = std::min(requested, strings);
    place.fret = fret_in >= 0 ? pitch - open(place.string) : fret_in;
    return place;
}

// Steps 8..11: the fret text on its string line, with its patch when P20 is 1.
void draw_fret_text(int32_t strings, int32_t string, int32_t fret, bool upside_down,
                    float text_size_base) {
    const auto& p = core::ParamBuffer;
    const float p10 = p(10);
    const float p12 = p(12);
    const float p13 = p(13);
    const float p14 = p(14);
    const float p20 = p(20);
    const float p21 = p(21);
    const float p22 = p(22);
    if (upside_down) string = (6 * string) % 7;
    const bool parentheses = p12 >= 100.0f;
    const std::string text = tab_fret_text(fret, parentheses);
    float level = static_cast<float>(strings - string) * 2.0f + 2.2f + p14;
    const bool letter = fret >= 1001 && text != "?";
    if (letter || (OutputPassWord == 0 && text != "X" && text != "?")) level += 0.2f;

    const SavedItemWords saved;
    const ItemDrawOriginRecord origin = ItemDrawOrigin;
    const int32_t style = core::int_in(core::amod(p12, 100.0f), -99, 99);
    set_item_word(4, level);
    set_item_word(6, text_size_base);
    set_item_word(7, 0.0f);
    set_item_word(8, 1000.0f + static_cast<float>(style != 0 ? style : 5));
    set_item_word(9, p13);
    set_item_word(10, 0.0f);
    set_item_word(11, p10);
    set_item_word(12, 0.0f);
    set_item_word(13, 0.0f);
    for (int32_t k = 14; k <= 16; ++k) set_item_word(k, 0.0f);
    if (p21 != 0.0f || p22 != 0.0f) {
        set_item_word(14, -1.0f);
        set_item_word(15, p21);
        set_item_word(16, p22);
    }
    const float staff_factor = layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff);
    ItemDrawOrigin.y = compute_staff_y(level);
    const bool two_digits = fret >= 10 && fret <= 99;
    if (two_digits) ItemDrawOrigin.x -= 4.0f * staff_factor;
    if (parentheses) ItemDrawOrigin.x -= 4.0f * staff_factor;
    set_item_word(5, 0.95f);
    // The patch is placed from the note's P3 (still in ParamBuffer), not the moved origin.
    if (p20 == 1.0f) draw_tab_number_whiteout(level, text);
    draw_text_line(text);
    ItemDrawOrigin = origin;
}

}  // namespace

// Contract: see the header.
void read_tab_level(int32_t p4, int32_t p6, int32_t& level, int32_t& kind) {
    level = p4 % 100;
    kind = -p6 / 10;
    if (kind == 8) level += 7;
    if (kind == 9) level -= 7;
    if (kind == 15) level += 14;
    if (kind == 8 || kind == 9 || kind == 15) kind = 0;
}

// Contract: see the header.
int32_t tab_note_pitch(int32_t p4, int32_t p6, int32_t p5) {
    int32_t level = 0;
    int32_t kind = 0;
    read_tab_level(p4, p6, level, kind);
    const int32_t digit = p5 % 10;
    return compute_tab_pitch(level, kind, digit < 0 ? -digit : digit);
}

// Contract: see the header.
bool is_tab_tuning_code(int32_t p6) { return p6 <= -4 && !(p6 <= -20 && p6 >= -39); }

// Contract: see the header.
int32_t tab_written_clef(int32_t p6) {
    const int32_t kind = p6 < 0 ? -(p6 / 10) : 0;
    return kind >= 1 && kind <= kTunedKinds ? kind : 0;
}

// Contract: see the header. letter index 1 = C .. 7 = B; divisions truncate.
int32_t compute_tab_pitch(int32_t level, int32_t kind, int32_t accidental_digit) {
    const int32_t s = core::clef_step_offset(kind) + level;
    int32_t letter = s - 7 * ((s + 6) / 7) + 7;
    if (letter < 1) letter += 7;
    letter = std::clamp(letter, 1, 7);
    const int32_t digit = std::clamp(accidental_digit, 0, 9);
    return kLetterSemitone[letter - 1] + 12 * ((s + 34) / 7) + kAccidentalShift[digit];
}

// Contract: see the header. String i takes table place offset + i (offset 6 - strings, for
// kind 1 (7 - strings) div 2 + 1, never below 0); a place past the table is held to its last.
void set_string_tuning(int32_t strings, int32_t kind, TabOpenStrings& open) {
    open.fill(0);
    const int32_t s = std::clamp(strings, 1, kTabStringPlaces);
    int32_t offset = kind == kBassKind ? (7 - s) / 2 + 1 : 6 - s;
    if (offset < 0) offset = 0;
    for (int32_t i = 1; i <= s; ++i) {
        const int32_t place = std::min(offset + i, kTabStringPlaces);
        open(i) = kTuningTable[place - 1];
    }
}

// Contract: see the header.
std::string tab_fret_text(int32_t fret, bool parentheses) {
    std::string body;
    if (parentheses && fret == 99) return "(Tie)";
    if (fret == -1) {
        body = "X";
    } else if (fret >= 0 && fret <= 99) {
        if (fret / 10 != 0) body += static_cast<char>('0' + fret / 10);
        body += static_cast<char>('0' + fret % 10);
    } else if (fret >= 1001 && fret <= 1026) {
        body = static_cast<char>('A' + (fret - 1001));
    } else if (fret >= 2001 && fret <= 2026) {
        body = static_cast<char>('a' + (fret - 2001));
    } else {
        body = "?";
    }
    return parentheses ? "(" + body + ")" : body;
}

// Contract: see the header. The patch is a filled code 12 box at level + 1 (truncated): 2.2
// wide for one character, 3.35 for two, 2.3 for "X" (parentheses: 0.16 wider, 0.25 further
// right, 0.45 for "X"). On the PostScript pass it is written to the PostScript unit in white
// and the path list emptied; otherwise it goes to the screen in near white.
void draw_tab_number_whiteout(float level, const std::string& text) {
    const SavedItemWords saved;
    const ItemDrawOriginRecord origin = ItemDrawOrigin;
    auto& p = core::ParamBuffer;
    const float position = p(3);
    const int32_t staff = core::int_of(p(2));
    const bool parentheses = !text.empty() && text.front() == '(';
    const std::string body =
        parentheses && text.size() >= 2 ? text.substr(1, text.size() - 2) : text;
    float width = body == "X" ? 2.3f : (body.size() >= 2 ? 3.35f : 2.2f);
    float x = position;
    if (parentheses) {
        width += 0.16f;
        x += body == "X" ? 0.45f : 0.25f;
    }
    const float box_level = static_cast<float>(core::int_of(level + 1.0f));
    for (int32_t k = 5; k <= 26; ++k) set_item_word(k, 0.0f);
    set_item_word(6, width);
    set_item_word(7, 1.0f);
    set_item_word(13, 1.0f);
    const float staff_size = layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff);
    ItemDrawOrigin.x = (staff_size / 35.0f) * 160.0f + x * 150.0f;
    ItemDrawOrigin.y = compute_staff_y(box_level);
    const int32_t first = PathPointList.count;
    draw_box_or_circle_item();

    if (OutputPassWord == -1) {
        run_hook(RenderHooks.write_ps_line, " g  1 setgray");
        const int32_t shift = staff > layout::kLeftPageStaves ? kSpreadShift : 0;
        for (int32_t i = first; i < first + 5 && i < PathPointList.count; ++i) {
            char line[40];
            std::snprintf(line, sizeof line, "%7d%7d %s", PathPointList.x(i) + shift,
                          PathPointList.y(i), i == first ? "m" : "l");
            run_hook(RenderHooks.write_ps_line, line);
        }
        run_hook(RenderHooks.write_ps_line, " g e r s  r");
        PathPointList.count = 1;
    } else {
        const int32_t colour = DrawColourWord;
        const int32_t edited = core::EditedItemNumber;
        const float p26 = p(26);
        core::EditedItemNumber = -1;  // keeps the colour: no edited-item highlight
        p(26) = 1.0f;
        DrawColourWord = kNearWhite;
        begin_item_drawing();
        p(26) = p26;
        core::EditedItemNumber = edited;
        DrawColourWord = colour;
    }
    ItemDrawOrigin = origin;
}

// Contract: see the header. Reads P2..P22 of the note; kinds 8, 9 and 15 move the level by
// 7, -7 and 14 and count as kind 0. A negative string (a tied continuation) draws "(Tie)" only
// on the metrics pass; kinds 4 and up take string and fret as given (string 0 draws nothing).
void draw_tab_fret_numbers() {
    const SavedNoteWords saved;
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const bool computing = ip(10) == kComputeMode;
    const int32_t p8 = core::int_in(p(8), -999999, 999999);
    const int32_t p9 = core::int_in(p(9), -999999, 999999);
    const float p15 = p(15) == 0.0f ? 1.0f : p(15);
    float size = p15 * 0.55f;
    if (core::int_in(p(4), -999999, 999999) > 99 || core::int_in(p(4), -999999, 999999) < -99) {
        size *= 0.818f;
    }

    if (p8 < 0) {
        if (computing) {
            ip(8) = p8;
            ip(9) = p9;
            return;
        }
        if (OutputPassWord != 0) return;
        const SavedItemWords words;
        const ItemDrawOriginRecord origin = ItemDrawOrigin;
        for (int32_t k = 5; k <= 16; ++k) set_item_word(k, 0.0f);
        set_item_word(4, 0.2f);
        set_item_word(6, size);
        set_item_word(8, 1005.0f);
        ItemDrawOrigin.y = compute_staff_y(0.2f);
        draw_text_line("(Tie)");
        ItemDrawOrigin = origin;
        return;
    }

    int32_t level = 0;
    int32_t kind = 0;
    read_tab_level(core::int_in(p(4), -999999, 999999), core::int_in(p(6), -999999, 999999), level,
                   kind);
    const int32_t strings = -core::int_in(p(6), -999999, 999999) % 10;
    const int32_t requested = p8 % 100;
    const bool upside_down = p8 > 100;

    if (kind <= kTunedKinds && kind >= 0) {
        const int32_t tuned = std::clamp(strings, 1, kTabStringPlaces);
        const TabPlace place = place_on_strings(level, kind, tuned, requested, p9);
        if (computing) {
            ip(8) = place.first_fit;
            ip(9) = place.fret;
            return;
        }
        draw_fret_text(strings, place.string, place.fret, upside_down, size);
        return;
    }
    if (computing) {
        ip(8) = requested;
        ip(9) = p9;
        return;
    }
    if (requested == 0 || strings < 1) return;
    draw_fret_text(strings, std::min(requested, strings), p9, upside_down, size);
}

}  // namespace render
