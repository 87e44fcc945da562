// The room of a clef before its key signature and meter as the user meets it: a line laid out
// by the input mode alone (a clef at the line's start and a small one within it), a
// transposition that gives a key more accidentals (the README's minuet), and one that adds a key
// on a staff whose clef shares its position with a measure number. Each glyph's ink is measured
// by Ghostscript on a page holding that item alone; the store gives where each stands, and every
// page written is read back by Ghostscript as an EPS file.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "engine/render/tables.h"
#include "tests/output/ps_check.h"
#include "tests/support/console_run.h"
#include "tests/support/item_ink.h"
#include "tests/support/readme_minuet.h"
#include "tests/support/store_records.h"

namespace {

class KeyRoomConsoleTest : public ItemInkTest {
  protected:
    // The ink of a stored item (its first seven parameters, on staff 1 at P3 50), measured once
    // per kind of drawing. A note is measured as a plain head (its chord's widest is no wider).
    ItemInk key_room_ink(const std::vector<float>& item) {
        std::string line;
        for (std::size_t j = 0; j < item.size() && j < 7; ++j) {
            const float v = j == 2 ? 50.0f : j == 1 ? 1.0f : item[j];
            line += (j > 0 ? " " : "") + std::to_string(v);
        }
        if (item[0] == 1.0f) line = "1 1 50 5 10 0 1";
        auto found = measured_.find(line);
        if (found != measured_.end()) return found->second;
        const ItemInk ink = item_ink_at_50(line);
        measured_[line] = ink;
        return ink;
    }
    // Each item's ink begins 0.3 or more right of the previous one's (items as stored).
    void expect_key_room_clear(const std::vector<std::vector<float>>& items,
                               const std::string& what) {
        double previous_right = -1000.0;
        std::string previous = "start";
        for (const std::vector<float>& item : items) {
            const ItemInk ink = key_room_ink(item);
            const std::string name = "code " + std::to_string(static_cast<int>(item[0])) + " at " +
                                     std::to_string(item[2]);
            EXPECT_GT(item[2] + ink.left, previous_right + 0.3)
                << what << ": " << name << " over " << previous;
            previous_right = item[2] + ink.right;
            previous = name;
        }
    }
    // Types the lines on a fresh engine, then writes the page with PRPS under name and reads
    // it back with Ghostscript as an EPS file (no file with an empty name). Returns what the
    // console printed.
    std::string key_room_typed(const std::vector<std::string>& lines, const std::string& eps) {
        core::reset_engine();
        core::reset_service_gate();
        std::vector<std::string> all(lines);
        if (!eps.empty()) all.insert(all.end(), {"PR", eps, "PRPS"});
        const std::string out = type(all);
        if (eps.empty()) return out;
        std::string why;
        EXPECT_TRUE(ps_check::eps_reads_clean(eps, why)) << eps << ": " << why;
        return out;
    }

    std::map<std::string, ItemInk> measured_;
};

// Two pages hold the same items, their parameters equal to within 0.01 (an undo copy keeps
// positions to two decimals).
void expect_key_room_same_page(const std::vector<std::string>& page,
                               const std::vector<std::string>& expected) {
    ASSERT_EQ(page.size(), expected.size());
    for (std::size_t i = 0; i < page.size(); ++i) {
        std::istringstream a(page[i]);
        std::istringstream b(expected[i]);
        std::vector<float> x{std::istream_iterator<float>(a), {}};
        std::vector<float> y{std::istream_iterator<float>(b), {}};
        ASSERT_EQ(x.size(), y.size()) << page[i] << " against " << expected[i];
        for (std::size_t j = 0; j < x.size(); ++j)
            EXPECT_NEAR(x[j], y[j], 0.01f) << page[i] << " against " << expected[i];
    }
}

std::vector<float> key_room_item(int32_t k) {
    std::vector<float> item;
    const int32_t n = static_cast<int32_t>(core::ItemStore(core::ItemStartTable(k)));
    for (int32_t j = 1; j <= n; ++j) item.push_back(stored_param(k, j));
    return item;
}

// The items of the staff from its clef at or after from: that clef, the key and meter after it
// and the first note after those, in P3 order (the notes of a chord: the first only).
std::vector<std::vector<float>> key_room_line_start(int32_t staff, float from) {
    std::vector<std::vector<float>> items;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 2) != static_cast<float>(staff) || stored_param(k, 3) < from) continue;
        const float code = stored_param(k, 1);
        if (code == 3.0f || code == 17.0f || code == 18.0f || code == 1.0f)
            items.push_back(key_room_item(k));
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const auto& a, const auto& b) { return a[2] < b[2]; });
    std::vector<std::vector<float>> run;
    for (const std::vector<float>& item : items) {
        if (run.empty() && item[0] != 3.0f) continue;
        run.push_back(item);
        if (item[0] == 1.0f) break;
    }
    return run;
}

// P3 of the first item of that code on the staff; -1 when there is none.
float key_room_position(int32_t staff, int32_t code) {
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == static_cast<float>(code) &&
            stored_param(k, 2) == static_cast<float>(staff))
            return stored_param(k, 3);
    }
    return -1.0f;
}

