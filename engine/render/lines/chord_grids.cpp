// The guitar chord grid (code 12, IP5 below 0): strings and frets, the nut, the finger dots,
// open and muted string marks, string labels, the position ("3fr") and the chord name. With
// IP5 below -3 the chord's shape is looked up in the guitar chord tables by root (P7: tens
// digit 1..7 = C..B, units 1 flat, 2 sharp), type (IP8, 1..20) and variant (IP9, 0..4).
//
// Tables: ParamBuffer, IntParamBuffer, EditItemParams, GuitarChordTables, MetricFlag (core);
// ItemDrawOrigin, PathPointList, QuadWork, OutputPassWord (render); StaffTables (layout).
// CommandLine is not used: the texts are built in buffers of their own.

#include "engine/render/lines/chord_grids.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/lines/boxes.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/text/text_items.h"

namespace render {

namespace {
constexpr int32_t kScreenPass = 1;
void (*g_chord_loader)() = nullptr;

constexpr char kRootLetters[] = "CDEFGAB";
constexpr int32_t kRootSemitones[] = {1, 3, 5, 6, 8, 10, 12};

// Digit of v at place, of the magnitude (the lowest 32-bit value too).
int32_t digit_at(int32_t v, int32_t place) {
    return static_cast<int32_t>((std::llabs(static_cast<int64_t>(v)) / place) % 10);
}
// |v| without overflow for the lowest 32-bit value (held to the largest).
int32_t magnitude(int32_t v) {
    const int64_t m = std::llabs(static_cast<int64_t>(v));
    return m > INT32_MAX ? INT32_MAX : static_cast<int32_t>(m);
}

// Draws text as a text item at display (x, y) of size `size`, in the item's colour.
void draw_label(const std::string& text, float x, float y, float size) {
    SavedItemWords saved;
    const ItemDrawOriginRecord origin = ItemDrawOrigin;
    ItemDrawOrigin = {x, y};
    for (int32_t k = 5; k <= 13; ++k) set_item_word(k, 0.0f);
    set_item_word(6, size);
    set_item_word(7, size);
    draw_text_line(text);
    ItemDrawOrigin = origin;
}

void draw_dot(float x, float y, float diameter, bool filled) {
    SavedItemWords saved;
    const ItemDrawOriginRecord origin = ItemDrawOrigin;
    ItemDrawOrigin = {x, y};
    set_item_word(5, 1.0f);
    set_item_word(6, diameter);
    set_item_word(7, diameter);
    for (int32_t k = 8; k <= 11; ++k) set_item_word(k, 0.0f);
    set_item_word(12, OutputPassWord == kScreenPass ? 20.0f : 10.0f);
    set_item_word(13, filled ? 1.0f : 0.0f);
    set_item_word(16, 0.0f);
    draw_box_or_circle_item();
    ItemDrawOrigin = origin;
}

// A stroke of five points from (x1, y1) to (x2, y2).
void add_stroke(float x1, float y1, float x2, float y2) {
    for (int32_t k = 0; k <= 4; ++k) {
        const float t = static_cast<float>(k) / 4.0f;
        add_path_point(x1 + t * (x2 - x1), y1 + t * (y2 - y1), static_cast<int16_t>(k == 0));
    }
}

// Appends the number n (nonzero) to text.
void append_number(std::string& text, int32_t n) { text += std::to_string(n); }

}  // namespace

void set_guitar_chord_loader(void (*loader)()) { g_chord_loader = loader; }

// Contract: the chord name of root code `root_code`, type, extension, addition and bass words
// as text with font escapes; empty when the root code names no letter.
std::string guitar_chord_name(int32_t root_code, int32_t type, int32_t extension, int32_t addition,
                              int32_t bass) {
    const int32_t letter = digit_at(root_code, 10);
    if (root_code <= 0 || letter < 1 || letter > 7) return {};
    std::string name = "_00";
    name += kRootLetters[letter - 1];
    const int32_t accidental = digit_at(root_code, 1);
    if (accidental == 1) name += "?1";
    if (accidental == 2) name += "?2";
    static const char* const kTypes[] = {"", "maj", "m", "?0", "?9", "+", "dim", "aug", "?8", "?-"};
    if (type >= 1 && type <= 9) name += kTypes[type];
    if (extension > 0) {
        const int32_t h = digit_at(extension, 100);
        if (h == 4) {
            name += "+";
        } else if (h == 5) {
            name += "?-";
        } else if (h == 6) {
            name += "?8";
        } else if (h != 0) {
            name += "?" + std::to_string(h);
        }
        if (extension % 100 != 0) append_number(name, extension % 100);
    }
    bool close = false;
    if (addition > 0) {
        const int32_t t = digit_at(addition, 1000);
        if (t == 1) name += "sus";
        if (t == 2) name += "add";
        if (t == 3) {
            name += "(add";
            close = true;
        }
        const int32_t h = digit_at(addition, 100);
        if (h != 0) name += "?" + std::to_string(h);
        if (addition % 100 != 0) append_number(name, addition % 100);
    }
    if (bass > 0) {
        const int32_t b = digit_at(bass, 1000);
        if (b >= 1 && b <= 7) {
            name += "/";
            name += kRootLetters[b - 1];
            const int32_t h = digit_at(bass, 100);
            if (h != 0) name += "?" + std::to_string(h);
        }
    }
    if (close) name += ")";
    return name;
}

// Contract: see chord_grids.h.
void draw_code12_negative() {
    SavedItemWords saved;
    const core::Array1<float, 50> edit_words = core::EditItemParams;
    struct RestoreEdit {
        const core::Array1<float, 50>& words;
        ~RestoreEdit() { core::EditItemParams = words; }
    } restore_edit{edit_words};
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const int32_t root_code = ip(7);
    const bool looked_up = ip(5) < -3;
    if (looked_up) {
        const int32_t letter = digit_at(root_code, 10);
        int32_t root = letter >= 1 && letter <= 7 ? kRootSemitones[letter - 1] : 1;
        const int32_t accidental = digit_at(root_code, 1);
        if (accidental == 1) root -= 1;
        if (accidental == 2) root += 1;
        root = (root + 11) % 12 + 1;
        int32_t type = ip(8) < 1 ? 1 : ip(8);
        if (type > core::kGuitarVariants) type = core::kGuitarVariants;
        const int32_t variant = ip(9) >= 0 && ip(9) <= 4 ? ip(9) : 0;
        if (core::GuitarChordTables.loaded == 0 && g_chord_loader != nullptr) g_chord_loader();
        const int slot = core::guitar_chord_slot(root, type - 1, variant + 1);
        const float frets = core::GuitarChordTables.frets(slot);
        set_item_word(12, frets);
        set_item_word(13, static_cast<float>(core::GuitarChordTables.marks(slot)));
        if (p(15) == 0.0f)
            set_item_word(15, static_cast<float>(core::GuitarChordTables.sizes(slot)));
        set_item_word(5, truncate_real(frets) % 100 != 0 ? -2.0f : -1.0f);
        set_item_word(7, static_cast<float>(-root));
    }
    const float size = p(6) == 0.0f ? 1.0f : p(6);
    const float scale = layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff);
    const float x0 = ItemDrawOrigin.x;
    const float y0 = ItemDrawOrigin.y;
    int32_t strings = magnitude(ip(14)) / 10;
    if (strings < 2 || strings > 9) strings = 6;
    int32_t frets = magnitude(ip(14)) % 10;
    if (frets == 0) frets = 5;
    const int32_t pattern = magnitude(ip(12));
    if (pattern > 99 && digit_at(pattern, 100) >= 2) strings = digit_at(pattern, 100);
    const float s = scale * size * 0.075f;
    const float fret_gap = 160.0f * s;
    float spread = p(17) == 0.0f ? 1.0f : std::fabs(p(17));
    if (p(17) < 0.0f) set_item_word(5, -2.0f);
    const float string_gap = fret_gap * spread;
    float a = core::compute_real_mod(p(16), 10.0f);
    if (a == 0.0f) a = 1.0f;
    const float f = (1.0f - a) / 3.5f + a;
    const float top = y0 + static_cast<float>(frets) * fret_gap;
    const float right = x0 + static_cast<float>(strings - 1) * string_gap;

