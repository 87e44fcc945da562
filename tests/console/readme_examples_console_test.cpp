// The README's examples typed into the console as a reader would type them. A block fenced as
// "console" holds the lines typed; the next fenced block, when it is marked "replies", holds lines
// the console prints, in that order. Every block runs in one folder, in the README's order, each
// on a fresh engine: none may be refused unless its replies say so, each file it saves or writes
// must be there, and the two-staff example of the newcomers' section must make one system that
// plays together. The words that section names are typed where they belong (commands at the
// command level, the words of a typed line in that line) and must all be known.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "platform/paths.h"
#include "tests/output/ps_check.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

struct ReadmeBlock {
    int line = 0;                      // the line of its opening fence in the README
    std::vector<std::string> typed;    // the lines typed
    std::vector<std::string> replies;  // lines the console must print, in order
};

// A word of the newcomers' section and where it is typed.
enum class ReadmeContext { Command, NotesLine, RhythmsLine };
struct ReadmeWord {
    std::string text;
    ReadmeContext context;
};

std::string readme_source_text() { return read_text(fs::path(ORMEST_SOURCE_DIR) / "README.md"); }

std::vector<std::string> readme_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

bool readme_starts(const std::string& s, const std::string& head) {
    return s.compare(0, head.size(), head) == 0;
}

// The "console" blocks of the text, each with the "replies" block that follows it.
std::vector<ReadmeBlock> readme_blocks(const std::string& text) {
    std::vector<ReadmeBlock> blocks;
    const std::vector<std::string> lines = readme_lines(text);
    bool replies_may_follow = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!readme_starts(lines[i], "```")) continue;
        const std::string info = lines[i].substr(3);
        std::vector<std::string> body;
        std::size_t j = i + 1;
        for (; j < lines.size() && !readme_starts(lines[j], "```"); ++j) body.push_back(lines[j]);
        if (info == "console") {
            blocks.push_back({static_cast<int>(i) + 1, body, {}});
            replies_may_follow = true;
        } else if (info == "replies" && replies_may_follow) {
            blocks.back().replies = body;
            replies_may_follow = false;
        } else {
            replies_may_follow = false;
        }
        i = j;
    }
    return blocks;
}

// The lines of the section headed "## title", up to the next section.
std::vector<std::string> readme_section(const std::string& text, const std::string& title) {
    std::vector<std::string> out;
    bool inside = false;
    for (const std::string& l : readme_lines(text)) {
        if (readme_starts(l, "## "))
            inside = l == "## " + title;
        else if (inside)
            out.push_back(l);
    }
    return out;
}

// The spans in backticks of a piece of text.
std::vector<std::string> readme_spans(const std::string& s) {
    std::vector<std::string> spans;
    for (std::size_t a = s.find('`'); a != std::string::npos; a = s.find('`', a + 1)) {
        const std::size_t b = s.find('`', a + 1);
        if (b == std::string::npos) break;
        spans.push_back(s.substr(a + 1, b - a - 1));
        a = b;
    }
    return spans;
}

// The words a section names: in a table whose first heading names a typed line, the words of
// each row's first column belong to that line, and so do those of its other columns longer
// than a letter (a letter alone there is part of a word); in the prose, a span that begins with a
// capital letter and is longer than one letter is a command (one letter alone is an answer).
std::vector<ReadmeWord> readme_section_words(const std::vector<std::string>& section) {
    std::vector<ReadmeWord> words;
    ReadmeContext table = ReadmeContext::Command;
    bool in_table = false;
    bool in_fence = false;
    std::string prose;
    for (const std::string& l : section) {
        if (readme_starts(l, "```")) in_fence = !in_fence;
        if (in_fence || readme_starts(l, "```")) continue;
        if (readme_starts(l, "|")) {
            const std::string first = l.substr(1, l.find('|', 1) - 1);
            if (!in_table) {
                in_table = true;
                table = first.find("notes line") != std::string::npos ? ReadmeContext::NotesLine
                        : first.find("rhythms line") != std::string::npos
                            ? ReadmeContext::RhythmsLine
                            : ReadmeContext::Command;
                continue;
            }
            for (const std::string& w : readme_spans(first)) words.push_back({w, table});
            const std::size_t rest = std::min(l.size(), first.size() + 2);
            for (const std::string& w : readme_spans(l.substr(rest))) {
                if (w.size() > 1) words.push_back({w, table});
            }
            continue;
        }
        in_table = false;
        prose += l + " ";  // a span may go on to the next line
    }
    for (const std::string& w : readme_spans(prose)) {
        if (w.size() > 1 && w[0] >= 'A' && w[0] <= 'Z')
            words.push_back({w, ReadmeContext::Command});
    }
    return words;
}

// A line the console prints when it refuses what was typed.
bool readme_refusal(const std::string& line) {
    for (const char* mark :
         {"ERROR", "unknown word", "Syntax Error", "****", "*** Not ", "needs the window"}) {
        if (line.find(mark) != std::string::npos) return true;
    }
    return false;
}