// A key signature's P5 on the staff; 0 when it has none.
float key_room_key(int32_t staff) {
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == 17.0f && stored_param(k, 2) == static_cast<float>(staff))
            return stored_param(k, 5);
    }
    return 0.0f;
}

TEST_F(KeyRoomConsoleTest, InputModeKeepsEachClefsInkClearOfItsKeyAndMeter) {
    struct Case {
        std::string notes;
        float mid_line_clef;  // where the second clef's run is looked for (0: none)
    };
    std::vector<Case> cases;
    for (const std::string clef : {"TR", "BA", "AL", "TE"}) {
        const std::string c = clef == "TR" ? "C5" : clef == "BA" ? "C3" : "C4";
        for (const std::string key : {"K3F/", "K7S/", ""}) {
            for (const std::string meter : {"3 4/", ""}) {
                if (key.empty() && meter.empty()) continue;
                cases.push_back({clef + "/" + key + meter + c + "/D/E;", 0.0f});
            }
        }
    }
    // Small clefs within the line, after a note or a bar line, before a key or a meter.
    for (const std::string clef : {"BA", "TE", "AL", "TR"}) {
        const std::string c = clef == "TR" ? "C5" : clef == "BA" ? "C3" : "C4";
        for (const std::string key : {"K2F/", "K7S/"}) {
            cases.push_back({"TR/C5/D/" + clef + "/" + key + c + "/D;", 60.0f});
            cases.push_back({"TR/C5/D/M/" + clef + "/" + key + c + "/D;", 60.0f});
        }
        cases.push_back({"TR/C5/D/M/" + clef + "/COM/" + c + "/D;", 60.0f});
    }
    std::vector<std::vector<std::vector<float>>> found;
    int32_t typed = 0;
    for (const Case& c : cases) {
        // Every fourth page is written and read back (Ghostscript is slow under the sanitizers).
        const std::string out =
            key_room_typed({"IN 1", "", c.notes, "Q;", "N", ";", ";", ";", "X", "N"},
                           typed++ % 4 == 0 ? "line" + std::to_string(typed) + ".eps" : "");
        found.push_back(key_room_line_start(1, c.mid_line_clef));
        EXPECT_GE(found.back().size(), 3u) << c.notes << out;
    }
    // The run is taken back whole (an empty page writes no file).
    core::reset_engine();
    core::reset_service_gate();
    type({"IN 1", "", cases[0].notes, "Q;", "N", ";", ";", ";", "X", "N", "UNDO"});
    EXPECT_EQ(core::ItemCount, 0);
    for (std::size_t i = 0; i < cases.size(); ++i) expect_key_room_clear(found[i], cases[i].notes);
}

TEST_F(KeyRoomConsoleTest, TransposingTheMinuetToFiveFlatsMakesRoomForThem) {
    key_room_typed(readme_minuet_lines(), "minuet.eps");
    const std::vector<std::string> before = stored_item_lines();
    const float note_before = key_room_position(1, 1);
    std::vector<std::string> lines(readme_minuet_lines());
    lines.push_back("TR 6 1");
    key_room_typed(lines, "five_flats.eps");
    ASSERT_EQ(key_room_key(1), -5.0f);
    EXPECT_EQ(key_room_key(2), 1.0f);  // the treble is not transposed
    // The system stays in line: the treble's meter and first note moved with the bass's.
    EXPECT_GT(key_room_position(1, 1), note_before);
    EXPECT_EQ(key_room_position(2, 18), key_room_position(1, 18));
    EXPECT_EQ(key_room_position(2, 1), key_room_position(1, 1));
    std::vector<std::pair<std::string, std::vector<std::vector<float>>>> runs = {
        {"TR 6 1, bass", key_room_line_start(1, 0.0f)},
        {"TR 6 1, treble", key_room_line_start(2, 0.0f)}};
    ASSERT_EQ(runs[0].second.size(), 4u);
    EXPECT_EQ(runs[0].second[1][0], 17.0f);
    EXPECT_EQ(runs[0].second[2][0], 18.0f);
    lines.push_back("UNDO");
    key_room_typed(lines, "undone.eps");
    expect_key_room_same_page(stored_item_lines(), before);

    // A key that keeps its accidentals' count, or loses some, keeps its room: nothing moves.
    for (const std::string tr : {"TR 5 1", "TR -2 1", "TR 12 1"}) {
        lines = readme_minuet_lines();
        lines.push_back(tr);
        key_room_typed(lines, "narrow.eps");
        EXPECT_LE(std::abs(key_room_key(1)), 1.0f) << tr;
        EXPECT_EQ(key_room_position(1, 1), note_before) << tr;
        EXPECT_EQ(key_room_position(1, 18), 17.4f) << tr;
    }
    // The same transposition read from a command file.
    std::ofstream("transpose.txt") << "TR 6 1\n";
    lines = readme_minuet_lines();
    lines.push_back("RE transpose.txt");
    key_room_typed(lines, "read.eps");
    EXPECT_EQ(key_room_key(1), -5.0f);
    runs.push_back({"RE TR 6 1, bass", key_room_line_start(1, 0.0f)});
    // Widened on both staves at once (G to D flat: five flats).
    lines = readme_minuet_lines();
    lines.push_back("TR 6 1 0 0 2");
    key_room_typed(lines, "both.eps");
    EXPECT_EQ(key_room_key(2), -5.0f);
    runs.push_back({"TR 6 1 0 0 2, bass", key_room_line_start(1, 0.0f)});
    runs.push_back({"TR 6 1 0 0 2, treble", key_room_line_start(2, 0.0f)});
    for (const auto& [what, items] : runs) expect_key_room_clear(items, what);
}

