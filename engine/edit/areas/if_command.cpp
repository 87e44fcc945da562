// The IF command: compiling a condition line over item parameters and running it on every item.
#include "engine/edit/areas/if_command.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/edit/areas/box_input.h"
#include "engine/edit/areas/cut_files.h"
#include "engine/edit/items/absolute_size.h"
#include "engine/edit/items/typed_values.h"
#include "engine/edit/keywords/keyword_decoder.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/layout/view/zoom_steps.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "platform/paths.h"

namespace edit {

namespace {

using core::ItemStartTable;
using core::ItemStore;

constexpr float kParamReference = 1000000.0f;

// Operator codes of the compiled line (the positions of "=~<>{}AOT,DC()+-/*@").
enum IfCode : int32_t {
    kEqual = 1,
    kNotEqual,
    kLess,
    kGreater,
    kLessEqual,
    kGreaterEqual,
    kAnd,
    kOr,
    kThen,
    kComma,
    kDelete,
    kCopy,
    kOpen,
    kClose,
    kPlus,
    kMinus,
    kDivide,
    kTimes,
    kRemainder
};

// One operand of a chain and the arithmetic operator that follows it (0: the chain ends).
struct IfTerm {
    float value = 0.0f;
    int32_t op = 0;
};

// One token of the compiled line: a chain of terms (code 0), an operator, or an action (an
// assignment keeps its parameter number in target and its chain in the terms).
struct IfToken {
    int32_t code = 0;
    int32_t first = 0;
    int32_t count = 0;
    int32_t target = 0;
};

struct CompiledIf {
    std::vector<IfTerm> terms;
    std::vector<IfToken> conditions;  // up to and without THEN
    std::vector<IfToken> actions;
    bool has_then = false;
    bool centre_marks = false;
};

// What went wrong while reading a line: empty when nothing did. at: where in the compact text
// the reading stopped (npos when nowhere in particular).
struct CompileError {
    std::string text;
    std::size_t at = std::string::npos;
};

// origin(i) is the column of the line as typed that the compact text's i-th character comes
// from; a replacement takes the column of what it replaced.
void replace_at(std::string& s, std::vector<std::size_t>& origin, std::size_t at,
                const std::string& from, const std::string& to) {
    const std::size_t column = origin[at];
    s.replace(at, from.size(), to);
    origin.erase(origin.begin() + static_cast<std::ptrdiff_t>(at),
                 origin.begin() + static_cast<std::ptrdiff_t>(at + from.size()));
    origin.insert(origin.begin() + static_cast<std::ptrdiff_t>(at), to.size(), column);
}

void replace_all(std::string& s, std::vector<std::size_t>& origin, const std::string& from,
                 const std::string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        replace_at(s, origin, at, from, to);
}

void replace_last(std::string& s, std::vector<std::size_t>& origin, const std::string& from,
                  const std::string& to) {
    const std::size_t at = s.rfind(from);
    if (at != std::string::npos) replace_at(s, origin, at, from, to);
}

// The compact upper-case form of an IF line: blanks dropped, the two-character comparisons as
// their one-character codes, the size words as parameters 98 and 99, the colour and centring
// words as their assignments. centre is set when CT or CTN was replaced; origin gets the column
// of the typed line each character comes from.
std::string normalise_if_line(const std::string& raw, bool& centre,
                              std::vector<std::size_t>& origin) {
    std::string s;
    origin.clear();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == ' ' || c == '\0') continue;
        s.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
        origin.push_back(i);
    }
    replace_last(s, origin, "SZ", "P98");
    replace_last(s, origin, "PT", "P99");
    replace_all(s, origin, "<=", "{");
    replace_all(s, origin, "<>", "~");
    replace_all(s, origin, ">=", "}");
    replace_all(s, origin, "BLA", "P26=0");
    replace_all(s, origin, "RGB", "P26=");
    replace_all(s, origin, "GRA", "P26=");
    centre = false;
    const std::size_t ct = s.size() > 5 ? s.find("CT", 5) : std::string::npos;
    if (ct != std::string::npos) {
        const bool n = ct + 2 < s.size() && s[ct + 2] == 'N';
        replace_at(s, origin, ct, n ? "CTN" : "CT", n ? "P11=-99" : "P11=-98");
        centre = true;
    }
    return s;
}

// The line reader: one pass over the compact text, building the compiled line.
class IfCompiler {
  public:
    IfCompiler(const std::string& text, CompiledIf& out) : s_(text), out_(out) {}