// The MIDI file as python3-mido reads it: for each track with notes, its first onset and its
// number of notes, in track order.
std::vector<std::pair<int, int>> readme_midi_parts(const fs::path& midi) {
    const std::string command =
        "/usr/bin/python3 -c 'import sys, mido\n"
        "for t in mido.MidiFile(sys.argv[1]).tracks:\n"
        "    a = 0; on = []\n"
        "    for m in t:\n"
        "        a += m.time\n"
        "        if m.type == \"note_on\" and m.velocity > 0: on.append(a)\n"
        "    if on: print(on[0], len(on))' '" +
        midi.string() + "'";
    std::vector<std::pair<int, int>> parts;
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr) return parts;
    int first = 0;
    int count = 0;
    while (std::fscanf(p, "%d %d", &first, &count) == 2) parts.emplace_back(first, count);
    pclose(p);
    return parts;
}

// The pitches of the notes of one track with notes (0 the first), in order, as python3-mido
// reads them.
std::vector<int> readme_midi_pitches(const fs::path& midi, int track) {
    const std::string command =
        "/usr/bin/python3 -c 'import sys, mido\n"
        "ts = [t for t in mido.MidiFile(sys.argv[1]).tracks\n"
        "      if any(m.type == \"note_on\" and m.velocity > 0 for m in t)]\n"
        "for m in ts[int(sys.argv[2])]:\n"
        "    if m.type == \"note_on\" and m.velocity > 0: print(m.note)' '" +
        midi.string() + "' " + std::to_string(track);
    std::vector<int> pitches;
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr) return pitches;
    int note = 0;
    while (std::fscanf(p, "%d", &note) == 1) pitches.push_back(note);
    pclose(p);
    return pitches;
}

// Every note of the MIDI file as python3-mido reads it, all tracks together: its onset in
// quarters from the first note's, and its pitch, sorted.
std::vector<std::pair<double, int>> readme_midi_onsets(const fs::path& midi) {
    const std::string command =
        "/usr/bin/python3 -c 'import sys, mido\n"
        "f = mido.MidiFile(sys.argv[1]); notes = []\n"
        "for t in f.tracks:\n"
        "    a = 0\n"
        "    for m in t:\n"
        "        a += m.time\n"
        "        if m.type == \"note_on\" and m.velocity > 0: notes.append((a, m.note))\n"
        "first = min(n[0] for n in notes)\n"
        "for a, n in sorted(notes): print((a - first) / f.ticks_per_beat, n)' '" +
        midi.string() + "'";
    std::vector<std::pair<double, int>> notes;
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr) return notes;
    double onset = 0.0;
    int note = 0;
    while (std::fscanf(p, "%lf %d", &onset, &note) == 2) notes.emplace_back(onset, note);
    pclose(p);
    return notes;
}

// The drawn page as the renderer lays it out: each staff's five lines (display y of its bottom
// and top line, from the staff tables) and each item's drawn height (the y of its entries in the
// graphics list, texts drawn as glyphs, as the vertical spacing measures them).
struct ReadmeDrawnPage {
    std::map<int32_t, std::pair<int32_t, int32_t>> staff_lines;  // staff -> lowest, highest line y
    std::map<int32_t, std::pair<int32_t, int32_t>> item_height;  // item -> lowest, highest y
};

ReadmeDrawnPage readme_drawn_page() {
    std::vector<int32_t> graphics(core::kGraphicsListWords + 1, 0);
    std::vector<uint8_t> text(core::kTextStreamBytes + 1, 0);
    int32_t graphics_length = 0;
    int32_t text_length = 0;
    core::OutputBufferViews.graphics.bind(graphics.data(), &graphics_length);
    core::OutputBufferViews.text.bind(text.data(), &text_length);
    const int32_t kept_pass = render::OutputPassWord;
    render::OutputPassWord = 2;  // the measuring pass: text glyphs go into the graphics list
    render::redraw_items();
    render::OutputPassWord = kept_pass;

    ReadmeDrawnPage page;
    const std::vector<render::GraphicsEntry> entries = render::decode_graphics_list();
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const auto staff = static_cast<int32_t>(stored_param(k, 2));
        if (stored_param(k, 1) == 8.0f && staff >= 1 && staff <= layout::kMaxStaves) {
            // A staff of scale s has its lines at steps 3 and 11, 7 s display units a step.
            const float scale = layout::StaffTables.StaffScale(staff);
            const int32_t base = layout::StaffTables.StaffBaseY(staff);
            const int32_t bottom = base + static_cast<int32_t>(21.0f * scale);
            const int32_t top = base + static_cast<int32_t>(77.0f * scale);
            page.staff_lines[staff] = {std::min(bottom, top), std::max(bottom, top)};
        }
        const int32_t first = core::ItemOutputSpans.graphics(k);
        const int32_t end = core::ItemOutputSpans.graphics(k + 1);
        for (int32_t w = std::max(first, 1); w + 2 < end; w += 3) {
            const std::size_t e = static_cast<std::size_t>(w - 1) / 3;
            if (e >= entries.size()) break;
            // The lists are drawn for the view: its origin takes the page's y back.
            const int32_t y = entries[e].y + render::ViewOrigin.y;
            auto [at, fresh] = page.item_height.try_emplace(k, y, y);
            at->second.first = std::min(at->second.first, y);
            at->second.second = std::max(at->second.second, y);
        }
    }
    core::OutputBufferViews.graphics.unbind();
    core::OutputBufferViews.text.unbind();
    return page;
}