TEST_F(KeyRoomConsoleTest, AnAddedKeyFollowsAClefThatSharesItsPlaceWithAMeasureNumber) {
    const std::vector<std::string> typed = {"IN 2",
                                            "",
                                            "TR/3 4/A4/C5/B4;",
                                            "Q;",
                                            "N",
                                            ";",
                                            ";",
                                            ";",
                                            "X",
                                            "N",
                                            "IN 1",
                                            "",
                                            "TR/C5/A4/B4;",
                                            "Q;",
                                            "N",
                                            ";",
                                            ";",
                                            ";",
                                            "X",
                                            "N",
                                            "LJ",
                                            "2 1",
                                            "Y",
                                            "LJ",
                                            "1 1",
                                            "Y",
                                            "MN 1 1"};
    key_room_typed(typed, "numbered.eps");
    // The measure number stands where staff 1's clef stands.
    bool number_on_clef = false;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        number_on_clef |= stored_param(k, 1) == 10.0f && stored_param(k, 2) == 1.0f &&
                          stored_param(k, 3) == key_room_position(1, 3);
    }
    ASSERT_TRUE(number_on_clef);
    const std::vector<std::string> before = stored_item_lines();

    std::vector<std::string> lines(typed);
    lines.push_back("TR 2 1 0 200 2 1");
    std::vector<std::pair<std::string, std::vector<std::vector<float>>>> runs;
    const auto check_keys = [&](const std::string& what) {
        for (int32_t staff : {1, 2}) {
            const std::string name = what + ", staff " + std::to_string(staff);
            EXPECT_EQ(key_room_key(staff), 2.0f) << name;
            EXPECT_GT(key_room_position(staff, 17), key_room_position(staff, 3) + 7.5f) << name;
            runs.push_back({name, key_room_line_start(staff, 0.0f)});
        }
    };
    key_room_typed(lines, "added.eps");
    check_keys("added key");
    lines.push_back("UNDO");
    key_room_typed(lines, "added_undone.eps");
    expect_key_room_same_page(stored_item_lines(), before);

    // Justified again staff by staff, the key keeps the clef's room.
    lines.pop_back();
    lines.insert(lines.end(), {"LJ", "1 1", "Y", "LJ", "2 1", "Y"});
    key_room_typed(lines, "justified.eps");
    check_keys("added key after LJ");
    for (const auto& [what, items] : runs) expect_key_room_clear(items, what);
}

}  // namespace

// Keys of 0 to 7 sharps and flats laid out by LI, a meter or the first note after them: what
// follows the key stands where the column spacing of LJ and J would need it, past the last
// accidental with the gap after a key, and the line's inks stay apart.
TEST_F(KeyRoomConsoleTest, LiGivesAKeyTheRoomOfItsAccidentals) {
    std::vector<std::pair<std::string, int32_t>> keys = {{"", 0}};
    for (int32_t count = 1; count <= 7; ++count) {
        keys.push_back({"K" + std::to_string(count) + "S/", count});
        keys.push_back({"K" + std::to_string(count) + "F/", -count});
    }
    for (const auto& [key, count] : keys) {
        for (const std::string meter : {"4 4/", ""}) {
            const std::string notes = "TR/" + key + meter + "C4/D/E/F;";
            SCOPED_TRACE(notes);
            const std::string out = key_room_typed(
                {"IN 1", "", notes, "Q;", "N", ";", ";", ";", "X", "N", "LI", "1 1", "Y"}, "");
            ASSERT_EQ(key_room_key(1), static_cast<float>(count)) << out;
            const float next = key_room_position(1, meter.empty() ? 1 : 18);
            if (count != 0) {
                // The key's room as the column spacing measures it, after a clef; a meter
                // reaches 1.5 back into it.
                const float room = static_cast<float>(std::abs(count) - 1) * 2.8f + 5.5f -
                                   (meter.empty() ? 0.0f : 1.5f);
                EXPECT_NEAR(next - key_room_position(1, 17), room, 0.02f) << out;
            }
            // The clef, the key and what follows the key (the meter's own room before the
            // first note is not the key's).
            std::vector<std::vector<float>> run = key_room_line_start(1, 0.0f);
            run.resize(std::min<std::size_t>(run.size(), count == 0 ? 2 : 3));
            expect_key_room_clear(run, notes + ", LI");
        }
    }
}

