// The command bar: the docked strip with the message line (control 1000: the engine's replies
// and prompts) and the input edit (control 1001: command lines and answers are typed there).
//
// The input edit turns keys into what the engine knows: special keys become key tokens ("~~"
// and three digits) while a wait or key mode asks for them, every key and character while key
// mode is on goes to the engine at once ("~~~", the character and its scan code), the wheel
// scrolls the page, F1 opens the help page of the item being edited. A typed line runs when
// the main Enter key ends the edit's text; only the last line of a text of several runs. While
// an engine routine waits for a typed line, the line goes to it instead; while one waits for a
// key, every key goes to it whole and the edit takes none.
//
// Texts cross to the engine in its own model: CP1252, a line break is CR LF and counts two.
#pragma once

#include <QDockWidget>
#include <QPlainTextEdit>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "frontend/bridge/command_bar_text.h"

class CCommandBar;

// The input edit (control 1001).
class CCommandEdit : public QPlainTextEdit {
  public:
    explicit CCommandEdit(CCommandBar* bar, QWidget* parent = nullptr);

    // The key-down of key vk with its flags (scan code, 0x100 extended, 0x4000 repeat). Counts
    // special keys, sends the key's token when one is due, keeps the key for the waits. True
    // when the edit's own handling of the key follows.
    bool OnKeyDown(int32_t vk, int32_t flags);
    // The character a key typed (CP1252). In key mode it goes to the engine as a token and does
    // not enter the edit (false); otherwise the edit takes it (true).
    bool OnChar(int32_t ch, int32_t flags);
    // A key while a command-or-key wait runs: its character (or number) and key-down word go
    // to the wait, and the edit does not take it.
    void OnWaitKey(const QKeyEvent& event);
    // Scrolls the active view: vertical and horizontal wheel amounts (120 a notch; positive
    // towards the page's top and left).
    void OnMouseWheel(int delta_vertical, int delta_horizontal);
    // Opens the help page of the item being edited, when there is one.
    void OnHelpInfo();

    // The text and selection in the engine's model; setting them tells no change handler.
    QString EngineText() const;
    void SetEngineText(const QString& text, int sel_start, int sel_end);
    int EngineSelectionStart() const;
    int EngineSelectionEnd() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void OnTextChanged();
    // In key mode the engine edits its own copy of the line, which the bar shows. A character
    // typed over a selection, or Backspace or Delete with one, first takes the selected text
    // out of both; true when that was the key's whole work (Backspace, Delete).
    bool TakeSelectionForKey(const QKeyEvent& event);
    // Whether the bar shows the engine's copy of the line as it stands (a paste shows more).
    bool ShowsEngineLine() const;
    // A letter beyond ASCII typed in key mode: the engine's line editor keeps one Windows-1252
    // byte a key, so the edit takes over the line as it stands and the rest of it, which Enter
    // then runs as any typed line (UTF-8). True when the edit took it over.
    bool TakeLineFromEngine(const QKeyEvent& event);
    // Engine position <-> edit position.
    int ToEditPosition(int engine_position) const;
    int ToEnginePosition(int edit_position) const;

    CCommandBar* bar_ = nullptr;
    bool rewriting_ = false;       // the program itself sets the text
    bool in_key_press_ = false;    // the edit's own key handling runs
    bool changed_in_key_ = false;  // ... and it changed the text
    // Whether a press of the main Enter is the held key's repeat rather than a new stroke.
    bool EnterPressIsRepeat(const QKeyEvent& event);

    // The main Enter: whether it came up since its last press, and when (the window system's
    // stamp in ms; 0 for an event the program made, which carries none).
    bool enter_released_ = true;
    quint64 enter_release_time_ = 0;
};

class CCommandBar : public QDockWidget, public CommandBarLink {
    Q_OBJECT

  public:
    explicit CCommandBar(QWidget* parent = nullptr);
    ~CCommandBar() override;

    QPlainTextEdit* MessageEdit() const { return message_; }  // control 1000
    CCommandEdit* InputEdit() const { return input_; }        // control 1001

    // -- CommandBarLink (the engine's model) --
    // Shows text with its CR LF breaks as lines and other control characters as "?".
    void SetMessageText(const QString& text) override;
    // A failure shows in the warning colour the failure box uses, bold; the property
    // "failure" tells which look the line has.
    void SetMessageKind(core::ReplyKind kind) override;
    QString InputText() const override;
    void SetInputText(const QString& text, int sel_start, int sel_end) override;
    int SelectionStart() const override;
    int SelectionEnd() const override;
    // The message line's text in the engine's model.
    QString MessageText() const;

    // Each change of the input edit's text by the user: a text that the main Enter key ended
    // with a line feed gives its last line to a waiting routine or runs it.
    void OnChangeCommandEdit();
    // What the main Enter key at the end of the input edit's text does.
    void RunTypedLine();
    // Sends a key token (a zero byte may end it): the special-key count and key mode are
    // cleared; a busy engine gets it deposited for its waiting routine, an idle one runs it
    // through the gate and its reply is shown.
    void SendKeyToken(std::string_view token);

  private:
    // Runs one typed line (with its CR LF) through the gate.
    void RunLine(const std::string& line);
    // Runs line through the gate; when the engine did not stop at a prompt (status nonzero) the
    // output is decoded and the reply shown.
    void RunThroughGate(core::FixedText<512>& line);

    QPlainTextEdit* message_ = nullptr;
    CCommandEdit* input_ = nullptr;
};

namespace frontend {

// The wheel's remembered vertical position, in tens of page units (0 or below while the page
// is scrolled down); the horizontal wheel moves the page from where it stands.
extern int32_t WheelVertical;

// The longest typed line TypedLine keeps: its text, then CR LF, in 256 characters with room
// for the end.
constexpr int kTypedLineText = 253;

// The page of the item being edited in the help folder (the folder of HelpFilePath and the
// topic the interpreter left); empty when there is no such page.
QString HelpTopicFile();

// Puts the command bar's words back to their start values (tests; the application's start).
void ResetCommandBarWords();

}  // namespace frontend