    CompileError compile() {
        pos_ = 2;  // after "IF"
        int32_t depth = 0;
        for (;;) {
            while (peek() == '(') {
                out_.conditions.push_back({kOpen});
                ++depth;
                ++pos_;
            }
            IfToken left;
            if (!read_chain(left)) return error_here();
            out_.conditions.push_back(left);
            const int32_t cmp = comparison(peek());
            if (cmp == 0) return error_here();
            ++pos_;
            out_.conditions.push_back({cmp});
            IfToken right;
            if (!read_chain(right)) return error_here();
            out_.conditions.push_back(right);
            while (peek() == ')') {
                if (--depth < 0) return {"*** IF: a \")\" closes more than was opened."};
                out_.conditions.push_back({kClose});
                ++pos_;
            }
            if (take("AND") || take("\\")) {
                out_.conditions.push_back({kAnd});
            } else if (take("OR")) {
                out_.conditions.push_back({kOr});
            } else if (take("THEN") || take(";")) {
                out_.has_then = true;
                break;
            } else if (pos_ >= s_.size()) {
                break;
            } else {
                return error_here();
            }
        }
        if (depth != 0) return {"*** IF: the parentheses are not balanced."};
        if (!out_.has_then) return {};
        while (pos_ < s_.size()) {
            const char c = peek();
            const bool alone =
                pos_ + 1 >= s_.size() || s_[pos_ + 1] == ',' || s_.compare(pos_ + 1, 3, "AND") == 0;
            if ((c == 'D' || c == 'C') && alone) {
                out_.actions.push_back({c == 'D' ? kDelete : kCopy});
                ++pos_;
            } else {
                // "Pn=chain", or "Pn+Pm=v" (Pn takes Pm + v: the form Group Alter writes).
                IfToken target;
                if (peek() != 'P' || !read_chain(target) || target.count > 2) return error_here();
                const float ref = out_.terms[target.first].value;
                if (ref < kParamReference || peek() != '=') return error_here();
                ++pos_;
                IfToken chain;
                if (target.count == 2) {
                    chain.first = static_cast<int32_t>(out_.terms.size());
                    out_.terms.push_back(
                        {out_.terms[target.first + 1].value, out_.terms[target.first].op});
                    IfToken rest;
                    if (!read_chain(rest)) return error_here();
                    chain.count = rest.count + 1;
                } else if (!read_chain(chain)) {
                    return error_here();
                }
                chain.code = 0;
                chain.target = core::int_of(ref - kParamReference);
                out_.actions.push_back(chain);
            }
            if (pos_ >= s_.size()) break;
            if (!take(",") && !take("AND")) return error_here();
        }
        if (out_.terms.size() > static_cast<std::size_t>(kIfOperandLimit))
            return {"*** IF: more than 56 operands in the line."};
        return {};
    }

  private:
    char peek() const { return pos_ < s_.size() ? s_[pos_] : '\0'; }
    bool take(const char* word) {
        const std::size_t n = std::strlen(word);
        if (s_.compare(pos_, n, word) != 0) return false;
        pos_ += n;
        return true;
    }
    static int32_t comparison(char c) {
        switch (c) {
            case '=':
                return kEqual;
            case '~':
                return kNotEqual;
            case '<':
                return kLess;
            case '>':
                return kGreater;
            case '{':
                return kLessEqual;
            case '}':
                return kGreaterEqual;
            default:
                return 0;
        }
    }
    static int32_t arithmetic(char c) {
        switch (c) {
            case '+':
                return kPlus;
            case '-':
                return kMinus;
            case '/':
                return kDivide;
            case '*':
                return kTimes;
            default:
                return 0;
        }
    }
    CompileError error_here() const {
        std::string shown = s_.substr(pos_ < s_.size() ? pos_ : s_.size(), 12);
        if (shown.empty()) shown = "(end of line)";
        return {"*** IF: cannot read the line at: " + shown, pos_ < s_.size() ? pos_ : s_.size()};
    }

