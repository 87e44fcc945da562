// The PostScript side of fonts: the text size and font selection line, the outline forms, the
// font prolog "fmfontinit.psc", the re-encoding of each font and the document's font list.
// Lines go to the PostScript unit 24 that the output writer opened; the names of the fonts a
// document uses go to its font-name file on unit 26.
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/ps_errors.h"
#include "engine/render/text/fonts.h"
#include "platform/paths.h"

namespace render {

SentFontSlotsRecord SentFontSlots;
DocumentFontListRecord DocumentFontList;

namespace {

constexpr std::string_view kPrologFile = "fmfontinit.psc";
constexpr int kPrologUnit = 31;
constexpr float kOutlineStrokeWidth = 20.0f;  // character units: 2 per cent of the em

// The PostScript writers stop once a write has failed ("B" in the first mode word).
bool ps_output_failed() { return core::CommandModeLetters(1) == 'B'; }

// Writes one line on unit 24; a failure is reported once and the caller stops.
bool write_ps(std::string_view line) {
    if (ps_output_failed()) return false;
    if (core::write_record(kPostScriptUnit, line) == core::IoResult::Ok) return true;
    report_ps_write_error();
    return false;
}

// Copies the font prolog into the output, line by line. It begins the dictionary that the
// document trailer ends when fonts were used. A missing prolog ends the command.
bool send_font_prolog() {
    if (SentFontSlots.prolog != 0) return true;
    const std::string path = library_folder_text() + std::string(kPrologFile);
    if (!platform::file_exists(path) ||
        !core::open_unit(kPrologUnit, path, core::UnitStatus::Old, core::UnitForm::Text)) {
        throw core::EngineDefect("File not found --> " + platform::shown_path(path));
    }
    std::string line;
    bool ok = true;
    for (;;) {
        const core::IoResult r = core::read_record(kPrologUnit, line);
        if (r != core::IoResult::Ok) break;
        if (!write_ps(line)) {
            ok = false;
            break;
        }
    }
    core::close_unit(kPrologUnit);
    if (ok) SentFontSlots.prolog = 1;
    return ok;
}

// While the print job collects fonts (PostScript pass, font-name file open): adds font k to
// the document's list and writes its name, once, at most 48 fonts. The prolog goes out before
// the first name, so that the dictionary the trailer ends for a font list has been begun.
bool record_document_font(int32_t k) {
    if (!core::unit_is_open(kFontNameUnit)) return true;
    for (int i = 1; i <= DocumentFontList.count; ++i) {
        if (DocumentFontList.font(i) == k) return true;
    }
    if (DocumentFontList.count >= kDocumentFontLimit) return true;
    if (!send_font_prolog()) return false;
    if (core::write_record(kFontNameUnit, LoadedFont.ps_name.view()) != core::IoResult::Ok) {
        return true;  // a font-name file that fails only loses the trailer's list
    }
    DocumentFontList.count += 1;
    DocumentFontList.font(DocumentFontList.count) = k;
    DocumentFontList.open = 1;
    return true;
}

// Defines "O" + name as the stroked outline of the loaded font, once per output.
bool define_outline_font(int32_t k) {
    if (SentFontSlots.outline(k + 1) != 0) return true;
    const std::string name(LoadedFont.ps_name.view());
    if (!write_ps(" /" + name + " f dup length dict copy begin") ||
        !write_ps(" /PaintType 2 def") ||
        !write_ps(" /StrokeWidth " + core::format_real("(F8.4)", kOutlineStrokeWidth) + " def") ||
        !write_ps(" /O" + name + " currentdict") || !write_ps("definefont pop end")) {
        return false;
    }
    SentFontSlots.outline(k + 1) = 1;
    return true;
}

}  // namespace

void set_font_size(float& previous_ps_width) {
    const float scale = layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff);
    const float w = scale * core::ParamBuffer(6);
    const float h = scale * core::ParamBuffer(7);
    const bool same = w == LoadedFont.text_width && h == LoadedFont.text_height;
    LoadedFont.text_width = w;
    LoadedFont.text_height = h;
    if (same && previous_ps_width >= 0.0f && LoadedFont.reloaded == 0) return;
    LoadedFont.reloaded = 0;
    if (OutputPassWord != -1) return;

    const float ps_w = w * kPostScriptSizeFactor;
    const float ps_h = h * kPostScriptSizeFactor;
    const int32_t k = font_mod100(CurrentFontNumber);
    if (!record_document_font(k)) return;
    std::string name(LoadedFont.ps_name.view());
    if (CurrentFontNumber >= 100) {
        if (!define_outline_font(k)) return;
        name = "O" + name;
    }
    if (!write_ps(" /" + name + " f [" + core::format_real("(F10.3)", ps_w) + " 0 0" +
                  core::format_real("(F10.3)", ps_h) + " 0 0] mkf sf")) {
        return;
    }
    ++LoadedFont.selections;
    previous_ps_width = ps_w;
}

void send_font_to_postscript() {
    if (OutputPassWord != -1 || ps_output_failed()) return;
    const int32_t k = font_mod100(CurrentFontNumber);
    if (SentFontSlots.last == 0) {
        if (!send_font_prolog()) return;
        SentFontSlots.font.fill(-1);
        SentFontSlots.font(1) = k;
        SentFontSlots.last = 1;
    } else {
        for (int i = 1; i <= kSentFontSlotCount; ++i) {
            if (SentFontSlots.font(i) == k) return;
        }
        SentFontSlots.last = SentFontSlots.last % kSentFontSlotCount + 1;
        SentFontSlots.font(SentFontSlots.last) = k;
    }
    // Symbol and dingbat fonts keep their own encodings; style fonts print no strings.
    if (k < 90 && k != 33 && k != 34 && CurrentFontNumber < 100) {
        ensure_font_metrics();
        const std::string name(LoadedFont.ps_name.view());
        if (!write_ps(" /" + name + " /" + name + " acc ReE")) return;
    }
    // Reloading makes the next selection line name the re-encoded font.
    LoadedFont.number = -1;
    if (CurrentFontNumber < 100) load_font_metrics();
}

bool send_postscript_font_prolog() {
    const std::string path = library_folder_text() + std::string(kPrologFile);
    if (!platform::file_exists(path)) return false;
    return send_font_prolog();
}

void begin_postscript_fonts() {
    SentFontSlots = SentFontSlotsRecord{};
    DocumentFontList = DocumentFontListRecord{};
    LoadedFont.ps_width = -1.0f;
}

}  // namespace render
