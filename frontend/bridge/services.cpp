// The window services of the engine's service gate, one letter each.
#include "frontend/bridge/services.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QFontDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "engine/commands/interpreter/family_entries.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/service_request.h"
#include "frontend/app/main_frame.h"
#include "frontend/bridge/dialog_launchers.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/view/frames.h"
#include "frontend/view/ormest_doc.h"
#include "frontend/view/ormest_view.h"

namespace frontend {

int32_t PostCommandAction = 0;

ServiceDialogs& ServiceDialogHooks() {
    static ServiceDialogs hooks;
    return hooks;
}

namespace {

// The find dialog's option bits, as the engine passes them.
constexpr int32_t kFindDown = 1;
constexpr int32_t kFindWholeWord = 2;
constexpr int32_t kFindMatchCase = 4;

int32_t saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Engine units <-> logical (page) units at the current zoom.
int32_t logical_to_engine(double logical) {
    return PageToEngine(saturate(static_cast<int64_t>(std::trunc(logical))), DisplayScale);
}
int64_t engine_to_logical(int32_t engine) {
    return (static_cast<int64_t>(engine) * DisplayScale) >> 8;
}

QWidget* main_window() { return MainFrameWindow(); }

COrmestDoc* active_document() {
    CChildFrame* child = ActiveChildFrame();
    return child != nullptr ? child->Document() : nullptr;
}

// A path in the block (the file system's bytes) as a name.
QString block_path(const core::ServiceBlock& block) {
    return QFile::decodeName(QByteArray::fromStdString(core::block_text(block)));
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
            // The program's own cursor (16 and above) is a pointing hand here.
            return n >= 16 ? Qt::PointingHandCursor : Qt::ArrowCursor;
    }
}

QColor to_qcolor(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
uint32_t to_colorref(const QColor& c) {
    return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
           (static_cast<uint32_t>(c.blue()) << 16);
}

// -- the dialogs, each replaceable by a test's hook ---------------------------------------------

QString run_save_file_dialog() {
    if (ServiceDialogHooks().save_file) return ServiceDialogHooks().save_file();
    if (DialogsUnattended()) return QString();
    return QFileDialog::getSaveFileName(main_window());
}

bool run_font_dialog(QFont& font) {
    if (ServiceDialogHooks().choose_font) return ServiceDialogHooks().choose_font(font);
    if (DialogsUnattended()) return false;
    bool ok = false;
    font = QFontDialog::getFont(&ok, QFont(QString::fromStdString(FontTestLogFont.face)),
                                main_window());
    return ok;
}

bool run_colour_dialog(uint32_t initial, uint32_t& chosen) {
    if (ServiceDialogHooks().choose_colour) {
        return ServiceDialogHooks().choose_colour(initial, chosen);
    }
    if (DialogsUnattended()) return false;
    const QColor c = QColorDialog::getColor(to_qcolor(initial));
    if (!c.isValid()) return false;
    chosen = to_colorref(c);
    return true;
}

bool run_print_dialog(bool setup_only) {
    if (ServiceDialogHooks().print) return ServiceDialogHooks().print(setup_only);
    if (DialogsUnattended()) return false;
    QPrinter printer;
    if (setup_only) return QPageSetupDialog(&printer, main_window()).exec() == QDialog::Accepted;
    return QPrintDialog(&printer, main_window()).exec() == QDialog::Accepted;
}

void show_test_box(const QString& text) {
    if (ServiceDialogHooks().message_box) {
        ServiceDialogHooks().message_box(text);
        return;
    }
    if (DialogsUnattended()) return;
    QMessageBox::information(main_window(), QStringLiteral("Melandrix"), text);
}

// -- letters --------------------------------------------------------------------------------

// Contract: the save-as service. The chosen name comes back in the block from word 1 (the file
// system's bytes, NUL-ended) and the layout routine runs with the request text at the start of
// MessageLine; marks the request. Cancel: word 1 = 0 (no name), nothing runs, not marked.
bool serve_save_as(const char tag[4], core::ServiceBlock& block) {
    const QString name = run_save_file_dialog();
    if (name.isEmpty()) {
        block(1) = 0;
        return false;
    }
    core::set_block_text(block, QFile::encodeName(name).toStdString());
    core::set_exchange_text(std::string(tag, 3) + '\0');
    core::run_s_family_word();
    return true;
}

// Contract: the font service. On OK, FontTestLogFont takes the chosen font except its strike-out
// flag, block A words 0-5 get height, width, escapement, orientation, character set and italic,
// the first 32 bytes of FrontEndCommandBuffer the face name (NUL-padded), word 1 the token of
// FontTestLogFont; marks. Cancel changes nothing and is not marked.
bool serve_font(core::ServiceBlock& block) {
    QFont font;
    if (!run_font_dialog(font)) return false;
    FontTestLogFontRecord& lf = FontTestLogFont;
    // Points to thousandths of an inch; negative: the character height, not the cell's.
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 12.0;
    lf.height = -static_cast<int32_t>(std::lround(points * 1000.0 / 72.0));
    lf.width = 0;
    lf.escapement = 0;
    lf.orientation = 0;
    lf.weight = static_cast<int32_t>(font.weight());
    lf.italic = font.italic() ? 1 : 0;
    lf.underline = font.underline() ? 1 : 0;
    lf.char_set = 0;
    lf.face = font.family().toLatin1().left(31).toStdString();

    auto& a = DialogExchangeBlocks.ExchangeBlockA;
    a[0] = lf.height;
    a[1] = lf.width;
    a[2] = lf.escapement;
    a[3] = lf.orientation;
    a[4] = lf.char_set;
    a[5] = lf.italic;
    char face[32] = {};
    std::memcpy(face, lf.face.data(), std::min<std::size_t>(lf.face.size(), 31));
    for (int i = 0; i < 32; ++i) core::FrontEndCommandBuffer(i + 1) = face[i];
    block(1) = kFontTestLogFontToken;
    return true;
}

// Contract: the zoom service. Word 1 is the new scale (as the engine's gate and the console
// front-end have it); 0 toggles between 64 and 128; a negative scale is refused (nothing
// changes, not marked); a scale beyond the zoom limits is brought inside them. Writes DisplayScale,
// the input-arrival words of InputEventFlags, RawMousePoint, MouseRegion's point, the zoom text,
// ScrollSizeRecord (scaled with the zoom) and the view's scroll position (scaled likewise);
// rebuilds the screen paths and focuses the input edit.
bool serve_zoom(core::ServiceBlock& block) {
    if (block(1) < 0) return false;
    InputEventFlags.SpecialKeyCount = 0;
    InputEventFlags.ArrowKeysToEngine = 0;
    InputEventFlags.PageKeysToEngine = 0;
    InputEventFlags.RawMousePoint = {100, 100};
    const int32_t old_scale = DisplayScale > 0 ? DisplayScale : 64;
    const int32_t asked = block(1) != 0 ? block(1) : (old_scale == 64 ? 128 : 64);
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
    return true;
}

// Contract: the find service: a modeless find dialog of its own (Find when word 1 is nonzero,
// Replace otherwise) with the text from word 3 and the option bits of word 2; it deletes itself
// when closed and reports nothing back. Word 1 = 0 once it is shown.
void serve_find(core::ServiceBlock& block) {
    const bool find_only = block(1) != 0;
    const int32_t flags = block(2);
    auto* dialog = new QDialog(nullptr);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("FindReplaceDialog"));
    dialog->setWindowTitle(find_only ? QStringLiteral("Find") : QStringLiteral("Replace"));
    auto* layout = new QVBoxLayout(dialog);
    auto* form = new QFormLayout;
    auto* find_text = new QLineEdit(FromCp1252(core::block_text(block, 3)), dialog);
    find_text->setObjectName(QStringLiteral("FindText"));
    form->addRow(QStringLiteral("Fi&nd what:"), find_text);
    if (!find_only) {
        auto* replace_text = new QLineEdit(dialog);
        replace_text->setObjectName(QStringLiteral("ReplaceText"));
        form->addRow(QStringLiteral("Re&place with:"), replace_text);
    }
    layout->addLayout(form);
    auto* whole = new QCheckBox(QStringLiteral("Match &whole word only"), dialog);
    whole->setChecked((flags & kFindWholeWord) != 0);
    auto* match_case = new QCheckBox(QStringLiteral("Match &case"), dialog);
    match_case->setChecked((flags & kFindMatchCase) != 0);
    layout->addWidget(whole);
    layout->addWidget(match_case);
    if (find_only) {
        auto* up = new QRadioButton(QStringLiteral("&Up"), dialog);
        auto* down = new QRadioButton(QStringLiteral("&Down"), dialog);
        ((flags & kFindDown) != 0 ? down : up)->setChecked(true);
        layout->addWidget(up);
        layout->addWidget(down);
    }
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QStringLiteral("&Find Next"), QDialogButtonBox::ActionRole);
    if (!find_only) {
        buttons->addButton(QStringLiteral("&Replace"), QDialogButtonBox::ActionRole);
        buttons->addButton(QStringLiteral("Replace &All"), QDialogButtonBox::ActionRole);
    }
    buttons->addButton(QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    layout->addWidget(buttons);
    dialog->show();
    block(1) = 0;
}

// Contract: the test loop: "the test" again and again until the player's elapsed time has moved
// on. With no player the time can never move, so the box is shown once.
void serve_test_loop() {
    const auto& clock = ServiceDialogHooks().player_elapsed_time;
    if (!clock) {
        show_test_box(QStringLiteral("the test"));
        return;
    }
    const int32_t start = clock();
    do {
        show_test_box(QStringLiteral("the test"));
    } while (clock() == start);
}

}  // namespace

