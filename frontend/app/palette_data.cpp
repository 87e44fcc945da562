// Reading palettes/handlers.txt and palettes/palettes.txt.
#include "frontend/app/palette_data.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

namespace frontend {

namespace {

constexpr std::array<std::pair<HandlerKind, const char*>, 15> kKindNames{{
    {HandlerKind::Send, "send"},
    {HandlerKind::SendPalette, "send-palette"},
    {HandlerKind::PaletteSend, "palette-send"},
    {HandlerKind::Palette, "palette"},
    {HandlerKind::TwoSends, "two-sends"},
    {HandlerKind::ByPalette, "by-palette"},
    {HandlerKind::GroupEdit, "group-edit"},
    {HandlerKind::Return, "return"},
    {HandlerKind::ZoomPlus, "zoom-plus"},
    {HandlerKind::ZoomMinus, "zoom-minus"},
    {HandlerKind::PlayAgain, "play-again"},
    {HandlerKind::Pause, "pause"},
    {HandlerKind::StopPlay, "stop-play"},
    {HandlerKind::ExitPlay, "exit-play"},
    {HandlerKind::Nothing, "nothing"},
}};

// A whole number that fills the token; false otherwise.
bool whole_number(const std::string& token, int32_t& v) {
    if (token.empty()) return false;
    char* end = nullptr;
    const long n = std::strtol(token.c_str(), &end, 10);
    if (*end != '\0' || n < -2147483647L || n > 2147483647L) return false;
    v = static_cast<int32_t>(n);
    return true;
}

// Numbers joined by ','.
bool number_list(const std::string& token, std::vector<int32_t>& out) {
    std::stringstream in(token);
    std::string part;
    while (std::getline(in, part, ',')) {
        int32_t v = 0;
        if (!whole_number(part, v)) return false;
        out.push_back(v);
    }
    return !out.empty();
}

// Splits a handler line into bare tokens and quoted texts, in order; '|' is its own token.
// Quoted texts come back with a leading '"' so they can be told from bare tokens.
bool split_line(const std::string& line, std::vector<std::string>& tokens) {
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '"') {
            std::string text;
            if (!ReadQuotedText(line, i, text)) return false;
            text.insert(0, 1, '"');
            tokens.push_back(std::move(text));
        } else {
            std::string word;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '"' &&
                   line[i] != '\r') {
                word += line[i++];
            }
            tokens.push_back(std::move(word));
        }
    }
    return true;
}

bool parse_handler(const std::string& line, CommandHandlerEntry& h) {
    std::vector<std::string> t;
    if (!split_line(line, t) || t.size() < 6) return false;
    if (!number_list(t[0], h.ids) || h.ids.size() > 2) return false;
    if (!HandlerKindOfName(t[1], h.kind)) return false;
    if (t[2] == "-") {
        h.palette = -1;
    } else if (h.kind == HandlerKind::ByPalette) {
        if (!number_list(t[2], h.palettes_by_current)) return false;
    } else if (!whole_number(t[2], h.palette)) {
        return false;
    }
    std::size_t k = 3;
    for (; k < t.size() && t[k] != "|"; ++k) {
        if (t[k].empty() || t[k][0] != '"') return false;
        h.texts.push_back(t[k].substr(1));
    }
    if (k + 3 != t.size()) return false;
    if (t[k + 1].empty() || t[k + 1][0] != '"' || t[k + 2].empty() || t[k + 2][0] != '"') {
        return false;
    }
    h.prompt = t[k + 1].substr(1);
    h.tooltip = t[k + 2].substr(1);
    return true;
}

bool parse_palette(const std::string& line, PaletteLayout& p) {
    std::istringstream in(line);
    std::string id;
    std::string size;
    if (!(in >> id >> size) || !whole_number(id, p.id)) return false;
    const std::size_t x = size.find('x');
    int32_t w = 0;
    int32_t h = 0;
    if (x == std::string::npos || !whole_number(size.substr(0, x), w) ||
        !whole_number(size.substr(x + 1), h) || w <= 0 || h <= 0) {
        return false;
    }
    p.button_width = w;
    p.button_height = h;
    std::string token;
    while (in >> token) {
        int32_t v = 0;
        if (!whole_number(token, v) || v < 0) return false;
        p.buttons.push_back(v);
    }
    return true;
}

bool skip_line(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    return first == std::string::npos || line[first] == '#';
}

}  // namespace

bool ReadQuotedText(const std::string& line, std::size_t& pos, std::string& out) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (pos >= line.size() || line[pos] != '"') return false;
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '\\' && pos + 1 < line.size()) {
            out += line[++pos];
        } else if (c == '"') {
            ++pos;
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

bool HandlerKindOfName(const std::string& name, HandlerKind& kind) {
    for (const auto& [k, n] : kKindNames) {
        if (name == n) {
            kind = k;
            return true;
        }
    }
    return false;
}

const char* HandlerKindName(HandlerKind kind) {
    for (const auto& [k, n] : kKindNames) {
        if (k == kind) return n;
    }
    return "?";
}

// Contract: both files read line by line; the first bad line (or a missing file, or an id
// given twice) stops the reading with its file and line in error.
PaletteData ReadPaletteData(const std::string& handlers_path, const std::string& palettes_path) {
    PaletteData data;
    std::ifstream handlers(handlers_path);
    if (!handlers) {
        data.error = "cannot read " + handlers_path;
        return data;
    }
    std::string line;
    int number = 0;
    while (std::getline(handlers, line)) {
        ++number;
        if (skip_line(line)) continue;
        CommandHandlerEntry h;
        bool fresh = parse_handler(line, h);
        for (const int32_t id : h.ids) fresh = fresh && data.handler_of_id.count(id) == 0;
        if (!fresh) {
            data.error = handlers_path + " line " + std::to_string(number) + ": " + line;
            return data;
        }
        for (const int32_t id : h.ids) data.handler_of_id[id] = data.handlers.size();
        data.handlers.push_back(std::move(h));
    }
    std::ifstream palettes(palettes_path);
    if (!palettes) {
        data.error = "cannot read " + palettes_path;
        return data;
    }
    number = 0;
    while (std::getline(palettes, line)) {
        ++number;
        if (skip_line(line)) continue;
        PaletteLayout p;
        if (!parse_palette(line, p) || data.palettes.count(p.id) != 0) {
            data.error = palettes_path + " line " + std::to_string(number) + ": " + line;
            return data;
        }
        data.palettes[p.id] = std::move(p);
    }
    return data;
}

}  // namespace frontend
