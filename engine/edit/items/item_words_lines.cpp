#include "engine/edit/items/item_words_lines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/pair_helpers.h"
#include "engine/edit/keywords/keyword_decoder.h"
#include "engine/edit/tables.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::CommandLine;
using core::EditItemParams;
using core::ParamBuffer;

// What a word did: a pair list to make (with or without raising the after-keyword flag),
// nothing at all, refused (the does-not-apply signal is left), or acted at once (no list).
enum class Outcome { List, ListWithFlag, Nothing, Refused, Done };

constexpr float kNoRightHeight = 999.0f;  // a line or slur without its own right-end height
constexpr float kLeftAlone = 100.0f;      // the line kind most line words leave alone

constexpr auto kBeamPrefixes = kBeamWordPrefixes;
constexpr auto kLinePrefixes = kLineWordPrefixes;

float e(int k) { return EditItemParams(k); }
float& slot(int k) { return EditScratch(k); }
char letter(int i) { return CommandLine(i); }
float typed_number() { return ParamBuffer(2); }
// The word (characters 1..5 up to the first blank) is exactly w.
bool word_is(std::string_view w) {
    std::string_view word = CommandLine.sub(1, 5);
    word = word.substr(0, word.find(' '));
    return word == w;
}
bool begins(std::string_view w) { return CommandLine.starts_with(w); }

template <std::size_t N>
int find_prefix(const std::array<std::string_view, N>& table) {
    const std::string_view two = CommandLine.sub(1, 2);
    for (std::size_t i = 0; i < N; ++i) {
        if (two == table[i]) return static_cast<int>(i) + 1;
    }
    return 0;
}

void refuse_word() {
    ParamBuffer(1) = 1.0f;
    ParamBuffer(2) = static_cast<float>(core::int_of(e(1)));
}

// A right end left of (or at) the left end moves 20.0 to its right.
void fix_right_end() {
    if (e(6) <= e(3)) slot(6) = e(3) + 20.0f;
}

void level_right_end_if_free() {
    if (e(5) == kNoRightHeight) slot(5) = e(4);
}

// The end offsets of a slur or line: side 'L' steps P17, 'R' P18; P16 marks that one is set.
// A 5th letter other than "*" (with more after the word) steps by 0.5; else the typed number
// is the offset, and with both offsets 0 the mark goes.
void apply_end_offset(char side) {
    const int k = side == 'R' ? 18 : 17;
    const int other = side == 'R' ? 17 : 18;
    const float t = typed_number();
    slot(16) = 1.0f;
    const bool stepped =
        CommandLine.sub(5, 10).find_first_not_of(' ') != std::string_view::npos && letter(5) != '*';
    if (stepped) {
        const bool down = side == 'R' ? letter(5) == 'M' : letter(5) != 'P';
        slot(k) = e(k) + (down ? -0.5f : 0.5f);
    } else {
        slot(k) = t;
        if (e(other) == 0.0f && t == 0.0f) slot(16) = 0.0f;
    }
}

// The tie, slur and tuplet kinds of a slur: t 0 a plain slur; 3 a triplet bracket; any other
// number the count shown on the slur.
void apply_slur_kind(float t) {
    slot(10) = 0.0f;
    slot(8) = -1.0f;
    slot(11) = 0.0f;
    slot(12) = 0.0f;
    slot(9) = 0.0f;
    if (t == 0.0f) return;
    slot(8) = t;
    slot(7) = e(7) < 0.0f ? -2.0f : 2.0f;
    if (t != 3.0f) {
        slot(9) = t;
        slot(8) = 3.0f;
    }
}

