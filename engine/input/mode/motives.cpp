// The motive modifiers. Each works on a copy of MotiveText and writes it back only when the
// whole motive could be changed, so that a refused motive stays as it was loaded.
#include "engine/input/mode/motives.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"

namespace input {

namespace {

// The motive's name and "[" stand before its first token.
constexpr int32_t kFirstTokenColumn = 3;
// A motive occupies the first 60 characters of MotiveText.
constexpr int32_t kMotiveField = 60;
// The lowest and highest step an octave digit can express: C0 and B9.
constexpr int32_t kLowestStep = 1;
constexpr int32_t kHighestStep = 70;

bool is_note_letter(char c) { return c >= 'A' && c <= 'G'; }
bool is_letter_or_digit(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// Character at 1-based column k of text (a blank outside it).
char at(const std::string& text, int32_t k) {
    return k >= 1 && k <= static_cast<int32_t>(text.size()) ? text[static_cast<std::size_t>(k - 1)]
                                                            : ' ';
}

// The column of the last "]" among the motive's 60 characters, 0 when there is none after the
// two leading characters.
int32_t closing_column(const std::string& text) {
    for (int32_t k = kMotiveField; k >= kFirstTokenColumn; --k) {
        if (at(text, k) == ']') return k;
    }
    return 0;
}

// The letter for a step counted from C = 1 in any octave.
char letter_of_step(int32_t s) {
    const int32_t r = ((s - 1) % 7 + 7) % 7 + 1;
    return static_cast<char>(r > 5 ? r - 7 + 'B' : r + 'B');
}

// Whether the note letter at column k, inside the token that starts at column first, is the
// token's pitch: it starts the token (after an "O" or "P" rule prefix at most) and is not the
// start of a clef or meter word ("BA", "AL", "COM", "CUT").
bool is_pitch_letter(const std::string& text, int32_t k, int32_t first) {
    const char c = at(text, k);
    if (!is_note_letter(c)) return false;
    int32_t before = k - 1;
    if (before >= first && (at(text, before) == 'O' || at(text, before) == 'P')) --before;
    if (before >= first && is_letter_or_digit(at(text, before))) return false;
    const char next = at(text, k + 1);
    const char third = at(text, k + 2);
    if ((c == 'B' && next == 'A') || (c == 'A' && next == 'L')) return false;
    if (c == 'C' &&
        (next == 'O' || next == 'T' || (next != '/' && (third == 'M' || third == 'T')))) {
        return false;
    }
    return true;
}

// One pitched token of the motive: where its letter and octave digit stand.
struct PitchSpot {
    int32_t letter_column = 0;
    char letter = ' ';
    int32_t digit_column = 0;  // 0: no octave digit written
    int32_t octave = 0;
};

// The pitched tokens between the two leading characters and the closing column, in order. A
// token ends at "/", ":" or "X"; tokens of rests and bars ("R", "M") have no pitch.
std::vector<PitchSpot> find_pitches(const std::string& text, int32_t close) {
    std::vector<PitchSpot> spots;
    int32_t first = kFirstTokenColumn;
    while (first < close) {
        int32_t end = first;
        while (end < close && at(text, end) != '/' && at(text, end) != ':' &&
               at(text, end) != 'X') {
            ++end;
        }
        const char lead = at(text, first);
        if (lead != 'R' && lead != 'M') {
            for (int32_t k = first; k < end; ++k) {
                if (!is_pitch_letter(text, k, first)) continue;
                PitchSpot spot;
                spot.letter_column = k;
                spot.letter = at(text, k);
                int32_t digit = 0;
                int32_t column = 0;
                if (find_octave_digit(text, k, digit, column) && column < end) {
                    spot.digit_column = column;
                    spot.octave = digit;
                }
                spots.push_back(spot);
                break;
            }
        }
        first = end + 1;
    }
    return spots;
}

// The pitch letter of a spot becomes letter, and so do the copies of the old letter right
// after it (a doubled letter is the note's flat).
void write_letter(std::string& text, const PitchSpot& spot, char letter) {
    for (int32_t k = spot.letter_column; at(text, k) == spot.letter; ++k) {
        text[static_cast<std::size_t>(k - 1)] = letter;
        if (k + 1 == spot.digit_column) break;
    }
}

// The pitch of a spot moved to step s: its letter, and its octave digit when it has one. False
// when that digit would leave 0..9.
bool move_pitch(std::string& text, const PitchSpot& spot, int32_t s) {
    if (spot.digit_column != 0) {
        if (s < kLowestStep || s > kHighestStep) return false;
        text[static_cast<std::size_t>(spot.digit_column - 1)] =
            static_cast<char>('0' + (s - 1) / 7);
    }
    write_letter(text, spot, letter_of_step(s));
    return true;
}

bool reverse_tokens(std::string& text) {
    const int32_t close = closing_column(text);
    if (close == 0) return false;
    std::vector<std::string> tokens(1);
    for (int32_t k = kFirstTokenColumn; k < close; ++k) {
        const char c = at(text, k);
        if (c == '/') {
            tokens.emplace_back();
        } else {
            tokens.back() += c == '\'' ? ':' : c;
        }
    }
    std::string work;
    for (auto t = tokens.rbegin(); t != tokens.rend(); ++t) {
        if (!work.empty()) work += '/';
        work += *t;
    }
    text.replace(kFirstTokenColumn - 1, work.size(), work);
    return true;
}

bool invert_pitches(std::string& text) {
    const int32_t close = closing_column(text);
    if (close == 0) return false;
    const std::vector<PitchSpot> spots = find_pitches(text, close);
    bool have_axis = false;
    int32_t axis = 0;
    for (const PitchSpot& spot : spots) {
        // A pitch without an octave digit has no place to mirror from.
        if (spot.digit_column == 0) continue;
        int32_t s = 0;
        pitch_step(spot.letter, s, spot.octave);
        if (!have_axis) {
            have_axis = true;
            axis = s;
            continue;
        }
        if (!move_pitch(text, spot, 2 * axis - s)) return false;
    }
    return true;
}

bool transpose_pitches(std::string& text) {
    const int32_t close = closing_column(text);
    if (close == 0) return false;
    for (const PitchSpot& spot : find_pitches(text, close)) {
        int32_t s = 0;
        pitch_step(spot.letter, s, spot.octave);
        if (!move_pitch(text, spot, s + MotiveStepShift)) return false;
    }
    return true;
}

// Notes per whole note of a rhythm written in letters: by its first letter, then (overriding)
// by its first two. 0 when neither is known.
float rhythm_letter_value(const std::string& token) {
    constexpr std::string_view kKeys = "TSTETQTHDWHQEST";
    constexpr float kValues[] = {24, 12, 6, 3, 0.5f, 1, 2, 4, 8, 16, 12};
    float value = 0.0f;
    for (std::size_t k = 0; k < 7; ++k) {
        if (kKeys[8 + k] == token[0]) value = kValues[4 + k];
    }
    for (std::size_t k = 0; k < 4 && token.size() >= 2; ++k) {
        if (kKeys.substr(2 * k, 2) == token.substr(0, 2)) value = kValues[k];
    }
    return value;
}

// One rhythm token divided by scale, appended to out: the number (".5" for a half) with the
// token's dots and its "X" part after it. False when the result is below 0.5 or needs three
// digits.
bool rescale_token(const std::string& token, float scale, std::string& out) {
    if (!token.empty() && (token[0] == 'G' || token[0] == 'X')) {
        out += token;
        return true;
    }
    float value = 8.0f;
    if (!token.empty()) {
        if (token[0] >= '0' && token[0] <= '9') {
            value = static_cast<float>(token[0] - '0');
            if (token.size() >= 2 && token[1] >= '0' && token[1] <= '9') {
                value = value * 10.0f + static_cast<float>(token[1] - '0');
            }
        } else {
            value = rhythm_letter_value(token);
        }
    }
    const float v = value / scale;
    if (v == 0.5f) {
        out += ".5";
    } else {
        const int32_t n = core::nint(v);
        if (v < 0.5f || n > 99) return false;
        out += std::to_string(n);
    }
    const std::size_t x = token.find('X');
    const std::string head = token.substr(0, x);
    out.append(static_cast<std::size_t>(std::count(head.begin(), head.end(), '.')), '.');
    if (x != std::string::npos) out += token.substr(x);
    return true;
}

bool rescale_rhythms(std::string& text) {
    const int32_t close = closing_column(text);
    const float scale = core::ParamBuffer(2);
    if (close == 0) return false;
    if (scale == 0.0f) return true;
    std::string work;
    std::string token;
    for (int32_t k = kFirstTokenColumn; k <= close; ++k) {
        const char c = at(text, k);
        if (c != '/' && c != ']') {
            token += c;
            continue;
        }
        if (!rescale_token(token, scale, work)) return false;
        work += c;
        token.clear();
    }
    const std::size_t field = kMotiveField - (kFirstTokenColumn - 1);
    if (work.size() > field) return false;
    std::string result =
        text.substr(0, kFirstTokenColumn - 1) + work + text.substr(static_cast<std::size_t>(close));
    result.resize(text.size(), ' ');
    text = result;
    return true;
}

char sign_after_at(int32_t position) {
    const int32_t k = position + 2;
    return k >= 1 && k <= core::CommandLine.size() ? core::CommandLine(k) : ' ';
}

// Runs change on a copy of MotiveText and keeps the copy only when change succeeds.
template <typename Change>
bool change_motive(Change change) {
    std::string text(MotiveText.view());
    if (!change(text)) return false;
    MotiveText.set(text);
    return true;
}

}  // namespace

// Contract: see the header. Reads CommandLine at position + 2; writes MotiveText.
bool reverse_motive(int32_t position) {
    const bool invert_too = sign_after_at(position) == '$';
    return change_motive([invert_too](std::string& text) {
        return reverse_tokens(text) && (!invert_too || invert_pitches(text));
    });
}

// Contract: see the header. Reads CommandLine at position + 2; writes MotiveText.
bool invert_motive(int32_t position) {
    const bool reverse_too = sign_after_at(position) == '-';
    return change_motive([reverse_too](std::string& text) {
        return invert_pitches(text) && (!reverse_too || reverse_tokens(text));
    });
}

// Contract: see the header. The letter's step counts from "B" (A and B from ";"), so that C is 1
// and B is 7.
void pitch_step(int32_t letter, int32_t& step, int32_t octave) {
    step = letter - 'B';
    if (step < 1) step = letter - ';';
    step += 7 * octave;
}

// Contract: see the header. Reads only text; the search stops at the token's end.
bool find_octave_digit(std::string_view text, int32_t start, int32_t& digit, int32_t& position) {
    digit = 0;
    position = 0;
    for (int32_t k = start + 1; k <= start + 3 && k <= static_cast<int32_t>(text.size()); ++k) {
        const char c = text[static_cast<std::size_t>(k - 1)];
        if (c == '/' || c == ':' || c == ']' || c == 'X') return false;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
            position = k;
            return true;
        }
    }
    return false;
}

// Contract: see the header. Reads InputParserMode, ParamBuffer P2 (rhythms: 0 leaves the motive
// as it is) and MotiveStepShift; writes MotiveText, and MotiveStepShift := 0 after a move.
bool rhythm_letters() {
    if (InputParserMode == kRhythmsMode) return change_motive(rescale_rhythms);
    if (!change_motive(transpose_pitches)) return false;
    MotiveStepShift = 0;
    return true;
}

}  // namespace input