// Contract: see the header. Reads and writes the block; the services' lasting effects are on the
// view (cursor, scroll), the active document (path, title, modified flag, saving), DisplayScale,
// ScrollSizeRecord, RawMousePoint, MouseRegion, FontTestLogFont, block A, FrontEndCommandBuffer,
// MessageLine and PostCommandAction. With no page window the view's services skip the view and
// the document's services do nothing but answer as for an unmodified document.
void FrontEndService(char tag[4], core::ServiceBlock& block) {
    COrmestView* view = ActiveView();
    COrmestDoc* doc = active_document();
    bool mark = true;
    switch (tag[1]) {
        case 'a':
            mark = serve_save_as(tag, block);
            break;
        case 'b': {
            const QPoint s = view != nullptr ? view->DeviceScrollPosition() : QPoint();
            const double k = view != nullptr ? view->PixelsPerPageUnit() : 0.096;
            block(1) = logical_to_engine(s.x() / k);
            block(2) = logical_to_engine(-s.y() / k);
            mark = false;
            break;
        }
        case 'c':
            if (view != nullptr) view->viewport()->setCursor(cursor_shape(block(1)));
            break;
        case 'd':
            // With no window the page may still hold work: its window comes back to ask.
            if (doc == nullptr) doc = RestorePageWindowForUnsavedWork();
            block(1) = doc == nullptr || doc->SaveModified() ? 1 : 0;
            break;
        case 'e':
            // The engine passes its item-bar word in word 1.
            if (CMainFrame* frame = MainFrameWindow()) frame->OnItemBar(block(1));
            mark = false;
            break;
        case 'f':
            mark = serve_font(block);
            break;
        case 'h':
            if (doc != nullptr) {
                const QString path = block_path(block);
                doc->SetPathName(path);
                if (CMainFrame* frame = MainFrameWindow(); frame != nullptr && !path.isEmpty()) {
                    frame->AddRecentFile(path);
                }
            }
            break;
        case 'i':
            block(1) = doc != nullptr && doc->IsModified() ? 1 : 0;
            break;
        case 'j':
            PostCommandAction = 3;
            mark = false;
            break;
        case 'k':
            mark = serve_zoom(block);
            break;
        case 'l':
            serve_find(block);
            break;
        case 'm':
            if (doc != nullptr) doc->SetModifiedFlag(block(1) != 0);
            break;
        case 'n':
            // The page window shows the engine's title line (during an open, the window of the
            // document being opened).
            SetLastEngineTitleLine(FromCp1252(core::block_text(block)));
            if (COrmestDoc* titled = TitleDocument()) {
                titled->FollowEnginePageName();
                titled->SetTitleLine(LastEngineTitleLine());
            }
            break;
        case 'o': {
            const uint32_t initial = static_cast<uint32_t>(block(1)) & 0xFFFFFF;
            block(1) = -1;
            uint32_t chosen = 0;
            if (run_colour_dialog(initial, chosen))
                block(1) = static_cast<int32_t>(chosen & 0xFFFFFF);
            break;
        }
        case 'p':
            if (view != nullptr) {
                const double k = view->PixelsPerPageUnit();
                view->ScrollToDevicePosition(
                    QPoint(saturate(std::llround(engine_to_logical(block(1)) * k)),
                           saturate(std::llround(-engine_to_logical(block(2)) * k))));
            }
            NoteEngineScroll(block(2) == 0);
            break;
        case 'q':
            serve_test_loop();
            mark = false;
            break;
        case 'r':
            if (run_print_dialog(block(1) != 0)) block(1) = 0;
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
        case 'v':
            // Saving goes through the gate: refused (with a message) while an engine call runs.
            if (doc != nullptr) doc->OnSaveDocument(block_path(block));
            break;
        case 'z': {
            const QSize c = view != nullptr ? view->viewport()->size() : QSize();
            const double k = view != nullptr ? view->PixelsPerPageUnit() : 0.096;
            block(1) = logical_to_engine(c.width() / k);
            block(2) = logical_to_engine(-c.height() / k);
            mark = false;
            break;
        }
        default:
            mark = false;
            break;
    }
    if (mark) tag[0] = '\0';
}

QString RunOpenFileDialog(const QString& title, const QString& filter) {
    if (ServiceDialogHooks().open_file) return ServiceDialogHooks().open_file(title, filter);
    if (DialogsUnattended()) return QString();
    return QFileDialog::getOpenFileName(main_window(), title, QString(), filter);
}

bool RunFontDialog(QFont& font) { return run_font_dialog(font); }

bool RunColourDialog(uint32_t initial, uint32_t& chosen) {
    return run_colour_dialog(initial, chosen);
}

}  // namespace frontend