// What the page draws wrong: a bar line whose span reaches a staff the page does not have, a
// bar line joining staves that runs out of them, a text that crosses another staff's lines.
std::vector<std::string> readme_drawing_problems() {
    std::vector<std::string> problems;
    const ReadmeDrawnPage page = readme_drawn_page();
    if (page.staff_lines.empty()) return problems;
    // A line's thickness and a drawn end's rounding.
    constexpr int32_t kSlack = 40;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const auto code = static_cast<int32_t>(stored_param(k, 1));
        const auto staff = static_cast<int32_t>(stored_param(k, 2));
        const std::string item = "item " + std::to_string(k) + " (code " + std::to_string(code) +
                                 ", staff " + std::to_string(staff) + ", P3 " +
                                 std::to_string(stored_param(k, 3)) + ")";
        const auto drawn = page.item_height.find(k);
        if (code == 14) {
            const int32_t span = std::max(1, static_cast<int32_t>(stored_param(k, 4)));
            bool whole = true;
            for (int32_t t = staff; t < staff + span; ++t) {
                if (page.staff_lines.count(t) == 0) {
                    problems.push_back(item + " spans " + std::to_string(span) +
                                       " staves: the page has no staff " + std::to_string(t));
                    whole = false;
                    break;
                }
            }
            // A plain bar line (kind 0) joining staves runs from its staff's bottom line to
            // the top line of the highest staff it spans.
            if (whole && span > 1 && stored_param(k, 5) == 0.0f &&
                drawn != page.item_height.end()) {
                const auto lowest = page.staff_lines.at(staff);
                const auto highest = page.staff_lines.at(staff + span - 1);
                const int32_t low = std::min(lowest.first, highest.first);
                const int32_t high = std::max(lowest.second, highest.second);
                if (drawn->second.first < low - kSlack || drawn->second.second > high + kSlack)
                    problems.push_back(
                        item + " is drawn from " + std::to_string(drawn->second.first) + " to " +
                        std::to_string(drawn->second.second) + ", its staves' lines from " +
                        std::to_string(low) + " to " + std::to_string(high));
            }
        }
        if (code == 16 && drawn != page.item_height.end()) {
            for (const auto& [t, lines] : page.staff_lines) {
                if (t == staff) continue;
                if (drawn->second.second >= lines.first && drawn->second.first <= lines.second)
                    problems.push_back(item + " is drawn from " +
                                       std::to_string(drawn->second.first) + " to " +
                                       std::to_string(drawn->second.second) +
                                       ", across the lines of staff " + std::to_string(t));
            }
        }
    }
    return problems;
}

// The README's console block that types the line.
ReadmeBlock readme_block_typing(const std::string& readme, const std::string& line) {
    for (const ReadmeBlock& b : readme_blocks(readme)) {
        if (std::find(b.typed.begin(), b.typed.end(), line) != b.typed.end()) return b;
    }
    ADD_FAILURE() << "no README example types " << line;
    return {};
}

bool readme_has_staves() {
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == 8.0f) return true;
    }
    return false;
}

int32_t readme_note_items() {
    int32_t n = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) n += stored_param(k, 1) == 1.0f;
    return n;
}

class ReadmeExamplesTest : public ConsoleSessionTest {
  protected:
    // Runs the lines on a fresh engine in the current folder; the console's output.
    std::string run_fresh(const std::vector<std::string>& lines) {
        core::close_all_units();
        core::reset_engine();
        core::reset_service_gate();
        return type(lines);
    }

    // What is wrong with one block run here: refusals its replies do not show, replies missing or
    // out of order, files it names that are not there or do not read.
    std::vector<std::string> block_problems(const ReadmeBlock& block) {
        const fs::path midi = platform::work_file("ormmidi.mid");
        fs::remove(midi);
        const std::string out = run_fresh(block.typed);
        std::vector<std::string> problems;
        auto problem = [&](const std::string& what) {
            problems.push_back("README line " + std::to_string(block.line) + ": " + what +
                               "\n--- output:\n" + out);
        };
        for (const std::string& line : readme_lines(out)) {
            if (!readme_refusal(line)) continue;
            bool shown = false;
            for (const std::string& r : block.replies) shown |= line.find(r) != std::string::npos;
            if (!shown) problem("refused: " + line);
        }
        std::size_t at = 0;
        for (const std::string& r : block.replies) {
            const std::size_t found = out.find(r, at);
            if (found == std::string::npos) {
                problem("reply not printed (in order): " + r);
                break;
            }
            at = found + r.size();
        }
        for (const std::string& t : block.typed) {
            if (readme_starts(t, "SA ") && !fs::exists(t.substr(3))) problem("not saved: " + t);
            if (t == "PRPS") {
                std::string why;
                if (!fs::exists("eps.eps"))
                    problem("no eps.eps");
                else if (!ps_check::eps_reads_clean("eps.eps", why))
                    problem("eps.eps: " + why);
            }
            if (t == "PLA" && !fs::exists(midi)) problem("no MIDI file written");
            if (t == "PLA" && fs::exists(midi)) {
                int32_t notes = 0;
                for (const auto& part : readme_midi_parts(midi)) notes += part.second;
                if (notes != readme_note_items())
                    problem("the MIDI file has " + std::to_string(notes) + " notes, the page " +
                            std::to_string(readme_note_items()));
            }
        }
        // What the page draws, for a block that writes the page or leaves staves on it.
        const bool draws =
            std::find(block.typed.begin(), block.typed.end(), "PRPS") != block.typed.end();
        if (draws || readme_has_staves()) {
            for (const std::string& p : readme_drawing_problems()) problem("drawn: " + p);
        }
        return problems;
    }

