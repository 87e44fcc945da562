#include "engine/render/text/text_escapes.h"

#include <array>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "engine/render/text/fonts.h"

namespace render {

TextCodeListRecord TextCodeList;

namespace {

// Widths are in em of the loaded font; this turns them into P3 units at text size 1.
constexpr float kCharacterFactor = 3.2833f;
constexpr float kMoveDigitScale = 10.0f;
constexpr float kEscapeCodeWidth = 1.1f;
constexpr int32_t kMissingFontNumber = 29;
constexpr int32_t kOutlineFontBase = 100;

constexpr std::string_view kOrdinaryChars =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.,()abcdefghijklmnopqrstuvwxyz:;?!+-*/=`'\"\"&#$%&[]<>@";
static_assert(kOrdinaryChars.size() == 89);

// "?" followed by the n-th of these characters gives the n-th code.
constexpr std::string_view kQuestionLetters = "-01239AELO[\\]acdeilorst{|}fm8";
constexpr int32_t kQuestionCodes[] = {137, 163, 80,  81,  82,  164, 141, 142, 143, 144,
                                      145, 146, 147, 148, 149, 162, 150, 151, 152, 153,
                                      154, 155, 156, 157, 158, 159, 160, 161, 166};
static_assert(kQuestionLetters.size() == std::size(kQuestionCodes));
// "!" followed by the n-th of these letters gives code 100 + n.
constexpr std::string_view kExclamationLetters = "0123456789ADSZadefghijklmnpqsyz";
constexpr int32_t kFirstExclamationCode = 101;
// "~" followed by one of these gives 95.. (PostScript pass and measuring).
constexpr std::string_view kTildeLetters = "aAnNoO";
constexpr int32_t kFirstTildeCode = 95;

// Windows-1252 bytes of the special symbols; 'X' where a symbol has no character.
struct SpecialChar {
    int32_t code;
    uint8_t byte;
};
constexpr SpecialChar kSpecialChars[] = {
    {145, '['},  {146, '\\'}, {147, ']'},  {157, '{'},  {158, '|'},  {159, '}'},  {137, '-'},
    {149, 0xA9}, {148, 0xE6}, {141, 0xC6}, {115, 0xE5}, {111, 0xC5}, {121, 'X'},  {150, 0x9C},
    {142, 0x8C}, {117, 0x85}, {153, 'x'},  {144, 'X'},  {130, 0xA5}, {160, 0xAA}, {152, 'l'},
    {143, 'L'},  {161, 0xBA}, {154, 0xAE}, {155, 0xDF}, {156, 0x99}, {101, 'X'},  {102, 0x84},
    {103, 0x94}, {104, 0xA1}, {105, 0xA2}, {106, 'L'},  {107, 0xA7}, {108, 'X'},  {109, '\''},
    {110, 0x93}, {116, 0x86}, {112, 0x87}, {118, 0x83}, {119, 0xAB}, {120, 0xBB}, {122, 0x8B},
    {123, 0x9B}, {124, 'X'},  {125, 0x97}, {167, 'X'},  {127, 0xB6}, {128, 0xBF}, {129, 0x9A},
    {113, 0x8A}, {131, 'z'},  {114, 'Z'},  {140, '@'},  {132, '#'},  {133, '$'},  {134, '%'},
    {135, '&'},  {138, '<'},  {139, '>'},
};

// Accented letters: for each accent the plain letters and their Windows-1252 bytes.
struct AccentRow {
    int32_t accent;
    std::string_view letters;
    std::array<uint8_t, 12> bytes;
};
constexpr std::array<AccentRow, 6> kAccentRows = {{
    {83, "AaEeIiOoUuYy", {0xC1, 0xE1, 0xC9, 0xE9, 0xCD, 0xED, 0xD3, 0xF3, 0xDA, 0xFA, 0xDD, 0xFD}},
    {84, "AaEeIiOoUu", {0xC0, 0xE0, 0xC8, 0xE8, 0xCC, 0xEC, 0xD2, 0xF2, 0xD9, 0xF9}},
    {85, "AaEeIiOoUu", {0xC2, 0xE2, 0xCA, 0xEA, 0xCE, 0xEE, 0xD4, 0xF4, 0xDB, 0xFB}},
    {86, "AaEeIiOoUuy", {0xC4, 0xE4, 0xCB, 0xEB, 0xCF, 0xEF, 0xD6, 0xF6, 0xDC, 0xFC, 0xFF}},
    {87, "Cc", {0xC7, 0xE7}},
    {126, "AaOoNn", {0xC3, 0xE3, 0xD5, 0xF5, 0xD1, 0xF1}},
}};

// Code of one character by the class table; bytes outside the printable ASCII characters count
// as blanks.
int32_t class_code(char ch) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return 10 + (c - 'A');
    if (c >= 'a' && c <= 'z') return 40 + (c - 'a');
    switch (c) {
        case '.':
            return 36;
        case ',':
            return 37;
        case '(':
            return 38;
        case ')':
            return 39;
        case ':':
            return 66;
        case ';':
            return 67;
        case '?':
            return 68;
        case '!':
            return 69;
        case '+':
            return 70;
        case '-':
            return 71;
        case '*':
            return 72;
        case '/':
            return 73;
        case '=':
            return 74;
        case '`':
            return 75;
        case '\'':
            return 76;
        case '"':
            return 78;
        case '[':
            return 88;
        case '\\':
            return 73;
        case ']':
            return 89;
        case '^':
            return 85;
        case '{':
            return 90;
        case '|':
            return 92;
        case '}':
            return 91;
        case '~':
            return kTildeCode;
        case '#':
            return 132;
        case '$':
            return 133;
        case '%':
            return 134;
        case '&':
            return 135;
        case '<':
            return 138;
        case '>':
            return 139;
        case '@':
            return 140;
        case '_':
            return kFontChangeBase + kOutlineFontBase;
        default:
            return kBlankCode;
    }
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Looks the character after the current one up in list: 1 and its 1-based place when found,
// else 0.
int32_t match_escape_letter(char next, std::string_view list, int32_t& place) {
    const std::size_t at = list.find(next);
    if (at == std::string_view::npos) return 0;
    place = static_cast<int32_t>(at) + 1;
    return 1;
}

// The accent a doubled character stands for (0 when it is not one of them).
int32_t doubled_accent(char c) {
    switch (c) {
        case '<':
            return 83;
        case '>':
            return 84;
        case '^':
            return 85;
        case '%':
            return 86;
        case '#':
            return 87;
        default:
            return 0;
    }
}

// The value of a move escape's number: digits with at most one decimal point; a number that
// begins with "/" reads as 0, as a list-directed read does.
float move_number(std::string_view s) {
    if (s.empty() || s.front() == '/') return 0.0f;
    std::string digits;
    bool point = false;
    for (char c : s) {
        if (is_digit(c)) {
            digits.push_back(c);
        } else if (c == '.' && !point) {
            point = true;
            digits.push_back(c);
        } else {
            break;
        }
    }
    if (digits.empty() || digits == ".") return 0.0f;
    return std::strtof(digits.c_str(), nullptr);
}

class Decoder {
  public:
    Decoder(std::string_view text, int32_t n) : text_(text) {
        if (n < 0) n = 0;
        if (static_cast<std::size_t>(n) > text.size()) n = static_cast<int32_t>(text.size());
        n_ = n;
    }

