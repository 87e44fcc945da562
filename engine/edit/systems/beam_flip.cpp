// Flipping the beamed groups of one staff range. Everything is collected and checked before the
// store is touched: a refused flip leaves every item as it was and says why. The notes, rhythms
// and marks lines are then rebuilt in ColumnRecords, the beam and slur rows made again by the
// typed-input builders, and only the vertical values are copied back into the items.
#include "engine/edit/systems/beam_flip.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/items/item_ends.h"
#include "engine/input/tables.h"
#include "engine/input/typed/mark_items.h"
#include "engine/layout/builders/input_builders.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

constexpr int32_t kNoteCode = 1;
constexpr int32_t kSlurCode = 5;
constexpr int32_t kBeamCode = 6;
constexpr int32_t kTextCode = 16;
constexpr std::size_t kMaxNotes = 100;
constexpr std::size_t kMaxBeams = 100;
constexpr std::size_t kMaxSlurs = 100;
constexpr int32_t kBeamCopyWords = 18;
// Mark codes that a note carries as its own attribute (P11); larger codes are separate items.
constexpr int32_t kLastAttributeCode = 44;
constexpr float kEndTolerance = 0.01f;

constexpr std::string_view kBeamRefused =
    "*** end of beam out of range, or tremolo, or P7 rhythm >= 1. - Can't flip Item";
constexpr std::string_view kMismatch = "*** beam/note mismatch - can't flip Item";
constexpr std::string_view kTooMany =
    "*** Can't flip: more than 100 notes, beams or slurs, or a beam of more than 18 parameters.";
constexpr std::string_view kNoStemmedNote = "*** Can't flip: a chord without a stemmed note.";
constexpr std::string_view kNoRhythm = "*** Can't flip: a note without rhythm.";
constexpr std::string_view kTwoStems =
    "*** Can't flip: two stemmed notes at one position (two voices); nothing was changed.";
constexpr std::string_view kOutOfPositions =
    "*** Can't flip: a note too far above or below the staff.";
constexpr std::string_view kLongChord = "*** Chord of more than 80 notes.";

// One stored record, read and written in place; P(j) reads 0.0 beyond its count.
struct Record {
    int32_t start = 0;
    int32_t n = 0;
    float p(int32_t j) const { return j >= 1 && j <= n ? core::ItemStore(start + j) : 0.0f; }
    float& at(int32_t j) const { return core::ItemStore(start + j); }
    int32_t code() const { return core::int_of(p(1)); }
    int32_t staff() const { return core::int_of(p(2)); }
};

Record record_of(int32_t k) {
    Record r;
    r.start = core::ItemStartTable(k);
    r.n = core::int_of(core::ItemStore(r.start));
    return r;
}

float& row(int32_t r, int32_t w) { return layout::ColumnRecords.rows(r)(w); }

// The positions of the notes the current flip collected, in its order (a chord's rows share
// one, so the rows' reordering within chords does not matter); set by flip_beamed_group.
std::vector<float> FlipPositions;

struct CollectedNote {
    int32_t item = 0;
    float x = 0.0f;
    float rhythm = 0.0f;   // 0.0 for a chord member
    int32_t tuplet = 0;    // the dots, from P9's tens
    int32_t position = 0;  // INT(P4): where its mark goes after the chord is reordered
    int32_t mark = 0;      // the marks line's code word (0 none)
};

struct BeamEntry {
    int32_t item = 0;
    bool further = false;  // another beam starts at the same position before it
    float raw_left = 0.0f;
    float left = 0.0f;  // the ends snapped to the notes' exact positions
    float right = 0.0f;
    int32_t n = 0;
    float saved[kBeamCopyWords + 1] = {};
};

struct Flip {
    int32_t mode = 1;
    std::vector<CollectedNote> notes;
    std::vector<BeamEntry> beams;
    std::vector<int32_t> slurs;
    std::vector<float> note_tokens;
    bool two_voices = false;  // refused: two stemmed notes at one position
};

void refuse_item(std::string_view text, int32_t column, int32_t item) {
    core::SecondLine.set(text);
    core::write_int_field(core::SecondLine, column, column + 3, "(1i4)", item);
    core::report_failure(core::SecondLine.view());
}

