// CTimeDisplay: the player window's time display. It shows the player's position as
// hours:minutes:seconds or as ticks in a large bold face with a shadow, inside a sunken frame,
// and reads the position again every 100 ms while its timer runs.
#pragma once

#include <QFont>
#include <QFrame>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>

class CTimeDisplay : public QFrame {
    Q_OBJECT

  public:
    enum class Format { Clock, Ticks };
    // The timer's commands: the player's play and stop ids.
    static constexpr int kStartTimer = 103;
    static constexpr int kStopTimer = 105;

    // Where the position comes from: true with the ticks and milliseconds, false when the
    // player has no position now (the text shown stays).
    using Source = std::function<bool(int64_t& ticks, int64_t& millis)>;

    explicit CTimeDisplay(QWidget* parent = nullptr);

    void SetSource(Source source);
    void SetFormat(Format format);
    Format TimeFormat() const { return format_; }
    // kStartTimer starts the 100 ms timer when it is not running, kStopTimer stops it when it
    // is; other ids do nothing.
    void Command(int id);
    bool TimerRunning() const { return timer_.isActive(); }
    // Reads the position, keeps its text and repaints.
    void Refresh();
    // The text shown.
    const QString& Text() const { return text_; }
    // The face of the digits, as sized for the display's present size.
    const QFont& LedFont() const { return font_; }

    // "hh:mm:ss" from milliseconds (hours beyond 99 take more digits); the ticks right-aligned
    // in nine columns.
    static QString ClockText(int64_t millis);
    static QString TicksText(int64_t ticks);
    // The template the face is sized to for a format: "44:44:44" or "444444444".
    static QString Template(Format format);

  signals:
    // After each Refresh (the timer's as well): the position shown, in ticks.
    void refreshed(qint64 ticks);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void CreateLedFont();
    void DrawLedText(class QPainter& painter, QPoint offset, const QColor& colour) const;

    QTimer timer_;
    Source source_;
    Format format_ = Format::Clock;
    QFont font_;
    QString text_;
    int64_t ticks_ = 0;
    int64_t millis_ = 0;
};
