// The command handler table: every palette command by its kind.
#include "frontend/app/command_handlers.h"

#include <QToolBar>
#include <algorithm>

#include "engine/core/tables.h"
#include "frontend/app/frame_state.h"
#include "frontend/app/main_frame.h"
#include "frontend/app/palettes.h"
#include "frontend/app/tool_modes.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/view/ormest_view.h"
#include "output/midi_player.h"

namespace frontend {

namespace {

HandlerSender g_sender;

// The MIDI player's actions (output::control_midi_player).
constexpr int kPlayerStart = 1;
constexpr int kPlayerStop = 2;
constexpr int kPlayerTogglePause = 3;

constexpr int32_t kZoomStep = 8;

const std::string& text_at(const CommandHandlerEntry& e, std::size_t i) {
    static const std::string kNone;
    return i < e.texts.size() ? e.texts[i] : kNone;
}

void send_all(const CommandHandlerEntry& e) {
    for (const std::string& t : e.texts) SendHandlerText(t);
}

// The zoom step's end: the page drawn again at the new scale, and the zoom bar's percentage when
// the bar is shown. Without a document window only the words change.
void after_zoom(int32_t percent) {
    CMainFrame* frame = MainFrameWindow();
    if (frame == nullptr || frame->ActiveChild() == nullptr) return;
    BuildGeometryAndRepaint(nullptr);
    if (ShowZoomBar != 0) {
        frame->SetZoomText(QString::number(percent) + QStringLiteral("%"));
        frame->ZoomBar()->setVisible(true);
    }
}

}  // namespace

void SetHandlerSender(HandlerSender sender) { g_sender = std::move(sender); }

void SendHandlerText(const std::string& text) {
    if (g_sender) {
        g_sender(text);
        return;
    }
    SendCommand(text.c_str());
}

bool HasCommandHandler(int32_t id) {
    switch (id) {
        case kCmdToggleNoteBar:
        case kCmdToggleStaffBar:
        case kCmdToggleTextMode:
        case kCmdCurve:
        case kCmdErase:
        case kCmdRectangleSelection:
            return true;
        default:
            break;
    }
    return PaletteTables().handler_of_id.count(id) != 0;
}

// Contract: writes DisplayScale and PreviousDisplayScale (+8, at most kMaxDisplayScale),
// ZoomButtonFlag (flipped; when it turns on, TextModeActive becomes 0); repaints the active
// document window and writes the truncated percentage into the shown zoom bar.
void OnPaletteZoomPlus() {
    if (ZoomButtonFlag != 0) {
        ZoomButtonFlag = 0;
    } else {
        ZoomButtonFlag = -1;
        TextModeActive = 0;
    }
    DisplayScale = ClampDisplayScale(static_cast<int64_t>(DisplayScale) + kZoomStep);
    PreviousDisplayScale = DisplayScale;
    after_zoom((DisplayScale * 100) >> 6);
}

// Contract: as OnPaletteZoomPlus without the flag, 8 smaller (at least kMinDisplayScale), and
// the rounded percentage.
void OnPaletteZoomMinus() {
    DisplayScale = ClampDisplayScale(static_cast<int64_t>(DisplayScale) - kZoomStep);
    PreviousDisplayScale = DisplayScale;
    after_zoom(static_cast<int32_t>(DisplayScale / 64.0 * 100.0 + 0.5));
}

// Contract: reads the palette tables and CurrentPaletteId; see the header for each kind.
bool RunCommandHandler(int32_t id) {
    switch (id) {
        case kCmdToggleNoteBar:
            OnToggleNoteBar();
            return true;
        case kCmdToggleStaffBar:
            OnToggleStaffBar();
            return true;
        case kCmdToggleTextMode:
            OnToggleTextMode();
            return true;
        case kCmdCurve:
        case kCmdErase:
        case kCmdRectangleSelection:
            return true;
        default:
            break;
    }
    const PaletteData& tables = PaletteTables();
    const auto found = tables.handler_of_id.find(id);
    if (found == tables.handler_of_id.end()) return false;
    // A copy: a handler may run the engine, which may reload nothing but could show palettes.
    const CommandHandlerEntry e = tables.handlers[found->second];
    switch (e.kind) {
        case HandlerKind::Send:
        case HandlerKind::TwoSends:
            send_all(e);
            break;
        case HandlerKind::SendPalette:
            send_all(e);
            ShowPalette(e.palette);
            break;
        case HandlerKind::PaletteSend:
            ShowPalette(e.palette);
            send_all(e);
            break;
        case HandlerKind::Palette:
            ShowPalette(e.palette);
            break;
        case HandlerKind::ByPalette: {
            std::size_t choice = 2;
            for (std::size_t i = 0; i < e.palettes_by_current.size() && i < 2; ++i) {
                if (CurrentPaletteId == e.palettes_by_current[i]) {
                    choice = i;
                    break;
                }
            }
            SendHandlerText(text_at(e, choice));
            break;
        }
        case HandlerKind::GroupEdit:
            core::GroupEditFlag = -1;
            ShowPalette(e.palette >= 0 ? e.palette : 222);
            break;
        case HandlerKind::Return:
            // Blank for a waiting routine, and no engine call: three blanks and the zero.
            core::FrontEndCommandBuffer.blank();
            core::FrontEndCommandBuffer(4) = '\0';
            ShowPalette(e.palette >= 0 ? e.palette : core::kGeneralPalette);
            break;
        case HandlerKind::ZoomPlus:
            OnPaletteZoomPlus();
            break;
        case HandlerKind::ZoomMinus:
            OnPaletteZoomMinus();
            break;
        case HandlerKind::PlayAgain:
            output::control_midi_player(kPlayerStart);
            break;
        case HandlerKind::Pause:
            output::control_midi_player(kPlayerTogglePause);
            break;
        case HandlerKind::StopPlay:
        case HandlerKind::ExitPlay:
            output::control_midi_player(kPlayerStop);
            send_all(e);
            break;
        case HandlerKind::Nothing:
            break;
    }
    return true;
}

}  // namespace frontend
