#include "frontend/bridge/qt_front_end.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/core/service_request.h"
#include "engine/core/tables.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/item_panel.h"
#include "frontend/view/ormest_view.h"

using namespace frontend;

namespace {

constexpr int kInputTextLimit = 1023;

int32_t saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

QString engine_text(const char* text) {
    return text == nullptr ? QString() : FromCp1252(std::string_view(text));
}

// A message of the engine as lines: "||" and CR LF break it; trailing blanks go.
QString message_lines(const char* text) {
    QString s = engine_text(text);
    s.replace(QStringLiteral("||"), QStringLiteral("\n"));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    while (s.endsWith(QLatin1Char(' '))) s.chop(1);
    return s;
}

// An engine line as text: up to its NUL; without one, up to its last non-blank character.
QString preset_text(const core::FixedText<512>& line) {
    const std::string_view v = line.view();
    const std::size_t nul = v.find('\0');
    return FromCp1252(v.substr(
        0, nul != std::string_view::npos ? nul : static_cast<std::size_t>(line.trimmed_length())));
}

// A 512-character engine line from a text: cut at its CR (or NUL), blank-padded.
void set_engine_line(core::FixedText<512>& line, std::string_view text) {
    const std::size_t end = text.find_first_of(std::string_view("\r\n\0", 3));
    line.set(end == std::string_view::npos ? text : text.substr(0, end));
}

// Input state of the waits: armed at the start, restored when they return.
void arm_line_wait() {
    InputEventFlags.LineComplete = 0;
    InputEventFlags.LineWaitArmed = 1;
    InputEventFlags.ArrowKeysToEngine = 1;
    InputEventFlags.PageKeysToEngine = 0;
    InputEventFlags.SpecialKeyCount = 0;
}

void arm_key_wait() {
    InputEventFlags.LineWaitArmed = 1;
    InputEventFlags.TypedLine(1) = ' ';
    InputEventFlags.LineComplete = 0;
    InputEventFlags.ArrowKeysToEngine = 0;
    InputEventFlags.PageKeysToEngine = 0;
    InputEventFlags.SpecialKeyCount = 0;
    InputEventFlags.LastKey = 0;
}

void restore_after_wait() {
    InputEventFlags.LineWaitArmed = 0;
    InputEventFlags.ArrowKeysToEngine = 1;
    InputEventFlags.PageKeysToEngine = 1;
    InputEventFlags.SpecialKeyCount = 0;
}

bool command_waiting() { return core::FrontEndCommandBuffer(1) != ' '; }

// Engine units <-> logical (page) units at the current zoom.
int32_t logical_to_engine(double logical) {
    return PageToEngine(saturate(static_cast<int64_t>(std::trunc(logical))), DisplayScale);
}
int64_t engine_to_logical(int32_t engine) {
    return (static_cast<int64_t>(engine) * DisplayScale) >> 8;
}

Qt::CursorShape cursor_shape(int32_t n) {
    switch (n) {
        case 1:
            return Qt::IBeamCursor;
        case 2:
            return Qt::WaitCursor;
        case 3:
            return Qt::CrossCursor;
        case 4:
            return Qt::UpArrowCursor;
        case 5:
            return Qt::SizeAllCursor;
        case 6:
            return Qt::SizeFDiagCursor;
        case 7:
            return Qt::SizeBDiagCursor;
        case 8:
            return Qt::SizeHorCursor;
        case 9:
            return Qt::SizeVerCursor;
        default:
            return n >= 16 ? Qt::PointingHandCursor : Qt::ArrowCursor;
    }
}

}  // namespace

QtFrontEnd::QtFrontEnd(QObject* parent) : QObject(parent) {}

QtFrontEnd::~QtFrontEnd() {
    if (wait_loop_ != nullptr) wait_loop_->quit();
}

void QtFrontEnd::SetCommandBar(CommandBarLink* bar) { bar_ = bar; }

void QtFrontEnd::SetUnattended(bool on, int yes_no_answer) {
    unattended_ = on;
    unattended_answer_ = yes_no_answer;
}