// Where each key of the staff stands and what stands next after it (P3, code), in P3 order.
std::vector<std::pair<float, float>> key_room_after_keys(int32_t staff) {
    std::vector<std::pair<float, float>> found;
    for (const int32_t key : stored_items_of(17, staff)) {
        const float x = stored_param(key, 3);
        float next = 9999.0f;
        for (const int32_t code : {1, 14, 17, 18}) {
            for (const int32_t k : stored_items_of(code, staff)) {
                if (stored_param(k, 3) > x + 0.01f) next = std::min(next, stored_param(k, 3));
            }
        }
        found.push_back({x, next});
    }
    std::sort(found.begin(), found.end());
    return found;
}

// A key change cancelled by naturals, and two staves of one system in different keys: each key
// keeps the room of its accidentals after LI, and the staves' meters stay in one column, past
// the wider key, as LJ puts them. UNDO gives the typed page back; a saved page reads back alike.
TEST_F(KeyRoomConsoleTest, LiGivesKeyChangesAndTheWiderKeyOfASystemTheirRoom) {
    // Three sharps, then three naturals and two flats after the bar line.
    const std::vector<std::string> change = {
        "IN 1", "", "TR/K3S/4 4/C4/D/E/F/M/K3SN/K2F/G/A/B/C5;", "Q;", ";", ";", ";", "X", "N"};
    const std::string out = key_room_typed(console_lines_then(change, {"LI", "1 1", "Y"}), "");
    const std::vector<std::pair<float, float>> keys = key_room_after_keys(1);
    ASSERT_EQ(keys.size(), 3u) << out;
    std::vector<float> signs;
    for (const int32_t k : stored_items_of(17, 1)) signs.push_back(stored_param(k, 5));
    std::sort(signs.begin(), signs.end());
    EXPECT_EQ(signs, (std::vector<float>{-2.0f, 3.0f, 103.0f})) << out;
    // After the clef 5.5 and 2.8 an accidental, less the meter's 1.5; after the bar line 4.5.
    EXPECT_NEAR(keys[0].second - keys[0].first, 2 * 2.8f + 5.5f - 1.5f, 0.02f) << out;
    EXPECT_NEAR(keys[1].second - keys[1].first, 2 * 2.8f + 4.5f, 0.02f) << out;
    EXPECT_NEAR(keys[2].second - keys[2].first, 2.8f + 4.5f, 0.02f) << out;
    std::vector<std::vector<float>> run;
    for (const int32_t code : {14, 17, 1}) {
        for (const int32_t k : stored_items_of(code, 1)) {
            if (stored_param(k, 3) >= keys[1].first - 5.0f) run.push_back(key_room_item(k));
        }
    }
    std::stable_sort(run.begin(), run.end(),
                     [](const auto& a, const auto& b) { return a[2] < b[2]; });
    run.resize(4);  // the bar line, both keys, the first note after them
    expect_key_room_clear(run, "key change, LI");

    // Ten keys of seven accidentals do not fit the line: what they cannot have is left to the
    // notes, which stay in their order, and what the typing left on the page stays there.
    std::string dense = "TR/K7S/C4";
    for (int32_t bar = 1; bar <= 9; ++bar) dense += bar % 2 == 1 ? "/M/K7F/D4" : "/M/K7S/D4";
    const std::vector<std::string> crowded = {"IN 1", "",  dense + ";", "Q;", ";",
                                              ";",    ";", "X",         "N"};
    const auto past_page = [] {
        std::vector<int32_t> past;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (stored_param(k, 3) > render::PageExtent) past.push_back(k);
        }
        return past;
    };
    key_room_typed(crowded, "");
    const std::vector<int32_t> typed_past = past_page();
    const std::string said = key_room_typed(console_lines_then(crowded, {"LI", "1 1", "Y"}), "");
    std::vector<float> notes;
    for (const int32_t k : stored_items_of(1, 1)) notes.push_back(stored_param(k, 3));
    ASSERT_EQ(notes.size(), 10u) << said;
    EXPECT_TRUE(std::is_sorted(notes.begin(), notes.end())) << said;
    EXPECT_EQ(past_page(), typed_past) << said;

    // Two flats on the bass, six sharps on the treble, the bar lines spanning both.
    const std::vector<std::string> system = {
        "IN 1", "", "BA/K2F/4 4/C3/D/E/F/M2;", "Q;", ";", ";", ";", "X",
        "Y",    "", "TR/K6S/4 4/C5/D/E/F/M1;", "Q;", ";", ";", ";", "X",
        "N"};
    key_room_typed(system, "");
    const std::vector<std::string> typed = stored_item_lines();
    // The store is read before any ink is measured (measuring starts a fresh page).
    std::vector<std::pair<std::string, std::vector<std::vector<float>>>> runs;
    for (const std::string word : {"LJ", "LI"}) {
        const std::string said =
            key_room_typed(console_lines_then(system, {word, "1 2", "Y"}), word + ".eps");
        SCOPED_TRACE(word);
        EXPECT_EQ(key_room_position(1, 18), key_room_position(2, 18)) << said;
        // Six sharps after the clef: 5 x 2.8 + 5.5, less the meter's 1.5; LJ may widen it.
        const float room = key_room_position(2, 18) - key_room_position(2, 17);
        if (word == "LI") {
            EXPECT_NEAR(room, 5 * 2.8f + 5.5f - 1.5f, 0.02f) << said;
        } else {
            EXPECT_GE(room, 5 * 2.8f + 5.5f - 1.5f - 0.02f) << said;
        }
        for (const int32_t staff : {1, 2}) {
            // The clef, the key and the meter (the meter's own room is not the key's).
            runs.push_back(
                {word + ", staff " + std::to_string(staff), key_room_line_start(staff, 0.0f)});
            runs.back().second.resize(3);
        }
    }
    // Taken back whole, and saved and read back as laid out.
    key_room_typed(console_lines_then(system, {"LI", "1 2", "Y", "UNDO"}), "");
    expect_key_room_same_page(stored_item_lines(), typed);
    key_room_typed(console_lines_then(system, {"LI", "1 2", "Y", "SA keys.mus"}), "");
    const std::vector<std::string> laid_out = stored_item_lines();
    key_room_typed({"G keys.mus"}, "");
    expect_key_room_same_page(stored_item_lines(), laid_out);
    for (const auto& [what, items] : runs) expect_key_room_clear(items, what);
}

