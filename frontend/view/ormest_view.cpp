// Painting, scrolling, colours and printing of the page window. The mouse handlers are in
// view_mouse.cpp.
#include "frontend/view/ormest_view.h"

#include <QColorDialog>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/services.h"

namespace frontend {

std::array<int32_t, 6> ScrollSizeRecord{};
std::array<int32_t, 2> ScrollStartPosition{};
QPoint ViewScrollPosition;
QPoint ViewportOrigin;
ColorRef BackgroundColor = kWhite;
ColorRef DefaultColor = 0;
ColorRef TextColor = kWhite;
ColorRef FillColor = 0;
ColorRef SelectionColor = 0x0000FF;
int32_t FilledPathsMode = 1;
uint8_t PreviewActive = 0;
uint8_t PrintLayoutActive = 0;
int32_t TextModeActive = 0;
std::array<int32_t, 2> TextModePoint{};
std::string TextModeSampleText;
FontTestLogFontRecord FontTestLogFont;
int32_t ZoomButtonFlag = 0;
int32_t ActiveToolMode = 0;
int32_t ViewWaitLevel = -1;

void ResetViewState() {
    ScrollSizeRecord.fill(0);
    ScrollStartPosition.fill(0);
    ViewScrollPosition = QPoint();
    ViewportOrigin = QPoint();
    BackgroundColor = kWhite;
    DefaultColor = 0;
    TextColor = kWhite;
    FillColor = 0;
    SelectionColor = 0x0000FF;
    FilledPathsMode = 1;
    PreviewActive = 0;
    PrintLayoutActive = 0;
    TextModeActive = 0;
    TextModePoint.fill(0);
    TextModeSampleText.clear();
    FontTestLogFont = FontTestLogFontRecord{};
    ZoomButtonFlag = 0;
    ActiveToolMode = 0;
    ViewWaitLevel = -1;
}

}  // namespace frontend

using namespace frontend;