    // An operand: "P" n (stored as 1,000,000 + n) or a number of up to 9 characters.
    bool read_operand(float& value) {
        const bool reference = peek() == 'P';
        if (reference) ++pos_;
        std::string digits;
        if (!reference && (peek() == '-' || peek() == '+')) digits.push_back(s_[pos_++]);
        while (digits.size() < 9 && ((peek() >= '0' && peek() <= '9') || peek() == '.'))
            digits.push_back(s_[pos_++]);
        if (digits.find_first_of("0123456789") == std::string::npos) return false;
        char* end = nullptr;
        const double v = std::strtod(digits.c_str(), &end);
        if (end == nullptr || *end != '\0') return false;
        if (reference) {
            if (v < 0.0 || v > 999.0) return false;
            value = kParamReference + static_cast<float>(core::int_of(v));
        } else {
            value = static_cast<float>(v);
        }
        return true;
    }

    // Operands joined by arithmetic, left to right; "MOD(a,b)" becomes a "@" b.
    bool read_chain(IfToken& token) {
        token = IfToken{};
        token.first = static_cast<int32_t>(out_.terms.size());
        for (;;) {
            if (take("MOD(")) {
                if (!read_chain_into()) return false;
                out_.terms.back().op = kRemainder;
                if (!take(",") || !read_chain_into() || !take(")")) return false;
            } else {
                float v = 0.0f;
                if (!read_operand(v)) return false;
                out_.terms.push_back({v, 0});
            }
            const int32_t op = arithmetic(peek());
            if (op == 0) break;
            out_.terms.back().op = op;
            ++pos_;
        }
        token.count = static_cast<int32_t>(out_.terms.size()) - token.first;
        return true;
    }
    bool read_chain_into() {
        IfToken inner;
        return read_chain(inner);
    }

    const std::string& s_;
    CompiledIf& out_;
    std::size_t pos_ = 0;
};

// The words of item k: its start word and parameter count.
struct ItemView {
    int32_t start = 0;
    int32_t count = 0;
    float p(int32_t i) const { return i >= 1 && i <= count ? ItemStore(start + i) : 0.0f; }
};

ItemView view_item(int32_t k) {
    ItemView v;
    v.start = ItemStartTable(k);
    v.count = core::int_of(ItemStore(v.start));
    return v;
}

// An operand's value for the item: a parameter beyond its count reads 0.0.
float operand_value(const ItemView& item, float value) {
    if (value < kParamReference) return value;
    return item.p(core::int_of(value - kParamReference));
}

// A chain evaluated strictly left to right; division by 0.0 leaves the value as it was.
float evaluate_if_operand(const CompiledIf& line, const IfToken& chain, const ItemView& item) {
    float v = operand_value(item, line.terms[chain.first].value);
    for (int32_t t = chain.first; t < chain.first + chain.count - 1; ++t) {
        const float next = operand_value(item, line.terms[t + 1].value);
        switch (line.terms[t].op) {
            case kPlus:
                v += next;
                break;
            case kMinus:
                v -= next;
                break;
            case kTimes:
                v *= next;
                break;
            case kDivide:
                if (next != 0.0f) v /= next;
                break;
            case kRemainder:
                v = static_cast<float>(
                        core::int_of((core::compute_real_mod(v, next) + 0.001) * 100.0)) /
                    100.0f;
                break;
            default:
                break;
        }
    }
    return v;
}

bool compare(int32_t code, float a, float b) {
    switch (code) {
        case kEqual:
            return a == b;
        case kNotEqual:
            return a != b;
        case kLess:
            return a < b;
        case kGreater:
            return a > b;
        case kLessEqual:
            return a <= b;
        case kGreaterEqual:
            return a >= b;
        default:
            return false;
    }
}

// The conditions, taken left to right: after a true comparison the scan goes on at the next
// AND, after a false one at the next OR (outside parentheses when the comparison stood outside
// them); running off the conditions decides.
bool item_passes(const CompiledIf& line, const ItemView& item) {
    const std::vector<IfToken>& c = line.conditions;
    std::size_t i = 0;
    int32_t depth = 0;
    for (;;) {
        while (i < c.size() && c[i].code == kOpen) {
            ++depth;
            ++i;
        }
        if (i + 2 >= c.size()) return false;
        const bool holds = compare(c[i + 1].code, evaluate_if_operand(line, c[i], item),
                                   evaluate_if_operand(line, c[i + 2], item));
        const int32_t started = depth;
        i += 3;
        const int32_t wanted = holds ? kAnd : kOr;
        for (;; ++i) {
            if (i >= c.size()) return holds;
            if (c[i].code == kOpen) ++depth;
            if (c[i].code == kClose) --depth;
            if (c[i].code == wanted && (holds || started > 0 || depth == 0)) break;
        }
        ++i;
    }
}

