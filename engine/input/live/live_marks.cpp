#include "engine/input/live/live_marks.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/key_words.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/input/typed/music_text.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/tables.h"

namespace input {

namespace {

constexpr int32_t kKeyDownF9 = core::kKeyDownF2 + 7;

// The line into CommandLine and the command bar (the bar's box is cut back when it is empty).
void show_line(const std::string& line) {
    if (line.empty()) core::cut_input_to_marker();
    core::CommandLine.set(line);
    const core::FixedText<512> shown = core::CommandLine;
    core::preset_answer(shown, static_cast<int32_t>(line.size()));
    core::CommandLine = shown;
}

// The ended line back in CommandLine with CR LF after it.
void end_line(const std::string& line, int32_t& cursor) {
    core::CommandLine.set(line);
    const int32_t end = static_cast<int32_t>(line.size());
    core::CommandLine(end + 1) = '\r';
    core::CommandLine(end + 2) = '\n';
    cursor = end;
    core::EngineWaitLevel = -1;
}

// "^" or "G" as the line's first character.
void mark_first(std::string& line, char c, int32_t& cursor) {
    if (line.empty()) line = " ";
    line[0] = c;
    core::CommandLine.set(line);
    cursor = static_cast<int32_t>(line.size());
    core::EngineWaitLevel = -1;
}

// The number of the click's column: the click x from the front-end's mouse words.
int32_t clicked_column() {
    int32_t column = 0;
    nearest_column(column, static_cast<float>(core::MouseRegion(4)));
    return column;
}

// Appends text unless the line would pass its 384 characters (then told once a line, or the
// line handed over whole refused: refused set, the entry ends).
bool append(std::string& line, const std::string& text, bool& told, bool& refused) {
    if (line.size() + text.size() > static_cast<std::size_t>(kInputLineChars - 1)) {
        refused = refuse_overfull_line(line, text, told);
        return false;
    }
    line += text;
    return true;
}

// The refused line back in CommandLine, for the reply that names the kind left out.
void end_refused_line(const std::string& line, int32_t& cursor) {
    core::CommandLine.set(line.substr(0, static_cast<std::size_t>(kInputLineChars - 1)));
    cursor = static_cast<int32_t>(std::min<std::size_t>(line.size(), kInputLineChars - 1));
    core::EngineWaitLevel = -1;
}

}  // namespace

// Contract: see the header. The mark words of the palette as the marks line writes them; a word
// that is not in the table comes back as it is.
std::string translate_mark_word(const std::string& given) {
    std::string w = given;
    w.resize(std::max<std::size_t>(w.size(), 4), ' ');
    const std::string three = w.substr(0, 3);
    const char fourth = w[3];
    std::string mark;
    struct Keep {
        const char* word;
        const char* mark;
    };
    static const Keep kKeepFourth[] = {{"AC ", "A"}, {"AST", "AS"}, {"TNS", "TS"}, {"STA", "S"},
                                       {"HAR", "H"}, {"WST", "WS"}, {"DNB", "D"},  {"UPB", "U"},
                                       {"OVA", "O"}, {"OBA", "OB"}, {"CRH", "C"},  {"DCH", "C-"}};
    static const Keep kWhole[] = {{"ACT", "ACT "}, {"FCF", "FIF"}, {"FCS", "FIS"}, {"FCN", "FIN"}};
    static const Keep kDynamics[] = {{"51", "PPP"}, {"52", "PP"}, {"53", "P"},   {"54", "MP"},
                                     {"55", "MF"},  {"56", "F"},  {"57", "FF"},  {"58", "FFF"},
                                     {"60", "FP"},  {"61", "SF"}, {"62", "SFZ"}, {"63", "CR"},
                                     {"64", "DI"},  {"65", "RI"}, {"68", "AC"}};
    for (const Keep& k : kWhole) {
        if (three == k.word) mark = k.mark;
    }
    for (const Keep& k : kKeepFourth) {
        if (mark.empty() && three == k.word) mark = std::string(k.mark) + fourth;
    }
    if (mark.empty() && w.substr(0, 2) == "5 ") {
        for (const Keep& k : kDynamics) {
            if (w.substr(2, 2) == k.word) mark = k.mark;
        }
    }
    if (mark.empty() && w.substr(0, 2) == "TN") mark = std::string("T") + w[2] + fourth;
    const bool digit = fourth >= '0' && fourth <= '9';
    if (mark.empty() && three == "TRM" && digit) mark = std::string("TM") + fourth;
    if (mark.empty() && three == "FNG" && digit) mark = std::string("F") + fourth;
    if (mark.empty()) return given;
    while (!mark.empty() && mark.back() == ' ') mark.pop_back();
    return mark;
}

// Contract: see the header. Reads ColumnPositions, ColumnPositionCount (layout), ViewOrigin
// (render). The first of equal distances wins; no positions give column 0. Entry k of the
// rhythms line's table is note column k (its closing entry, the staff's end, one beyond the
// last), so the entry's number is the column number the pairs and marks lines use.
void nearest_column(int32_t& column, float x) {
    const int32_t target = static_cast<int32_t>(x - static_cast<float>(render::ViewOrigin.x)) / 150;
    const int32_t count = std::clamp(layout::ColumnPositionCount, 0, layout::kInputRows + 1);
    float best = 99999.0f;
    column = 0;
    for (int32_t k = 1; k <= count; ++k) {
        const float distance = std::abs(layout::ColumnPositions(k) - static_cast<float>(target));
        if (distance < best) {
            best = distance;
            column = k;
        }
    }
}

// Contract: see the header. Reads the keys and commands of the waits, MouseRegion; writes
// CommandLine, EngineWaitLevel.
void enter_marks_line(int32_t& cursor, int32_t& length) {
    // No modal notice while keys are taken: it would swallow the keys typed while it is up.
    const render::OutOfBoundsNoticeHold notice_hold;
    std::string line;
    bool told = false;
    bool refused = false;
    InputLineRefused = 0;
    cursor = 0;
    core::EngineWaitLevel = 1;
    for (;;) {
        if (refused) {
            end_refused_line(line, cursor);
            return;
        }
        show_line(line);
        if (!core::wait_for_input_key_or_command()) return;
        const int32_t key = core::InputKeyWord;
        std::string text;
        bool word = false;
        if (key != 0) {
            if (key == core::kKeyEscape || core::EngineKeyWord == kKeyDownF9 || key == '^') {
                mark_first(line, '^', cursor);
                return;
            }
            if (key == core::kKeyBackspace) {
                if (!line.empty()) line.pop_back();
                cursor = static_cast<int32_t>(line.size());
                continue;
            }
            if (core::EngineKeyWord >= core::kKeyDownF2 && core::EngineKeyWord <= core::kKeyDownF12)
                continue;
            // G ends the line only at a word's start: right after a letter it spells a word
            // (WEDG, FNG3).
            const bool in_word =
                !line.empty() && std::isalpha(static_cast<unsigned char>(line.back()));
            if ((key == 'G' || key == 'g') && !in_word) {
                mark_first(line, 'G', cursor);
                return;
            }
            if (key < ' ' || key >= 127) continue;
            text = std::string(1, static_cast<char>(key));
        } else {
            const std::string given = core::SecondLine.trimmed();
            if (given == "~") {
                if (line.empty()) continue;
                const int32_t column = clicked_column();
                text = (line.back() == ' ' ? "" : " ") + std::to_string(column);
                if (append(line, text, told, refused)) length = static_cast<int32_t>(text.size());
                cursor = static_cast<int32_t>(line.size());
                continue;
            }
            if (given.empty() || given[0] == '~') continue;
            if (given == "BK") {
                if (!line.empty()) line.pop_back();
                cursor = static_cast<int32_t>(line.size());
                continue;
            }
            if (given == "^") {
                mark_first(line, '^', cursor);
                return;
            }
            if (given == "G") {
                mark_first(line, 'G', cursor);
                return;
            }
            text = translate_mark_word(given);
            word = true;
        }
        if (text == ";") {
            for (char& c : line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            line += ';';
            length = 1;
            end_line(line, cursor);
            return;
        }
        const char prev = line.empty() ? ' ' : line.back();
        if (text[0] == '-' && std::isalpha(static_cast<unsigned char>(prev))) text = "/" + text;
        if (word && text != "/") text += ' ';
        if (!append(line, text, told, refused)) continue;
        length = static_cast<int32_t>(text.size());
        cursor = static_cast<int32_t>(line.size());
        if (text == "/" || text.back() == ' ') {
            for (char& c : line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
}

// Contract: see the header. Reads InputParserMode, the keys and commands of the waits,
// MouseRegion, ColumnPositionCount; writes CommandLine, EngineWaitLevel.
void enter_pairs_line(int32_t& cursor, int32_t& length) {
    // No modal notice while keys are taken: it would swallow the keys typed while it is up.
    const render::OutOfBoundsNoticeHold notice_hold;
    std::string line;
    int32_t clicks = 0;
    std::string hundreds = "  ";
    char pickup = ' ';
    bool told = false;
    bool refused = false;
    InputLineRefused = 0;
    cursor = 0;
    core::EngineWaitLevel = 1;

    // A beat grouping becomes the whole line and ends the entry.
    const auto grouping = [&](std::string g) {
        if (pickup != ' ') {
            g = g.substr(0, 2) + pickup + ";";
            pickup = ' ';
        }
        length = static_cast<int32_t>(g.size());
        end_line(g, cursor);
    };
    const auto write_number = [&](int32_t n) {
        std::string text = " " + std::to_string(n);
        if (++clicks == 2) {
            text += "/";
            clicks = 0;
        }
        if (append(line, text, told, refused)) length = static_cast<int32_t>(text.size());
    };
    // The sign stands right before the number after it.
    const auto finish = [&]() {
        for (std::size_t k = 0; k + 1 < line.size(); ++k) {
            const char c = line[k];
            if ((c == '-' || c == '+' || c == '=') && line[k + 1] == ' ')
                std::swap(line[k], line[k + 1]);
        }
        end_line(line, cursor);
    };

    for (;;) {
        if (refused) {
            end_refused_line(line, cursor);
            return;
        }
        show_line(line);
        if (!core::wait_for_input_key_or_command()) return;
        const int32_t key = core::InputKeyWord;
        const int32_t down = core::EngineKeyWord;
        std::string text;
        if (key != 0) {
            if (key == core::kKeyEscape || down == kKeyDownF9 || key == '^') {
                mark_first(line, '^', cursor);
                return;
            }
            if (InputParserMode == kBeamsMode && down >= 113 && down <= 1115 &&
                down >= core::kKeyDownF2) {
                grouping(std::string(1, static_cast<char>((down - 1063) % 256)) + "B;");
                return;
            }
            if (down >= core::kKeyDownF2 && down <= core::kKeyDownF12) continue;
            if (key == core::kKeyBackspace)
                text = "BK";
            else if (key == core::kKeyEnter)
                text = ";";
            else if (key >= ' ' && key < 127)
                text = std::string(1, static_cast<char>(key));
            else
                continue;
            if (text == "G" || text == "g") {
                mark_first(line, 'G', cursor);
                return;
            }
        } else {
            text = core::SecondLine.trimmed();
            if (text == "^") {
                mark_first(line, '^', cursor);
                return;
            }
            if (text == "G") {
                mark_first(line, 'G', cursor);
                return;
            }
            if (text.size() >= 2 && text[1] == 'B') {
                grouping(text);
                return;
            }
            if (text.size() >= 3 && text.substr(1, 2) == "PK") {
                pickup = text[0];
                continue;
            }
            if (text.size() >= 3 && text.substr(1, 2) == "00") {
                hundreds = text.substr(0, 2);
                continue;
            }
            if (text == "~") {
                int32_t n = clicked_column();
                if (hundreds[0] >= '0' && hundreds[0] <= '9') n += 100 * (hundreds[0] - '0');
                write_number(n);
                cursor = static_cast<int32_t>(line.size());
                continue;
            }
            if (text.empty() || text[0] == '~') continue;
        }
        if (text == "=") text = "+";
        if (text == ";") {
            if (!line.empty() && line.back() == '/') line.pop_back();
            line += ';';
            finish();
            return;
        }
        if (text == "BK") {
            const std::size_t slash =
                line.empty() ? std::string::npos : line.find_last_of('/', line.size() - 2);
            line.resize(slash == std::string::npos ? 0 : slash + 1);
            clicks = 0;
        } else if (text == "UP" || text == "DO") {
            const std::size_t slash = line.find_last_of('/');
            const std::size_t at = slash == std::string::npos ? 0 : slash + 1;
            if (line.size() + 1 <= static_cast<std::size_t>(kInputLineChars - 1))
                line.insert(at, 1, text == "DO" ? '-' : '+');
            else
                refused = refuse_overfull_line(line, text, told);
        } else if (text == "#" || text == "%") {
            const int32_t last = std::max(layout::ColumnPositionCount - 1, 0);
            write_number(last);
            if (text == "%") write_number(last);
        } else if (append(line, text, told, refused)) {
            length = static_cast<int32_t>(text.size());
        }
        cursor = static_cast<int32_t>(line.size());
    }
}

}  // namespace input
