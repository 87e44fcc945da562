#include "tools/palette_icons.h"

#include <QColor>
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/commands/engine_reset.h"
#include "engine/commands/start_up.h"
#include "engine/core/tables.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/qt_front_end.h"
#include "frontend/view/ormest_view.h"
#include "platform/paths.h"

namespace palette_icons {

namespace {

const QColor kBackground(240, 240, 240);
const QColor kInk(0, 0, 0);
const QColor kStaffInk(120, 130, 150);
const QColor kEmptySlot(192, 192, 192);
constexpr float kStaffRight = 8.0f;  // the fragment's right end (P3 units)
constexpr int kStaffPixels = 120;    // staff height in the large picture before scaling down

QString trimmed_word(const std::string& text) { return QString::fromLatin1(text).trimmed(); }

}  // namespace

// Contract: see the header. Reads the file only.
ButtonItemTable ReadButtonItems(const std::string& path) {
    ButtonItemTable table;
    std::ifstream in(path);
    if (!in) {
        table.error = path + ": cannot be read";
        return table;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos || line[first] == '#') continue;
        std::size_t pos = 0;
        std::string text;
        ButtonPicture picture;
        bool ok = frontend::ReadQuotedText(line, pos, text) && !text.empty();
        if (ok) {
            std::istringstream rest(line.substr(pos));
            std::string word;
            rest >> word;
            if (word == "label") {
                std::string tail;
                std::getline(rest, tail);
                std::size_t p = 0;
                ok = frontend::ReadQuotedText(tail, p, picture.label) && !picture.label.empty() &&
                     tail.find_first_not_of(' ', p) == std::string::npos;
            } else {
                std::istringstream numbers(line.substr(pos));
                std::string token;
                while (ok && numbers >> token) {
                    try {
                        std::size_t used = 0;
                        const float v = std::stof(token, &used);
                        ok = used == token.size();
                        picture.item.push_back(v);
                    } catch (...) {
                        ok = false;
                    }
                }
                // An item has at least its code, staff and position.
                ok = ok && picture.item.size() >= 4;
            }
        }
        if (!ok) {
            table.error = path + ":" + std::to_string(number) + ": not a button item line";
            return table;
        }
        table.by_text[text] = picture;
    }
    return table;
}

// Contract: see the header. Reads nothing global.
QString ButtonLabel(const frontend::CommandHandlerEntry& handler, const ButtonItemTable& items) {
    if (handler.kind == frontend::HandlerKind::ZoomPlus) return QStringLiteral("Z+");
    if (handler.kind == frontend::HandlerKind::ZoomMinus) return QStringLiteral("Z-");
    if (!handler.texts.empty()) {
        auto it = items.by_text.find(handler.texts.front());
        if (it != items.by_text.end() && !it->second.label.empty())
            return QString::fromStdString(it->second.label);
        // Of two sends the second says what the button does (the first only clears).
        const QString word = trimmed_word(handler.kind == frontend::HandlerKind::TwoSends
                                              ? handler.texts.back()
                                              : handler.texts.front());
        if (!word.isEmpty() && word.size() <= 5) return word;
    }
    QString source = QString::fromStdString(handler.tooltip).trimmed();
    if (source.isEmpty()) source = QString::fromStdString(handler.prompt).trimmed();
    const QStringList words = source.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // One word reads better cut short than as a lone initial.
    if (words.size() == 1 && words.front().front().isLetter()) return words.front().left(3);
    QString initials;
    for (const QString& w : words) {
        const QChar c = w.front();
        if (c.isLetterOrNumber()) initials += c.toUpper();
        if (initials.size() == 4) break;
    }
    if (initials.isEmpty() && !handler.texts.empty())
        initials = trimmed_word(handler.texts.front()).left(4);
    return initials.isEmpty() ? QStringLiteral("?") : initials;
}

struct IconPainter::State {
    QtFrontEnd front_end;
    int32_t empty_count = 0;
    int32_t empty_words = 1;
    int32_t empty_start = 1;
    double pixels_per_unit = 0;  // device pixels per engine unit of the large picture
    QRect staff_pixels;          // the fragment in the large picture
    QSize picture_size;
    QPoint origin;
    QImage staff_alone;
    bool started = false;

