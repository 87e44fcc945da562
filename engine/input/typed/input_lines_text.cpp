// Writing the items of one staff range as the typed input lines: notes, rests, clefs, bar
// lines, key signatures and meters into the notes and rhythms lines on a first pass; marks,
// hairpins, ornament lines, tremolos, beams and slurs into the marks, beams and slurs lines on a
// second pass, their positions given as note numbers.
#include "engine/input/typed/input_lines_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/input/typed/mark_items.h"
#include "engine/layout/builders/input_builders.h"

namespace input {

namespace {

constexpr int32_t kNote = 1;
constexpr int32_t kRest = 2;
constexpr int32_t kClef = 3;
constexpr int32_t kLine = 4;
constexpr int32_t kSlur = 5;
constexpr int32_t kBeam = 6;
constexpr int32_t kOrnamentLine = 7;
constexpr int32_t kSymbol = 9;
constexpr int32_t kBarLine = 14;
constexpr int32_t kKeySignature = 17;
constexpr int32_t kMeter = 18;

constexpr const char* kClefLetters[] = {"TR", "BA", "AL", "TE", "PR"};
constexpr int32_t kClefOffsets[] = {0, 12, 6, 8, 0};
// Three characters per dynamic, symbols 51 to 59 and 61 to 68 (60 reads as 59).
constexpr std::string_view kDynamics = "PPPPP P  MP MF F  FF FFFFP SF SFZCR DI RI PZ AO AC ";

// One item's record as the writer reads it: P(k) is 0 beyond the count.
struct Item {
    int32_t start = 0;
    int32_t n = 0;
    float p(int32_t k) const { return k >= 1 && k <= n ? core::ItemStore(start + k) : 0.0f; }
    int32_t ip(int32_t k) const { return core::int_of(p(k)); }
};

Item item_at(int32_t k) {
    Item it;
    it.start = core::ItemStartTable(k);
    it.n = core::int_of(core::ItemStore(it.start));
    return it;
}

// The notes of one column (one note, or a chord's notes at one x): the stem direction that one
// of them carries (0 none, 1 up, 2 down) and their lowest and highest steps.
struct NoteColumn {
    int32_t stem = 0;
    int32_t lowest = 0;
    int32_t highest = 0;
};

// The column of the note items[i] and the notes right after it at the same x.
NoteColumn column_at(const std::vector<int32_t>& items, std::size_t i) {
    NoteColumn c;
    const Item first = item_at(items[i]);
    c.lowest = c.highest = first.ip(4) % 100;
    for (std::size_t j = i; j < items.size(); ++j) {
        const Item it = item_at(items[j]);
        if (it.ip(1) != kNote || it.p(3) != first.p(3)) break;
        const int32_t t = it.ip(4) % 100;
        c.lowest = std::min(c.lowest, t);
        c.highest = std::max(c.highest, t);
        const int32_t sd = (it.ip(5) % 100) / 10;
        if (c.stem == 0 && (sd == 1 || sd == 2)) c.stem = sd;
    }
    return c;
}

std::string digits(int64_t v) { return std::to_string(v); }

// A note number or signed pair end: up to two decimals, trailing zeros and "." dropped, no
// leading zero before the point; "-" for a negative value, "+" (10000 taken off) for 10000 and
// above.
std::string number_text(double v) {
    std::string sign;
    if (v >= 10000.0) {
        sign = "+";
        v -= 10000.0;
    } else if (v < 0.0) {
        sign = "-";
        v = -v;
    }
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    std::string t = buffer;
    while (!t.empty() && t.back() == '0') t.pop_back();
    if (!t.empty() && t.back() == '.') t.pop_back();
    if (t.size() > 1 && t[0] == '0' && t[1] == '.') t.erase(0, 1);
    if (t.empty()) t = "0";
    return sign + t;
}

// A line of tokens each ended by "/": the last token kept by the previous repeat is emptied,
// runs of three or more empty tokens, and any run that ends the line, fold into "X" and a
// count, and the last "/" becomes ";".
std::string close_token_line(const std::string& line) {
    std::vector<std::string> tokens;
    std::string current;
    for (char c : line) {
        if (c == '/') {
            tokens.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) tokens.push_back(current);
    std::string last_kept;
    bool have_kept = false;
    for (std::string& t : tokens) {
        if (have_kept && t == last_kept) {
            t.clear();
        } else {
            last_kept = t;
            have_kept = true;
        }
    }
    std::string out;
    for (std::size_t i = 0; i < tokens.size();) {
        std::size_t empties = 0;
        while (i + 1 + empties < tokens.size() && tokens[i + 1 + empties].empty()) ++empties;
        // A repeat at the very end folds too: the reader takes a ";" right after a "/" as the
        // end of the line, so "Q//;" would read as two.
        const bool at_end = i + 1 + empties == tokens.size();
        if (empties >= 3 || (empties >= 1 && at_end)) {
            out += tokens[i] + "X" + digits(static_cast<int64_t>(empties + 1)) + "/";
            i += empties + 1;
        } else {
            out += tokens[i] + "/";
            ++i;
        }
    }
    if (out.empty()) return ";";
    out.back() = ';';
    return out;
}

// The marks, beams and slurs lines end at their last "/", which becomes ";".
std::string close_pair_line(std::string line) {
    const std::size_t slash = line.find_last_of('/');
    if (slash == std::string::npos) return ";";
    line.resize(slash + 1);
    line.back() = ';';
    return line;
}

// The mark word of a note's mark code v (v >= 1), as the marks line reads it back. Empty for a
// code no word gives (29, and 40 and up): any word written for it would come back as another
// mark, or break the line ("F;" would end it).
std::string note_mark_word(int32_t v) {
    static const char* const kWords[] = {"",   "FIF", "FIS", "FIN", "W",  "A",   "T",   "S",
                                         "WS", "AS",  "TS",  "D",   "U",  "H",   "FE",  "AR",
                                         "TH", "MO",  "IM",  "HW",  "TR", "TRF", "TRS", "TRN",
                                         "PL", "ACT", "S2",  "S3",  "S4"};
    if (v >= 1 && v <= 28) return kWords[v];
    if (v >= 30 && v <= 39) return std::string("F") + static_cast<char>('0' + v - 30);
    return {};
}

class LineWriter {
  public:
    LineWriter(float left, float right, int32_t clef_kind) : left_(left), right_(right) {
        clef_ = clef_kind >= 0 && clef_kind <= 4 ? clef_kind : 0;
        if (clef_ >= 1) out_.notes = std::string("-") + kClefLetters[clef_] + "/";
    }

    // column: for a note, the notes of its column (a chord's notes stand together in the
    // sorted store), which its first note's stem, stem-length and cue words speak for.
    void first_pass(const Item& it, int32_t code, const NoteColumn& column) {
        switch (code) {
            case kNote:
                note(it, column);
                break;
            case kRest:
                rest(it);
                break;
            case kClef: {
                const int32_t kind = it.n >= 5 ? it.ip(5) : 0;
                clef_ = kind >= 0 && kind <= 4 ? kind : 0;
                token(kClefLetters[clef_]);
                break;
            }
            case kBarLine:
                bar_line(it);
                break;
            case kKeySignature: {
                const int32_t v = std::abs(it.ip(5));
                token("K" + digits(v % 100) + (it.p(5) >= 0.0f ? "S" : "F") +
                      (std::fabs(it.p(5)) > 100.0f ? "N" : ""));
                break;
            }
            case kMeter: {
                const float v = it.p(5);
                if (v < 98.0f) {
                    token(digits(it.ip(5)) + " " + digits(it.ip(6)));
                } else {
                    token(v < 99.0f ? "CUT" : "COM");
                }
                break;
            }
            default:
                return;
        }
        ++out_.converted;
    }

    // Before the second pass: the ties (slurs of height -2 or -3) between one pair of places
    // that go both above and below (a chord's ties as the builder splits them).
    void note_tie_sides(const Item& it) {
        if (it.ip(1) != kSlur || it.n < 8 || it.ip(8) >= -1) return;
        for (TieSides& t : tie_sides_) {
            if (t.from == it.p(3) && t.to == it.p(6)) {
                (it.p(7) < 0.0f ? t.below : t.above) = true;
                return;
            }
        }
        tie_sides_.push_back({it.p(3), it.p(6), it.p(7) >= 0.0f, it.p(7) < 0.0f});
    }

    void second_pass(const Item& it, int32_t code) {
        switch (code) {
            case kSymbol:
                symbol(it);
                break;
            case kLine:
                hairpin(it);
                break;
            case kOrnamentLine:
                ornament_line(it);
                break;
            case kBeam:
                if (it.p(7) < 0.0f) {
                    tremolo(it);
                } else {
                    pair(it, code);
                }
                break;
            case kSlur:
                pair(it, code);
                break;
            default:
                return;
        }
        ++out_.converted;
    }

    InputLinesText finish() {
        out_.notes = close_token_line(out_.notes);
        out_.rhythms = close_token_line(out_.rhythms);
        out_.marks = close_pair_line(out_.marks);
        out_.beams = close_pair_line(out_.beams);
        out_.slurs = close_pair_line(out_.slurs);
        return out_;
    }

  private:
    // Every token of the notes line follows a "/"; a note's own "/" comes with the next token,
    // so that a chord tone can turn it into "'".
    void separate() {
        if (!out_.notes.empty() && out_.notes.back() != '/') out_.notes.push_back('/');
    }
    void token(const std::string& t) {
        separate();
        out_.notes += t + "/";
    }

    void cue_switch(float p4, bool grace_or_short) {
        const int32_t v = std::abs(core::int_of(p4));
        if (v >= 100 && grace_or_short && !cue_) {
            cue_ = true;
            token("Q+");
        } else if (v < 100 && cue_) {
            cue_ = false;
            token("Q0");
        }
    }

    void note(const Item& it, const NoteColumn& column) {
        separate();
        const float x = it.p(3);
        const bool chord_tone =
            has_previous_ && x == previous_x_ && !out_.notes.empty() && out_.notes.back() == '/';
        if (chord_tone) {
            out_.notes.back() = '\'';
        } else {
            out_.rhythms += rhythm_token(kNote, it.n, it.p(6), it.p(7), it.p(9)) + "/";
            columns_.push_back(x);
        }
        has_previous_ = true;
        previous_x_ = x;
        const int32_t index = static_cast<int32_t>(columns_.size());

        const int32_t mark = it.ip(11);
        if (mark != 0) note_mark(mark, index);

        // The words of a column go before its first note: written between a chord's notes
        // they would split the chord, and the reader gives every note of a column the words
        // in force at its first.
        if (!chord_tone) column_words(it, column);
        const int32_t p5 = it.ip(5);
        const int32_t t = it.ip(4) % 100;
        if (first_note_) {
            out_.notes += "O";
            first_note_ = false;
        }

        // A note sent to the other staff was given its level by that staff's clef.
        const int32_t to = layout::sent_note_staff(it.ip(2), it.p(12));
        const int32_t s =
            to != 0 ? t + layout::sent_note_step_offset(to, it.p(3)) : t - kClefOffsets[clef_];
        int32_t r = s - 7 * (s / 7);
        if (r <= 0) r += 7;
        if (r > 5) r -= 7;
        out_.notes.push_back(static_cast<char>('B' + r));
        if (p5 >= 100) out_.notes += "(";
        static const char* const kAccidentals[] = {"", "F", "S", "N", "FF", "SS"};
        const int32_t d = p5 % 10;
        if (d >= 1 && d <= 5) out_.notes += kAccidentals[d];
        const int32_t octave = (s + 27) / 7;
        if (!have_octave_ || octave != octave_) {
            out_.notes += digits(octave);
            octave_ = octave;
            have_octave_ = true;
        }
    }

    // Stem length, stem direction and cue size of a column, from its first note (the reader
    // gives a column's notes one stem, carried by one of them).
    void column_words(const Item& it, const NoteColumn& column) {
        const int32_t stem_mark = it.ip(12);
        if (stem_mark != stem_mark_) {
            out_.notes += stem_mark == 1 ? "S+/" : stem_mark == 2 ? "S-/" : "S0/";
            stem_mark_ = stem_mark;
        }
        // The reader's own choice (no stem word in force): up for a column lying below the
        // middle line (lowest and highest step adding to 13 or less), down otherwise.
        const int32_t sd = column.stem;
        if (sd != 0 && sd != stem_) {
            const int32_t natural = column.lowest + column.highest <= 13 ? 1 : 2;
            if (sd == natural) {
                if (stem_ != 0) {
                    out_.notes += "SO/";
                    stem_ = 0;
                }
            } else if (sd == 1 || sd == 2) {
                out_.notes += sd == 1 ? "SU/" : "SD/";
                stem_ = sd;
            }
        }
        cue_switch(it.p(4), it.p(7) < 64.0f || it.n <= 7);
    }

    void note_mark(int32_t v, int32_t index) {
        if (have_mark_ && v == last_mark_ && !out_.marks.empty()) {
            out_.marks.pop_back();  // the previous mark's "/"
            out_.marks += " " + digits(index) + "/";
            return;
        }
        std::string word = v < 1 ? "-" : "";
        const std::string name = note_mark_word(v < 1 ? -v : v);
        if (name.empty()) return;
        out_.marks += word + name + " " + digits(index) + "/";
        have_mark_ = true;
        last_mark_ = v;
    }

    void rest(const Item& it) {
        out_.rhythms += rhythm_token(kRest, it.n, it.p(6), it.p(7), it.p(9)) + "/";
        const int32_t kind = it.ip(5);
        if (kind == -2) {
            token("RW");
        } else if (kind == -4) {
            token("RP");
        } else if (it.p(8) < 0.0f) {
            token("RF");
        } else if (it.p(6) < 0.0f) {
            token("RI");
        } else {
            cue_switch(it.p(4), it.p(7) < 64.0f || it.n <= 7);
            int32_t v = it.ip(4);
            if (std::abs(v) >= 100) v %= 100;
            token(v == 0 ? "R" : v > 0 ? "RU" : "RD");
        }
    }

    void bar_line(const Item& it) {
        std::string t = "M";
        if (it.p(4) < 0.0f) {
            t += "I";
        } else {
            static const char* const kTypes[] = {"", "D", "H", "RL", "RR", "RD", "I ", "DS"};
            const int32_t type = it.ip(5);
            if (type >= 1 && type <= 7) t += kTypes[type];
        }
        if (it.p(4) >= 1.0f) t += digits(it.ip(4));
        token(t);
    }

    // The note number of position x: a column within 0.1, else the fraction between the two
    // neighbouring columns (the range's ends stand beyond the first and last column).
    double note_index(float x) const {
        const int32_t n = static_cast<int32_t>(columns_.size());
        for (int32_t i = 0; i < n; ++i)
            if (std::fabs(columns_[i] - x) <= 0.1f) return i + 1;
        auto at = [&](int32_t i) -> double {
            if (i <= 0) return left_;
            if (i > n) return right_;
            return columns_[i - 1];
        };
        int32_t i = 0;  // the neighbour below x: index i, i + 1 above
        while (i <= n && at(i + 1) < x) ++i;
        if (i > n) i = n;  // beyond the range's end: the last stretch carries on
        const double x0 = at(i), x1 = at(i + 1);
        if (x1 == x0) return i;
        return i + (x - x0) / (x1 - x0);
    }

    void symbol(const Item& it) {
        const int32_t v = it.ip(5);
        std::string t;
        // The marks line puts a symbol at its note's x, dynamics too: its note number is
        // that of its own x.
        const float x = it.p(3);
        if (v >= 51 && v <= 68) {
            if (v == 66 || v == 67) {
                if (it.p(4) < 11.0f) t = "-";
            } else if (it.p(4) > 3.0f) {
                t = "+";
            }
            const int32_t slot = (v > 59 ? v - 1 : v) - 51;
            std::string word(kDynamics.substr(static_cast<std::size_t>(slot) * 3, 3));
            word.erase(word.find_last_not_of(' ') + 1);
            t += word;
        } else {
            if (it.p(4) > 3.0f) t = "+";
            t += "N" + digits(v);
        }
        out_.marks += t + " " + number_text(note_index(x)) + "/";
    }

    void hairpin(const Item& it) {
        std::string t = it.p(4) > 3.0f ? "+C" : "C";
        if (it.p(7) < 0.0f) t += "-";
        out_.marks += t + " " + number_text(note_index(it.p(3))) + " " +
                      number_text(note_index(it.p(6))) + "/";
    }

    void ornament_line(const Item& it) {
        std::string t;
        if (std::fabs(it.p(7)) == 8.0f) {
            t = it.p(7) < 0.0f ? "OB" : "O";
        } else {
            const int32_t a = it.ip(8);
            t = std::string("TR") + (a == 1 ? "F" : a == 2 ? "S" : a == 3 ? "N" : "") + "W";
        }
        // The marks line runs an octave or trill line past its last note: taken off, the end
        // names that note again.
        out_.marks += t + " " + number_text(note_index(it.p(3))) + " " +
                      number_text(note_index(it.p(6) - ornament_line_extension(it.p(2)))) + "/";
    }

    void tremolo(const Item& it) {
        const float at = it.n > 10 && it.p(11) != 0.0f ? it.p(11) : it.p(3);
        out_.marks +=
            "TM" + digits(std::abs(it.ip(10) % 10)) + " " + number_text(note_index(at)) + "/";
    }

    void pair(const Item& it, int32_t code) {
        double s = note_index(it.p(3));
        double e = note_index(it.p(6));
        int32_t h = it.n >= 8 ? it.ip(8) : 0;
        const bool slur = code == kSlur;
        const bool tie = slur && h < -1;
        if (tie) e += 0.0001;
        bool& have = slur ? have_slur_ : have_beam_;
        double& ps = slur ? slur_s_ : beam_s_;
        double& pe = slur ? slur_e_ : beam_e_;
        if (have && s == ps && e == pe) return;
        have = true;
        ps = s;
        pe = e;
        const double columns = static_cast<double>(columns_.size());
        int32_t direction = 1;
        if (!slur) {
            if (it.p(7) >= 20.0f) direction = -1;
            s = std::max(std::round(s), 1.0);
            e = std::min(std::round(e), columns);
            if (h != 0) e += 100.0 * h;
        } else {
            if (h == 1 || h == 2) return;
            // A tie (-2, -3) past the last column ends one column on, which is read back as a
            // tie to the staff's end; 99 would come back as a slur.
            const bool inside = s >= 1.0 && s <= columns;
            if (e > columns + 0.001 && !tie && (h == -1 || inside)) e = 99.0;
            if (it.p(7) < 0.0f) direction = -1;
            if (s < 1.0) s = h == -1 ? 99.0 : 0.0;
            if (h == 3 && it.n >= 9) h = it.ip(9);
            // Only a flag (3 and up) is written in the hundreds: the other heights (-1 an
            // ordinary slur, -2 and -3 ties, 0 and -4 a slur on the stems' side) are what the
            // builder makes from the pair itself, and written they would come back as a tie or
            // a flagged slur.
            if (h > 0) e += 100.0 * h;
        }
        // The ties of a chord split over both sides are what an unsigned pair gives; a sign
        // would put them all on one side.
        if (slur && tie && split_tie(it.p(3), it.p(6))) direction = 0;
        if (direction != 0) e = direction == 1 ? e + 10000.0 : -e;
        (slur ? out_.slurs : out_.beams) += number_text(s) + " " + number_text(e) + "/";
    }

    float left_;
    float right_;
    int32_t clef_ = 0;
    InputLinesText out_;
    std::vector<float> columns_;  // the note columns, in order: note number i is columns_[i-1]
    bool have_octave_ = false;
    int32_t octave_ = 0;
    int32_t stem_mark_ = 0;
    int32_t stem_ = 0;
    bool cue_ = false;
    bool first_note_ = true;
    bool has_previous_ = false;
    float previous_x_ = 0.0f;
    bool have_mark_ = false;
    struct TieSides {
        float from, to;
        bool above, below;
    };
    bool split_tie(float from, float to) const {
        for (const TieSides& t : tie_sides_)
            if (t.from == from && t.to == to) return t.above && t.below;
        return false;
    }
    std::vector<TieSides> tie_sides_;
    int32_t last_mark_ = 0;
    bool have_beam_ = false, have_slur_ = false;
    double beam_s_ = 0, beam_e_ = 0, slur_s_ = 0, slur_e_ = 0;
};

}  // namespace

// Contract: see input_lines_text.h. A value that is not positive counts as a quarter; more than
// two dots count as two.
std::string rhythm_token(int32_t code, int32_t n, float p6, float p7, float p9) {
    double d = n <= 6 ? 1.0 : p7;
    if (!(d > 0.0)) d = 1.0;
    if (d >= 32.0) return "G";
    int32_t dots = code == kRest ? core::int_of(p6) : (core::int_of(p9) % 100) / 10;
    dots = std::clamp(dots, 0, 2);
    // The letter and the denominator name the value without its dots.
    const double plain = dots == 1 ? d / 1.5 : dots == 2 ? d / 1.75 : d;
    int64_t m = std::llround(1000.0 * d);
    if (dots == 1) m = m * 2 / 3;
    if (dots == 2) m = m * 4 / 7;
    std::string t;
    switch (m) {
        case 250:
            t = "S";
            break;
        case 500:
            t = "E";
            break;
        case 1000:
            t = "Q";
            break;
        case 2000:
            t = "H";
            break;
        case 4000:
            t = "W";
            break;
        case 8000:
            t = "D";
            break;
        case 333:
            t = "T";
            break;
        default: {
            const double q = 4.0 / plain;
            const int64_t k = static_cast<int64_t>(q + 0.01);
            t = digits(k);
            const double fraction = q - static_cast<double>(k);
            if (fraction >= 0.01) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, ".%04d",
                              static_cast<int>(std::min(fraction, 0.9999) * 10000.0));
                t += buffer;
            }
        }
    }
    t.append(static_cast<std::size_t>(dots), '.');
    return t;
}

// Contract: see input_lines_text.h.
InputLinesText write_input_line_text(const std::vector<int32_t>& items,
                                     const std::vector<int32_t>& second_pass_items, float left,
                                     float right, int32_t clef_kind) {
    LineWriter writer(left, right, clef_kind);
    NoteColumn column;
    float column_x = 0.0f;
    bool in_column = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item it = item_at(items[i]);
        const bool note = it.ip(1) == kNote;
        if (note && !(in_column && it.p(3) == column_x)) {
            column = column_at(items, i);
            column_x = it.p(3);
        }
        in_column = note;
        writer.first_pass(it, it.ip(1), column);
    }
    for (int32_t k : items) writer.note_tie_sides(item_at(k));
    for (int32_t k : second_pass_items) {
        const Item it = item_at(k);
        writer.second_pass(it, it.ip(1));
    }
    return writer.finish();
}

}  // namespace input