Outcome apply_slur_word() {
    const float t = typed_number();
    const std::string_view w3 = CommandLine.sub(1, 3);
    const std::string_view w4 = CommandLine.sub(1, 4);
    const char c4 = letter(4);
    if (w3 == "END") {
        slot(8) = t;
        slot(7) = 5.0f;
        slot(5) = e(4);
        slot(9) = 0.0f;
        if (t > 2.0f) {
            slot(8) = 1.0f;
            slot(9) = t;
        }
    } else if (w3 == "FLI") {
        slot(7) = -e(7);
    } else if (w3 == "SLU") {
        apply_slur_kind(t);
    } else if (w3 == "TIE") {
        slot(9) = 0.0f;
        slot(8) = -2.0f;
        slot(10) = 0.0f;
        slot(11) = 0.0f;
        slot(12) = 0.0f;
        slot(16) = 0.0f;
    } else if (w3 == "TRP") {
        apply_slur_kind(3.0f);
    } else if (w3 == "SUP") {
        slot(12) = e(13) != 0.0f ? 0.0f : -1.0f;
    } else if (w4 == "SLHL" || w4 == "SLHR") {
        slot(12) = e(13) != 0.0f ? 0.0f : (c4 == 'L' ? 1.0f : 2.0f);
    } else if (w4 == "SLDT" || w4 == "SLDS") {
        slot(11) = c4 == 'T' ? -1.0f : 1.0f;
    } else if (w4 == "SLTR") {
        slot(8) = 0.0f;
        slot(9) = 0.0f;
        slot(14) = 0.0f;
        slot(16) = e(16) == 0.0f ? 3.0f : 0.0f;
    } else if (w4 == "MIDL" || w4 == "MIDR") {
        const float base = e(10) == 0.0f ? 0.5f : e(10);
        slot(10) = base + (c4 == 'L' ? -0.02f : 0.02f);
    } else if (w4 == "MID*" || w4 == "MID ") {
        slot(10) = 0.0f;
    } else if (w4 == "CRVM" || w4 == "CRVP") {
        slot(7) = e(7) + (c4 == 'M' ? -0.2f : 0.2f);
    } else if (w3 == "NUM" && c4 != ' ') {
        if (e(16) != 0.0f || e(8) > 2.0f) {
            switch (c4) {
                case 'L':
                    slot(17) = e(17) - 0.1f;
                    break;
                case 'R':
                    slot(17) = e(17) + 0.1f;
                    break;
                case 'H':
                    slot(17) = 0.0f;
                    break;
                case 'U':
                    slot(18) = e(18) + 0.1f;
                    break;
                case 'D':
                    slot(18) = e(18) - 0.1f;
                    break;
                case 'V':
                    slot(18) = 0.0f;
                    break;
                default:
                    break;
            }
        }
        slot(1) = 5.0f;
        const int k = e(8) < 3.0f ? 16 : 9;
        if (c4 == 'P') {
            // A number shown on a slur starts at 4 (3 is the triplet bracket's own).
            slot(k) = e(k) == 0.0f ? 4.0f : e(k) + 1.0f;
        } else if (c4 == 'M') {
            slot(k) = std::max(e(k) - 1.0f, 0.0f);
        }
    } else if (w3 == "THK") {
        slot(13) = 0.0f;
    } else if (w3 == "THM") {
        slot(13) = (e(13) == 0.0f ? 1.0f : e(13)) - 0.05f;
        if (e(13) < 0.0f) slot(13) = 0.0f;
        if (e(9) == 99.0f && e(13) >= 2.0f) slot(13) = e(13) - 1.0f;
    } else if (w3 == "THP") {
        if (e(9) == 99.0f)
            slot(13) = e(13) + 1.0f;
        else
            slot(13) = (e(13) == 0.0f ? 1.0f : e(13)) + 0.05f;
    } else if (w4 == "TRI ") {
        slot(13) = 0.0f;
        slot(16) = 0.0f;
        slot(8) = 0.0f;
        slot(10) = 0.0f;
        slot(9) = e(9) == 99.0f ? 0.0f : 99.0f;
    } else if (w3 == "FNT") {
        if (e(8) <= 0.0f && e(16) == 0.0f) {
            core::report_unknown_word(core::FixedText<9>(typed_form(CommandLine.sub(1, 5))));
            refuse_word();
            ParamBuffer(3) = 0.0f;
            return Outcome::Refused;
        }
        slot(14) = -t;
    } else if (begins("CR") || begins("CN") || begins("CV")) {
        const int32_t k = std::abs(core::EditedItemNumber);
        const int32_t start = k >= 1 && k <= core::ItemCount ? core::ItemStartTable(k) : 0;
        const int32_t last = start > 0 ? core::int_of(core::ItemStore(start)) : 0;
        core::CommandModeLetters(2) = CommandLine.code(2);
        attach_item_ends(start, last);
        CommandLine(1) = '*';
        return Outcome::Done;
    } else if (CommandLine.sub(2, 4) == "OFF") {
        if (letter(1) == 'R' || letter(1) == 'L') apply_end_offset(letter(1));
    }

    if (letter(1) == 'X') {
        slot(16) = 0.0f;
        slot(17) = 0.0f;
        slot(18) = 0.0f;
        return Outcome::ListWithFlag;
    }
    if (w3 == "HOR" || w3 == "LEV") {
        slot(5) = e(4);
        return Outcome::ListWithFlag;
    }
    core::CommandModeLetters(1) = 0;
    return Outcome::List;
}

