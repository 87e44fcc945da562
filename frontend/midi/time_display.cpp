#include "frontend/midi/time_display.h"

#include <QFontMetrics>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

namespace {

constexpr int kTimerMs = 100;
constexpr int kShadowOffset = 3;

}  // namespace

CTimeDisplay::CTimeDisplay(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("TimeDisplay"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setMinimumSize(160, 48);
    timer_.setInterval(kTimerMs);
    connect(&timer_, &QTimer::timeout, this, &CTimeDisplay::Refresh);
    text_ = ClockText(0);
    CreateLedFont();
}

void CTimeDisplay::SetSource(Source source) {
    source_ = std::move(source);
    Refresh();
}

void CTimeDisplay::SetFormat(Format format) {
    if (format == format_) return;
    format_ = format;
    CreateLedFont();
    text_ = format_ == Format::Clock ? ClockText(millis_) : TicksText(ticks_);
    Refresh();
}

void CTimeDisplay::Command(int id) {
    if (id == kStartTimer && !timer_.isActive()) timer_.start();
    if (id == kStopTimer && timer_.isActive()) timer_.stop();
}

void CTimeDisplay::Refresh() {
    int64_t ticks = 0;
    int64_t millis = 0;
    if (source_ && source_(ticks, millis)) {
        ticks_ = ticks;
        millis_ = millis;
        text_ = format_ == Format::Clock ? ClockText(millis_) : TicksText(ticks_);
    }
    update();
    emit refreshed(ticks_);
}

QString CTimeDisplay::ClockText(int64_t millis) {
    millis = std::max<int64_t>(millis, 0);
    const int64_t hours = millis / 3600000;
    const int64_t seconds = millis / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString CTimeDisplay::TicksText(int64_t ticks) {
    return QStringLiteral("%1").arg(std::max<int64_t>(ticks, 0), 9);
}

QString CTimeDisplay::Template(Format format) {
    return format == Format::Clock ? QStringLiteral("44:44:44") : QStringLiteral("444444444");
}

// Contract: a bold face at three quarters of the height, made smaller until the template fits
// three quarters of the width (never below one pixel).
void CTimeDisplay::CreateLedFont() {
    const QRect r = contentsRect();
    QFont font(QStringLiteral("Arial"));
    font.setWeight(QFont::Bold);
    int size = std::max(1, r.height() * 3 / 4);
    const QString pattern = Template(format_);
    const int room = std::max(1, r.width() * 3 / 4);
    for (;;) {
        font.setPixelSize(size);
        if (size <= 1 || QFontMetrics(font).horizontalAdvance(pattern) <= room) break;
        --size;
    }
    font_ = font;
}

void CTimeDisplay::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    CreateLedFont();
}

// Contract: each character sits in the cell of its template character (a digit's cell for
// characters past the template), so that the digits stand still as they change; the row of
// cells is centred in the display.
void CTimeDisplay::DrawLedText(QPainter& painter, QPoint offset, const QColor& colour) const {
    const QFontMetrics metrics(font_);
    const QString pattern = Template(format_);
    const int digit = metrics.horizontalAdvance(QLatin1Char('4'));
    auto cell = [&](int i) {
        return i < pattern.size() ? metrics.horizontalAdvance(pattern.at(i)) : digit;
    };
    int width = 0;
    for (int i = 0; i < std::max<int>(text_.size(), pattern.size()); ++i) width += cell(i);
    const QRect r = contentsRect();
    int x = r.left() + (r.width() - width) / 2 + offset.x();
    const int y = r.top() + (r.height() + metrics.ascent() - metrics.descent()) / 2 + offset.y();
    painter.setPen(colour);
    for (int i = 0; i < text_.size(); ++i) {
        const int w = cell(i);
        const QChar c = text_.at(i);
        painter.drawText(x + (w - metrics.horizontalAdvance(c)) / 2, y, QString(c));
        x += w;
    }
}

// Drawn twice: the shadow, down and to the right, then the text in place over it.
void CTimeDisplay::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.fillRect(contentsRect(), palette().color(QPalette::Button));
        painter.setFont(font_);
        DrawLedText(painter, QPoint(kShadowOffset, kShadowOffset), palette().color(QPalette::Dark));
        DrawLedText(painter, QPoint(0, 0), palette().color(QPalette::ButtonText));
    }
    QFrame::paintEvent(event);
}