    void run();

  private:
    // Character i of the text; a blank beyond character n, as if the text had one spare blank.
    char at(int32_t i) const {
        return (i >= 1 && i <= n_) ? text_[static_cast<std::size_t>(i - 1)] : ' ';
    }
    bool full() const { return TextCodeList.count >= kTextCodes; }
    void append(int32_t code, float width);
    void append_coded(int32_t code);
    float code_width(int32_t code) const;
    void change_font(int32_t code, int32_t font);
    void report_missing_font_number() const;
    // Steps over one escape or character at i; returns the next position.
    int32_t decode_doubled(int32_t i, char c);
    int32_t decode_underbar(int32_t i);
    int32_t decode_tilde(int32_t i);
    int32_t decode_slash_code(int32_t i);

    std::string_view text_;
    int32_t n_ = 0;
    int32_t pass_ = 0;
    float p8_ = 0.0f;
    float factor_ = 0.0f;
    float blank_extra_ = 0.0f;
    int32_t start_font_ = 0;
    double sum_ = 0.0;
};

float Decoder::code_width(int32_t code) const {
    if (code < 0) return kEscapeCodeWidth * factor_;
    if (code >= kFontChangeBase) return 0.0f;
    if ((code >= 83 && code <= 87) || code == kTildeCode) return 0.0f;
    int32_t k = code + 1;
    if (pass_ > 0 && code == kScreenSymbolCode) k = 127;
    const int32_t c = k - 1;
    float w = 0.0f;
    if (c == 162) {
        w = 0.5f;
    } else if (c == kScreenSymbolCode) {
        w = 0.95f;
    } else if (c >= 163) {
        w = 0.8f;
    } else {
        const int32_t f = font_mod100(CurrentFontNumber);
        if (f >= 90 || (c >= 80 && c <= 82) || (c >= 88 && c <= 92)) {
            int32_t index = k;
            if (index == 150) {
                index = 94;
            } else if (index == 146) {
                index = 101;
            } else if (index == 148) {
                index = 102;
            } else if (index >= 133 && index <= 141) {
                index -= 36;
            }
            w = symbol_font_width(index);
        } else {
            w = LoadedFont.widths(k);
        }
    }
    w *= factor_;
    if (code == kBlankCode) w += blank_extra_;
    return w;
}

void Decoder::append(int32_t code, float width) {
    auto& list = TextCodeList;
    if (list.count == 0 && !is_font_change_code(code)) {
        // Every list starts with the font in force.
        list.count = 1;
        list.code(1) = kFontChangeBase + start_font_;
        list.width(1) = 0.0f;
        list.x(1) = 0;
        list.y(1) = 0;
    }
    if (full()) return;
    const int32_t k = ++list.count;
    list.code(k) = code;
    list.width(k) = width;
    list.x(k) = 0;
    list.y(k) = 0;
    sum_ += width;
}

void Decoder::append_coded(int32_t code) { append(code, code_width(code)); }

void Decoder::change_font(int32_t code, int32_t font) {
    append(code, 0.0f);
    CurrentFontNumber = font;
    ensure_font_metrics();
}

void Decoder::report_missing_font_number() const {
    if (core::SecondLine.starts_with("rm") || core::SecondLine.starts_with("RM")) return;
    core::FixedText<160> message("***ERROR - font number missing after underbar***||Item =");
    core::write_int_field(message, 57, 60, "(1i4)", core::ItemCount + 1);
    core::convert_bars_to_newlines(message);
    core::report_failure(message.trimmed());
}

int32_t Decoder::decode_doubled(int32_t i, char c) {
    if (const int32_t accent = doubled_accent(c); accent != 0) {
        append(accent, 0.0f);
        return i + 2;
    }
    // c is the double quote.
    append_coded(CurrentFontNumber >= kOutlineFontBase ? 110 : 77);
    return i + 2;
}

// "//" or two backslashes and three digits: a character by its number.
int32_t Decoder::decode_slash_code(int32_t i) {
    const int32_t ddd = (at(i + 2) - '0') * 100 + (at(i + 3) - '0') * 10 + (at(i + 4) - '0');
    if (pass_ == -1) {
        append(-ddd, code_width(-ddd));
        return i + 5;
    }
    char yielded = 'O';
    if (ddd == kBlankCode) {
        yielded = '@';
    } else if (ddd >= 32 && ddd <= 125) {
        yielded = static_cast<char>(ddd);
    }
    // The yielded character is tested for doubling with the character after the escape.
    if (yielded == at(i + 5) && (doubled_accent(yielded) != 0 || yielded == '"')) {
        return decode_doubled(i + 4, yielded);
    }
    int32_t code = class_code(yielded);
    if (code >= kFontChangeBase) code = kBlankCode;  // an underbar here is no escape
    append_coded(code);
    return i + 5;
}

int32_t Decoder::decode_underbar(int32_t i) {
    if (p8_ >= 90.0f) {
        // Style-font items do not decode underbars; the drawing turns this into the style font.
        append(kFontChangeBase + kOutlineFontBase, 0.0f);
        return i + 3;
    }
    const char c1 = at(i + 1);
    if (c1 == '_' && is_digit(at(i + 2)) && is_digit(at(i + 3))) {
        const int32_t nn = (at(i + 2) - '0') * 10 + (at(i + 3) - '0');
        change_font(kFontChangeBase + kOutlineFontBase + nn, kOutlineFontBase + nn);
        return i + 4;
    }
    if (c1 == '/') {
        bool digits = true;
        int32_t number = 0;
        for (int32_t j = i + 2; j <= i + 7; ++j) {
            digits = digits && is_digit(at(j));
            if (digits) number = number * 10 + (at(j) - '0');
        }
        if (digits) {
            change_font(kSlashEscapeBase + number, kSlashEscapeFont);
            return i + 8;
        }
    }
    int32_t nn = kMissingFontNumber;
    if (is_digit(c1) && is_digit(at(i + 2))) {
        nn = (c1 - '0') * 10 + (at(i + 2) - '0');
        if (nn >= 90 && nn <= 93) {
            nn -= 66;
        } else if (nn == 98) {
            nn = 29;
        } else if (nn == 99 && pass_ > 0) {
            nn = 4;
        }
    } else {
        report_missing_font_number();
    }
    change_font(kFontChangeBase + nn, nn);
    return i + 3;
}

int32_t Decoder::decode_tilde(int32_t i) {
    const char c1 = at(i + 1);
    int32_t place = 0;
    if (i < n_ && match_escape_letter(c1, kTildeLetters, place) == 1) {
        if (pass_ > 0) {
            append(kTildeCode, 0.0f);  // combines with the letter on screen
            return i + 1;
        }
        append_coded(kFirstTildeCode + place - 1);
        return i + 2;
    }
    if (is_digit(c1) || c1 == '.' || c1 == '/') {
        int32_t close = 0;
        for (int32_t j = i + 2; j <= n_; ++j) {
            if (at(j) == '~') {
                close = j;
                break;
            }
        }
        if (close == 0) return i + 1;  // no closing tilde: the opening one is skipped
        const float number = move_number(
            text_.substr(static_cast<std::size_t>(i), static_cast<std::size_t>(close - i - 1)));
        int32_t code = core::int_of(number * kMoveDigitScale + static_cast<float>(kMoveBase));
        if (code >= kSlashEscapeBase) code = kSlashEscapeBase - 1;
        append(code, 0.0f);
        return close + 1;
    }
    append(kTildeCode, 0.0f);
    return i + 1;
}

void Decoder::run() {
    auto& p = core::ParamBuffer;
    TextCodeList.count = 0;
    pass_ = OutputPassWord;
    p8_ = p(8);
    if (p8_ == 94.0f || p8_ > 98.0f) {
        CurrentFontNumber = core::int_of(p8_) % 1000;
        ensure_font_metrics();
    }
    int32_t staff = core::int_of(p(2));
    if (staff < 0 || staff > layout::kMaxStaves) staff = layout::StaffTables.CurrentStaff;
    float size = core::amod(p(6), 100.0f);
    if (size == 0.0f) size = 1.0f;
    const float s = layout::StaffTables.StaffScale(staff) * size / 25.0f;
    factor_ = s * kCharacterFactor;
    blank_extra_ = p(10) * s;
    if (LoadedFont.number < 0 && CurrentFontNumber < 90 && at(1) != '_') CurrentFontNumber = 0;
    if (CurrentFontNumber < 0) CurrentFontNumber = 0;
    ensure_font_metrics();
    start_font_ = CurrentFontNumber;

    int32_t i = 1;
    while (i <= n_ && !full()) {
        const char c = at(i);
        const char next = at(i + 1);
        if (i < n_ && c == next && (doubled_accent(c) != 0 || c == '"')) {
            i = decode_doubled(i, c);
        } else if (i < n_ && c == next && (c == '/' || c == '\\') && is_digit(at(i + 2)) &&
                   is_digit(at(i + 3)) && is_digit(at(i + 4)) && i + 4 <= n_) {
            i = decode_slash_code(i);
        } else if (c == '_') {
            i = decode_underbar(i);
        } else if (c == '~') {
            i = decode_tilde(i);
        } else if (c == '?' || c == '!') {
            int32_t code = class_code(c);
            int32_t step = 1;
            int32_t place = 0;
            const bool question = c == '?';
            if (i < n_ &&
                match_escape_letter(next, question ? kQuestionLetters : kExclamationLetters,
                                    place) == 1) {
                if (question) {
                    code = kQuestionCodes[place - 1];
                } else {
                    code = pass_ > 0 ? kScreenSymbolCode : kFirstExclamationCode + place - 1;
                }
                step = 2;
            }
            append_coded(code);
            i += step;
        } else {
            append_coded(class_code(c));
            i += 1;
        }
    }
    if (TextCodeList.count == 0) append(kFontChangeBase + start_font_, 0.0f);
    float p5 = p(5);
    if (p5 == 0.0f) p5 = 1.0f;
    p(13) = p5 * static_cast<float>(sum_);
}

}  // namespace