    // The words of the newcomers' section that are not known where they are typed.
    std::vector<std::string> word_problems(const std::string& readme) {
        std::vector<std::string> problems;
        const std::vector<ReadmeWord> words =
            readme_section_words(readme_section(readme, "A first page"));
        if (words.empty()) problems.push_back("no words found in \"A first page\"");
        for (const ReadmeWord& w : words) {
            std::vector<std::string> lines = {w.text};
            if (w.context == ReadmeContext::NotesLine) lines = {"IN 1", "", w.text + ";"};
            if (w.context == ReadmeContext::RhythmsLine) lines = {"IN 1", "", "C4;", w.text + ";"};
            const std::string out = run_fresh(lines);
            for (const std::string& line : readme_lines(out)) {
                // A word typed alone that asks a question is known: only its answer is missing.
                if (line.find("the input ended before") != std::string::npos) continue;
                if (readme_refusal(line)) problems.push_back("`" + w.text + "`: " + line);
            }
        }
        return problems;
    }

    // What the notes-line table's octave examples and the rhythms table's numbers and `T` do
    // otherwise than the README says.
    std::vector<std::string> table_problems(const std::string& readme) {
        std::vector<std::string> problems;
        std::string octave_row;
        std::vector<std::string> rhythm_rows;
        bool rhythms_table = false;
        for (const std::string& l : readme_section(readme, "A first page")) {
            if (l.find("keeps the octave of the note before") != std::string::npos) octave_row = l;
            if (!readme_starts(l, "|")) rhythms_table = false;
            if (l.find("| rhythms line word |") == 0) rhythms_table = true;
            const std::vector<std::string> spans = readme_spans(l.substr(0, l.find('|', 1)));
            if (rhythms_table && !spans.empty() &&
                (spans[0] == "T" || (spans[0][0] >= '1' && spans[0][0] <= '9')))
                rhythm_rows.push_back(l);
        }
        // A pitch name's level on a treble staff: E4 on the bottom line, at 3.
        auto level_of = [](const std::string& name) {
            const int degree = static_cast<int>(std::string("CDEFGAB").find(name[0]));
            return static_cast<float>((name[1] - '0') * 7 + degree - (4 * 7 + 2) + 3);
        };
        // Each notes line of the row gives the first two pitch names written after it to its
        // second and fourth notes.
        int lines = 0;
        const std::regex two_pitches("([A-G][0-9]) and ([A-G][0-9])");
        for (const std::string& notes : readme_spans(octave_row)) {
            if (!readme_starts(notes, "TR/A4/")) continue;
            std::smatch pitches;
            const std::string after = octave_row.substr(octave_row.find("`" + notes + "`"));
            if (!std::regex_search(after, pitches, two_pitches)) {
                problems.push_back(notes + ": no pitches named after it");
                continue;
            }
            ++lines;
            run_fresh({"IN 1", "", notes + ";", "Q;", "N", ";", ";", ";", "X", "N"});
            const std::vector<int32_t> typed = stored_items_of(1, 1);
            if (typed.size() != 4 || stored_param(typed[0], 4) != level_of("A4") ||
                stored_param(typed[1], 4) != level_of(pitches[1]) ||
                stored_param(typed[3], 4) != level_of(pitches[2]))
                problems.push_back(notes + " does not give " + pitches.str());
        }
        if (lines != 2)
            problems.push_back(std::to_string(lines) + " notes lines in the octave row");

        // A note's P7 is its length in quarters.
        auto length_of = [this](const std::string& rhythm) {
            run_fresh({"IN 1", "", "TR/C4;", rhythm + ";", "N", ";", ";", ";", "X", "N"});
            const std::vector<int32_t> typed = stored_items_of(1, 1);
            return typed.size() == 1 ? stored_param(typed[0], 7) : -1.0f;
        };
        int words = 0;
        for (const std::string& row : rhythm_rows) {
            const std::string first_column = row.substr(0, row.find('|', 1));
            const std::vector<std::string> likened =
                readme_spans(row.substr(first_column.size() + 1));
            for (const std::string& w : readme_spans(first_column)) {
                ++words;
                const float length = length_of(w);
                if (w == "T") {
                    if (likened.empty()) problems.push_back("`T` is likened to nothing");
                    for (const std::string& other : likened) {
                        if (std::fabs(length - length_of(other)) > 1e-4f)
                            problems.push_back("`T` is not `" + other + "`");
                    }
                } else if (std::fabs(length - 4.0f / std::stof(w)) > 1e-4f) {
                    problems.push_back("`" + w + "` is " + std::to_string(length) + " quarters");
                }
            }
        }
        if (words != 4) problems.push_back(std::to_string(words) + " numbers and `T` in the table");
        return problems;
    }

    std::string joined(const std::vector<std::string>& problems) {
        std::string all;
        for (const std::string& p : problems) all += p + "\n";
        return all;
    }
};