namespace {

QColor to_qcolor(ColorRef c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

ColorRef to_colorref(const QColor& c) {
    return static_cast<ColorRef>(c.red()) | static_cast<ColorRef>(c.green()) << 8 |
           static_cast<ColorRef>(c.blue()) << 16;
}

QPen cosmetic_pen(ColorRef c) {
    QPen pen(to_qcolor(c));
    pen.setWidth(0);
    return pen;
}

// The points of sub-path s of a path (s counted from the path's first sub-path).
QPolygon sub_path_polygon(const ScreenGeometry& g, const ScreenPath& path, int32_t s,
                          int32_t& point_index) {
    const int32_t count = g.subpath_counts[static_cast<std::size_t>(path.first_subpath + s)];
    QPolygon poly;
    poly.reserve(count);
    for (int32_t i = 0; i < count; ++i, ++point_index) {
        const ScreenPoint& p = g.points[static_cast<std::size_t>(point_index)];
        poly.append(QPoint(p.x, p.y));
    }
    return poly;
}

// Kind-1 paths: every sub-path as its own polyline (the engine writes one per line).
void draw_open_line(QPainter& painter, const ScreenGeometry& g, const ScreenPath& path) {
    int32_t point_index = path.first_point;
    for (int32_t s = 0; s < path.subpath_count; ++s) {
        painter.drawPolyline(sub_path_polygon(g, path, s, point_index));
    }
}

QPainterPath shape_path(const ScreenGeometry& g, const ScreenPath& path) {
    QPainterPath shape;
    shape.setFillRule(Qt::OddEvenFill);
    int32_t point_index = path.first_point;
    for (int32_t s = 0; s < path.subpath_count; ++s) {
        const QPolygon poly = sub_path_polygon(g, path, s, point_index);
        if (poly.isEmpty()) continue;
        shape.addPolygon(QPolygonF(poly));
        shape.closeSubpath();
    }
    return shape;
}

void draw_outline(QPainter& painter, const ScreenGeometry& g, const ScreenPath& path) {
    int32_t point_index = path.first_point;
    for (int32_t s = 0; s < path.subpath_count; ++s) {
        QPolygon poly = sub_path_polygon(g, path, s, point_index);
        if (poly.isEmpty()) continue;
        poly.append(poly.first());
        painter.drawPolyline(poly);
    }
}

// Paths under the page transform: screen rules (colours of the paths) or printer rules (black).
void paint_paths(QPainter& painter, bool printing) {
    const ScreenGeometry& g = ScreenLists.geometry;
    const QPen default_pen = cosmetic_pen(DefaultColor);
    const QPen fill_pen = cosmetic_pen(FillColor);
    for (const ScreenPath& path : g.paths) {
        const uint32_t kind = path.kind();
        if (FilledPathsMode != 0) {
            if (kind == kKindOpenLine) {
                painter.setPen(printing ? cosmetic_pen(0) : cosmetic_pen(path.colour()));
                painter.setBrush(Qt::NoBrush);
                draw_open_line(painter, g, path);
            } else {
                const ColorRef brush =
                    printing ? 0 : (path.colour() != 0 ? path.colour() : FillColor);
                painter.setPen(printing ? cosmetic_pen(0) : cosmetic_pen(path.colour()));
                painter.setBrush(QBrush(to_qcolor(brush)));
                painter.drawPath(shape_path(g, path));
            }
        } else if (kind == kKindOpenLine) {
            painter.setPen(default_pen);
            painter.setBrush(Qt::NoBrush);
            draw_open_line(painter, g, path);
        } else if (kind == kKindShape) {
            painter.setPen(fill_pen);
            painter.setBrush(Qt::NoBrush);
            draw_outline(painter, g, path);
        }
    }
}

// Text records: each piece's baseline lies at the scaled y + 96. A turned record turns each
// piece clockwise by its angle about the start of its baseline, where the engine put the turned
// position: the printed page turns its strings the same way about the same points.
void paint_text(QPainter& painter, double k, bool printing) {
    const QTransform page = painter.transform();
    for (const TextRecord& record : ScreenLists.text_records) {
        bool ok = false;
        const QFont font = MakeRecordFont(record, DisplayScale, k, printing, ok);
        if (!ok) continue;
        const ColorRef colour = TextColor == kWhite ? record.colour : TextColor;
        const double angle = static_cast<double>(record.escapement) / 10.0;
        painter.setFont(font);
        painter.setPen(to_qcolor(colour));
        for (const TextPiece& piece : record.pieces) {
            const int32_t x = EngineToPage(piece.x, DisplayScale);
            const int32_t y = EngineToPage(static_cast<int32_t>(std::clamp<int64_t>(
                                               int64_t{piece.y} + 96, INT32_MIN, INT32_MAX)),
                                           DisplayScale);
            const QPointF baseline = page.map(QPointF(x, y));
            painter.save();
            painter.resetTransform();
            painter.translate(baseline);
            painter.rotate(angle);
            painter.drawText(QPointF(0.0, 0.0), FromCp1252(piece.text));
            painter.restore();
        }
    }
}

void paint_text_mode_sample(QPainter& painter, double k) {
    const FontTestLogFontRecord& lf = FontTestLogFont;
    QFont font(QString::fromLatin1(lf.face.c_str()));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(std::abs(lf.height) * k))));
    font.setWeight(
        static_cast<QFont::Weight>(lf.weight <= 0 ? 400 : std::clamp(lf.weight, 1, 1000)));
    font.setItalic(lf.italic != 0);
    font.setUnderline(lf.underline != 0);
    font.setStrikeOut(false);
    TextModeSampleText = "Font Test";
    const QPointF at = painter.transform().map(QPointF(TextModePoint[0], TextModePoint[1]));
    painter.save();
    painter.resetTransform();
    painter.setFont(font);
    painter.setPen(to_qcolor(TextColor == kWhite ? 0 : TextColor));
    painter.translate(at);
    painter.rotate(-static_cast<double>(lf.escapement) / 10.0);
    painter.drawText(QPointF(0.0, QFontMetricsF(font, painter.device()).ascent()),
                     QString::fromLatin1(TextModeSampleText.c_str()));
    painter.restore();
}

// Room above the highest point drawn when the view reaches above the page origin.
constexpr int32_t kTopMargin = 125;

int to_pixels(int32_t page_units, double k) {
    return static_cast<int>(std::clamp<double>(std::lround(page_units * k), 0.0, 1e9));
}

}  // namespace

COrmestView::COrmestView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
    // The page is white under the lists from the first paint on; the paint fills it anyway.
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(pal);
    viewport()->setAutoFillBackground(true);
    if (ActiveView() == nullptr) SetActiveView(this);
}

