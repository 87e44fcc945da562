// The output side of text: the records of TextDisplayStream for the screen and the text
// commands of the PostScript pass.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/ps_errors.h"
#include "engine/render/render_hooks.h"
#include "engine/render/tables.h"
#include "engine/render/text/fonts.h"
#include "engine/render/text/text_escapes.h"
#include "engine/render/text/text_items.h"

namespace render {

namespace {

constexpr int32_t kPostScriptOutputUnit = 24;
constexpr int32_t kRecordYOffset = 100;
constexpr int32_t kBoldWeight = 700;
constexpr int32_t kNormalWeight = 400;
constexpr int32_t kEditedColour = 255;
constexpr std::string_view kCourierFace = "COURIER";
constexpr float kOutlineStrokeShare = 0.02f;  // outline text: stroke width per unit of size

int32_t clamp_word(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

float current_staff_scale() {
    return layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff);
}

// ---- TextDisplayStream ----

// Room for bytes more bytes behind the stream's length.
bool stream_has_room(int32_t bytes) {
    auto& text = core::OutputBufferViews.text;
    if (!text.bound()) return false;
    const int32_t length = text.length();
    if (length < 0) return false;
    if (length > core::kTextStreamBytes - bytes) {
        ScreenListOverflow = 1;
        return false;
    }
    return true;
}

void put_bytes(const void* bytes, int32_t n) {
    auto& text = core::OutputBufferViews.text;
    int32_t& length = text.length();
    std::memcpy(text.data() + length, bytes, static_cast<std::size_t>(n));
    length += n;
}

void put_word(int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    const uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                          static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)};
    put_bytes(b, 4);
}

void put_real(float v) {
    uint32_t u = 0;
    std::memcpy(&u, &v, sizeof u);
    put_word(static_cast<int32_t>(u));
}

// Whether the upper-cased PostScript name holds word at a position from the second to the
// fourth-last.
bool name_has(const std::string& upper, std::string_view word) {
    const std::size_t at = upper.find(word, 1);
    return at != std::string::npos;
}

// ---- PostScript ----

bool output_stopped() { return core::CommandModeLetters(1) == 'B'; }

// Symbols that have no character in the text encoding and are drawn as paths instead: the
// accidentals, brackets and braces, the "!" and "?" symbols marked without a character, and the
// codes from 162 on.
bool is_postscript_path_code(int32_t code) {
    return (code >= 80 && code <= 82) || (code >= 88 && code <= 93) || code == 101 || code == 108 ||
           code == 121 || code == 124 || code == 144 || code >= 162;
}

// Windows-1252 bytes of the tilde letters (95..100: a A n N o O with a tilde).
constexpr uint8_t kTildeLetterBytes[6] = {0xE3, 0xC3, 0xF1, 0xD1, 0xF5, 0xD5};

// The byte a code stands for in a PostScript string (0 when none); accent is the accent code
// before it (0 when none).
uint8_t postscript_byte(int32_t code, int32_t accent) {
    if (code < 0) {
        const int32_t b = -code;
        return (b >= 1 && b <= 255) ? static_cast<uint8_t>(b) : 0;
    }
    if (accent != 0) return accented_char(accent, code);
    if (code >= 95 && code <= 100) return kTildeLetterBytes[code - 95];
    if (code >= 95 && code <= 161 && code != 132 && code != 133 && code != 134 && code != 135 &&
        code != 138 && code != 139 && code != 140) {
        return screen_char_of_code(code);
    }
    const char c = ordinary_char_of_code(code);
    return static_cast<uint8_t>(c);
}

// One character of a PostScript string: printable ASCII as itself (parentheses and backslash
// escaped), anything else as a backslash and three octal digits.
void append_ps_char(std::string& out, uint8_t b) {
    if (b >= 32 && b < 127) {
        if (b == '(' || b == ')' || b == '\\') out.push_back('\\');
        out.push_back(static_cast<char>(b));
        return;
    }
    char octal[5];
    std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned>(b));
    out += octal;
}