TEST_F(ReadmeExamplesTest, EveryExampleRunsAsTheReadmeSays) {
    const std::vector<ReadmeBlock> blocks = readme_blocks(readme_source_text());
    ASSERT_GE(blocks.size(), 5u);
    for (const ReadmeBlock& block : blocks) {
        SCOPED_TRACE("README line " + std::to_string(block.line));
        EXPECT_EQ(joined(block_problems(block)), "");
    }
}

// The two-staff example: a bass staff 1 with a chord and a treble staff 2, each with its clef,
// key and meter; the bar lines of staff 1 reach staff 2 and stand where staff 2's do; the saved
// page and the MIDI file hold it, both staves starting together.
TEST_F(ReadmeExamplesTest, TheFirstPageIsOneSystemOfTwoStaves) {
    const std::string readme = readme_source_text();
    const std::vector<std::string> section = readme_section(readme, "A first page");
    std::string joined_section;
    for (const std::string& l : section) joined_section += l + "\n";
    const std::vector<ReadmeBlock> blocks = readme_blocks(joined_section);
    ASSERT_EQ(blocks.size(), 1u) << "one example in \"A first page\"";
    ASSERT_EQ(joined(block_problems(blocks[0])), "");

    std::map<int32_t, std::vector<int32_t>> by_code_staff[20];
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const auto code = static_cast<int32_t>(stored_param(k, 1));
        const auto staff = static_cast<int32_t>(stored_param(k, 2));
        if (code >= 1 && code < 20) by_code_staff[code][staff].push_back(k);
    }
    const auto staves = by_code_staff[8];
    ASSERT_EQ(staves.size(), 2u);
    ASSERT_EQ(staves.count(1) + staves.count(2), 2u);
    for (const int32_t staff : {1, 2}) {
        SCOPED_TRACE("staff " + std::to_string(staff));
        ASSERT_EQ(by_code_staff[3][staff].size(), 1u);  // clef
        EXPECT_EQ(stored_param(by_code_staff[3][staff][0], 5), staff == 1 ? 1.0f : 0.0f);
        ASSERT_EQ(by_code_staff[17][staff].size(), 1u);  // key: one sharp
        EXPECT_EQ(stored_param(by_code_staff[17][staff][0], 5), 1.0f);
        ASSERT_EQ(by_code_staff[18][staff].size(), 1u);  // meter 3/4
        EXPECT_EQ(stored_param(by_code_staff[18][staff][0], 5), 3.0f);
        EXPECT_EQ(stored_param(by_code_staff[18][staff][0], 6), 4.0f);
        EXPECT_FALSE(by_code_staff[1][staff].empty());
    }
    // A chord of three notes in the bass.
    std::map<float, int> columns;
    for (const int32_t k : by_code_staff[1][1]) ++columns[stored_param(k, 3)];
    int widest = 0;
    for (const auto& [x, n] : columns) widest = std::max(widest, n);
    EXPECT_EQ(widest, 3);
    // The bass's bar lines span two staves, at the treble's bar lines.
    const std::vector<int32_t> low = by_code_staff[14][1];
    const std::vector<int32_t> high = by_code_staff[14][2];
    ASSERT_FALSE(low.empty());
    ASSERT_EQ(low.size(), high.size());
    for (std::size_t i = 0; i < low.size(); ++i) {
        EXPECT_EQ(stored_param(low[i], 4), 2.0f);
        EXPECT_EQ(stored_param(low[i], 3), stored_param(high[i], 3));
    }
    EXPECT_TRUE(fs::exists("minuet.mus"));
    const std::vector<std::pair<int, int>> parts =
        readme_midi_parts(platform::work_file("ormmidi.mid"));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].first, parts[1].first);
    EXPECT_EQ(parts[0].second, static_cast<int>(by_code_staff[1][2].size()));
    EXPECT_EQ(parts[1].second, static_cast<int>(by_code_staff[1][1].size()));
}

// The piece on two systems: the meter on the first system's staves alone, the second system's
// closing bars final bars, a brace and a joining line at the start of each system, the dynamic
// under the pickup note; each system counts the same beats on both its staves, the second as
// many as its bars hold without a meter.
TEST_F(ReadmeExamplesTest, ThePieceOnTwoSystemsTypesItsMeterOnceAndEndsWithAFinalBar) {
    const std::string readme = readme_source_text();
    const std::vector<std::string> section = readme_section(readme, "A piece on several systems");
    std::string joined_section;
    for (const std::string& l : section) joined_section += l + "\n";
    const std::vector<ReadmeBlock> blocks = readme_blocks(joined_section);
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_EQ(joined(block_problems(blocks[0])), "");

    std::map<int32_t, int> meters;
    std::map<int32_t, std::vector<float>> bar_kinds;
    std::map<int32_t, int> joins;
    int dynamics = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const auto code = static_cast<int32_t>(stored_param(k, 1));
        const auto staff = static_cast<int32_t>(stored_param(k, 2));
        if (code == 18) ++meters[staff];
        if (code == 14 && stored_param(k, 3) > 1.0f) bar_kinds[staff].push_back(stored_param(k, 5));
        // The start of a system: a brace (kind 8) and a plain line over both its staves.
        if (code == 14 && stored_param(k, 3) < 1.0f && stored_param(k, 4) == 2.0f)
            joins[staff] += stored_param(k, 5) == 8.0f ? 10 : 1;
        if (code == 9 && staff == 4 && stored_param(k, 4) == -3.0f) ++dynamics;
    }
    EXPECT_EQ(meters, (std::map<int32_t, int>{{3, 1}, {4, 1}}));
    EXPECT_EQ(joins, (std::map<int32_t, int>{{1, 11}, {3, 11}}));
    EXPECT_EQ(dynamics, 1);
    for (const int32_t staff : {1, 2}) {
        ASSERT_FALSE(bar_kinds[staff].empty()) << staff;
        EXPECT_EQ(bar_kinds[staff].back(), 2.0f) << "the final bar of staff " << staff;
    }
    for (const int32_t staff : {3, 4}) {
        for (const float kind : bar_kinds[staff]) EXPECT_EQ(kind, 0.0f) << staff;
    }
    EXPECT_TRUE(fs::exists("piece.mus"));
}