bool is_font_change_code(int32_t code) {
    return (code >= kFontChangeBase && code < kMoveBase) || code >= kSlashEscapeBase;
}

int32_t font_of_change_code(int32_t code) {
    if (code >= kSlashEscapeBase) return kSlashEscapeFont;
    return code % 1000;
}

bool is_move_code(int32_t code) { return code >= kMoveBase && code < kSlashEscapeBase; }

bool is_accent_code(int32_t code) { return (code >= 83 && code <= 87) || code == kTildeCode; }

void decode_text_escapes(std::string_view text, int32_t n) {
    Decoder decoder(text, n);
    decoder.run();
}

char ordinary_char_of_code(int32_t code) {
    if (code >= 132 && code <= 140 && code != 136 && code != 137) code -= 52;
    if (code < 0 || code > 88) return 0;
    return kOrdinaryChars[static_cast<std::size_t>(code)];
}

uint8_t screen_char_of_code(int32_t code) {
    const int32_t c = std::abs(code);
    for (const SpecialChar& s : kSpecialChars) {
        if (s.code == c) return s.byte;
    }
    const char ordinary = ordinary_char_of_code(c);
    return ordinary != 0 ? static_cast<uint8_t>(ordinary) : static_cast<uint8_t>('X');
}

uint8_t accented_char(int32_t accent, int32_t letter_code) {
    const char letter = ordinary_char_of_code(letter_code);
    for (const AccentRow& row : kAccentRows) {
        if (row.accent != accent) continue;
        const auto at = row.letters.find(letter);
        if (letter != 0 && at != std::string_view::npos) return row.bytes[at];
    }
    return screen_char_of_code(letter_code);
}