// Matches both ends of the beam in r to notes of its staff, snapping nothing yet. False when an
// end has no note or a matched note takes a beat or more.
bool match_beam_ends(const Record& r, const std::vector<int32_t>& staff_notes, BeamEntry& entry) {
    int32_t count = 0;
    for (int32_t j : staff_notes) {
        const Record note = record_of(j);
        const float x = note.p(3);
        if (std::fabs(x - r.p(3)) <= kEndTolerance) {
            entry.left = x;
            if (count < 51) ++count;
        } else if (std::fabs(x - r.p(6)) <= kEndTolerance) {
            entry.right = x;
            if (count < 50) count += 50;
        } else {
            continue;
        }
        const float rhythm = note.p(7);
        if (rhythm >= 0.99f && rhythm < 64.0f) return false;
        if (count > 50) return true;
    }
    return false;
}

// Walks the staff range: notes, beams (with their ends matched) and slurs. False when refused;
// the reason has been shown.
bool collect(Flip& f) {
    const int32_t staff = core::int_of(layout::InputStaff);
    const float left = layout::InputRangeStart;
    const float right = layout::InputRangeEnd;
    // The staff's notes in store order, listed once for the ends of all its beams.
    std::vector<int32_t> staff_notes;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const Record r = record_of(k);
        if (r.code() == kNoteCode && r.staff() == staff) staff_notes.push_back(k);
    }
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const Record r = record_of(k);
        if (r.staff() != staff || r.p(3) < left || r.code() == kTextCode) continue;
        if (r.p(3) > right) break;
        if (r.code() == kBeamCode && r.n > 6) {
            if (r.n > kBeamCopyWords || f.beams.size() >= kMaxBeams) {
                core::report_failure(kTooMany);
                return false;
            }
            BeamEntry entry;
            entry.item = k;
            entry.raw_left = r.p(3);
            if (r.p(7) < 0.0f || r.p(6) > right || !match_beam_ends(r, staff_notes, entry)) {
                refuse_item(kBeamRefused, 81, k);
                return false;
            }
            entry.further = !f.beams.empty() && f.beams.back().raw_left == r.p(3);
            entry.n = r.n;
            for (int32_t j = 1; j <= r.n; ++j) entry.saved[j] = r.p(j);
            entry.saved[3] = entry.left;
            entry.saved[6] = entry.right;
            f.beams.push_back(entry);
        } else if (r.code() == kSlurCode) {
            if (f.mode == 2 || r.n < 7 || r.p(7) == 0.0f) continue;
            if (r.n > 7 && (r.p(8) == 1.0f || r.p(8) == 2.0f)) continue;
            if (f.slurs.size() >= kMaxSlurs) {
                core::report_failure(kTooMany);
                return false;
            }
            f.slurs.push_back(k);
        } else if (r.code() == kNoteCode) {
            if (r.n >= 10 && core::compute_real_mod(r.p(10), 10.0f) != 0.0f) continue;
            if (f.notes.size() >= kMaxNotes) {
                core::report_failure(kTooMany);
                return false;
            }
            CollectedNote note;
            note.item = k;
            note.x = r.p(3);
            f.notes.push_back(note);
        }
    }
    return true;
}

// A note at a new position that draws a stem: a short note, or a head kind that has one.
bool needs_stem(const Record& r) {
    if (r.n < 6) return true;
    const int32_t head = core::int_of(r.p(6));
    if (head < 2) return true;
    return head > 3 && (head == 95 || head == 139 || head < 11);
}