// The pianist's marks: a first ending over the bar that ends with the end repeat and a second
// over the last bar, both above the treble; the pedal sign and its star under the bass and the
// pedal line, at their places; accidentals held to the bar line, as the MIDI file plays them.
TEST_F(ReadmeExamplesTest, ThePianistsMarksStandWhereTheSongSectionPutsThem) {
    const std::string readme = readme_source_text();
    std::string joined_section;
    for (const std::string& l : readme_section(readme, "A song with piano"))
        joined_section += l + "\n";
    const std::vector<ReadmeBlock> blocks = readme_blocks(joined_section);
    ASSERT_EQ(blocks.size(), 2u);
    ASSERT_EQ(joined(block_problems(blocks[1])), "");

    std::vector<int32_t> endings, symbols, pedal_lines;
    std::vector<float> end_repeats;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const auto code = static_cast<int32_t>(stored_param(k, 1));
        if (code == 5 && stored_param(k, 7) == 5.0f) endings.push_back(k);
        if (code == 9) symbols.push_back(k);
        if (code == 7) pedal_lines.push_back(k);
        if (code == 14 && stored_param(k, 2) == 2.0f && stored_param(k, 5) == 3.0f)
            end_repeats.push_back(stored_param(k, 3));
    }
    ASSERT_EQ(end_repeats.size(), 1u);
    ASSERT_EQ(endings.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE("ending " + std::to_string(i + 1));
        const int32_t k = endings[i];
        EXPECT_EQ(stored_param(k, 2), 2.0f);
        EXPECT_EQ(stored_param(k, 4), 15.0f);  // above the top line
        EXPECT_EQ(stored_param(k, 8), static_cast<float>(i + 1));
    }
    // The first ending ends at the end repeat, the second begins after it.
    EXPECT_EQ(stored_param(endings[0], 3), 88.0f);
    EXPECT_LE(stored_param(endings[0], 6), end_repeats[0]);
    EXPECT_GT(stored_param(endings[0], 6), end_repeats[0] - 3.0f);
    EXPECT_GT(stored_param(endings[1], 3), end_repeats[0]);
    EXPECT_EQ(stored_param(endings[1], 6), 198.0f);
    ASSERT_EQ(symbols.size(), 2u);
    EXPECT_EQ(stored_param(symbols[0], 5), 70.0f);  // "Ped."
    EXPECT_EQ(stored_param(symbols[1], 5), 71.0f);  // the star
    for (const int32_t k : symbols) {
        EXPECT_EQ(stored_param(k, 2), 1.0f);
        EXPECT_EQ(stored_param(k, 4), -2.0f);
    }
    ASSERT_EQ(pedal_lines.size(), 1u);
    const int32_t line = pedal_lines[0];
    EXPECT_EQ(stored_param(line, 2), 1.0f);
    EXPECT_EQ(stored_param(line, 7), 20.0f);
    EXPECT_EQ(stored_param(line, 3), 89.0f);
    EXPECT_EQ(stored_param(line, 6), 154.0f);
    // Treble first: E, D sharp, D natural | C sharp, D, C held sharp | C after the bar line.
    const std::vector<std::pair<int, int>> parts =
        readme_midi_parts(platform::work_file("ormmidi.mid"));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(readme_midi_pitches(platform::work_file("ormmidi.mid"), 0),
              (std::vector<int>{76, 75, 74, 73, 74, 73, 72}));
}