Outcome apply_beam_word() {
    const float t = typed_number();
    const char c3 = letter(3);
    switch (find_prefix(kBeamPrefixes)) {
        case 1:  // AD
            if (c3 == 'O') {
                slot(9) = -1.0f;
            } else {
                render::AfterKeywordFlag = 0;
                int32_t flag = 1;
                layout::fit_stems_to_beams(flag);
            }
            return Outcome::ListWithFlag;
        case 2: {  // AU
            // The rebuild writes the store (further beams it inserts stay); the editor reloads.
            ParamBuffer(2) = letter(5) == 'X' ? 99.0f : 98.0f;
            layout::refit_edited_beam();
            core::CommandModeLetters(1) = -99;
            return Outcome::Done;
        }
        case 3:  // BE
            if (core::SecondLine(5) == '+') {
                slot(7) = e(7) + 1.0f;
            } else {
                clear_parameters(8, 20);
                slot(7) =
                    static_cast<float>(core::int_of(e(7) / 10.0f) * 10) + (t == 0.0f ? 1.0f : t);
            }
            return Outcome::ListWithFlag;
        case 4: {  // SP
            float shift = t;
            if (shift > 9.0f && shift < 100.0f) shift = shift * 10.0f + 9.0f;
            ParamBuffer(1) = 8.0f;
            ParamBuffer(2) = -shift;
            layout::refit_edited_beam();
            CommandLine(1) = ' ';
            CommandLine(2) = ' ';
            core::CommandModeLetters(1) = -99;
            return Outcome::Done;
        }
        case 5: {  // CU
            const float s = e(4) >= 0.0f ? 100.0f : -100.0f;
            const bool cue = std::fabs(e(4)) >= 100.0f;
            if (c3 == 'X') {
                if (!cue) return Outcome::Refused;
                slot(4) = e(4) - s;
            } else {
                // A beam already cue-sized (|P4| of 100 or more) is refused, not marked twice.
                if (cue) return Outcome::Refused;
                slot(4) = e(4) + s;
            }
            return Outcome::ListWithFlag;
        }
        case 6:
        case 7:  // LO, RO
            if (e(13) == 0.0f) {
                const int k = letter(1) == 'L' ? 14 : 15;
                slot(k) = letter(5) == 'M' ? 20.0f : letter(5) == 'P' ? 10.0f : t;
            }
            return Outcome::ListWithFlag;
        case 8:  // BN
            clear_parameters(15, 20);
            slot(8) = letter(5) == 'P' ? e(8) + 1.0f : t;
            return Outcome::ListWithFlag;
        case 9: {  // PB: only the two parameters that hold a beam-end position code
            const int32_t k = core::int_of(t);
            if (k == 10 || k == 13) {
                const int32_t v = core::int_in(e(k), -1000000, 1000000);
                const int32_t u = core::int_in(e(7), -1000000, 1000000) % 10;
                const int32_t r = v >= 0 ? -11 * ((v % 10) + (v / 10) - u) : 10 * u - (v / 10);
                slot(k) = static_cast<float>(r);
            }
            return Outcome::ListWithFlag;
        }
        case 10:  // TR
            clear_parameters(11, 20);
            slot(10) = t + 10.0f;
            slot(7) = -10.0f;
            return Outcome::ListWithFlag;
        case 11:  // NL
            if (e(8) != 0.0f) {
                const float base = e(16) == 0.0f ? 0.5f : e(16);
                slot(16) = base + (letter(4) == 'M' ? -0.02f : 0.02f);
                if (core::SecondLine(4) == '0') slot(16) = 0.0f;
            }
            return Outcome::ListWithFlag;
        case 12:  // NU
            if (e(8) != 0.0f) {
                slot(19) = e(19) + (letter(4) == 'M' ? -0.2f : 0.2f);
                if (core::SecondLine(4) == '0') slot(19) = 0.0f;
            }
            return Outcome::ListWithFlag;
        case 13:  // FL
            if (c3 == 'R') {
                if (t == 11.0f) {
                    if (e(10) == 0.0f) return Outcome::Nothing;
                    slot(11) = 999.0f;
                } else {
                    if (e(13) == 0.0f) return Outcome::Nothing;
                    slot(14) = 999.0f;
                }
            }
            return Outcome::ListWithFlag;
        case 14:  // TH
            if (c3 == 'M') {
                slot(17) = e(17) - 0.05f;
                if (slot(17) <= 0.0f) slot(17) = 0.95f;
            } else {
                slot(17) = t;
            }
            return Outcome::ListWithFlag;
        default:
            if (word_is("XO") && e(13) == 0.0f) {
                slot(14) = 0.0f;
                slot(15) = 0.0f;
                return Outcome::ListWithFlag;
            }
            return Outcome::Nothing;
    }
}