// How an assignment left the item.
enum class Assigned { Next, SkipItem, Full };

bool text_marked(const ItemView& item) { return item.count >= 16 && item.p(14) == -1.0f; }

// Inserts (grow) or removes the three colour words after P13 of text item k.
bool set_colour_block(int32_t k, bool present) {
    ItemView item = view_item(k);
    if (present) {
        if (!core::resize_item(k, static_cast<float>(item.count + 3))) return false;
        item = view_item(k);
        for (int32_t w = item.count; w >= 17; --w)
            ItemStore(item.start + w) = ItemStore(item.start + w - 3);
        ItemStore(item.start + 14) = -1.0f;
        ItemStore(item.start + 15) = 0.0f;
        ItemStore(item.start + 16) = 0.0f;
        return true;
    }
    for (int32_t w = 14; w + 3 <= item.count; ++w)
        ItemStore(item.start + w) = ItemStore(item.start + w + 3);
    return core::resize_item(k, static_cast<float>(item.count - 3));
}

// A text item's assignment: its colour lives in a block of three words after P13 (P14 -1.0
// marks it, P16 holds the colour). An assignment the item cannot take skips that item only.
Assigned assign_text_parameter(int32_t k, int32_t n, float v) {
    const ItemView item = view_item(k);
    const bool marked = text_marked(item);
    if (n == 26) {
        if (v == 0.0f) {
            if (marked && !set_colour_block(k, false)) return Assigned::Full;
            return Assigned::SkipItem;
        }
        if (!marked && !set_colour_block(k, true)) return Assigned::Full;
        ItemStore(view_item(k).start + 16) = v;
        return Assigned::Next;
    }
    if (n == 14) {
        if (!marked) return set_colour_block(k, true) ? Assigned::Next : Assigned::Full;
        if (v == 0.0f) return set_colour_block(k, false) ? Assigned::SkipItem : Assigned::Full;
        return v == -1.0f ? Assigned::Next : Assigned::SkipItem;
    }
    if (n >= 15 && n <= 89) {
        if (!marked) return Assigned::SkipItem;
        if (n <= 16) ItemStore(item.start + n) = v;
        return Assigned::Next;
    }
    // Text items are never grown: a parameter they do not have is left alone.
    if (n < 1 || n > 13) return Assigned::Next;
    ItemStore(item.start + n) = v;
    return Assigned::Next;
}

// "SZ" (98) and "PT" (99): the value is an absolute size, turned into the stored size by the
// size conversion; the size word is grown into when the item is short (not a text item).
Assigned assign_pseudo_parameter(int32_t k, int32_t n, float v) {
    ItemView item = view_item(k);
    if (v == 0.0f) return Assigned::Next;
    float value = v;
    float result = 0.0f;
    int32_t index = 0;
    report_absolute_size(&ItemStore(item.start + 1), value, result, index, item.count,
                         n == 99 ? 99 : 0);
    if (index < 1) return Assigned::Next;
    if (index > item.count) {
        if (core::int_of(item.p(1)) == 16) return Assigned::Next;
        if (!core::resize_item(k, static_cast<float>(index))) return Assigned::Full;
        item = view_item(k);
    }
    ItemStore(item.start + index) = result;
    return Assigned::Next;
}

Assigned assign_parameter(int32_t k, int32_t n, float v) {
    if (n == 98 || n == 99) return assign_pseudo_parameter(k, n, v);
    ItemView item = view_item(k);
    if (core::int_of(item.p(1)) == 16) return assign_text_parameter(k, n, v);
    if (n < 1) return Assigned::Next;
    if (n > item.count) {
        // Only the ordinary parameters grow an item; a higher word it lacks is left alone, and
        // so is a missing word that would get 0.0, which it reads already.
        if (n >= 40 || v == 0.0f) return Assigned::Next;
        if (!core::resize_item(k, static_cast<float>(n))) return Assigned::Full;
        item = view_item(k);
    }
    ItemStore(item.start + n) = v;
    return Assigned::Next;
}