// Typed twice in one folder, the example's save finds its file the second time: the question
// is given the next line, "PLA", which answers nothing: named, taken as No and dropped, so
// nothing is saved or played.
TEST_F(ReadmeExamplesTest, AnUnexpectedQuestionTakesTheNextLineAsItsAnswer) {
    const ReadmeBlock block = readme_blocks(readme_source_text()).at(0);
    ASSERT_EQ(joined(block_problems(block)), "");
    const fs::path midi = platform::work_file("ormmidi.mid");
    fs::remove(midi);
    const std::string out = run_fresh(block.typed);
    EXPECT_NE(out.find("FILE EXISTS - Write over file? - "), std::string::npos) << out;
    EXPECT_NE(out.find("*** Not an answer to \"FILE EXISTS - Write over file? - "),
              std::string::npos)
        << out;
    EXPECT_NE(out.find(": PLA -- taken as No."), std::string::npos) << out;
    EXPECT_EQ(out.find("File saved:"), std::string::npos) << out;
    EXPECT_EQ(out.find("Sound row"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(midi));
}

// The batch of documents in one run saves each document under its output name before the next
// load, so no load asks about unsaved changes, each output holds its own document and the run
// exits 0. Without the first save the load's question takes the next line, LJA, as No, and the
// second output holds the first document, justified, as the README warns.
TEST_F(ReadmeExamplesTest, TheBatchSavesEachDocumentBeforeItsNextLoad) {
    const std::string readme = readme_source_text();
    ASSERT_EQ(joined(block_problems(readme_block_typing(readme, "SA minuet.mus"))), "");
    ASSERT_EQ(joined(block_problems(readme_block_typing(readme, "SA song.mus"))), "");
    const std::size_t minuet = saved_records("minuet.mus").size();
    const std::size_t song = saved_records("song.mus").size();
    ASSERT_NE(minuet, song);
    ASSERT_GT(minuet * song, 0u);

    const ReadmeBlock batch = readme_block_typing(readme, "SA song-just.mus");
    int status = -1;
    std::string out = run_console_file(temp_.root(), batch.typed, &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out.find("Clear or Load new file?"), std::string::npos) << out;
    EXPECT_EQ(saved_records("minuet-just.mus").size(), minuet) << out;
    EXPECT_EQ(saved_records("song-just.mus").size(), song) << out;

    std::vector<std::string> unsaved = batch.typed;
    unsaved.erase(std::find(unsaved.begin(), unsaved.end(), "SA song-just.mus"));
    fs::remove("minuet-just.mus");
    status = -1;
    out = run_console_file(temp_.root(), unsaved, &status);
    EXPECT_EQ(status, 1) << out;
    EXPECT_NE(out.find("*** Not an answer to \"Warning: Unsaved entries or changes will be lost. "
                       "Clear or Load new file?\": LJA -- taken as No."),
              std::string::npos)
        << out;
    EXPECT_EQ(saved_records("minuet-just.mus").size(), song) << out;
}

// The pianist's signs: a double sharp and a double flat sound a whole step from their letters,
// the common-time and cut-time signs are the meters of their staves, and a pair's hundreds put
// the 3 on the beam (columns 3 to 5) and on the bracket of the slurs line (columns 1 to 3).
TEST_F(ReadmeExamplesTest, ThePianistsSignsSoundAndStandAsTyped) {
    const ReadmeBlock block =
        readme_block_typing(readme_source_text(), "TR/COM/FSS4/BFF4/C5/D/E/F/M;");
    ASSERT_EQ(joined(block_problems(block)), "");
    const std::vector<int32_t> low = stored_items_of(1, 1);
    const std::vector<int32_t> high = stored_items_of(1, 2);
    ASSERT_EQ(low.size(), 6u);
    ASSERT_EQ(high.size(), 5u);
    EXPECT_EQ(static_cast<int>(stored_param(low[0], 5)) % 10, 5);  // double sharp
    EXPECT_EQ(static_cast<int>(stored_param(low[1], 5)) % 10, 4);  // double flat
    const std::vector<int32_t> common = stored_items_of(18, 1);
    const std::vector<int32_t> cut = stored_items_of(18, 2);
    ASSERT_EQ(common.size(), 1u);
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(stored_param(common[0], 5), 99.0f);
    EXPECT_EQ(stored_param(cut[0], 5), 98.0f);
    const std::vector<int32_t> beams = stored_items_of(6, 1);
    ASSERT_EQ(beams.size(), 1u);
    EXPECT_NEAR(stored_param(beams[0], 3), stored_param(low[2], 3), 0.01f);
    EXPECT_NEAR(stored_param(beams[0], 6), stored_param(low[4], 3), 0.01f);
    EXPECT_EQ(stored_param(beams[0], 8), 3.0f);
    const std::vector<int32_t> brackets = stored_items_of(5, 2);
    ASSERT_EQ(brackets.size(), 1u);
    EXPECT_NEAR(stored_param(brackets[0], 3), stored_param(high[0], 3), 0.01f);
    EXPECT_NEAR(stored_param(brackets[0], 6), stored_param(high[2], 3), 0.01f);
    EXPECT_EQ(stored_param(brackets[0], 8), 3.0f);
    // The staves play one after another, the higher first: G and A are the double sharp and
    // the double flat.
    EXPECT_EQ(readme_midi_pitches(platform::work_file("ormmidi.mid"), 0),
              (std::vector<int>{72, 74, 76, 77, 79, 67, 69, 72, 74, 76, 77}));
}

// The second voice on staff 1: its notes stand in the columns of the first voice's notes struck
// with them, its stems down and the first voice's up, and each sounds at its own beat.
TEST_F(ReadmeExamplesTest, TheSecondVoiceSoundsWithTheColumnsOfTheFirst) {
    const ReadmeBlock block = readme_block_typing(readme_source_text(), "SD/C5/B4/G/C5/G4/C5;");
    ASSERT_EQ(joined(block_problems(block)), "");
    const std::vector<int32_t> notes = stored_items_of(1, 1);
    ASSERT_EQ(notes.size(), 13u);
    std::map<float, int> up;
    std::vector<float> down;
    for (const int32_t k : notes) {
        const int stem = static_cast<int>(stored_param(k, 5)) / 10 % 10;
        if (stem == 2)
            down.push_back(stored_param(k, 3));
        else
            ++up[stored_param(k, 3)];
    }
    ASSERT_EQ(down.size(), 6u);
    // Each lower note is in an upper note's column (the spacing keeps them a hair apart).
    for (const float x : down) {
        const auto near = up.lower_bound(x - 0.01f);
        EXPECT_TRUE(near != up.end() && near->first <= x + 0.01f) << x;
    }
    const std::vector<std::pair<double, int>> expected = {
        {0, 72}, {0, 76}, {1, 74}, {2, 71}, {2, 72}, {3, 67}, {3, 74},
        {4, 72}, {4, 76}, {5, 67}, {5, 76}, {6, 72}, {6, 76}};
    EXPECT_EQ(readme_midi_onsets(platform::work_file("ormmidi.mid")), expected);
}

TEST_F(ReadmeExamplesTest, EveryWordOfTheFirstPageSectionIsKnownWhereItIsTyped) {
    const std::string readme = readme_source_text();
    const std::vector<ReadmeWord> words =
        readme_section_words(readme_section(readme, "A first page"));
    int notes = 0;
    int rhythms = 0;
    int commands = 0;
    for (const ReadmeWord& w : words) {
        notes += w.context == ReadmeContext::NotesLine;
        rhythms += w.context == ReadmeContext::RhythmsLine;
        commands += w.context == ReadmeContext::Command;
    }
    EXPECT_GT(notes, 0);
    EXPECT_GT(rhythms, 0);
    EXPECT_GT(commands, 0);
    // The words named in passing are typed too.
    bool alto = false;
    for (const ReadmeWord& w : words)
        alto |= w.text == "AL" && w.context == ReadmeContext::NotesLine;
    EXPECT_TRUE(alto);
    EXPECT_EQ(joined(word_problems(readme)), "");
}

// The checks catch a README gone wrong: a sharp written with "#" in the example or in the table
// of words, a reply the program does not print, a word that is not a command.
TEST_F(ReadmeExamplesTest, ABrokenReadmeIsCaught) {
    const std::string readme = readme_source_text();
    auto with = [&readme](const std::string& from, const std::string& to) {
        std::string s = readme;
        const std::size_t at = s.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) s.replace(at, from.size(), to);
        return s;
    };
    auto first_block = [](const std::string& text) { return readme_blocks(text).at(0); };

    EXPECT_NE(joined(block_problems(first_block(with("CS5/M", "C#5/M")))), "");
    EXPECT_NE(joined(block_problems(first_block(with("12.000 beats", "11.000 beats")))), "");
    EXPECT_NE(joined(block_problems(first_block(with("D4/M2/A3", "D4/M1/A3")))), "")
        << "a bar line of the bass alone leaves the staves apart";
    EXPECT_NE(joined(word_problems(with("`FS5`", "`F#5`"))), "");
    EXPECT_NE(joined(word_problems(with("`IN 1` types", "`I#N 1` types"))), "");

    // What the hymn draws: its bar lines as they were typed before (the treble's `M` takes the
    // bass's `M2` and reaches up past the top staff), or its staves left where the input put
    // them (the second verse across the bass staff's lines).
    const std::vector<std::vector<std::pair<std::string, std::string>>> broken_hymns = {
        {{"SU/D4/D/B3/D4/M2/C/B3/M2;", "SU/D4/D/B3/D4/M/C/B3/M2;"},
         {"SU/B4/A/G/A/M1/B/G/M1;", "SU/B4/A/G/A/M/B/G/M1;"}},
        {{"SU/B4/A/G/A/M1/B/G/M1;", "SU/B4/A/G/A/M2/B/G/M1;"}},
        {{"Sing to him a song\n1:5\nX\nVJ 4\n", "Sing to him a song\n1:5\nX\n"}},
    };
    // The tables' examples: a pitch the octave rule does not give, `T` likened to another
    // rhythm.
    EXPECT_NE(joined(table_problems(with("gives C4 and B5", "gives C5 and B5"))), "");
    EXPECT_NE(joined(table_problems(with("C5 and B4)", "C5 and B5)"))), "");
    EXPECT_NE(joined(table_problems(with("as `TE` and `12` are", "as `E` and `12` are"))), "");

    for (const auto& changes : broken_hymns) {
        SCOPED_TRACE(changes.front().second);
        std::string broken = readme;
        for (const auto& [from, to] : changes) {
            const std::size_t at = broken.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            broken.replace(at, from.size(), to);
        }
        run_fresh(readme_block_typing(broken, "SA hymn.mus").typed);
        EXPECT_NE(joined(readme_drawing_problems()), "");
    }
}

// The octave rule and the numbers of the rhythms line, as the README's tables give them: each
// notes line the table shows gives the pitches it names, each number the note of which that
// many fill a whole, and `T` alone the rhythm the table likens it to.
TEST_F(ReadmeExamplesTest, TheTablesExamplesOfOctavesAndRhythmNumbersTypeAsTheySay) {
    EXPECT_EQ(joined(table_problems(readme_source_text())), "");
}

}  // namespace