COrmestView::~COrmestView() {
    if (ActiveView() == this) SetActiveView(nullptr);
}

double COrmestView::PixelsPerPageUnit() const {
    const int dpi = viewport()->logicalDpiX();
    return (dpi > 0 ? dpi : 96) / 1000.0;
}

QPoint COrmestView::DeviceScrollPosition() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void COrmestView::ApplyScrollSizes() {
    const double k = PixelsPerPageUnit();
    const QSize client = viewport()->size();
    const int total_x = to_pixels(ScrollSizeRecord[0], k);
    const int total_y = to_pixels(ScrollSizeRecord[1], k);
    // What the engine draws above the page origin (the top staves of a page) stays reachable.
    const int above = ScreenLists.top > 0 ? to_pixels(ScreenLists.top + kTopMargin, k) : 0;
    horizontalScrollBar()->setRange(0, std::max(0, total_x - client.width()));
    verticalScrollBar()->setRange(-above, std::max(0, total_y - client.height()));
    // Page and line sizes are lengths: the engine gives heights downward as negative values (y
    // grows upward on the page). A page no longer than a line (none given, or one asked before
    // the window existed) is the window's own size, so that a page click moves a page.
    auto line_step = [k](int32_t size) {
        return std::max(1, to_pixels(size == INT32_MIN ? INT32_MAX : std::abs(size), k));
    };
    auto page_step = [&](int32_t size, int32_t line, int client) {
        const int pixels = line_step(size);
        return std::max(1, pixels > line_step(line) ? std::min(pixels, client) : client);
    };
    horizontalScrollBar()->setPageStep(
        page_step(ScrollSizeRecord[2], ScrollSizeRecord[4], client.width()));
    verticalScrollBar()->setPageStep(
        page_step(ScrollSizeRecord[3], ScrollSizeRecord[5], client.height()));
    horizontalScrollBar()->setSingleStep(line_step(ScrollSizeRecord[4]));
    verticalScrollBar()->setSingleStep(line_step(ScrollSizeRecord[5]));
}

void COrmestView::OnInitialUpdate() {
    ApplyScrollSizes();
    horizontalScrollBar()->setValue(ScrollStartPosition[0]);
    verticalScrollBar()->setValue(ScrollStartPosition[1]);
    viewport()->setCursor(Qt::ArrowCursor);
}

void COrmestView::ScrollToTopLeft() {
    ApplyScrollSizes();
    ScrollToDevicePosition(QPoint(0, verticalScrollBar()->minimum()));
}

void COrmestView::ScrollToDevicePosition(QPoint device) {
    horizontalScrollBar()->setValue(device.x());
    verticalScrollBar()->setValue(device.y());
}

void COrmestView::EnsurePagePointVisible(QPoint page) {
    const QPoint d = PageToDevice(page);
    const QSize client = viewport()->size();
    QPoint scroll = DeviceScrollPosition();
    if (d.x() < 0 || d.x() >= client.width()) scroll.rx() += d.x() - client.width() / 2;
    if (d.y() < 0 || d.y() >= client.height()) scroll.ry() += d.y() - client.height() / 2;
    ScrollToDevicePosition(scroll);
}

QPoint COrmestView::DeviceToPage(QPoint device) const {
    const double k = PixelsPerPageUnit();
    const QPoint s = DeviceScrollPosition();
    return QPoint(static_cast<int>(std::lround((device.x() + s.x()) / k)),
                  static_cast<int>(-std::lround((device.y() + s.y()) / k)));
}

QPoint COrmestView::PageToDevice(QPoint page) const {
    const double k = PixelsPerPageUnit();
    const QPoint s = DeviceScrollPosition();
    return QPoint(static_cast<int>(std::lround(page.x() * k)) - s.x(),
                  static_cast<int>(std::lround(-page.y() * k)) - s.y());
}

// Contract: reads ScreenLists and the colour words; paints on painter's device from the device
// scroll position origin. Screen rules unless printing (or the preview runs); the background is
// filled on screen (white too, so a first paint never shows another colour under the lines).
void COrmestView::PaintLists(QPainter& painter, QPoint origin, bool printing) const {
    const double k = printing ? painter.device()->logicalDpiX() / 1000.0 : PixelsPerPageUnit();
    const QRect device_rect(0, 0, painter.device()->width(), painter.device()->height());
    if (!printing || BackgroundColor != kWhite) {
        painter.fillRect(device_rect, to_qcolor(BackgroundColor));
    }
    painter.save();
    painter.setTransform(QTransform(k, 0.0, 0.0, -k, -origin.x(), -origin.y()));
    paint_paths(painter, printing);
    paint_text(painter, k, printing);
    if (!printing && TextModeActive != 0) paint_text_mode_sample(painter, k);
    painter.restore();
}