// Writes the area file: a header (count, lowest staff, leftmost and rightmost P3, highest
// staff, the left and right edges in display units) and each item as INT(n), n, P1..Pn; then
// reports the bounds found in MessageLine.
void write_area_file(const std::vector<int32_t>& items) {
    int32_t low = 999;
    int32_t high = 0;
    float left = 9999.0f;
    float right = -9999.0f;
    for (int32_t k : items) {
        const ItemView item = view_item(k);
        const int32_t staff = core::int_of(item.p(2));
        low = std::min(low, staff);
        high = std::max(high, staff);
        left = std::min(left, item.p(3));
        right = std::max(right, item.p(3));
    }
    const CutFileArea area{low,
                           left,
                           right,
                           high,
                           core::int_of(left * 150.0f - 100.0f),
                           core::int_of(right * 150.0f + 100.0f)};
    if (!write_area_file(platform::work_file(kIfAreaFile), area, items)) {
        core::report_failure(std::string("*** Cannot write the area file ") + kIfAreaFile);
        return;
    }
    show_area_copied(area);
    core::show_prompt(core::ReplyKind::Notice, core::MessageLine.view());
}

// Runs the compiled line over the page. Returns what stopped it, the store as it was: a growth
// that would overflow the store, or a code an item would take that the next load drops (the
// item would be lost); empty when it ran.
std::string run_compiled_line(const CompiledIf& line, std::vector<int32_t>& copies) {
    core::StoreSnapshot before;
    before.take();
    int32_t k = 1;
    while (k <= core::ItemCount) {
        const ItemView item = view_item(k);
        if (!item_passes(line, item)) {
            ++k;
            continue;
        }
        bool deleted = false;
        for (const IfToken& action : line.actions) {
            if (action.code == kDelete) {
                core::delete_item(k);
                deleted = true;
                break;
            }
            if (action.code == kCopy) {
                if (static_cast<int32_t>(copies.size()) < core::kItemCountLimit)
                    copies.push_back(k);
                break;
            }
            const float v = evaluate_if_operand(line, action, view_item(k));
            if (action.target == 1) {
                char shown[32];
                std::snprintf(shown, sizeof shown, "%.9g", static_cast<double>(v));
                std::string refusal = code_refusal(v, shown);
                if (!refusal.empty()) {
                    before.restore();
                    copies.clear();
                    return refusal + " -- nothing was changed.";
                }
            }
            const Assigned a = assign_parameter(k, action.target, v);
            if (a == Assigned::Full) {
                before.restore();
                copies.clear();
                return "**** The page is full: nothing was changed.";
            }
            if (a == Assigned::SkipItem) break;
        }
        if (!deleted) ++k;
    }
    return {};
}

// The conditions line a command file gave, as read, while the IF built from it runs: a line
// that cannot be read is named whole, since the file may have meant it as a command.
std::string g_line_from_file;
// The columns (from, to) of the IF line built after the area question that hold what the user
// typed; a line that cannot be read is named within them, not in the area or the joins the
// command added. Empty for a line typed whole.
std::vector<std::pair<std::size_t, std::size_t>> g_typed_parts;

// Reads the line in SecondLine into its compiled form; reports what cannot be read.
bool compile_if_line(CompiledIf& line) {
    for (int32_t c = kIfLineColumns + 1; c <= 512; ++c) {
        if (core::SecondLine(c) != ' ' && core::SecondLine(c) != '\0') {
            core::report_failure(
                "*** The IF line is longer than 160 characters: nothing was done.");
            return false;
        }
    }
    const std::string typed(core::SecondLine.sub(1, kIfLineColumns));
    std::vector<std::size_t> origin;
    const CompileError e =
        IfCompiler(normalise_if_line(typed, line.centre_marks, origin), line).compile();
    if (e.text.empty()) return true;
    // The place is named in the line as it was typed, not in its compact form.
    std::string text = e.text;
    if (e.at < origin.size()) {
        std::size_t from = origin[e.at];
        std::size_t length = 16;
        if (!g_typed_parts.empty()) {
            length = 0;
            for (const auto& [first, last] : g_typed_parts) {
                if (from >= first && from < last) length = std::min<std::size_t>(16, last - from);
            }
        }
        std::string shown = length == 0 ? std::string() : typed.substr(from, length);
        while (!shown.empty() && (shown.back() == ' ' || shown.back() == '\0')) shown.pop_back();
        if (shown.empty()) shown = "(end of line)";
        text = "*** IF: cannot read the line at: " + shown;
    }
    const std::string given =
        g_line_from_file.empty() ? std::string() : " in \"" + g_line_from_file + "\"";
    core::name_untaken_line(text + given + " -- nothing was changed.");
    return false;
}

