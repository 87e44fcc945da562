#include "frontend/bridge/display_lists.h"

#include <QAbstractScrollArea>
#include <QFontMetricsF>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "frontend/bridge/engine_gate.h"
#include "frontend/view/ormest_view.h"

namespace frontend {

ScreenListsRecord ScreenLists;

namespace {

constexpr double kDefaultPixelsPerPageUnit = 96.0 / 1000.0;

// Code points of CP1252's bytes 0x80..0x9F (0 where the code page leaves a byte undefined; such
// a byte keeps its Latin-1 meaning).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

double view_pixels_per_page_unit() {
    const COrmestView* view = ActiveView();
    return view != nullptr ? view->PixelsPerPageUnit() : kDefaultPixelsPerPageUnit;
}

// The highest page y of the paths and of the texts (baseline and ascent), at least 0.
int32_t top_of_lists() {
    int32_t top = 0;
    for (const ScreenPoint& p : ScreenLists.geometry.points) top = std::max(top, p.y);
    for (std::size_t i = 0; i < ScreenLists.text_records.size(); ++i) {
        const int32_t ascent = i < ScreenLists.text_ascent.size() ? ScreenLists.text_ascent[i] : 0;
        for (const TextPiece& piece : ScreenLists.text_records[i].pieces) {
            const int64_t baseline = EngineToPage(static_cast<int32_t>(std::clamp<int64_t>(
                                                      int64_t{piece.y} + 96, INT32_MIN, INT32_MAX)),
                                                  DisplayScale);
            top = static_cast<int32_t>(
                std::clamp<int64_t>(std::max<int64_t>(top, baseline + ascent), 0, INT32_MAX));
        }
    }
    return top;
}

void repaint_now(QWidget* window) {
    if (window == nullptr) window = ActiveView();
    if (window == nullptr) return;
    QWidget* target = window;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(window)) target = area->viewport();
    if (target->isVisible()) {
        target->repaint();
    } else {
        target->update();
    }
}

}  // namespace

QString FromCp1252(std::string_view bytes) {
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const char16_t high = (b >= 0x80 && b <= 0x9F) ? kCp1252High[b - 0x80] : 0;
        out.append(QChar(high != 0 ? high : static_cast<char16_t>(b)));
    }
    return out;
}

// Contract: a byte that begins a well-formed UTF-8 sequence (no overlong form, no surrogate,
// nothing past U+10FFFF) takes the whole sequence as one letter; any other byte is CP1252.
QString FromEngineText(std::string_view bytes) {
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const std::size_t len = b >= 0xC2 && b <= 0xDF   ? 2
                                : b >= 0xE0 && b <= 0xEF ? 3
                                : b >= 0xF0 && b <= 0xF4 ? 4
                                                         : 0;
        char32_t u = b & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
        bool whole = len != 0 && i + len <= bytes.size();
        for (std::size_t k = 1; whole && k < len; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            whole = (c & 0xC0) == 0x80;
            u = (u << 6) | (c & 0x3F);
        }
        if (whole) {
            const char32_t least = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
            whole = u >= least && u <= 0x10FFFF && (u < 0xD800 || u > 0xDFFF);
        }
        if (!whole) {
            out += FromCp1252(bytes.substr(i, 1));
            ++i;
            continue;
        }
        out += QString::fromUcs4(&u, 1);
        i += len;
    }
    return out;
}

std::string ToCp1252(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.push_back(static_cast<char>(u));
            continue;
        }
        const auto* hit = std::find(std::begin(kCp1252High), std::end(kCp1252High), u);
        out.push_back(hit != std::end(kCp1252High)
                          ? static_cast<char>(0x80 + (hit - std::begin(kCp1252High)))
                          : '?');
    }
    return out;
}

// Contract: the character height is trunc(scale * height / 4) page units and the width
// trunc(scale * half width / 4), as for the engine's PostScript; a height that comes to 0 gives
// no font (ok false). On screen a nonzero width stretches the face to that average width.
QFont MakeRecordFont(const TextRecord& record, int32_t scale, double pixels_per_page_unit,
                     bool printing, bool& ok) {
    const double f = static_cast<double>(scale);
    const double h = std::trunc(f * static_cast<double>(record.height) * 0.25);
    const double w = std::trunc(f * static_cast<double>(record.half_width) * 0.25);
    const double pixels = std::abs(h) * pixels_per_page_unit;
    ok = pixels >= 0.5 && std::isfinite(pixels) && pixels < 100000.0;
    QFont font(QString::fromLatin1(record.face.c_str()));
    if (!ok) return font;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    const int weight = record.weight <= 0 ? 400 : std::clamp(record.weight, 1, 1000);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(record.italic != 0);
    font.setUnderline(record.underline != 0);
    font.setStyleStrategy(QFont::PreferOutline);
    if (!printing && w > 0.0) {
        const double natural = QFontMetricsF(font).averageCharWidth();
        if (natural > 0.0) {
            const double stretch = 100.0 * w * pixels_per_page_unit / natural;
            font.setStretch(std::clamp(static_cast<int>(std::lround(stretch)), 1, 4000));
        }
    }
    return font;
}

void ComputeTextMetrics(double pixels_per_page_unit) {
    ScreenLists.text_ascent.assign(ScreenLists.text_records.size(), 0);
    if (pixels_per_page_unit <= 0.0) return;
    for (std::size_t i = 0; i < ScreenLists.text_records.size(); ++i) {
        bool ok = false;
        const QFont font = MakeRecordFont(ScreenLists.text_records[i], DisplayScale,
                                          pixels_per_page_unit, false, ok);
        if (!ok) continue;
        ScreenLists.text_ascent[i] =
            static_cast<int32_t>(std::lround(QFontMetricsF(font).ascent() / pixels_per_page_unit));
    }
}

// Contract: reads TextDisplayStreamCopy and TextDisplayStreamLength; rebuilds ScreenLists. A
// broken record and what follows it are dropped (the records before it are shown).
int DecodeDisplayLists(QWidget* window) {
    TextDecodeResult text =
        DecodeTextRecords(TextDisplayStreamCopy.data(), TextDisplayStreamLength, kTextStreamBytes);
    ScreenLists.text_records = std::move(text.records);
    ScreenLists.text_complete = text.complete;
    BuildGeometryAndRepaint(window);
    FollowEngineZoom();
    return 0;
}

// Contract: reads GraphicsList, GraphicsListLength and DisplayScale; rebuilds the paths, the
// ascents and the top of ScreenLists; never writes the graphics list.
int BuildGeometryAndRepaint(QWidget* window) {
    BuildScreenPaths(GraphicsList.data(), GraphicsListLength, kGraphicsListWords, DisplayScale,
                     ScreenLists.geometry);
    ComputeTextMetrics(view_pixels_per_page_unit());
    ScreenLists.top = top_of_lists();
    repaint_now(window);
    return 0;
}

}  // namespace frontend