// The notes line as the input mode would have typed it, into f.note_tokens, with each note's
// rhythm, tuplet digit and mark. A chord's first note must carry the stem: a stemmed partner
// at its position is moved in front of it, and no other note there may carry one. False when
// refused; the reason has been shown.
bool make_note_tokens(Flip& f) {
    auto& notes = f.notes;
    auto& tokens = f.note_tokens;
    bool have_last = false;
    float last_x = 0.0f;
    bool small = false;
    bool chord_stem = false;  // a note of the current position carried a stem digit
    int32_t chord_length = 0;
    for (std::size_t i = 0; i < notes.size();) {
        const Record r = record_of(notes[i].item);
        const bool member = have_last && notes[i].x == last_x;
        if (!member) chord_stem = false;
        int32_t base = 1028;
        int32_t d = 0;
        if (r.n > 4) {
            const int32_t whole = core::int_of(r.p(5));
            base = whole >= 101 ? 7028 : 1028;
            d = whole % 100;
            if (d < 10) {
                if (!member && needs_stem(r)) {
                    std::size_t j = i + 1;
                    for (; j < notes.size() && notes[j].x == notes[i].x; ++j) {
                        const Record other = record_of(notes[j].item);
                        if (other.n >= 5 && core::compute_real_mod(other.p(5), 100.0f) >= 10.0f)
                            break;
                    }
                    if (j >= notes.size() || notes[j].x != notes[i].x) {
                        core::report_failure(kNoStemmedNote);
                        return false;
                    }
                    std::swap(notes[i], notes[j]);
                    continue;
                }
            } else {
                // A second stem at one position is a second voice: flipping would merge the
                // voices into one chord.
                if (member && chord_stem) {
                    f.two_voices = true;
                    core::report_failure(kTwoStems);
                    return false;
                }
                chord_stem = true;
                if (f.mode != 2) {
                    const bool down = f.mode == 3 || (f.mode != 4 && d < 20);
                    tokens.push_back(down ? 5020.0f : 5010.0f);
                }
            }
            if (r.n > 10 && core::int_of(r.p(11)) != 0) {
                const int32_t code = std::abs(core::int_of(r.p(11)));
                if (code <= kLastAttributeCode)
                    notes[i].mark = code * 10000 + (r.p(11) < 0.0f ? 1 : 0);
            }
        }
        const int32_t accidental = d % 10;
        float rhythm = r.n > 6 ? r.p(7) : 0.0f;
        const int32_t p = core::int_of(r.p(4));
        if (rhythm < 64.0f) {
            if (std::abs(p) < 100 && small) {
                tokens.push_back(8000.0f);
                small = false;
            } else if (std::abs(p) >= 100 && !small) {
                tokens.push_back(8001.0f);
                small = true;
            }
        }
        // The note token's value holds the step in two digits from 28 below step 0.
        const int32_t step = p % 100 + 28;
        if (step < 0 || step > 99) {
            core::report_failure(kOutOfPositions);
            return false;
        }
        float token = static_cast<float>(accidental * 100 + base - 28 + step);
        int32_t tuplet = 0;
        if (member) {
            token = -token;
            rhythm = 0.0f;
        } else {
            if (r.n > 8) tuplet = (core::int_of(r.p(9)) % 100) / 10;
            if (rhythm == 0.0f) {
                core::report_failure(kNoRhythm);
                return false;
            }
        }
        chord_length = member ? chord_length + 1 : 1;
        if (chord_length > layout::kChordNotes) {
            core::report_failure(kLongChord);
            return false;
        }
        tokens.push_back(token);
        notes[i].rhythm = rhythm;
        notes[i].tuplet = tuplet;
        notes[i].position = p;
        last_x = notes[i].x;
        have_last = true;
        ++i;
    }
    if (tokens.size() > static_cast<std::size_t>(layout::kInputTokenCapacity)) {
        core::report_failure(kTooMany);
        return false;
    }
    return true;
}

// The rows the notes, beams and slurs lines will use, and the words the notes will grow by,
// must fit before anything is built.
bool tables_have_room(const Flip& f) {
    std::size_t pairs = f.slurs.size();
    for (const BeamEntry& b : f.beams)
        if (!b.further) ++pairs;
    if (f.notes.size() + pairs > static_cast<std::size_t>(layout::kColumnRows)) {
        core::report_failure(kTooMany);
        return false;
    }
    int32_t growth = 0;
    for (const CollectedNote& note : f.notes) growth += std::max(0, 11 - record_of(note.item).n);
    if (core::ItemWordsUsed - 1 + growth > core::ItemStoreCapacity) {
        core::report_page_full("the notes were not flipped");
        return false;
    }
    return true;
}

void set_tokens(const std::vector<float>& values) {
    layout::InputTokenList.fill(0.0f);
    int32_t k = 0;
    for (float v : values) layout::InputTokenList(++k) = v;
    layout::InputTokenList(0) = static_cast<float>(k);
}

