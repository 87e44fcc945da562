// The engine's command-bar text services: the message line (control 1000) and the input edit
// (control 1001), set and read through CommandBarLink. The engine counts in its own text model:
// CP1252 bytes, every line break a carriage return and a line feed; the command bar converts.
// Without a window a stand-in keeps the two texts and the selection.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "engine/core/bridge/reply_kind.h"
#include "engine/core/fixed_array.h"

// What the engine's command-bar services need of the command bar. Texts are Unicode in the
// engine's model (a line break is CR LF and counts two); positions count the same way.
class CommandBarLink {
  public:
    virtual ~CommandBarLink() = default;
    virtual void SetMessageText(const QString& text) = 0;  // control 1000
    // The kind of the reply the message line shows (after SetMessageText, which shows a
    // notice): a failure must look like one.
    virtual void SetMessageKind(core::ReplyKind /*kind*/) {}
    virtual QString InputText() const = 0;  // control 1001
    virtual void SetInputText(const QString& text, int sel_start, int sel_end) = 0;
    virtual int SelectionStart() const = 0;
    virtual int SelectionEnd() const = 0;
};

namespace frontend {

// The input edit's text as the services read it: at most this many characters.
constexpr int kInputReadLimit = 1023;

// A command bar without a window: the texts and the selection, nothing shown.
class StandInCommandBar : public CommandBarLink {
  public:
    void SetMessageText(const QString& text) override {
        message_ = text;
        kind_ = core::ReplyKind::Notice;
    }
    void SetMessageKind(core::ReplyKind kind) override { kind_ = kind; }
    QString InputText() const override { return input_; }
    void SetInputText(const QString& text, int sel_start, int sel_end) override;
    int SelectionStart() const override { return sel_start_; }
    int SelectionEnd() const override { return sel_end_; }
    const QString& MessageText() const { return message_; }
    core::ReplyKind MessageKind() const { return kind_; }

  private:
    QString message_;
    core::ReplyKind kind_ = core::ReplyKind::Notice;
    QString input_;
    int sel_start_ = 0;
    int sel_end_ = 0;
};

// A line of the engine as text: up to its NUL; without one, without its trailing blanks.
std::string LineText(std::string_view line);
template <int N>
std::string LineText(const core::FixedText<N>& line) {
    return LineText(line.view());
}

// The input edit's text, at most kInputReadLimit characters.
QString ReadInputText(const CommandBarLink& bar);

// Shows text (CP1252, up to its NUL) in the message line as a reply of the given kind.
void SetMessageLineText(CommandBarLink& bar, core::ReplyKind kind, std::string_view text);
// A non-empty text replaces the input edit's text; the caret goes to the text's length.
void SetInputText(CommandBarLink& bar, std::string_view text);
// The text (also an empty one) replaces the input edit's text; start..end is selected (clamped
// to the text).
void SetInputTextAndSelection(CommandBarLink& bar, std::string_view text, int sel_start,
                              int sel_end);
// Length of the input edit's text, at most kInputReadLimit.
int GetInputTextLength(const CommandBarLink& bar);
// Cuts the input edit's text after its last 0x0F byte (the marker stays, so that the next cut
// finds it again); with no marker the edit becomes empty. The caret goes to the end.
void TrimInputToMarker(CommandBarLink& bar);

// Takes out of the input edit the lines that already ran or were taken: every line before the
// text's last line break, with that break (a 0x0F marker and what comes before it stay). A
// line being typed after the last break stays; the caret goes to the end.
void DropRanLines(CommandBarLink& bar);

}  // namespace frontend