// The meters of the staff in P3 order, each with the first note after it and the bar line just
// before it (none for a meter that opens the line): the runs whose inks must stay apart.
std::vector<std::vector<std::vector<float>>> meter_room_runs(int32_t staff) {
    std::vector<std::vector<std::vector<float>>> runs;
    for (const int32_t m : stored_items_of(18, staff)) {
        const float x = stored_param(m, 3);
        std::vector<std::vector<float>> run;
        int32_t bar = 0;
        for (const int32_t k : stored_items_of(14, staff)) {
            const float b = stored_param(k, 3);
            if (b < x && b > x - 2.0f) bar = k;
        }
        if (bar != 0) run.push_back(key_room_item(bar));
        run.push_back(key_room_item(m));
        int32_t note = 0;
        for (const int32_t k : stored_items_of(1, staff)) {
            if (stored_param(k, 3) > x && (note == 0 || stored_param(k, 3) < stored_param(note, 3)))
                note = k;
        }
        if (note != 0) run.push_back(key_room_item(note));
        runs.push_back(run);
    }
    std::sort(runs.begin(), runs.end(),
              [](const auto& a, const auto& b) { return a.back()[2] < b.back()[2]; });
    return runs;
}

// A meter laid out by LI, at the line's start and changed after a bar line, on one staff and on
// two, after a key or none: the first note after it stands where the column spacing of LJ and J
// puts it (7.5 after the meter, 10 after one of two-digit numbers), and the inks stay apart.
TEST_F(KeyRoomConsoleTest, LiGivesAMeterTheRoomOfItsNumbers) {
    const std::vector<std::pair<std::string, float>> meters = {
        {"4 4", 7.5f},   {"3 4", 7.5f},   {"6 8", 7.5f}, {"12 8", 10.0f},
        {"10 4", 10.0f}, {"3 16", 10.0f}, {"COM", 7.5f}, {"CUT", 7.5f}};
    std::vector<std::pair<std::string, std::vector<std::vector<float>>>> runs;
    int32_t typed = 0;
    for (std::size_t m = 0; m < meters.size(); ++m) {
        const auto& [meter, room] = meters[m];
        const auto& [change, change_room] = meters[(m + 3) % meters.size()];
        for (const std::string key : {"", "K3F/"}) {
            for (const int32_t staves : {1, 2}) {
                const std::string bars = key + meter + "/C4/D/E/F/M" + (staves == 2 ? "2" : "1") +
                                         "/" + change + "/G/A;";
                std::vector<std::string> lines = {"IN 1", "",  "BA/" + bars, "Q;",
                                                  ";",    ";", ";",          "X"};
                if (staves == 2) {
                    std::string upper = "TR/" + bars;
                    upper.replace(upper.find("/M2/"), 4, "/M1/");
                    lines.insert(lines.end(), {"Y", "", upper, "Q;", ";", ";", ";", "X"});
                }
                lines.insert(lines.end(), {"N", "LI", "1 " + std::to_string(staves), "Y"});
                const std::string what = bars + " on " + std::to_string(staves) + " staves";
                SCOPED_TRACE(what);
                const std::string out = key_room_typed(
                    lines, typed++ % 6 == 0 ? "meter" + std::to_string(typed) + ".eps" : "");
                for (int32_t staff = 1; staff <= staves; ++staff) {
                    const std::vector<int32_t> found = stored_items_of(18, staff);
                    ASSERT_EQ(found.size(), 2u) << out;
                    // The leading meter first (the input mode keeps store order by P3).
                    std::vector<float> at = {stored_param(found[0], 3), stored_param(found[1], 3)};
                    std::sort(at.begin(), at.end());
                    const std::vector<std::vector<std::vector<float>>> staff_runs =
                        meter_room_runs(staff);
                    ASSERT_EQ(staff_runs.size(), 2u) << out;
                    ASSERT_EQ(staff_runs[0].back()[0], 1.0f) << out;
                    ASSERT_EQ(staff_runs[1].back()[0], 1.0f) << out;
                    EXPECT_NEAR(staff_runs[0].back()[2] - at[0], room, 0.02f) << out;
                    EXPECT_NEAR(staff_runs[1].back()[2] - at[1], change_room, 0.02f) << out;
                    if (staff == 2) {
                        EXPECT_EQ(stored_items_of(18, 1).size(), 2u);
                        EXPECT_EQ(key_room_position(2, 18), key_room_position(1, 18)) << out;
                    }
                    for (const auto& run : staff_runs) runs.push_back({what, run});
                    // The clef, the key and the leading meter keep clear of each other too.
                    runs.push_back({what + ", line start", key_room_line_start(staff, 0.0f)});
                }
            }
        }
    }
    for (const auto& [what, items] : runs) expect_key_room_clear(items, what);
}