// The marks line: each mark goes to the row that took its note's step, so that it stays on its
// note when the chord's rows were reordered.
void make_mark_rows(const Flip& f) {
    std::vector<float> tokens;
    std::vector<bool> taken(f.notes.size() + 1, false);
    const int32_t rows = static_cast<int32_t>(f.notes.size());
    for (int32_t i = 1; i <= rows; ++i) {
        const CollectedNote& note = f.notes[static_cast<std::size_t>(i - 1)];
        if (note.mark == 0) continue;
        int32_t target = i;
        for (int32_t r = 1; r <= rows; ++r) {
            if (taken[static_cast<std::size_t>(r)] || row(r, 3) != row(i, 3)) continue;
            if (core::int_of(row(r, 4)) % 100 == note.position % 100) {
                target = r;
                break;
            }
        }
        taken[static_cast<std::size_t>(target)] = true;
        tokens.push_back(static_cast<float>(note.mark));
        tokens.push_back(static_cast<float>(target));
    }
    if (tokens.empty()) return;
    set_tokens(tokens);
    input::MarkSideFlags.fill(0);
    layout::InputParserMode = layout::kMarksMode;
    input::build_mark_items_on_rows();
}

// The notes line must have made one note row per collected note.
bool note_rows_made(const Flip& f) {
    const int32_t rows = static_cast<int32_t>(f.notes.size());
    if (layout::ColumnRecords.count < rows) return false;
    for (int32_t r = 1; r <= rows; ++r)
        if (row(r, 1) != 1.0f) return false;
    return true;
}

// Steps 7 to 9: beams, slurs and notes back into the store.
void rebuild_and_copy_back(Flip& f) {
    int32_t note_count = static_cast<int32_t>(f.notes.size());
    bool regenerated = false;
    // One pair line (beams or slurs): its tokens, the builder's rows, the rows back.
    auto rebuild_pairs = [&](const std::vector<int32_t>& items, int32_t mode, void (*builder)()) {
        PairItemList list;
        int32_t m = 0;
        for (int32_t item : items) list(++m) = item;
        layout::InputParserMode = mode;
        int32_t c = layout::ChordCount + 1;
        regenerate_pair_tokens(c, note_count, m, list);
        int32_t start = layout::ColumnRecords.count + 1;
        builder();
        copy_pair_rows_back(start, m, list);
        regenerated = true;
    };
    if (!f.beams.empty()) {
        std::vector<int32_t> items;
        for (const BeamEntry& b : f.beams) items.push_back(b.item);
        rebuild_pairs(items, layout::kBeamsMode, layout::make_beams_for_notes);
    }
    if (!f.slurs.empty() && f.mode != 2) {
        rebuild_pairs(f.slurs, layout::kSlursMode, layout::make_slurs_for_notes);
    }

    // Every short note grows in one pass: growing them one by one moves the store's tail each time.
    std::vector<int32_t> short_notes;
    for (const CollectedNote& note : f.notes) {
        if (record_of(note.item).n < 11) short_notes.push_back(note.item);
    }
    core::grow_items_to(short_notes, 11);
    for (int32_t i = 1; i <= note_count; ++i) {
        const CollectedNote& note = f.notes[static_cast<std::size_t>(i - 1)];
        if (record_of(note.item).n < 11) core::resize_item(note.item, 11.0f);
        const Record r = record_of(note.item);
        const bool keep_mark = core::int_of(r.p(11)) != 0 && note.mark == 0;
        for (int32_t w : {4, 5, 8, 9, 10, 11}) {
            if (w == 11 && keep_mark) continue;
            r.at(w) = row(i, w);
        }
    }
    if (!regenerated) return;

    // Further beams at a beam's start keep their own words but follow its heights and side.
    for (std::size_t b = 0; b < f.beams.size(); ++b) {
        if (f.beams[b].further) continue;
        const Record first = record_of(f.beams[b].item);
        const int32_t q = core::int_of(first.p(7) / 10.0f);
        if (q < 0) continue;
        for (std::size_t e = b + 1; e < f.beams.size() && f.beams[e].further; ++e) {
            const BeamEntry& entry = f.beams[e];
            const Record r = record_of(entry.item);
            for (int32_t j = 1; j <= std::min(entry.n, r.n); ++j) r.at(j) = entry.saved[j];
            r.at(7) = static_cast<float>(q * 10 + core::int_of(entry.saved[7]) % 10);
            r.at(4) = first.p(4);
            r.at(5) = first.p(5);
        }
    }

    // Stems of the staff's beamed notes fitted again, up to the range's last note.
    int32_t last_note = 0;
    for (const CollectedNote& note : f.notes) last_note = std::max(last_note, note.item);
    const int32_t count = core::ItemCount;
    core::ParamBuffer.fill(0.0f);
    core::ParamBuffer(2) = layout::InputStaff;
    core::ParamBuffer(3) = 1.0f;
    core::ParamBuffer(4) = render::PageExtent;
    core::ParamBuffer(5) = layout::InputStaff;
    core::ItemCount = last_note;
    int32_t flag = 1;
    layout::fit_stems_to_beams(flag, false);
    // A stem fit may have grown notes while the count was held short.
    core::ItemCount = count;
    core::rebuild_item_start_table();
}

}  // namespace