class PostScriptRun {
  public:
    explicit PostScriptRun(const PostScriptTextLayout& layout) : layout_(layout) {}
    bool open() const { return open_; }
    void add(int32_t x, int32_t y, uint8_t b) {
        if (!open_) {
            open_ = true;
            x_ = x;
            y_ = y;
            chars_.clear();
            reencode_ = false;
        }
        if (b >= 128) reencode_ = true;
        append_ps_char(chars_, b);
    }
    // Writes the run; false when a write failed (the text ends).
    bool close() {
        if (!open_) return true;
        open_ = false;
        if (reencode_) {
            send_font_to_postscript();
            if (output_stopped()) return false;
        }
        const bool outline = CurrentFontNumber >= 100;
        const bool spacing =
            !outline && (layout_.blank_extra != 0.0f || layout_.letter_spacing != 0.0f);
        std::string line = core::format_int("(1i8)", x_) + core::format_int("(1i8)", y_);
        if (spacing) {
            line += " m save" + core::format_real("(1f9.2)", layout_.blank_extra) + " 0 32" +
                    core::format_real("(1f9.2)", layout_.letter_spacing) + " 0 (" + chars_ + ") aw";
        } else if (outline) {
            const float width =
                LoadedFont.text_height * kPostScriptSizeFactor * kOutlineStrokeShare;
            line += " m save (" + chars_ + ") false charpath" +
                    core::format_real("(1f6.2)", width) + " lw stroke";
        } else {
            line += " m save (" + chars_ + ") show";
        }
        line += " restore";
        return write_ps_text_line(line);
    }

  private:
    const PostScriptTextLayout& layout_;
    bool open_ = false;
    bool reencode_ = false;
    int32_t x_ = 0;
    int32_t y_ = 0;
    std::string chars_;
};

}  // namespace

int32_t text_record_colour(int32_t font) {
    auto& p = core::ParamBuffer;
    const bool edited = core::EditedItemNumber != 0;
    int32_t colour = edited ? kEditedColour : 0;
    if (p(14) == -1.0f) {
        float g = p(16);
        if (g == 1.0f) g = 0.92f;
        if (g < 1.0f) g = g * 1000000.0f + g * 10000.0f + g * 100.0f;
        const int32_t c = core::nint(g);
        auto channel = [](int32_t pair) {
            return std::clamp(core::int_of(static_cast<float>(pair) * 2.56f), 0, 255);
        };
        colour = channel(c / 10000) | (channel((c % 10000) / 100) << 8) | (channel(c % 100) << 16);
    }
    if (!edited && font >= 100) colour = kOutlineTextColour;
    return colour;
}

// Contract: see the header. Reads LoadedFont, ParamBuffer P6, P7, P8, P9, the current staff's
// scale, PostScriptScreenFonts and OutputPassWord; writes TextDisplayStream and its length.
bool write_text_record_header(TextRecordCursor& cursor, int32_t colour) {
    auto& p = core::ParamBuffer;
    cursor = TextRecordCursor{};
    std::string upper(LoadedFont.ps_name.view());
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    TextRecord record;
    record.face = LoadedFont.face_name.trimmed();
    if ((core::PostScriptScreenFonts != 0 || p(8) >= 2000.0f) && OutputPassWord != -1) {
        record.face = std::string(kCourierFace);
    }
    record.face.erase(std::find(record.face.begin(), record.face.end(), '\0'), record.face.end());
    const float scale = current_staff_scale();
    record.height = scale * p(7) * kTextRecordSizeFactor;
    record.width = scale * p(6) * kTextRecordSizeFactor;
    record.angle = core::int_of(p(9) * 10.0f);
    record.colour = colour;
    record.weight =
        name_has(upper, "BOLD") || name_has(upper, "DEMI") ? kBoldWeight : kNormalWeight;
    record.italic = name_has(upper, "ITAL") || name_has(upper, "OBLI") ? -1 : 0;

    const int32_t bytes = static_cast<int32_t>(record.face.size()) + 1 + kTextRecordFixedBytes;
    if (!stream_has_room(bytes)) return false;
    put_bytes(record.face.data(), static_cast<int32_t>(record.face.size()));
    put_bytes("", 1);
    put_real(record.height);
    put_real(record.width);
    put_word(record.angle);
    put_word(record.colour);
    put_word(record.weight);
    put_word(record.italic);
    put_word(record.underline);
    cursor.count_at = core::OutputBufferViews.text.length() + 1;
    put_word(record.count);
    cursor.count = 0;
    cursor.end = core::OutputBufferViews.text.length();
    return true;
}

// Contract: see the header. Reads TextCodeList and ViewOrigin; writes TextDisplayStream, its
// length and the open record's count.
bool char_code_to_text(TextRecordCursor& cursor, int32_t k) {
    auto& text = core::OutputBufferViews.text;
    if (cursor.count_at == 0 || !text.bound() || text.length() != cursor.end) return false;
    if (!stream_has_room(kTextCharBytes)) return false;
    const auto& list = TextCodeList;
    const int32_t code = list.code(k);
    uint8_t b = screen_char_of_code(code);
    if (k > 1 && is_accent_code(list.code(k - 1)) && list.x(k - 1) == -1) {
        b = accented_char(list.code(k - 1), std::abs(code));
    }
    put_word(clamp_word(int64_t{ViewOrigin.x} + list.x(k) - kLayoutBias));
    put_word(clamp_word(int64_t{list.y(k)} - ViewOrigin.y - kRecordYOffset));
    const uint8_t chars[2] = {b, 0};
    put_bytes(chars, 2);
    cursor.count += 1;
    cursor.end = text.length();
    // The count goes into the record at once, so that the record is whole whatever follows.
    const int32_t at = cursor.count_at;
    const uint32_t u = static_cast<uint32_t>(cursor.count);
    for (int32_t i = 0; i < 4; ++i) text(at + i) = static_cast<uint8_t>(u >> (8 * i));
    return true;
}