// Meter changes in every bar of a crowded line: the notes keep their order and the page. A meter
// that only the line's end follows keeps the room of a staff's last item. LI is taken back whole,
// and a saved page reads back as laid out.
TEST_F(KeyRoomConsoleTest, LiGivesMetersTheRoomALineHasAndIsTakenBackWhole) {
    std::string dense = "TR/12 8/C4";
    for (int32_t bar = 1; bar <= 15; ++bar) dense += bar % 2 == 1 ? "/M/10 4/D4" : "/M/12 8/C4";
    const std::vector<std::string> crowded = {"IN 1", "",  dense + ";", "Q;", ";",
                                              ";",    ";", "X",         "N"};
    std::string said = key_room_typed(console_lines_then(crowded, {"LI", "1 1", "Y"}), "");
    std::vector<float> notes;
    for (const int32_t k : stored_items_of(1, 1)) notes.push_back(stored_param(k, 3));
    ASSERT_EQ(notes.size(), 16u) << said;
    EXPECT_TRUE(std::is_sorted(notes.begin(), notes.end())) << said;
    EXPECT_LE(notes.back(), render::PageExtent) << said;
    for (const auto& run : meter_room_runs(1)) {
        // Every meter keeps at least its fixed room, at most its measured one.
        ASSERT_GE(run.size(), 2u) << said;
        const float room = run.back()[2] - run[run.size() - 2][2];
        EXPECT_GE(room, 3.5f - 0.02f) << said;
        EXPECT_LE(room, 10.0f + 0.02f) << said;
    }

    // After the line's last bar line the meter is the staff's last item: 7.5 less 2.5. Before a
    // closing bar line of its own it keeps its 7.5.
    for (const auto& [end, room] :
         std::vector<std::pair<std::string, float>>{{"M/3 4;", 5.0f}, {"M/3 4/M;", 7.5f}}) {
        said = key_room_typed(
            {"IN 1", "", "TR/C4/D/E/F/" + end, "Q;", ";", ";", ";", "X", "N", "LI", "1 1", "Y"},
            "end.eps");
        EXPECT_NEAR(key_room_position(1, 18), render::PageExtent - room, 0.02f) << end << said;
        std::vector<std::vector<float>> run;
        for (const int32_t code : {14, 18}) {
            for (const int32_t k : stored_items_of(code, 1)) {
                if (stored_param(k, 3) > render::PageExtent - 10.0f)
                    run.push_back(key_room_item(k));
            }
        }
        std::stable_sort(run.begin(), run.end(),
                         [](const auto& a, const auto& b) { return a[2] < b[2]; });
        expect_key_room_clear(run, end);
    }

    const std::vector<std::string> system = {
        "IN 1", "", "BA/K3F/12 8/C3/D/E/F/M2/COM/G/A;", "Q;", ";", ";", ";", "X",
        "Y",    "", "TR/K3F/12 8/C5/D/E/F/M1/COM/G/A;", "Q;", ";", ";", ";", "X",
        "N"};
    key_room_typed(system, "");
    const std::vector<std::string> typed = stored_item_lines();
    key_room_typed(console_lines_then(system, {"LI", "1 2", "Y", "UNDO"}), "undone.eps");
    expect_key_room_same_page(stored_item_lines(), typed);
    said = key_room_typed(console_lines_then(system, {"LI", "1 2", "Y", "SA meters.mus"}),
                          "meters.eps");
    const std::vector<std::string> laid_out = stored_item_lines();
    EXPECT_NE(laid_out, typed) << said;
    key_room_typed({"G meters.mus"}, "read_back.eps");
    expect_key_room_same_page(stored_item_lines(), laid_out);
}

