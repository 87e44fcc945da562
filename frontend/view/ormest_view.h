// COrmestView: the page window. Paints the screen paths and text records decoded from the
// engine's output at the zoom DisplayScale, scrolls over the page, prints through Qt, and turns
// mouse actions into tokens for the engine. It never keeps the keyboard focus: the command
// bar's input edit gets it.
//
// Coordinates: page units are thousandths of an inch with y upward (the page grows to negative
// y); the device is the viewport in pixels, y downward, shifted by the scroll position.
#pragma once

#include <QFont>

#include <QAbstractScrollArea>
#include <QPoint>
#include <QRect>
#include <array>
#include <cstdint>
#include <string>

class QPainter;
class QPaintDevice;

namespace frontend {

// COLORREF values: 0x00BBGGRR.
using ColorRef = uint32_t;
constexpr ColorRef kWhite = 0xFFFFFF;

// Total (cx, cy), page (cx, cy) and line (cx, cy) sizes in page units: given to the view on
// every paint; written by the scroll service and rescaled by zoom changes.
extern std::array<int32_t, 6> ScrollSizeRecord;
// Horizontal and vertical scroll-bar positions (device) set at the first update.
extern std::array<int32_t, 2> ScrollStartPosition;
// Device scroll position of the last paint and its negation, the viewport origin.
extern QPoint ViewScrollPosition;
extern QPoint ViewportOrigin;

// Colours and modes of the painting; the main frame saves and restores them.
extern ColorRef BackgroundColor;   // white: no background fill
extern ColorRef DefaultColor;      // pen of open lines (outline mode) and the base pen
extern ColorRef TextColor;         // white: each text record in its own colour
extern ColorRef FillColor;         // fill of shapes of colour 0; pen of outlines
extern ColorRef SelectionColor;    // kept and saved; the font test's sample is drawn in it
extern int32_t FilledPathsMode;    // nonzero: shapes filled; 0: outline mode
extern uint8_t PreviewActive;      // 1 while the print preview runs
extern uint8_t PrintLayoutActive;  // 1 from the print preview until printing ends

// Text mode (the font test): on/off, the sample's page point and text, and the chosen font.
extern int32_t TextModeActive;
extern std::array<int32_t, 2> TextModePoint;
extern std::string TextModeSampleText;
struct FontTestLogFontRecord {
    int32_t height = 0;  // character height in page units (a negative value as well)
    int32_t width = 0;
    int32_t escapement = 0;  // tenths of a degree
    int32_t orientation = 0;
    int32_t weight = 400;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strike_out = 0;
    uint8_t char_set = 0;
    std::string face = "Times";
};
extern FontTestLogFontRecord FontTestLogFont;

// Palette words the mouse input reads (the palettes write them).
extern int32_t ZoomButtonFlag;  // nonzero: a left drag zooms to the dragged rectangle
extern int32_t ActiveToolMode;  // tool bar opened for one action (1, 3, 4, 9, 12 ...)
// The level last set through the engine's wait-level service; 0: the view draws the rubber band
// itself; any other value: drag moves go to the engine as page points.
extern int32_t ViewWaitLevel;

// Puts the painting globals back to their start values (white background, black pens, text in
// the records' own colours, filled mode).
void ResetViewState();

}  // namespace frontend

class COrmestView : public QAbstractScrollArea {
    Q_OBJECT

  public:
    explicit COrmestView(QWidget* parent = nullptr);
    ~COrmestView() override;

    // Members the gate and the mouse input share with the engine's services.
    int32_t DragActive = 0;
    QPoint DragAnchor;
    QPoint DragRelease;
    QRect DragRect;
    QRect LastDragRect;
    uint8_t KeyModeRequest = 0;
    uint8_t KeyMode = 0;

    // Gives the scroll bars the sizes of ScrollSizeRecord (page units -> pixels). The vertical
    // bar reaches above the page origin as far as the drawing does, and a little more.
    void ApplyScrollSizes();
    // Scrolls to the top left of the drawing (x 0, the top of what is drawn or the origin).
    void ScrollToTopLeft();
    // First update: scroll sizes, then the scroll-bar positions of ScrollStartPosition.
    void OnInitialUpdate();
    // Device scroll position (pixels right and down of the page origin).
    QPoint DeviceScrollPosition() const;
    // Scrolls to a device position (clamped to the scroll range).
    void ScrollToDevicePosition(QPoint device);
    // Scrolls so that the page point comes into view.
    void EnsurePagePointVisible(QPoint page);

    // Device pixels <-> page units at the current scroll position.
    QPoint DeviceToPage(QPoint device) const;
    QPoint PageToDevice(QPoint page) const;
    // Pixels per page unit of this view's screen.
    double PixelsPerPageUnit() const;

    // Paints the screen lists on any device (the screen, an image, a printer). printing selects
    // the printer rules; origin is the device scroll position to paint from.
    void PaintLists(QPainter& painter, QPoint origin, bool printing) const;

    // Menu commands of the view.
    void OnToggleFilledPaths();
    void OnSelectionColor();
    void OnFillColor();
    void OnTextColor();
    void OnDefaultColor();
    void OnBackground();
    // Printing: the engine prints through its own print command ("PR "); OnPrintViaQt prints the
    // screen lists on a printer chosen in Qt's print dialog.
    void OnPreparePrinting();
    void OnPrintViaQt();
    void OnPrintPreview();
    // "Font Test": the font dialog; the chosen size, angle and face become the text-mode font
    // (its weight, italic, underline and strike-out stay) and the sample "Font Test" is drawn
    // once at (200, 200) of the view in the selection colour, until the next repaint.
    void OnFontTest();

    // True while a modal dialog other than the view's own window is open: the page then takes
    // no mouse input (a synthesized event, or one let through to a window behind the dialog,
    // would otherwise move the edited item or leave a click for the next command).
    bool BehindModalDialog() const;

    // Mouse handlers (also called by tests with device points).
    void OnLButtonDown(QPoint point);
    void OnMouseMove(QPoint point);
    void OnLButtonUp(QPoint point);
    void OnRButtonUp(QPoint point);
    void OnMButtonUp(QPoint point);

  signals:
    // Menu item 32794's check mark follows the filled mode.
    void filledPathsModeChanged(bool filled);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    // Runs a colour dialog on colour; true (and colour changed) on OK.
    bool PickColor(frontend::ColorRef& colour, const char* title);
    // Draws or erases the rubber band of a drag.
    void DrawDragRect(const QRect& rect, const QRect& last);
    // Forgets a press on the page whose release will not come here (a modal dialog opened over
    // the page, or the press went to another window): the drag ends without a token.
    void DropPagePress();
    QRect rubber_band_;  // shown by the paint over the lists
    // The buttons pressed on the page and not yet released there: only their release (and the
    // left button's moves) reach the engine.
    Qt::MouseButtons pressed_on_page_ = Qt::NoButton;
    QFont font_test_font_;
    bool font_test_due_ = false;  // the next paint draws the font test's sample
};