bool write_ps_text_line(std::string_view line) {
    if (output_stopped()) return false;
    if (core::write_record(kPostScriptOutputUnit, line) == core::IoResult::Ok) return true;
    report_ps_write_error();
    return false;
}

bool write_ps_rotation(float x, float y, float angle) {
    // Held far off the page, so that the negated origin fits too. No shift of its own for the
    // right-hand page: the origin has it when the text has it, so staff 200 (left-hand page)
    // and a right-hand text left of its page's edge turn where they are written.
    const int32_t ix = core::int_in(x, -kFarCoordinate, kFarCoordinate);
    const int32_t iy = core::int_in(y, -kFarCoordinate, kFarCoordinate);
    // Seven columns as a rule; a wider number (a staff far up the page) keeps a blank before
    // it, so that no two numbers run together.
    auto number = [](int32_t v) { return " " + core::format_int_whole("(1i6)", v); };
    const std::string line = " g" + number(ix) + number(iy) + " tr" +
                             core::format_real("(1f8.2)", -angle) + " rotate" + number(-ix) +
                             number(-iy) + " tr";
    return write_ps_text_line(line);
}

// Contract: see the header. Reads TextCodeList, ParamBuffer (P6, P7, P9, P14, P16), the fonts;
// writes unit 24 and PathPointList (glyphs drawn as paths); changes CurrentFontNumber and
// LoadedFont as the runs change fonts.
void write_postscript_text(const PostScriptTextLayout& layout) {
    if (output_stopped()) return;
    const auto& list = TextCodeList;
    const bool rotated = layout.angle != 0.0f;
    if (rotated && !write_ps_rotation(layout.origin_x, layout.origin_y, layout.angle)) return;
    PostScriptRun run(layout);
    int32_t accent = 0;
    bool ok = true;
    for (int32_t k = 1; k <= list.count && ok; ++k) {
        const int32_t code = list.code(k);
        const int32_t x = list.x(k);
        if (is_font_change_code(code)) {
            ok = run.close();
            CurrentFontNumber = font_of_change_code(code);
            if (ok && CurrentFontNumber != 94) {
                // Re-encoded before it is selected, so that every string shows Windows-1252.
                send_font_to_postscript();
                load_font_metrics();
                ok = !output_stopped();
            }
            accent = 0;
            continue;
        }
        if (x == -1) {
            accent = code;  // binds to the next character
            continue;
        }
        if (x == 0) {
            ok = run.close();  // a move or a zero-width code: the next run starts afresh
            accent = 0;
            continue;
        }
        const int32_t font = font_mod100(CurrentFontNumber);
        const int32_t px = x - kLayoutBias;
        if (font >= 90 && font <= 97) {
            ok = run.close();
            const int32_t c = std::abs(code);
            if (c != kBlankCode && !(c >= 95 && c <= 161 && c != 146)) {
                draw_text_glyph_as_symbol(k, layout.glyph_x_shift);
            }
        } else if (font == 98) {
            ok = run.close();
            if (code >= 0 && code < 70) {
                draw_stroke_glyph(code, static_cast<float>(px) - layout.glyph_x_shift,
                                  static_cast<float>(list.y(k)));
            }
        } else if (font != 99 && code >= 0 && is_postscript_path_code(code) && accent == 0) {
            ok = run.close();
            if (core::ParamBuffer(14) == -1.0f) core::ParamBuffer(26) = core::ParamBuffer(16);
            draw_text_glyph_as_symbol(k, layout.glyph_x_shift);
        } else if (code == kBlankCode) {
            run.add(px, list.y(k), ' ');
        } else {
            const uint8_t b = postscript_byte(code, accent);
            if (b != 0) run.add(px, list.y(k), b);
        }
        accent = 0;
    }
    if (ok) ok = run.close();
    if (rotated) {
        // The glyph paths belong inside the rotation: they go out before the group is closed.
        run_hook(RenderHooks.flush_path_points);
        if (ok) write_ps_text_line(" r");
        // The selection made inside the group ended with it.
        LoadedFont.ps_width = -1.0f;
    }
}

}  // namespace render