// In a command file the dialog's answer is the file's next line, as typed on the console: the
// conditions, then after the first ";" the actions; no preset joins them. A file that ends
// first, or a part longer than its field, changes nothing and says so.
bool take_if_answer_from_file() {
    std::string line;
    if (!core::next_command_file_answer_record(line)) {
        core::report_failure(
            "*** IF: the command file ended before the conditions: nothing was changed.");
        return false;
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    g_line_from_file = line;
    const std::size_t semicolon = line.find(';');
    const std::string conditions = line.substr(0, semicolon);
    const std::string actions = semicolon == std::string::npos ? "" : line.substr(semicolon + 1);
    constexpr std::size_t kFieldChars = 48;
    if (conditions.size() > kFieldChars || actions.size() > kFieldChars) {
        core::report_failure(
            "*** The conditions and the actions may have 48 characters each: nothing was done.");
        return false;
    }
    for (int f = 2; f <= 14; ++f) IfDialogFields(f).blank();
    IfDialogFields(2).set(conditions);
    IfDialogFields(14).set(actions);
    return true;
}

// The area step ends without a box: nothing is asked any more.
void end_area_step() {
    clear_drawn_box();
    core::PendingBoxOperation = 0;
    PendingBoxStep = 0;
}

// The area step: the box has come (typed or drawn); it becomes the dialog's area field.
void run_area_step() {
    const char first = core::CommandLine(1);
    bool box = false;
    if (first == '|' || first == '~') {
        box = read_drawn_box();
    } else {
        // The typed numbers are the box: they are read before the box is shown.
        // A command file's line comes with its numbers already taken out of CommandLine ("****"):
        // they are read again from the line as it stands. So is a typed line that took the
        // command reader's road (a save word): SecondLine then holds it as typed, where it
        // otherwise still holds the IF line that asked.
        const auto upper = [](char c) { return std::toupper(static_cast<unsigned char>(c)); };
        const bool if_line = upper(core::SecondLine(1)) == 'I' && upper(core::SecondLine(2)) == 'F';
        if (core::MacroUnit != 0 || !if_line) core::CommandLine = core::SecondLine;
        // Named as it was read: the copies the readers keep are upper-cased in part.
        const std::string shown = core::line_as_read();
        // An empty line ends the word, as at the other box questions that are not moves: read
        // as "every staff" it let the script's next line answer the box's confirmation.
        if (shown.empty()) {
            end_area_step();
            return;
        }
        core::scan_command_line(core::find_line_length(core::CommandLine));
        // A line that is no box ends IF by name; from a command file it stops the file too,
        // whose next line was meant as the conditions. "B" ends it quietly.
        const BoxLineReading reading = read_scanned_box_line(shown);
        if (reading.kind != BoxLineKind::Numbers) {
            if (reading.kind == BoxLineKind::Refused) refuse_box_line(reading.refusal, "IF", false);
            end_area_step();
            return;
        }
        // Staff 0 is every staff; beyond the staff table no box can lie.
        for (const int k : {1, 4}) {
            const float staff = core::ParamBuffer(k);
            if (staff < 0.0f || staff >= static_cast<float>(layout::kMaxStaves) + 1.0f) {
                refuse_box_line("*** Staff numbers are 0 (every staff) to " +
                                    std::to_string(layout::kMaxStaves) + ": " + shown,
                                "IF", false);
                end_area_step();
                return;
            }
        }
        box = show_typed_box();
        if (!box) refuse_box_line("*** Not a box: " + shown, "IF", false);
    }
    if (!box) {
        clear_drawn_box();
        core::PendingBoxOperation = 0;
        return;
    }
    int32_t answer = -1;
    // IF goes on after No as after Yes: a script's line that answers nothing ends IF, lest the
    // line after it be taken as the conditions.
    if (core::MacroUnit == 0) confirm_box(answer, 0, "IF");
    if (answer == -2) {
        draw_box_outline(0);
        clear_drawn_box();
        layout::step_zoom();
        core::PendingBoxOperation = 0;
        return;
    }
    if (answer == 0) draw_box_outline(0);
    core::PendingBoxOperation = 0;
    PendingBoxStep = 0;

    // Each number fills the blanks after its operator; the separators and the closing
    // parenthesis stay whole, so that the line reads back.
    core::FixedText<48> area("(p2>=   \\ p2<=    \\ p3>=      \\ p3<=      ) ");
    core::write_int_field(area, 6, 8, "(1i3)", core::int_of(core::ParamBuffer(1)));
    core::write_int_field(area, 16, 18, "(1i3)", core::int_of(core::ParamBuffer(4)));
    core::write_real_field(area, 25, 30, "(1f6.2)", core::ParamBuffer(2));
    core::write_real_field(area, 37, 42, "(1f6.2)", core::ParamBuffer(3));
    IfDialogFields.fill(core::FixedText<48>());
    IfDialogFields(1) = area;
    IfDialogFields(2).set("p4=0");
    IfDialogFields(5).set("p1=5");
    IfDialogFields(6).set("p1=18");
    IfDialogFields(14).set("p2=5,p5=12");
    if (core::MacroUnit != 0) {
        if (!take_if_answer_from_file()) {
            g_line_from_file.clear();
            return;
        }
    } else if (core::front_end().RunIfCommandDialog(core::FixedText<512>("IF command"),
                                                    IfDialogFields) == 2) {
        return;
    }

    // The area goes last: a false comparison skips to the next OR, so an OR among the fields
    // would otherwise pass items outside the box; after it nothing but the area's ANDs remain.
    std::string text = "if ";
    g_typed_parts.clear();
    const auto add_field = [&text](int f) {
        const std::string given = IfDialogFields(f).trimmed();
        g_typed_parts.emplace_back(text.size(), text.size() + given.size());
        text += given;
    };
    for (int f : {2, 3, 4, 8, 9, 10}) {
        if (IfDialogFields(f).is_blank()) continue;
        add_field(f);
        text += " \\ ";
    }
    bool first_or = true;
    for (int f : {5, 6, 7, 11, 12, 13}) {
        if (IfDialogFields(f).is_blank()) continue;
        if (!first_or) text += " or ";
        add_field(f);
        first_or = false;
    }
    if (!first_or) text += " \\ ";
    text += IfDialogFields(1).trimmed() + ";";
    add_field(14);
    core::SecondLine.set(text);
    core::CommandLine.set(text);
    run_if_command();
    g_line_from_file.clear();
    g_typed_parts.clear();
}

}  // namespace