// A staff of item lines for RE: STAFF at 15 ending at edge (0: the page's end), a treble clef at
// 17, seven sharps at 20, 4/4, then bars of four quarters, each bar but the last followed by the
// next of keys; the last bar line at 199.
std::string key_room_bars_file(const std::vector<int32_t>& keys, float edge) {
    std::ostringstream file;
    file << "8 1 15 0 0 " << edge << "\n3 1 17 0 0\n17 1 20 0 7\n18 1 35 0 4 4\n";
    float x = 40.0f;
    for (std::size_t bar = 0; bar <= keys.size(); ++bar) {
        for (int32_t n = 0; n < 4; ++n, x += 2.0f) file << "1 1 " << x << " 5 0 0 1\n";
        if (bar == keys.size()) break;
        file << "14 1 " << x << " 1\n17 1 " << x + 1.0f << " 0 " << keys[bar] << "\n";
        x += 3.0f;
    }
    file << "14 1 199 1\n";
    return file.str();
}

// Lines of seven-accidental key changes read from a command file and laid out by LI. Where the
// durations can still keep the least room of a column, every key keeps its whole room, as LJ
// gives it on the same page, and the notes are crowded instead; a line too short for that cuts
// the keys' rooms, never below their fixed room, so that the notes keep their order and the
// line. Keys, bar lines, the meter and the notes beside them keep their inks apart.
TEST_F(KeyRoomConsoleTest, LiCrowdsTheNotesBeforeItCutsAKeysRoom) {
    struct Case {
        std::string what;
        std::vector<int32_t> keys;  // the key changes after the bars
        float edge;                 // the staff's end (0: the page's)
        bool whole;                 // the keys keep their whole rooms
    };
    // With whole rooms the five bars' twenty quarters fit a staff ending at 151.6 at exactly
    // the least room each: 17 + 11.1 + 20.8 + 7.5 + 4 x (1.5 + 21.3) + 20 x 0.2.
    const std::vector<int32_t> five = {-7, 7, -7, 7};
    std::vector<int32_t> twelve;
    for (int32_t k = 0; k < 12; ++k) twelve.push_back(k % 2 == 0 ? -7 : 7);
    const std::vector<Case> cases = {
        {"five bars", five, 0.0f, true},
        {"four bars", {-7, 7, -7}, 0.0f, true},
        {"five bars to 151.65", five, 151.65f, true},
        {"five bars to 151", five, 151.0f, false},
        {"thirteen keys", twelve, 0.0f, false},
    };
    std::vector<std::pair<std::string, std::vector<std::vector<float>>>> runs;
    int32_t page = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream("bars.txt") << key_room_bars_file(c.keys, c.edge);
        const std::string eps = "crowd" + std::to_string(++page) + ".eps";
        const std::string lj = key_room_typed({"RE bars.txt", "LJ", "1 1", "Y"}, "");
        const std::vector<std::pair<float, float>> lj_keys = key_room_after_keys(1);
        const std::string out = key_room_typed({"RE bars.txt", "LI", "1 1", "Y"}, eps);
        const std::vector<std::pair<float, float>> keys = key_room_after_keys(1);
        ASSERT_EQ(keys.size(), c.keys.size() + 1) << out;
        ASSERT_EQ(lj_keys.size(), keys.size()) << lj;
        for (std::size_t k = 0; k < keys.size(); ++k) {
            // After the clef 5.5 less the meter's 1.5, after a bar line 4.5; 2.8 an accidental.
            const float whole = 6 * 2.8f + (k == 0 ? 4.0f : 4.5f);
            const float room = keys[k].second - keys[k].first;
            if (c.whole) {
                EXPECT_NEAR(room, whole, 0.02f) << "key " << k << out;
                EXPECT_NEAR(room, lj_keys[k].second - lj_keys[k].first, 0.02f) << "key " << k;
            } else {
                EXPECT_LT(room, whole - 0.02f) << "key " << k << out;
                EXPECT_GE(room, 3.5f - 0.02f) << "key " << k << out;
            }
        }
        // The notes in order, each at least the least room of a column past the one before,
        // the last before the line's closing bar line at the staff's end.
        std::vector<float> notes;
        for (const int32_t k : stored_items_of(1, 1)) notes.push_back(stored_param(k, 3));
        ASSERT_EQ(notes.size(), 4 * keys.size()) << out;
        std::sort(notes.begin(), notes.end());
        float least = 1000.0f;
        for (std::size_t k = 1; k < notes.size(); ++k)
            least = std::min(least, notes[k] - notes[k - 1]);
        EXPECT_GE(least, 0.2f - 0.005f) << out;
        if (c.edge != 0.0f) {
            // Past the limit the keys give up room only when the notes stand at their least.
            if (c.whole) {
                EXPECT_GT(least, 0.2f) << out;
            } else {
                EXPECT_NEAR(least, 0.2f, 0.005f) << out;
            }
        }
        const float end = c.edge == 0.0f ? render::PageExtent : c.edge;
        EXPECT_LT(notes.back(), end) << out;
        float closing = 0.0f;
        for (const int32_t k : stored_items_of(14, 1))
            closing = std::max(closing, stored_param(k, 3));
        EXPECT_NEAR(closing, end, 0.02f) << out;
        if (!c.whole) continue;
        // The clef, the key, the meter and the first note; each key change between its bar line
        // and the next bar's first note.
        runs.push_back({c.what + ", line start", key_room_line_start(1, 0.0f)});
        for (std::size_t k = 1; k < keys.size(); ++k) {
            std::vector<std::vector<float>> run;
            for (const int32_t code : {14, 17, 1}) {
                for (const int32_t item : stored_items_of(code, 1)) {
                    const float x = stored_param(item, 3);
                    if (x > keys[k].first - 1.6f && x <= keys[k].second + 0.01f)
                        run.push_back(key_room_item(item));
                }
            }
            std::stable_sort(run.begin(), run.end(),
                             [](const auto& a, const auto& b) { return a[2] < b[2]; });
            runs.push_back({c.what + ", key " + std::to_string(k), run});
        }
    }
    for (const auto& [what, items] : runs) expect_key_room_clear(items, what);
}

