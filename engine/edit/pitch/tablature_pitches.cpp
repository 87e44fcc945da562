// The sounding pitches of a source staff's notes and the string and fret of one tab note.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/edit/pitch/pitch_context.h"
#include "engine/edit/pitch/tablature.h"
#include "engine/render/text/tab_numbers.h"

namespace edit {

namespace {

using core::ItemStartTable;
using core::ItemStore;

constexpr float kTieWindow = 3.0f;
constexpr float kGraceRhythm = 64.0f;
constexpr float kGraceLength = 0.05f;
constexpr int32_t kComputeOnly = 999;
// Semitone of each letter C..B above C.
constexpr int32_t kLetterSemitones[7] = {0, 2, 4, 5, 7, 9, 11};

int32_t count_of(int32_t k) { return core::int_of(ItemStore(ItemStartTable(k))); }
float param(int32_t k, int32_t j) {
    return j <= count_of(k) ? ItemStore(ItemStartTable(k) + j) : 0.0f;
}

int32_t floor_div(int32_t a, int32_t b) {
    int32_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}
int32_t letter_of_step(int32_t s) { return s - 1 - 7 * floor_div(s - 1, 7) + 1; }

// The accidental state of every diatonic step a note can reach: levels are held to -99..99 and
// the lowest clef offset is -12, so steps run from -111 to 99.
class StepState {
  public:
    static constexpr int32_t kLow = -128;
    static constexpr int32_t kHigh = 127;
    int32_t& at(int32_t s) {
        static int32_t outside = 0;
        if (s < kLow || s > kHigh) {
            outside = 0;
            return outside;
        }
        return values_[static_cast<size_t>(s - kLow)];
    }
    // The alterations key k gives every step (0 everywhere for key 0).
    void set_key(int32_t key) {
        const int32_t k = std::clamp(key, -7, 7);
        for (int32_t s = kLow; s <= kHigh; ++s)
            at(s) = KeyAccidentalTable(7 * (k + 7) + letter_of_step(s));
    }

  private:
    std::array<int32_t, kHigh - kLow + 1> values_{};
};

// Links each tie's left note to the same note at the next position: the later one is not
// struck again and the first one lasts to its end.
void link_ties() {
    const auto& records = StaffPitchContext.records;
    auto& list = NotePitchList;
    for (const int32_t tie : StaffPitchContext.ties) {
        const float left = param(tie, 3);
        const float right = param(tie, 6);
        bool linked = false;
        for (size_t i = 0; i < list.size() && !linked; ++i) {
            if (std::fabs(list[i].position - left) > kTieWindow || list[i].pitch == 0) continue;
            // The search runs over the context records after note i.
            size_t r = 0;
            while (r < records.size() && records[r].item != list[i].item) ++r;
            bool next_found = false;
            float next_position = 0.0f;
            for (size_t q = r + 1; q < records.size(); ++q) {
                const PitchRecord& rec = records[q];
                if (rec.kind == kContextRest || rec.kind == kContextKey || rec.clef != list[i].clef)
                    break;
                if (rec.position == list[i].position) continue;
                if (!next_found) {
                    next_found = true;
                    next_position = rec.position;
                } else if (rec.position != next_position) {
                    break;
                }
                if (rec.level != list[i].level || rec.accidental != 0 ||
                    std::fabs(rec.position - right) > kTieWindow)
                    continue;
                for (auto& later : list) {
                    if (later.item != rec.item || later.tied_from != 0) continue;
                    later.pitch = 0;
                    later.tied_from = list[i].item;
                    list[i].end = later.end;
                    linked = true;
                }
                if (linked) break;
            }
        }
    }
}

}  // namespace

std::vector<NotePitchRecord> NotePitchList;

// Contract: see the header. Reads StaffPitchContext (records, ties), the notes' P7 and the
// KeyAccidentalTable; writes NotePitchList only. A context that failed (count -1) gives an
// empty list.
void compute_note_pitches() {
    NotePitchList.clear();
    if (StaffPitchContext.count <= 0) return;
    StepState state;
    int32_t key = 0;
    float time = 0.0f;
    float last_position = -999.0f;
    float last_duration = 0.0f;
    float last_onset = 0.0f;
    bool rest_last = false;
    for (const PitchRecord& r : StaffPitchContext.records) {
        if (r.kind == kContextKey) {
            key = std::abs(r.accidental) < 100 ? r.accidental : 0;
            state.set_key(key);
            continue;
        }
        if (r.kind == kContextRest) {
            time += param(r.item, 7);
            rest_last = true;
            last_position = 0.0f;
            continue;
        }
        if (r.kind == kContextFirstInBar && r.position != last_position) state.set_key(key);
        const float rhythm = param(r.item, 7);
        float duration = rhythm == 0.0f ? last_duration : rhythm;
        const bool chord = r.position == last_position && !NotePitchList.empty();
        if (rhythm >= kGraceRhythm) {
            time -= kGraceLength;
            if (!rest_last && !NotePitchList.empty()) NotePitchList.back().end = time;
            duration = kGraceLength;
        }
        const int32_t s = clef_step_offset(r.clef) + r.level;
        if (r.accidental != 0) state.at(s) = r.accidental == 3 ? 0 : r.accidental;
        NotePitchRecord p;
        p.item = r.item;
        p.position = r.position;
        p.level = r.level;
        p.clef = r.clef;
        p.accidental = r.accidental;
        p.pitch = 12 * floor_div(s + 34, 7) + kLetterSemitones[letter_of_step(s) - 1] + state.at(s);
        p.onset = chord ? last_onset : time;
        p.end = p.onset + duration;
        NotePitchList.push_back(p);
        time = p.end;
        last_onset = p.onset;
        last_duration = duration;
        last_position = r.position;
        rest_last = false;
    }
    link_ties();
}

// Contract: see the header. Reads the record at `start`; writes ParamBuffer and IntParamBuffer
// (the tablature-number routine's computing mode puts its results there).
void compute_tab_note_fret(int32_t start) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    for (int32_t j = 1; j <= 24; ++j) p(j) = 0.0f;
    for (int32_t j = 1; j <= 56; ++j) ip(j) = 0;
    if (start < 1 || start >= core::ItemWordsUsed) return;
    const int32_t n = std::min(core::int_of(ItemStore(start)), 56);
    if (start + n >= core::ItemWordsUsed + 1) return;
    for (int32_t j = 4; j <= n; ++j) p(j) = ItemStore(start + j);
    for (int32_t j = 1; j <= 24; ++j) ip(j) = core::int_of(p(j));
    ip(10) = kComputeOnly;
    render::draw_tab_fret_numbers();
}

}  // namespace edit