// Contract: the IF line in SecondLine: every item for which the conditions hold gets the
// actions. A line with nothing after "IF" asks for an area (PendingBoxOperation 18). A line
// that cannot be read (an unknown operator, unbalanced parentheses, past column 160, over 56
// operands) is reported and changes nothing, with no undo copy. Growth past the store's
// capacity leaves the page as it was, with the page-full message. Writes ItemStore and its
// index, MessageLine, the area file, ParamBuffer(2..4) and the command letters.
void run_if_command() {
    if (core::PendingBoxOperation == 18) {
        run_area_step();
        return;
    }
    for (int32_t c = 1; c <= 512; ++c) {
        if (core::SecondLine(c) == '%') {
            for (int32_t d = c; d <= 512; ++d) {
                core::SecondLine(d) = ' ';
                core::CommandLine(d) = ' ';
            }
            break;
        }
    }
    if (core::SecondLine.sub(3, 8).find_first_not_of(" \0") == std::string_view::npos) {
        core::PendingBoxOperation = 18;
        PendingBoxStep = 0;
        core::show_prompt(core::ReplyKind::Question,
                          "Enter Staff#, Left pos., Right pos., Upper Staff# -- or Draw Box.");
        // A drag is the area, not a click on one staff.
        clear_drawn_box();
        return;
    }
    for (int32_t c = 1; c <= kIfLineColumns; ++c) {
        if (core::SecondLine(c) == '"') {
            replace_text_in_area(c);
            return;
        }
    }
    CompiledIf line;
    if (!compile_if_line(line)) return;
    if (!line.has_then || line.actions.empty()) return;

    // A caller that holds the copies back (Group Alter) keeps them held.
    core::save_undo_copy();
    std::vector<int32_t> copies;
    if (const std::string refusal = run_compiled_line(line, copies); !refusal.empty()) {
        core::report_failure(refusal);
        render::redraw_items();
        return;
    }
    core::ChangesMadeFlag = 1;
    if (!copies.empty()) {
        write_area_file(copies);
    } else {
        core::CommandModeLetters(2) = ' ';
        core::CommandModeLetters(1) = 1;
        for (int32_t s = 2; s <= 4; ++s) core::ParamBuffer(s) = 0.0f;
        layout::step_zoom();
    }
    if (line.centre_marks) apply_centre_marks();
}