void COrmestView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const bool print_layout = PrintLayoutActive != 0;
    const QPoint origin = print_layout ? QPoint(0, 0) : DeviceScrollPosition();
    if (!print_layout) ApplyScrollSizes();
    ViewScrollPosition = origin;
    ViewportOrigin = -origin;
    PaintLists(painter, origin, PreviewActive != 0);
    if (!rubber_band_.isNull()) {
        QPen pen(Qt::black);
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rubber_band_);
    }
    if (font_test_due_) {
        // Drawn once, as on the window's own surface: the next repaint wipes it.
        font_test_due_ = false;
        painter.setFont(font_test_font_);
        painter.setPen(to_qcolor(SelectionColor));
        painter.drawText(QPointF(200.0, 200.0), QStringLiteral("Font Test"));
    }
}

void COrmestView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (Hooks().focus_input) Hooks().focus_input();
}

void COrmestView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    ApplyScrollSizes();
}

void COrmestView::scrollContentsBy(int dx, int dy) { viewport()->update(); }

void COrmestView::OnToggleFilledPaths() {
    FilledPathsMode = FilledPathsMode != 0 ? 0 : 1;
    BuildGeometryAndRepaint(this);
    emit filledPathsModeChanged(FilledPathsMode != 0);
}

bool COrmestView::PickColor(ColorRef& colour, const char* title) {
    uint32_t chosen = 0;
    if (ServiceDialogHooks().choose_colour) {
        if (!RunColourDialog(colour, chosen)) return false;
    } else {
        const QColor c =
            QColorDialog::getColor(to_qcolor(colour), this, QString::fromLatin1(title));
        if (!c.isValid()) return false;
        chosen = to_colorref(c);
    }
    colour = chosen;
    BuildGeometryAndRepaint(this);
    return true;
}

// Contract: writes FontTestLogFont's height, width, escapement, orientation, character set and
// face on OK; Cancel changes nothing.
void COrmestView::OnFontTest() {
    QFont font(QString::fromStdString(FontTestLogFont.face));
    if (!RunFontDialog(font)) return;
    FontTestLogFontRecord& lf = FontTestLogFont;
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 12.0;
    lf.height = -static_cast<int32_t>(std::lround(points * 1000.0 / 72.0));
    lf.width = 0;
    lf.escapement = 0;
    lf.orientation = 0;
    lf.char_set = 0;
    lf.face = font.family().toLatin1().left(31).toStdString();
    font_test_font_ = font;
    font_test_due_ = true;
    viewport()->update();
}

void COrmestView::OnSelectionColor() { PickColor(SelectionColor, "Selection Color"); }
void COrmestView::OnFillColor() { PickColor(FillColor, "Fill Color"); }
void COrmestView::OnDefaultColor() { PickColor(DefaultColor, "Default Color"); }
void COrmestView::OnBackground() { PickColor(BackgroundColor, "Background"); }
// The chosen colour becomes the text colour; white means each record in its own colour.
void COrmestView::OnTextColor() { PickColor(TextColor, "Text Color"); }

// The engine prints the page through its own print command.
void COrmestView::OnPreparePrinting() { SendCommand("PR "); }

// Prints the screen lists on a printer chosen in the print dialog, by the printer rules, from the
// page origin.
void COrmestView::OnPrintViaQt() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintLayoutActive = 1;
    {
        QPainter painter(&printer);
        PaintLists(painter, QPoint(0, 0), true);
    }
    PrintLayoutActive = 0;
    BuildGeometryAndRepaint(this);
}

// The preview paints the lists by the printer rules; both flags are clear again when it ends.
void COrmestView::OnPrintPreview() {
    PreviewActive = 1;
    PrintLayoutActive = 1;
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
        QPainter painter(p);
        PaintLists(painter, QPoint(0, 0), true);
    });
    preview.exec();
    PreviewActive = 0;
    PrintLayoutActive = 0;
    BuildGeometryAndRepaint(this);
}
