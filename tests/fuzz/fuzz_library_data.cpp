// The library data "mx.DAT" (circle points, font size factors, stroke font): read by the
// program's start-up from the data folder. No screen drawer uses its tables yet; the stroke font
// serves the PostScript pass, which no command runs yet either. So after the start-up a page
// whose text is in the stroke font is loaded and drawn in the PostScript pass as the output will
// draw it (unit 24, into a file of the private folder): every glyph of the font is looked up in
// the table the input made.
#include <vector>

#include "engine/core/files/file_units.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "engine/render/text/fonts.h"
#include "tests/fuzz/fuzz_session.h"

namespace {

constexpr int kPostScriptUnit = 24;

// A staff and a text item in the outline form of font 98 ("__98", the stroke font), holding
// every character the stroke font has.
void write_stroke_font_page() {
    const char text[] =
        "__980123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.,()abcdefghijklmnopqrstuvwxyz:;?!";
    const int chars = static_cast<int>(sizeof text) - 1;
    const int words = (chars + 3) / 4;
    std::vector<float> page = {3, 8, 1, 0};
    page.push_back(static_cast<float>(13 + words));
    for (float p : {16.0f, 1.0f, 10.0f, 2.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f})
        page.push_back(p);
    page.push_back(static_cast<float>(chars));
    page.push_back(0.0f);
    for (int w = 0; w < words; ++w) {
        char four[5] = "    ";
        for (int c = 0; c < 4 && 4 * w + c < chars; ++c) four[c] = text[4 * w + c];
        page.push_back(fuzz::chars_word(four));
    }
    fuzz::write_page("stroke.MUS", page);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("library_data");
    write_stroke_font_page();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("data/mxlib/mx.DAT", data, size);
    if (!fuzz::fresh_engine()) return 0;
    fuzz::type("9 1 10 0 45");
    fuzz::type("G stroke.MUS");
    if (!core::open_unit(kPostScriptUnit, "out.ps", core::UnitStatus::Unknown,
                         core::UnitForm::Text))
        return 0;
    render::begin_postscript_fonts();
    render::OutputPassWord = -1;
    render::redraw_items();
    render::OutputPassWord = 1;
    core::close_unit(kPostScriptUnit);
    return 0;
}