// A clef change inside a line laid out by LI: after a bar line before a meter, a note, a key or
// a key and meter, and inside a bar, on one staff and on the lower of two. The clef keeps its
// place as typed and its measured room, so that its ink stays clear of what stands around it.
TEST_F(KeyRoomConsoleTest, LiGivesAClefChangeItsOwnRoomInTheOrderTyped) {
    const std::vector<int32_t> lead = {3, 17, 18, 1, 1, 1, 1, 14};
    const std::vector<int32_t> four = {1, 1, 1, 1, 14};
    const auto join = [&](std::vector<int32_t> a, const std::vector<int32_t>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        std::vector<std::string> staves;          // the notes line of each staff, lowest first
        std::vector<std::vector<int32_t>> codes;  // each staff's codes in P3 order
    };
    const std::string head = "TR/K2S/4 4/D5/E/";
    const std::vector<Case> cases = {
        {{head + "F/G/M/BA/3 4/C3/D/E/F/M;"}, {join(join(lead, {3, 18}), four)}},
        {{head + "F/G/M/BA/C3/D/E/F/M;"}, {join(join(lead, {3}), four)}},
        {{head + "F/G/M/BA/K1S/C3/D/E/F/M;"}, {join(join(lead, {3, 17}), four)}},
        {{head + "F/G/M/BA/K1S/3 4/C3/D/E/F/M;"}, {join(join(lead, {3, 17, 18}), four)}},
        {{head + "BA/F3/G/M/A/B/C4/D/M;"}, {{3, 17, 18, 1, 1, 3, 1, 1, 14, 1, 1, 1, 1, 14}}},
        // Clefs inside the bars of the second staff only: the first staff's notes make way.
        {{"BA/K2S/4 4/D3/E/F/G/M/TR/3 4/C5/D/E/F/M;", "TR/K2S/4 4/D5/E/TR/F/G/M/C/D/BA/E3/F/M;"},
         {join(join(lead, {3, 18}), four), {3, 17, 18, 1, 1, 3, 1, 1, 14, 1, 1, 3, 1, 1, 14}}},
    };
    std::vector<std::pair<std::string, std::vector<std::vector<float>>>> runs;
    int32_t page = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.staves.back());
        std::vector<std::string> lines;
        for (const std::string& staff : c.staves) {
            if (!lines.empty()) lines.push_back("Y");
            lines.insert(lines.end(), {"", staff, "Q;", ";", ";", ";", "X"});
        }
        const int32_t staves = static_cast<int32_t>(c.staves.size());
        lines.insert(lines.begin(), "IN 1");
        lines.insert(lines.end(), {"N", "LI", "1 " + std::to_string(staves), "Y"});
        const std::string out =
            key_room_typed(lines, "clefchange" + std::to_string(++page) + ".eps");
        for (int32_t staff = 1; staff <= staves; ++staff) {
            std::vector<std::vector<float>> items;
            for (int32_t k = 1; k <= core::ItemCount; ++k) {
                const float code = stored_param(k, 1);
                if (stored_param(k, 2) == static_cast<float>(staff) &&
                    (code == 1.0f || code == 3.0f || code == 14.0f || code == 17.0f ||
                     code == 18.0f))
                    items.push_back(key_room_item(k));
            }
            std::stable_sort(items.begin(), items.end(),
                             [](const auto& a, const auto& b) { return a[2] < b[2]; });
            std::vector<int32_t> order;
            for (const auto& item : items) order.push_back(static_cast<int32_t>(item[0]));
            EXPECT_EQ(order, c.codes[staff - 1]) << "staff " << staff << out;
            runs.push_back({c.staves[staff - 1], items});
        }
        // The staves' bar lines stay on one position.
        if (staves == 2) {
            EXPECT_EQ(key_room_position(1, 14), key_room_position(2, 14));
        }
    }
    // Measuring the inks lays out pages of their own: only after every line was read.
    for (const auto& [what, items] : runs) expect_key_room_clear(items, what);
}