    // Empties the store, puts the staff fragment and item (when not empty) in it and draws the
    // page into the screen lists. False when the store takes nothing.
    bool draw(const std::vector<float>& item) {
        core::ItemCount = empty_count;
        core::ItemWordsUsed = empty_words;
        core::ItemStartTable(1) = empty_start;
        std::vector<float> staff = {8, 1, 0, 0, 0, kStaffRight, 0, 0, 0, 0, 0, 1};
        int32_t n = static_cast<int32_t>(staff.size());
        if (!render::append_item(n, staff.data(), n)) return false;
        if (!item.empty()) {
            std::vector<float> row = item;
            row[1] = 1;  // always on the fragment
            n = static_cast<int32_t>(row.size());
            if (!render::append_item(n, row.data(), n)) return false;
        }
        int32_t appended = 0;
        layout::rebuild_index_and_staff_table(appended);
        frontend::GraphicsListLength = 0;
        frontend::TextDisplayStreamLength = 0;
        render::OutputPassWord = 1;
        render::redraw_items();
        return true;
    }

    // The screen lists painted by the view's own painting code into the large picture.
    QImage paint() {
        std::copy(frontend::TextDisplayStream.begin(), frontend::TextDisplayStream.end(),
                  frontend::TextDisplayStreamCopy.begin());
        COrmestView view;
        view.resize(800, 600);
        frontend::DecodeDisplayLists(&view);
        QImage image(picture_size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        view.PaintLists(painter, origin, false);
        return image;
    }
};

IconPainter::IconPainter() : state_(std::make_unique<State>()) {}
IconPainter::~IconPainter() {
    if (state_ && state_->started) {
        core::OutputBufferViews.graphics.unbind();
        core::OutputBufferViews.text.unbind();
        core::set_front_end(nullptr);
    }
}

// Contract: see the header. Resets the engine and points it at data_folder; binds the window's
// screen lists (GraphicsList, TextDisplayStream) to the engine and sets DisplayScale.
bool IconPainter::Start(const std::string& data_folder, std::string& error) {
    State& s = *state_;
    s.front_end.SetUnattended(true);
    core::reset_engine();
    core::set_front_end(&s.front_end);
    platform::set_data_folder(data_folder);
    if (!core::start_engine()) {
        error = "the engine does not start on the data folder " + data_folder;
        return false;
    }
    core::OutputBufferViews.graphics.bind(frontend::GraphicsList.data(),
                                          &frontend::GraphicsListLength);
    core::OutputBufferViews.text.bind(frontend::TextDisplayStream.data(),
                                      &frontend::TextDisplayStreamLength);
    s.started = true;
    s.empty_count = core::ItemCount;
    s.empty_words = core::ItemWordsUsed;
    s.empty_start = core::ItemStartTable(1);

    // Measure the fragment in engine units, then choose the zoom that makes it kStaffPixels high.
    if (!s.draw({})) {
        error = "the store takes no staff";
        return false;
    }
    const auto entries = render::decode_graphics_list();
    if (entries.empty()) {
        error = "the staff fragment draws nothing";
        return false;
    }
    int32_t x_low = entries[0].x, x_high = x_low, y_low = entries[0].y, y_high = y_low;
    for (const auto& e : entries) {
        x_low = std::min(x_low, e.x);
        x_high = std::max(x_high, e.x);
        y_low = std::min(y_low, e.y);
        y_high = std::max(y_high, e.y);
    }
    const double height = std::max(1, y_high - y_low);
    COrmestView view;
    const double per_zoom = view.PixelsPerPageUnit() / 256.0;
    frontend::DisplayScale =
        std::clamp(static_cast<int32_t>(kStaffPixels / (height * per_zoom)), 16, 1024);
    s.pixels_per_unit = per_zoom * frontend::DisplayScale;
    const int staff_h = static_cast<int>(height * s.pixels_per_unit);
    const int margin = 2 * staff_h;
    s.origin = QPoint(static_cast<int>(s.pixels_per_unit * x_low) - margin,
                      static_cast<int>(-s.pixels_per_unit * y_high) - margin);
    s.picture_size = QSize(static_cast<int>(s.pixels_per_unit * (x_high - x_low)) + 2 * margin,
                           staff_h + 2 * margin);
    s.staff_pixels = QRect(margin, margin, s.picture_size.width() - 2 * margin, staff_h);
    s.staff_alone = s.paint();
    return true;
}

// Contract: see the header. Changes the store and the screen lists (the engine's page).
QImage IconPainter::ItemPicture(const std::vector<float>& item, QSize size) {
    State& s = *state_;
    if (!s.started || item.size() < 2 || !s.draw(item)) return QImage();
    const QImage both = s.paint();
    // The item's own ink: what is darker than the fragment alone.
    QRect ink;
    for (int y = 0; y < both.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(both.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(s.staff_alone.constScanLine(y));
        for (int x = 0; x < both.width(); ++x)
            if (qGray(a[x]) + 40 < qGray(b[x])) ink |= QRect(x, y, 1, 1);
    }
    if (ink.isEmpty()) return QImage();

    // Crop around the item: at least most of a staff high, padded, in the button's proportions.
    const int staff_h = s.staff_pixels.height();
    const int pad = staff_h / 8;
    QRect crop = ink.adjusted(-pad, -pad, pad, pad);
    const int min_side = staff_h * 9 / 10;
    if (crop.height() < min_side) {
        const int grow = min_side - crop.height();
        crop.adjust(0, -grow / 2, 0, grow - grow / 2);
    }
    const double aspect = static_cast<double>(size.width()) / size.height();
    if (crop.width() < crop.height() * aspect) {
        const int grow = static_cast<int>(crop.height() * aspect) - crop.width();
        crop.adjust(-grow / 2, 0, grow - grow / 2, 0);
    } else {
        const int grow = static_cast<int>(crop.width() / aspect) - crop.height();
        crop.adjust(0, -grow / 2, 0, grow - grow / 2);
    }

    // Coverage of the item and of the fragment, each scaled down on its own and then
    // strengthened, so that stems and thin strokes stay dark at button size; the fragment in
    // a light ink under the item in black, on the button's ground.
    QImage item_ink(crop.size(), QImage::Format_Grayscale8);
    QImage staff_ink(crop.size(), QImage::Format_Grayscale8);
    item_ink.fill(0);
    staff_ink.fill(0);
    for (int y = 0; y < crop.height(); ++y) {
        const int sy = crop.top() + y;
        if (sy < 0 || sy >= both.height()) continue;
        uchar* item_row = item_ink.scanLine(y);
        uchar* staff_row = staff_ink.scanLine(y);
        const auto* a = reinterpret_cast<const QRgb*>(both.constScanLine(sy));
        const auto* b = reinterpret_cast<const QRgb*>(s.staff_alone.constScanLine(sy));
        for (int x = 0; x < crop.width(); ++x) {
            const int sx = crop.left() + x;
            if (sx < 0 || sx >= both.width()) continue;
            const int ga = qGray(a[sx]);
            const int gb = qGray(b[sx]);
            if (ga + 40 < gb) {
                item_row[x] = static_cast<uchar>(255 - ga);
            } else {
                staff_row[x] = static_cast<uchar>(255 - gb);
            }
        }
    }
    const QSize inner(size.width() - 2, size.height() - 2);
    const QImage item_small =
        item_ink.scaled(inner, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage staff_small =
        staff_ink.scaled(inner, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage result(size, QImage::Format_RGB32);
    result.fill(kBackground);
    auto mix = [](int from, int to, double t) { return static_cast<int>(from + (to - from) * t); };
    for (int y = 0; y < inner.height(); ++y) {
        const uchar* item_row = item_small.constScanLine(y);
        const uchar* staff_row = staff_small.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y + 1)) + 1;
        for (int x = 0; x < inner.width(); ++x) {
            const double ts = std::min(1.0, staff_row[x] / 255.0 * 1.6);
            const double ti = std::min(1.0, item_row[x] / 255.0 * 2.2);
            const int r = mix(mix(kBackground.red(), kStaffInk.red(), ts), kInk.red(), ti);
            const int g = mix(mix(kBackground.green(), kStaffInk.green(), ts), kInk.green(), ti);
            const int bl = mix(mix(kBackground.blue(), kStaffInk.blue(), ts), kInk.blue(), ti);
            out[x] = qRgb(r, g, bl);
        }
    }
    return result;
}

// Contract: see the header. The largest size up to 12 pixels at which the label fits when
// squeezed to 0.62 of its width (9 pixels at least), then squeezed as far as needed:
// narrow letters of full height read better in a 24-pixel button than small ones.
QImage IconPainter::LabelPicture(const QString& label, QSize size) {
    QImage result(size, QImage::Format_RGB32);
    result.fill(kBackground);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double room = size.width() - 2;
    QFont font(QStringLiteral("Nimbus Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Bold);
    font.setHintingPreference(QFont::PreferNoHinting);  // hinting spoils squeezed letters
    const int largest = std::min(12, size.height() - 4);
    int pixels = largest;
    for (; pixels > std::min(9, largest); --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetricsF(font).horizontalAdvance(label) * 0.62 <= room) break;
    }
    font.setPixelSize(pixels);
    const double width = QFontMetricsF(font).horizontalAdvance(label);
    const double squeeze = width > room ? room / width : 1.0;
    painter.setFont(font);
    painter.setPen(kInk);
    painter.translate(size.width() / 2.0, 0);
    painter.scale(squeeze, 1.0);
    const double half = size.width() / 2.0 / squeeze;
    painter.drawText(QRectF(-half, 0, 2 * half, size.height()), Qt::AlignCenter, label);
    return result;
}

// Contract: see the header.
QImage IconPainter::EmptySlot(QSize size) {
    QImage result(size, QImage::Format_RGB32);
    result.fill(kEmptySlot);
    return result;
}

// Contract: see the header. Writes the PNG files; the engine's store is used by ItemPicture.
bool WritePaletteStrips(const frontend::PaletteData& data, const ButtonItemTable& items,
                        IconPainter& painter, const std::string& folder, StripStats& stats,
                        std::string& error) {
    if (!QDir().mkpath(QString::fromStdString(folder))) {
        error = folder + ": cannot be made";
        return false;
    }
    std::map<std::pair<std::string, std::pair<int, int>>, QImage> cache;
    for (const auto& [id, layout] : data.palettes) {
        const QSize button(layout.button_width, layout.button_height);
        int count = 0;
        for (int32_t b : layout.buttons) count += b != 0;
        QImage strip(std::max(1, count * button.width()), button.height(), QImage::Format_RGB32);
        strip.fill(kEmptySlot);
        QPainter out(&strip);
        int slot = 0;
        for (int32_t b : layout.buttons) {
            if (b == 0) continue;
            QImage picture;
            const auto h = data.handler_of_id.find(b);
            if (h == data.handler_of_id.end()) {
                picture = IconPainter::EmptySlot(button);
            } else {
                const frontend::CommandHandlerEntry& handler = data.handlers[h->second];
                const ButtonPicture* item = nullptr;
                if (!handler.texts.empty()) {
                    auto it = items.by_text.find(handler.texts.front());
                    if (it != items.by_text.end() && !it->second.item.empty()) item = &it->second;
                }
                const QString label = ButtonLabel(handler, items);
                const std::pair<int, int> key_size(button.width(), button.height());
                std::string key =
                    item ? "item " + handler.texts.front() : "label " + label.toStdString();
                auto cached = cache.find({key, key_size});
                if (cached != cache.end()) {
                    picture = cached->second;
                } else {
                    if (item) {
                        picture = painter.ItemPicture(item->item, button);
                        if (picture.isNull()) {
                            stats.failed_items.push_back(handler.texts.front());
                        } else {
                            ++stats.item_pictures;
                        }
                    }
                    if (picture.isNull()) {
                        picture = IconPainter::LabelPicture(label, button);
                        ++stats.label_pictures;
                    }
                    cache[{key, key_size}] = picture;
                }
            }
            out.drawImage(slot * button.width(), 0, picture);
            ++slot;
            ++stats.buttons;
        }
        out.end();
        const std::string path = folder + "/p" + std::to_string(id) + ".png";
        if (!strip.save(QString::fromStdString(path), "PNG")) {
            error = path + ": cannot be written";
            return false;
        }
        ++stats.palettes;
    }
    return true;
}

}  // namespace palette_icons