// The dash length (k 8) or gap (k 9) of a dashed line, stepped by the 5th letter.
void step_dash(int k) {
    switch (letter(5)) {
        case '*':
            slot(k) = 0.0f;
            break;
        case '-':
            slot(k) = (e(k) == 0.0f ? 2.0f : e(k)) - 0.1f;
            break;
        case '+':
            slot(k) = (e(k) == 0.0f ? 2.0f : e(k)) + 0.1f;
            break;
        default:
            return;
    }
    if (k == 9 && slot(k) < 0.0f) slot(k) = 0.0f;
}

// A hairpin or dashed line: clears the pattern values, keeps a non-zero P13.
void clear_line_pattern() {
    clear_parameters(8, 20);
    if (letter(3) == '-') slot(11) = 1.0f;
    if (e(13) != 0.0f) slot(13) = e(13);
}

Outcome apply_line_word() {
    const bool free_kind = e(7) != kLeftAlone;
    const char c3 = letter(3);
    const char c4 = letter(4);
    switch (find_prefix(kLinePrefixes)) {
        case 1:  // AR
            if (free_kind) {
                slot(5) = e(4) + 10.0f;
                slot(6) = 0.0f;
                slot(7) = -1.0f;
                slot(12) = c3 == 'U' ? 1.0f : c3 == 'D' ? -1.0f : 0.0f;
            }
            return Outcome::List;
        case 2:
        case 3:  // CR, DC
            if (free_kind) {
                clear_line_pattern();
                slot(7) = letter(1) == 'C' ? 0.0f : -1.0f;
                slot(5) = kNoRightHeight;
                fix_right_end();
            }
            return Outcome::List;
        case 4:
        case 21:  // DT, DO
            if (free_kind) {
                slot(7) = -4.0f;
                level_right_end_if_free();
                if (e(6) <= e(3)) {
                    slot(6) = e(3) + 20.0f;
                    slot(13) = -90.0f;
                }
            }
            return Outcome::List;
        case 5:
        case 22:  // DS, DA
            if (free_kind) {
                if (c4 == ' ') {
                    clear_line_pattern();
                    slot(7) = 1.0f;
                    level_right_end_if_free();
                } else if (c4 == 'L') {
                    step_dash(8);
                } else if (c4 == 'S') {
                    step_dash(9);
                }
            }
            return Outcome::List;
        case 6:  // HO
            slot(13) = 0.0f;
            if (e(5) != kNoRightHeight) slot(5) = e(4);
            fix_right_end();
            return Outcome::List;
        case 7:  // LI
            clear_parameters(7, 20);
            slot(13) = e(13);
            slot(10) = e(10);
            if (e(5) == kNoRightHeight || e(6) == 0.0f) slot(5) = e(4);
            if (e(6) == 0.0f) slot(6) = e(3) + 20.0f;
            return Outcome::List;
        case 8:
        case 13: {  // LB, RB: hooks at the ends
            const bool right = letter(1) == 'R';
            const float kind = e(7);
            const bool bad_kind =
                right ? kind < 0.0f && kind != -88.0f && kind != -8.0f : kind < 0.0f;
            if (e(5) == kNoRightHeight || bad_kind) return Outcome::Refused;
            const int k = right ? 12 : 11;
            switch (c4) {
                case '-':
                    slot(k) = e(k) - 0.5f;
                    break;
                case '+':
                    slot(k) = e(k) + 0.5f;
                    break;
                case 'D':
                    slot(k) = -2.0f;
                    break;
                case ' ':
                    slot(k) = e(k) != 0.0f ? 0.0f : 2.0f;
                    break;
                default:
                    slot(k) = 2.0f;
                    break;
            }
            return Outcome::List;
        }
        case 9:
        case 14: {  // LA, RA: arrows at the ends
            const bool right = letter(1) == 'R';
            if (!right && (e(5) == kNoRightHeight || e(7) < 0.0f)) return Outcome::Refused;
            const int k = right ? 12 : 11;
            slot(k) = e(k) <= 100.0f ? 102.0f : 0.0f;
            return Outcome::List;
        }
        case 10:
            apply_end_offset('L');
            return Outcome::List;  // LO
        case 11:
            apply_end_offset('R');
            return Outcome::List;  // LR
        case 12:                   // RO
            if (c3 == 'F') {
                apply_end_offset('R');
            } else {
                const int k = free_kind ? 13 : 20;
                if (c4 == '-')
                    slot(k) = e(k) - 10.0f;
                else if (c4 == '+')
                    slot(k) = e(k) + 10.0f;
                else if (free_kind && typed_number() != 0.0f)
                    slot(k) = e(k) + typed_number();
                else
                    slot(k) = 0.0f;
            }
            return Outcome::List;
        case 15:  // SA
            slot(7) = -3.0f;
            slot(11) = 0.0f;
            if (c4 == 'X') {
                slot(11) = 0.8f;
                slot(8) = 2.0f;
            }
            return Outcome::List;
        case 16:  // SP: the spread of a hairpin
            CommandLine(2) = ' ';
            if (!free_kind) return Outcome::List;
            if (e(5) != kNoRightHeight) return Outcome::Refused;
            {
                const float s = e(7) >= 0.0f ? 0.4f : -0.4f;
                const float base = e(7) == -1.0f ? -2.3f : e(7) == 0.0f ? 2.3f : e(7);
                switch (c4) {
                    case '-':
                        slot(7) = base - s;
                        break;
                    case '+':
                        slot(7) = base + s;
                        break;
                    case '*':
                        slot(7) = e(7) >= 0.0f ? 0.0f : -1.0f;
                        break;
                    default:
                        slot(7) = base;
                        break;
                }
            }
            return Outcome::List;
        case 17:  // TH
            slot(10) = core::SecondLine(4) == '0' ? 0.0f : e(10) + 1.0f;
            return Outcome::List;
        case 18:  // VI
            slot(7) = -2.0f;
            slot(10) = 0.0f;
            slot(11) = 0.0f;
            return Outcome::List;
        case 19:  // VE
            if (e(5) == kNoRightHeight || e(6) <= e(3)) return Outcome::Refused;
            if (e(7) == -4.0f) {
                slot(13) = -90.0f;
            } else {
                slot(5) = e(4) + 10.0f;
                slot(13) = 0.0f;
                slot(6) = e(3);
            }
            return Outcome::List;
        case 20:  // WI
            if (free_kind) {
                fix_right_end();
                slot(7) = -1.0f;
                slot(12) = c3 == 'A' ? 1.0f : 0.0f;
                level_right_end_if_free();
            }
            return Outcome::List;
        case 23:  // XO
            slot(16) = 0.0f;
            slot(17) = 0.0f;
            slot(18) = 0.0f;
            return Outcome::ListWithFlag;
        default:
            return Outcome::Nothing;
    }
}

}  // namespace

void apply_line_slur_beam_word() {
    const int32_t code = core::int_of(e(1));
    Outcome outcome = Outcome::Nothing;
    if (code != 4 && (begins("HO") || word_is("LEV")) && e(5) != kNoRightHeight) {
        slot(5) = e(4);
        outcome = Outcome::ListWithFlag;
    } else if (code == 5) {
        outcome = apply_slur_word();
    } else if (code == 6) {
        outcome = apply_beam_word();
    } else {
        outcome = apply_line_word();
    }
    switch (outcome) {
        case Outcome::Refused:
            refuse_word();
            return;
        case Outcome::ListWithFlag:
            render::AfterKeywordFlag = 1;
            [[fallthrough]];
        case Outcome::List:
            pack_parameter_pairs();
            return;
        case Outcome::Nothing:
        case Outcome::Done:
            return;
    }
}

}  // namespace edit
