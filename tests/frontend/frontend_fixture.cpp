#include "tests/frontend/frontend_fixture.h"

#include <QPainter>
#include <algorithm>

#include "engine/commands/start_up.h"
#include "engine/render/page/output_lists.h"
#include "frontend/bridge/display_lists.h"

namespace fs = std::filesystem;

bool FrontEndTest::start_engine_with_data() {
    const char* home = std::getenv("ORMEST_HOME");
    if (home == nullptr || *home == '\0') return false;
    temp_dir();
    platform::set_data_folder(home);
    return core::start_engine();
}

void FrontEndTest::bind_screen_lists() {
    core::OutputBufferViews.graphics.bind(frontend::GraphicsList.data(),
                                          &frontend::GraphicsListLength);
    core::OutputBufferViews.text.bind(frontend::TextDisplayStream.data(),
                                      &frontend::TextDisplayStreamLength);
}

std::optional<PaintedLists> paint_screen_lists(int32_t zoom, int margin) {
    const auto entries = render::decode_graphics_list();
    if (entries.empty()) return std::nullopt;
    int32_t x_low = entries[0].x, x_high = entries[0].x;
    int32_t y_low = entries[0].y, y_high = entries[0].y;
    for (const auto& e : entries) {
        x_low = std::min(x_low, e.x);
        x_high = std::max(x_high, e.x);
        y_low = std::min(y_low, e.y);
        y_high = std::max(y_high, e.y);
    }
    std::copy(frontend::TextDisplayStream.begin(), frontend::TextDisplayStream.end(),
              frontend::TextDisplayStreamCopy.begin());
    frontend::DisplayScale = zoom;
    COrmestView view;
    view.resize(800, 600);
    frontend::DecodeDisplayLists(&view);
    PaintedLists p;
    p.scale = view.PixelsPerPageUnit() * zoom / 256.0;
    p.origin = QPoint(static_cast<int>(p.scale * x_low) - margin,
                      static_cast<int>(-p.scale * y_high) - margin);
    p.image =
        QImage(static_cast<int>(p.scale * (x_high - x_low)) + 2 * margin,
               static_cast<int>(p.scale * (y_high - y_low)) + 2 * margin, QImage::Format_RGB32);
    p.image.fill(Qt::white);
    QPainter painter(&p.image);
    painter.setRenderHint(QPainter::Antialiasing);
    view.PaintLists(painter, p.origin, false);
    return p;
}

// fontconfig keeps its configuration for the life of the process and Qt never frees it; the
// leak checker would report it at every exit of a test that drew text. Weak, so that another
// test file of this program may give the same list.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