// Contract: runs PendingIfLine (from column 4) inside the box in ParamBuffer P1..P4 with the
// staves inclusive and the positions strict; the first 50 words of EditItemParams go back into
// ParamBuffer before the run.
void build_if_condition() {
    const int32_t low = core::int_of(core::ParamBuffer(1));
    const int32_t high = core::int_of(core::ParamBuffer(4));
    const float left = core::ParamBuffer(2);
    const float right = core::ParamBuffer(3);
    char box[160];
    std::snprintf(box, sizeof box, "P2>%d AND P2<%d AND P3>%.3f AND P3<%.3f", low - 1, high + 1,
                  static_cast<double>(left), static_cast<double>(right));
    const std::string saved(PendingIfLine.sub(4, 509));
    std::size_t semicolon = saved.find(';');
    if (semicolon == std::string::npos) {
        std::string upper = saved;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        semicolon = upper.find("THEN");
    }
    std::string text;
    if (semicolon == std::string::npos || saved.find('"') != std::string::npos) {
        text = std::string("IF ") + box + " AND " + saved;
    } else {
        // The box goes after the saved conditions: a false comparison skips to the next OR,
        // so an OR among them would otherwise pass items outside the box.
        const std::string conditions = saved.substr(0, semicolon);
        const bool none = conditions.find_first_not_of(' ') == std::string::npos;
        text =
            "IF " + (none ? std::string() : conditions + " AND ") + box + saved.substr(semicolon);
    }
    core::SecondLine.set(text);
    core::CommandLine = core::SecondLine;
    for (int32_t w = 1; w <= 50; ++w) core::ParamBuffer(w) = core::EditItemParams(w);
    run_if_keeping_view();
}

// Contract: the scroll position is asked of the front-end (service "b") before the run and
// given back after it ("p"), with the view origin kept; then the page is redrawn.
void run_if_keeping_view() {
    core::ServiceBlock place;
    core::request_front_end_service('b', place);
    const render::ViewOriginRecord origin = render::ViewOrigin;
    run_if_command();
    render::ViewOrigin = origin;
    core::request_front_end_service('p', place);
    render::redraw_items();
    core::CommandModeLetters(1) = 0;
}

// Contract: for each text item whose P11 is -98 or less, the keyword editor centres it ("CTX"
// for -98, "CTN" below) with the item as the edited one; P3 and P11 take what it left in P2
// and P4. EditItemParams and the edited item come back as they were; ParamBuffer is cleared.
void apply_centre_marks() {
    core::Array1<float, 50> kept = core::EditItemParams;
    const int32_t kept_item = core::EditedItemNumber;
    const core::FixedText<512> kept_line = core::CommandLine;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const ItemView item = view_item(k);
        if (core::int_of(item.p(1)) != 16 || item.p(11) > -98.0f) continue;
        for (int32_t w = 1; w <= 56; ++w) core::ParamBuffer(w) = 0.0f;
        for (int32_t w = 1; w <= 20 && w <= item.count; ++w) {
            core::ParamBuffer(w) = item.p(w);
            core::EditItemParams(w) = item.p(w);
        }
        core::CommandLine.set(item.p(11) == -98.0f ? "CTX" : "CTN");
        core::EditedItemNumber = k;
        decode_edit_keywords();
        const ItemView after = view_item(k);
        ItemStore(after.start + 3) = core::ParamBuffer(2);
        ItemStore(after.start + 11) = core::ParamBuffer(4);
    }
    core::EditItemParams = kept;
    core::EditedItemNumber = kept_item;
    core::CommandLine = kept_line;
    for (int32_t w = 1; w <= 56; ++w) core::ParamBuffer(w) = 0.0f;
}

// Contract: "INVI" negates ShowInvisibleItems, says which way it went in the message line and
// redraws the page.
void toggle_invisible_items() {
    core::SecondLine.blank();
    layout::ShowInvisibleItems = -layout::ShowInvisibleItems;
    const char* text = layout::ShowInvisibleItems > 0
                           ? "Invisible items are visible on screen."
                           : "Invisible items are NOT visible on screen.";
    core::leave_reply(core::ReplyKind::Notice, text);
    core::show_prompt(core::ReplyKind::Notice, text);
    render::redraw_items();
}

}  // namespace edit