// Contract: see the header. Reads InputStaff, InputRangeStart/End and the store (sorted);
// writes the range's notes (P4, P5, P8..P11, grown to 11 words), beams (ends snapped to their
// notes, P4, P5, P7) and slurs (P4, P5, P7), then fits the staff's stems. Uses ColumnRecords,
// InputTokenList, the chord tables and MarkSideFlags as scratch; InputParserMode, the input
// range, SpacingList.count, ParamBuffer and EditItemParams are given back as they were. A
// range that cannot be flipped is refused with a message and the store left untouched.
FlipOutcome flip_beamed_group(int32_t& mode) {
    Flip f;
    f.mode = mode;
    if (!collect(f)) return FlipOutcome::Refused;
    if (f.notes.empty()) return FlipOutcome::Flipped;  // nothing to flip
    if (!make_note_tokens(f)) return f.two_voices ? FlipOutcome::TwoVoices : FlipOutcome::Refused;
    if (!tables_have_room(f)) return FlipOutcome::Refused;

    const int32_t kept_kind = layout::InputParserMode;
    const float kept_left = layout::InputRangeStart;
    const float kept_right = layout::InputRangeEnd;
    const int32_t kept_spacing = layout::SpacingList.count;
    const auto kept_params = core::ParamBuffer;
    const auto kept_edit = core::EditItemParams;
    const auto give_back = [&] {
        layout::InputParserMode = kept_kind;
        layout::InputRangeStart = kept_left;
        layout::InputRangeEnd = kept_right;
        layout::SpacingList.count = kept_spacing;
        core::ParamBuffer = kept_params;
        core::EditItemParams = kept_edit;
        FlipPositions.clear();
    };

    layout::RegenerateInputFlag = 1;
    set_tokens(f.note_tokens);
    layout::InputParserMode = layout::kNotesMode;
    layout::place_input_notes();
    layout::RegenerateInputFlag = 0;

    std::vector<float> rhythms;
    for (const CollectedNote& note : f.notes)
        if (note.rhythm != 0.0f)
            rhythms.push_back(1000.0f * static_cast<float>(note.tuplet) +
                              std::min(note.rhythm, 64.0f));
    set_tokens(rhythms);
    layout::InputParserMode = layout::kRhythmsMode;
    layout::SpacingList.count = 0;
    layout::apply_input_rhythms();
    layout::SpacingList.count = kept_spacing;

    make_mark_rows(f);
    if (!note_rows_made(f)) {  // the builders refused the line and said why
        give_back();
        return FlipOutcome::Refused;
    }

    FlipPositions.clear();
    for (const CollectedNote& note : f.notes) FlipPositions.push_back(note.x);
    for (const BeamEntry& b : f.beams) {
        const Record r = record_of(b.item);
        r.at(3) = b.left;
        r.at(6) = b.right;
    }
    rebuild_and_copy_back(f);
    give_back();
    return FlipOutcome::Flipped;
}