    const int32_t kind = ip(5);
    if (kind != -3 && kind != -5) {
        if (p(18) > 0.0f) {
            int32_t labels = ip(18);
            int32_t place = 100000;
            for (int32_t k = 0; k < strings && place > 0; ++k, place /= 10) {
                const int32_t dgt = digit_at(labels, place);
                if (dgt >= 5 && dgt <= 7) continue;
                if (dgt == 0 && labels < place) continue;
                std::string text = "_00";
                text += dgt == 8 ? '0' : (dgt == 9 ? '$' : static_cast<char>('0' + dgt));
                draw_label(text, x0 + static_cast<float>(k) * string_gap,
                           compute_staff_y(p(4) - 2.6f * f * size), 0.6f * f * size);
            }
        }
        for (int32_t k = 0; k < strings; ++k) {
            const float x = x0 + static_cast<float>(k) * string_gap;
            add_path_segment(x, y0, x, top);
        }
        for (int32_t k = 0; k <= frets; ++k) {
            const float y = y0 + static_cast<float>(k) * fret_gap;
            add_path_segment(x0, y, right, y);
        }
    }
    if (ip(5) == -1) {
        QuadWork.x(1) = x0;
        QuadWork.y(1) = top;
        QuadWork.x(2) = right;
        QuadWork.y(2) = top;
        QuadWork.x(3) = right;
        QuadWork.y(3) = top + 60.0f * s;
        QuadWork.x(4) = x0;
        QuadWork.y(4) = top + 60.0f * s;
        QuadWork.start_op = 2;
        add_path_quad();
    }
    if (p(13) != 0.0f) {
        const int32_t marks = ip(13);
        int32_t place = 100000;
        if (strings < 6) place = static_cast<int32_t>(std::pow(10, strings - 1));
        for (int32_t k = 0; k < strings && place > 0; ++k, place /= 10) {
            const int32_t dgt = digit_at(marks, place);
            const float x = x0 + static_cast<float>(k) * string_gap;
            if (dgt >= 1 && dgt <= 7) {
                draw_dot(x, y0 + s * (static_cast<float>(frets - dgt) * 160.0f + 80.0f),
                         1.3f * size, true);
            } else if (dgt == 8) {
                draw_dot(x, top + 95.0f * s, 0.8f * 1.3f * size, false);
            } else if (dgt == 9) {
                // The cross sits where the open-string circle would, clear of the top line.
                const float c = top + 95.0f * s;
                const float r = 40.0f * s;
                add_stroke(x - r, c - r, x + r, c + r);
                add_stroke(x - r, c + r, x + r, c - r);
            }
        }
    }
    const int32_t position = pattern % 100;
    if (position != 0) {
        std::string text = "_00" + std::to_string(position) + "fr";
        const float dx = (static_cast<float>(strings - 1) * 2.0f * spread + 1.2f) * scale * size /
                         25.0f * 150.0f;
        draw_label(text, x0 + dx, top - fret_gap + 40.0f * s, 0.6f * f * size);
    }
    const std::string name =
        guitar_chord_name(root_code, ip(8), looked_up && ip(9) <= 4 ? 0 : ip(9), ip(10), ip(11));
    if (!name.empty()) draw_label(name, x0, top + 200.0f * s, f * size);
}

}  // namespace render
