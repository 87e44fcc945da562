#include "frontend/bridge/command_bar_text.h"

#include <algorithm>

#include "frontend/bridge/display_lists.h"

namespace frontend {

void StandInCommandBar::SetInputText(const QString& text, int sel_start, int sel_end) {
    const int n = static_cast<int>(text.size());
    input_ = text;
    sel_start_ = std::clamp(sel_start, 0, n);
    sel_end_ = std::clamp(sel_end, sel_start_, n);
}

std::string LineText(std::string_view line) {
    const std::size_t nul = line.find('\0');
    if (nul != std::string_view::npos) return std::string(line.substr(0, nul));
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    return std::string(line);
}

QString ReadInputText(const CommandBarLink& bar) { return bar.InputText().left(kInputReadLimit); }

void SetMessageLineText(CommandBarLink& bar, core::ReplyKind kind, std::string_view text) {
    bar.SetMessageText(FromEngineText(text));
    bar.SetMessageKind(kind);
}

// Contract: writes the input edit only. The caret stands at the given text's length, also when
// the text is empty and the edit keeps its text.
void SetInputText(CommandBarLink& bar, std::string_view text) {
    const QString t = FromCp1252(text);
    const int n = static_cast<int>(t.size());
    bar.SetInputText(t.isEmpty() ? bar.InputText() : t, n, n);
}

void SetInputTextAndSelection(CommandBarLink& bar, std::string_view text, int sel_start,
                              int sel_end) {
    const QString t = FromCp1252(text);
    const int n = static_cast<int>(t.size());
    const int start = std::clamp(sel_start, 0, n);
    bar.SetInputText(t, start, std::clamp(sel_end, start, n));
}

int GetInputTextLength(const CommandBarLink& bar) {
    return static_cast<int>(ReadInputText(bar).size());
}

void TrimInputToMarker(CommandBarLink& bar) {
    const QString t = ReadInputText(bar);
    const qsizetype marker = t.lastIndexOf(QChar(0x0F));
    const QString kept = marker < 0 ? QString() : t.left(marker + 1);
    const int n = static_cast<int>(kept.size());
    bar.SetInputText(kept, n, n);
}

void DropRanLines(CommandBarLink& bar) {
    const QString t = bar.InputText();
    const qsizetype from = t.lastIndexOf(QChar(0x0F)) + 1;
    const qsizetype last_break = t.lastIndexOf(QLatin1Char('\n'));
    if (last_break < from) return;
    const QString kept = t.left(from) + t.mid(last_break + 1);
    const int n = static_cast<int>(kept.size());
    bar.SetInputText(kept, n, n);
}

}  // namespace frontend