// Contract: see the header. Rows 1..note_count take back the positions of the notes the flip
// collected (the rhythms line spread them over the input range). Each pair item's ends
// name the chords (first rows of ChordFirstRows) within one unit of them; a further beam
// starting where the previous item starts adds nothing. On the beams line a pair with an end on
// no chord, or on a chord the pair numbers cannot name (above 98), is dropped with the mismatch
// message, and its entry in items is negated so that no row is copied into it. Writes
// InputTokenList and ColumnRecords rows' P3.
void regenerate_pair_tokens(int32_t& chord_limit, int32_t& note_count, int32_t& pair_count,
                            PairItemList& items) {
    const int32_t rows = std::clamp(note_count, 0, layout::ColumnRecords.count);
    for (int32_t i = 1; i <= std::min(rows, static_cast<int32_t>(FlipPositions.size())); ++i)
        row(i, 3) = FlipPositions[static_cast<std::size_t>(i - 1)];
    const bool beams = layout::InputParserMode == layout::kBeamsMode;
    const int32_t c = std::clamp(chord_limit, 1, layout::kInputRows + 1);
    std::vector<float> tokens;
    int32_t previous_x1 = 0;
    bool have_previous = false;
    int32_t previous_first = -1;
    int32_t previous_last = -1;
    bool previous_dropped = false;
    for (int32_t k = 1; k <= std::clamp(pair_count, 0, items.size()); ++k) {
        if (items(k) <= 0) continue;
        const Record r = record_of(items(k));
        const int32_t x1 = core::int_of(r.p(3));
        const int32_t x2 = core::int_of(r.p(6));
        const bool further = have_previous && x1 == previous_x1;
        previous_x1 = x1;
        have_previous = true;
        if (beams && further) {
            // Beams stacked on a dropped beam have no row either.
            if (previous_dropped) items(k) = -items(k);
            continue;
        }
        previous_dropped = false;
        int32_t first = 0;
        int32_t last = c;
        for (int32_t j = 1; j <= c - 1; ++j) {
            const int32_t xr = core::int_of(row(layout::ChordFirstRows(j), 3));
            if (std::abs(x1 - xr) <= 1)
                first = j;
            else if (std::abs(x2 - xr) < 2)
                last = j;
        }
        if (first == previous_first && last == previous_last) continue;
        if (beams && (first == 0 || last == c || last > 98)) {
            refuse_item(kMismatch, 42, items(k));
            items(k) = -items(k);
            previous_dropped = true;
            continue;
        }
        previous_first = first;
        previous_last = last;
        if (tokens.size() + 2 > static_cast<std::size_t>(layout::kInputTokenCapacity)) break;
        tokens.push_back(static_cast<float>(first));
        tokens.push_back(static_cast<float>(last));
    }
    set_tokens(tokens);
}

// Contract: see the header. Walks the rows from start_row while items remain and the row is
// not the terminating one: an item moves on to the next row when that row starts where the item
// does (exactly for beams, within one unit for slurs); negated (dropped) items are passed over.
// Sets P4, P5 and P7 of each item: a beam keeps the units of its P7 (its number of beams), a
// slur's P7 is its curvature from its own ends and the row's heights. Uses EditItemParams and
// ParamBuffer as scratch.
void copy_pair_rows_back(int32_t& start_row, int32_t& pair_count, PairItemList& items) {
    int32_t s = start_row;
    const int32_t end = layout::ColumnRecords.count;
    for (int32_t k = 1; k <= std::clamp(pair_count, 0, items.size()); ++k) {
        if (s < 1 || s > end) break;
        if (items(k) <= 0) continue;
        const Record r = record_of(items(k));
        if (s + 1 <= end) {
            const float next = row(s + 1, 3);
            const bool starts_there = r.code() == kSlurCode
                                          ? std::abs(core::int_of(r.p(3)) - core::int_of(next)) <= 1
                                          : r.p(3) == next;
            if (starts_there) ++s;
        }
        r.at(4) = row(s, 4);
        r.at(5) = row(s, 5);
        if (r.n < 7) continue;
        if (r.code() == kBeamCode) {
            r.at(7) = static_cast<float>(core::int_of(row(s, 7) / 10.0f) * 10) +
                      core::compute_real_mod(r.p(7), 10.0f);
        } else if (r.code() == kSlurCode) {
            core::EditItemParams(3) = r.p(3);
            core::EditItemParams(4) = row(s, 4);
            core::EditItemParams(5) = row(s, 5);
            core::EditItemParams(6) = r.p(6);
            core::EditItemParams(7) = row(s, 7);
            core::EditItemParams(8) = row(s, 8);
            core::ParamBuffer(1) = 0.0f;
            compute_slur_curvature();
            r.at(7) = core::ParamBuffer(1) == 7.0f ? core::ParamBuffer(2) : row(s, 7);
        } else {
            r.at(7) = row(s, 7);
        }
    }
    start_row = s;
}

}  // namespace edit