// Contract: runs a nested event loop until done() holds. The gate's input listener ends the
// loop when input arrives; the application's quit ends it too (Qt ends every running loop), and
// then this and every later wait report closing. Without an application there is nothing to
// wait for: false.
template <typename Done>
bool QtFrontEnd::WaitUntil(Done done) {
    if (done()) return true;
    if (closing_ || QCoreApplication::instance() == nullptr) return false;
    QEventLoop loop;
    QEventLoop* const outer_loop = wait_loop_;
    wait_loop_ = &loop;
    std::function<void()> outer_listener = SetInputListener([&loop, &done] {
        if (done()) loop.quit();
    });
    loop.exec();
    wait_loop_ = outer_loop;
    SetInputListener(std::move(outer_listener));
    if (done()) return true;
    closing_ = true;
    return false;
}

// -- command bar ------------------------------------------------------------------------------

void QtFrontEnd::ShowMessageText(const QString& text) {
    if (bar_ != nullptr) {
        bar_->SetMessageText(text);
    } else {
        message_text_ = text;
    }
}

QString QtFrontEnd::InputTextNow() const {
    return (bar_ != nullptr ? bar_->InputText() : input_text_).left(kInputTextLimit);
}

void QtFrontEnd::SetInputTextNow(const QString& text, int sel_start, int sel_end) {
    const int n = static_cast<int>(text.size());
    sel_start = std::clamp(sel_start, 0, n);
    sel_end = std::clamp(sel_end, 0, n);
    if (bar_ != nullptr) {
        bar_->SetInputText(text, sel_start, sel_end);
        return;
    }
    input_text_ = text;
    sel_start_ = sel_start;
    sel_end_ = sel_end;
}

void QtFrontEnd::ArmImmediateKeyMode() {
    if (COrmestView* view = ActiveView()) view->KeyModeRequest = 1;
}

void QtFrontEnd::SetMessageLineText(const char* text) { ShowMessageText(engine_text(text)); }

void QtFrontEnd::SetInputText(const char* text) {
    const QString t = engine_text(text);
    if (t.isEmpty()) return;
    SetInputTextNow(t, static_cast<int>(t.size()), static_cast<int>(t.size()));
}

void QtFrontEnd::SetInputTextAndSelection(const char* text, int sel_start, int sel_end) {
    SetInputTextNow(engine_text(text), sel_start, sel_end);
}

int QtFrontEnd::GetInputTextLength() { return static_cast<int>(InputTextNow().size()); }

// Keeps the text up to and including its last 0x0F; with none the edit becomes empty.
void QtFrontEnd::TrimInputToMarker() {
    const QString t = InputTextNow();
    const qsizetype marker = t.lastIndexOf(QChar(0x0F));
    const QString kept = marker < 0 ? QString() : t.left(marker + 1);
    SetInputTextNow(kept, static_cast<int>(kept.size()), static_cast<int>(kept.size()));
}

// -- waits --------------------------------------------------------------------------------

// Contract: shows the prompt, appends the buffer's preset to the input edit with sel_start..
// sel_end selected (counted from the preset's start) and waits for a deposited command or a
// completed typed line. A command comes back in buffer and leaves the command buffer's first
// character blank; a typed line comes back cut at its CR. -1 when the application quits.
int QtFrontEnd::WaitForLineEdit(core::FixedText<512>& buffer, const core::FixedText<512>& prompt,
                                int sel_start, int sel_end) {
    const QString old = InputTextNow();
    const int old_length = static_cast<int>(old.size());
    SetInputTextNow(old + preset_text(buffer), old_length + sel_start, old_length + sel_end);
    ShowMessageText(preset_text(prompt));
    arm_line_wait();
    if (!WaitUntil([] { return command_waiting() || InputEventFlags.LineComplete != 0; })) {
        return -1;
    }
    if (command_waiting()) {
        buffer.set(std::string(core::FrontEndCommandBuffer.view()));
        core::FrontEndCommandBuffer(1) = ' ';
    } else {
        set_engine_line(buffer, InputEventFlags.TypedLine.view());
    }
    restore_after_wait();
    return 0;
}