void reset_text_code_list() { TextCodeList.count = 0; }

namespace {

// Unicode letters of the Windows-1252 bytes 0x80..0x9F (0 where the byte has none).
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The Windows-1252 byte of a Unicode letter above ASCII; 0 when it has none.
uint8_t cp1252_byte(char32_t u) {
    if (u >= 0xA0 && u <= 0xFF) return static_cast<uint8_t>(u);
    for (int k = 0; k < 32; ++k)
        if (kCp1252High[k] == u) return static_cast<uint8_t>(0x80 + k);
    return 0;
}

// The length of the UTF-8 sequence at line[i] and its letter; 0 when it is none.
std::size_t utf8_letter(std::string_view line, std::size_t i, char32_t& u) {
    const auto b = [&line](std::size_t k) { return static_cast<unsigned char>(line[k]); };
    const unsigned char c = b(i);
    std::size_t len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
    if (c >= 0xF5 || len == 0 || i + len > line.size()) return 0;
    u = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
    for (std::size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        u = (u << 6) | (b(i + k) & 0x3F);
    }
    const char32_t least = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
    if (u < least || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return 0;
    return len;
}

// The escape that gives a Windows-1252 byte above ASCII; empty when none does.
std::string escape_of_byte(uint8_t byte) {
    static constexpr std::string_view kAccentMarks[] = {"<<", ">>", "^^", "%%", "##"};
    for (const AccentRow& row : kAccentRows) {
        for (std::size_t k = 0; k < row.letters.size(); ++k) {
            if (row.bytes[k] != byte) continue;
            const std::string mark(row.accent == kTildeCode
                                       ? std::string_view("~")
                                       : kAccentMarks[static_cast<std::size_t>(row.accent - 83)]);
            return mark + row.letters[k];
        }
    }
    for (const SpecialChar& special : kSpecialChars) {
        if (special.byte != byte) continue;
        for (std::size_t k = 0; k < kQuestionLetters.size(); ++k)
            if (kQuestionCodes[k] == special.code) return std::string("?") + kQuestionLetters[k];
        const int32_t place = special.code - kFirstExclamationCode;
        if (place >= 0 && place < static_cast<int32_t>(kExclamationLetters.size()))
            return std::string("!") + kExclamationLetters[static_cast<std::size_t>(place)];
        const int32_t tilde = special.code - kFirstTildeCode;
        if (tilde >= 0 && tilde < static_cast<int32_t>(kTildeLetters.size()))
            return std::string("~") + kTildeLetters[static_cast<std::size_t>(tilde)];
    }
    return std::string();
}

}  // namespace

bool escape_typed_letters(std::string& line, std::string& refused) {
    std::string out;
    for (std::size_t i = 0; i < line.size();) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c < 0x80) {
            out += line[i++];
            continue;
        }
        char32_t u = 0;
        const std::size_t len = utf8_letter(line, i, u);
        if (len == 0) {
            // A lone byte is a Windows-1252 character as documents hold them: kept as it is.
            out += line[i++];
            continue;
        }
        const uint8_t byte = cp1252_byte(u);
        const std::string escape = byte != 0 ? escape_of_byte(byte) : std::string();
        if (escape.empty()) {
            refused = line.substr(i, len);
            return false;
        }
        out += escape;
        i += len;
    }
    line = std::move(out);
    return true;
}

}  // namespace render