// Contract: waits for a deposited command (copied into buffer; the command buffer is blanked)
// or a key other than Shift (its code in buffer's first character). On quit the buffer comes
// back blank.
int QtFrontEnd::WaitForCommandOrKey(core::FixedText<512>& buffer, int pass_value) {
    arm_key_wait();
    auto key_taken = [] { return InputEventFlags.LastKey != 0 && InputEventFlags.LastKey != 16; };
    if (!WaitUntil([&] { return command_waiting() || key_taken(); })) {
        buffer.blank();
        return pass_value;
    }
    if (command_waiting()) {
        buffer.set(std::string(core::FrontEndCommandBuffer.view()));
        core::FrontEndCommandBuffer.blank();
    } else {
        buffer(1) = static_cast<char>(InputEventFlags.LastKey);
    }
    restore_after_wait();
    return pass_value;
}

// -- messages and questions ----------------------------------------------------------------

int QtFrontEnd::ShowMessageBox(const char* text) {
    last_message_ = message_lines(text);
    if (unattended_ || QApplication::instance() == nullptr) return 1;
    QMessageBox::information(nullptr, QStringLiteral("ormest"), last_message_);
    return 1;
}

int QtFrontEnd::AskYesNo(const char* question, int mode) {
    last_message_ = message_lines(question);
    if (unattended_ || QApplication::instance() == nullptr) return unattended_answer_ != 0 ? -1 : 0;
    QMessageBox box(QMessageBox::Question, QStringLiteral("ormest"), last_message_);
    QAbstractButton* yes = box.addButton(
        mode == 1 ? QStringLiteral("Yes") : QStringLiteral("Continue"), QMessageBox::YesRole);
    box.addButton(mode == 1 ? QStringLiteral("No") : QStringLiteral("Exit"), QMessageBox::NoRole);
    box.exec();
    return box.clickedButton() == yes ? -1 : 0;
}

int QtFrontEnd::AskYesNoExit(const char* question) {
    last_message_ = message_lines(question);
    if (unattended_ || QApplication::instance() == nullptr) return unattended_answer_;
    QMessageBox box(QMessageBox::Question, QStringLiteral("ormest"), last_message_);
    QAbstractButton* yes = box.addButton(QStringLiteral("Yes"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
    QAbstractButton* exit = box.addButton(QStringLiteral("Exit"), QMessageBox::RejectRole);
    box.exec();
    if (box.clickedButton() == yes) return -1;
    return box.clickedButton() == exit ? -2 : 0;
}

// -- window services and repaint -------------------------------------------------------------

void QtFrontEnd::ServiceZoom(core::ServiceBlock& block) {
    InputEventFlags.SpecialKeyCount = 0;
    InputEventFlags.ArrowKeysToEngine = 0;
    InputEventFlags.PageKeysToEngine = 0;
    InputEventFlags.RawMousePoint = {100, 100};
    const int32_t old_scale = DisplayScale;
    const int32_t asked = block(2) != 0 ? block(2) : (old_scale == 64 ? 128 : 64);
    DisplayScale = ClampDisplayScale(asked);
    core::MouseRegion(3) = 25600 / DisplayScale;
    core::MouseRegion(4) = 25600 / DisplayScale;
    if (Hooks().show_zoom_text) Hooks().show_zoom_text(ZoomPercentText(DisplayScale));
    const double f = static_cast<double>(DisplayScale) / old_scale;
    for (int32_t& w : ScrollSizeRecord) w = saturate(static_cast<int64_t>(std::trunc(w * f)));
    if (COrmestView* view = ActiveView()) {
        const QPoint scroll = view->DeviceScrollPosition();
        view->ApplyScrollSizes();
        view->ScrollToDevicePosition(QPoint(static_cast<int>(std::trunc(scroll.x() * f)),
                                            static_cast<int>(std::trunc(scroll.y() * f))));
    }
    BuildGeometryAndRepaint(nullptr);
    if (Hooks().focus_input) Hooks().focus_input();
}

// Contract: serves the letters it has a window part for: 'b' scroll position and 'z' client
// size (engine units), 'p' scroll positions, 's' scroll sizes, 'k' zoom, 'c' cursor, 'h' path,
// 'i' modified flag, 'm' set modified, 'n' title. The letters of the document, the dialogs and
// the bars are left unserved (tag unchanged) until their window parts exist.
void QtFrontEnd::FrontEndService(char tag[4], core::ServiceBlock& block) {
    COrmestView* view = ActiveView();
    bool mark = true;
    switch (tag[1]) {
        case 'b': {
            const QPoint s = view != nullptr ? view->DeviceScrollPosition() : QPoint();
            const double k = view != nullptr ? view->PixelsPerPageUnit() : 0.096;
            block(1) = logical_to_engine(s.x() / k);
            block(2) = logical_to_engine(-s.y() / k);
            mark = false;
            break;
        }
        case 'z': {
            const QSize c = view != nullptr ? view->viewport()->size() : QSize();
            const double k = view != nullptr ? view->PixelsPerPageUnit() : 0.096;
            block(1) = logical_to_engine(c.width() / k);
            block(2) = logical_to_engine(-c.height() / k);
            mark = false;
            break;
        }
        case 'p':
            if (view != nullptr) {
                const double k = view->PixelsPerPageUnit();
                view->ScrollToDevicePosition(
                    QPoint(saturate(std::llround(engine_to_logical(block(1)) * k)),
                           saturate(std::llround(-engine_to_logical(block(2)) * k))));
            }
            break;
        case 's':
            for (int i = 0; i < 4; ++i) {
                ScrollSizeRecord[static_cast<std::size_t>(i)] =
                    saturate(engine_to_logical(block(i + 1)));
            }
            ScrollSizeRecord[4] = block(5);
            ScrollSizeRecord[5] = block(6);
            if (view != nullptr) view->ApplyScrollSizes();
            break;
        case 'k':
            ServiceZoom(block);
            break;
        case 'c':
            if (view != nullptr) view->viewport()->setCursor(cursor_shape(block(1)));
            break;
        case 'h':
            path_ = QString::fromStdString(core::block_text(block));
            break;
        case 'i':
            block(1) = modified_ ? 1 : 0;
            break;
        case 'm':
            modified_ = block(1) != 0;
            if (view != nullptr) view->window()->setWindowModified(modified_);
            break;
        case 'n':
            title_ = FromCp1252(core::block_text(block));
            if (view != nullptr) view->window()->setWindowTitle(title_);
            break;
        default:
            mark = false;
            break;
    }
    if (mark) tag[0] = '\0';
}

void QtFrontEnd::RefreshDisplayFromEngine() {
    const int32_t n = std::clamp(TextDisplayStreamLength, 0, kTextStreamBytes);
    if (n > 0) std::copy_n(TextDisplayStream.begin(), n, TextDisplayStreamCopy.begin());
    DecodeDisplayLists(nullptr);
    UpdateItemPanel();
}

void QtFrontEnd::SwitchPaletteVariant(int mode, int palette_group) {}
void QtFrontEnd::ControlMidiPlayer(int action) {}

// -- dialogs: no window parts yet; each gives the answer that changes nothing ----------------

int QtFrontEnd::RunDrawingFileNameDialog(const core::FixedText<128>& prompt) { return 2; }
int QtFrontEnd::RunEpsFileNameDialog() { return 2; }
int QtFrontEnd::RunOutputFileNameDialog() { return 2; }
int QtFrontEnd::RunMacroFileDialog() { return 2; }

int QtFrontEnd::RunDontShowAgainNotice() {
    ShowMessageBox(std::string(core::MessageLine.view()).c_str());
    return 0;
}

int QtFrontEnd::RunOutOfBoundsNotice() {
    ShowMessageBox(core::FrontEndCommandBuffer.c_text().c_str());
    return 0;
}

// "Ignore this Item": the item stays as it is (Cancel does not exist; 2 would delete it).
int QtFrontEnd::RunConvertCode11Dialog(core::Array1<int32_t, 3>& r) {
    r(3) = 0;
    return 3;
}

// "Set new P5 number.": nothing is replaced.
int QtFrontEnd::RunConvertLibraryItemDialog(core::Array1<int32_t, 2>& v) {
    v(2) = 0;
    return -1;
}

int QtFrontEnd::RunDecombineFileDialog() { return 2; }
int QtFrontEnd::RunPageImageHeightDialog(core::Array1<float, 19>& a) { return 2; }
int QtFrontEnd::RunPreferencesDialog(core::Array1<int32_t, 32>& a, core::Array1<int32_t, 32>& b) {
    return 2;
}
int QtFrontEnd::RunRippleBarsDialog(core::Array1<int32_t, 5>& a) { return 2; }
int QtFrontEnd::RunSymbolLibraryDialog(int32_t& v) { return 2; }
