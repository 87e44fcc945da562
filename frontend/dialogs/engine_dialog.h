// The ground every engine dialog stands on: its class registry (by resource number), a base
// class with the exchange-area words, the number formats and the control names, and Cancel
// handing back what the dialog was given.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/field_number.h"
#include "engine/core/fixed_array.h"
#include "frontend/bridge/dialog_launchers.h"
#include "frontend/bridge/display_lists.h"

class QAbstractButton;
class QLineEdit;
class QPushButton;
class QWidget;

namespace frontend {

// One dialog class: its resource number, its title, how to build it (initialised from the
// exchange area and the engine's lines, ready for exec) and the ids of the controls it must
// have (the sheet test checks them).
struct DialogClass {
    int idd = 0;
    QString title;
    std::function<std::unique_ptr<QDialog>(QWidget* parent)> make;
    std::vector<int> controls;
};

// Adds a class; a second class for one number is a defect (it replaces nothing).
void RegisterDialogClass(DialogClass cls);
// The class of a resource number, nullptr when there is none (the launcher runs the stand-in).
const DialogClass* FindDialogClass(int idd);
// Every class, by resource number.
std::vector<const DialogClass*> AllDialogClasses();
// Builds the class of idd and runs it modally; returns its end code.
int ExecDialogClass(const DialogClass& cls, QWidget* parent);

// The registration of each family of dialogs (one file each).
void RegisterParameterDialogs();    // parameter editors and item values
void RegisterSmallDialogs();        // notices, prompts, drawing, selection, spacing range
void RegisterPrintSetupDialogs();   // print setup, bounding box, batch and file names
void RegisterSoundDialogs();        // sound
void RegisterPreferencesDialogs();  // preferences
void RegisterPageLayoutDialogs();   // paper size, page layout, measure numbers, parts
void RegisterQuestionDialogs();     // questions and notices
void RegisterTextEntryDialogs();    // text and typed-music entry
void RegisterStaffDialogs();        // staff and system
void RegisterSetupDialogs();        // transpose and tablature setup
void RegisterListDialogs();         // symbol library, path list, music directory

// A control's object name: "c" + its id (how tests and the sheet find it).
QString ControlName(int id);
// Names a control by its id and gives it back.
void NameControl(QWidget* w, int id);
template <typename W>
W* NamedControl(W* w, int id) {
    NameControl(w, id);
    return w;
}
// A push button of an id that is not the default button (Enter stays with OK).
QPushButton* ControlButton(QWidget* parent, int id, const QString& label);

// An engine line as a dialog shows it: up to its NUL, without trailing blanks.
template <int N>
QString ShownLine(const core::FixedText<N>& line) {
    return FromCp1252(line.c_text());
}

// Stores text into an engine line as a C dialog does: cut to N - 1 characters, NUL-ended, the
// rest blank.
template <int N>
void StoreLine(core::FixedText<N>& line, const QString& text) {
    std::string s = ToCp1252(text);
    if (s.size() > static_cast<std::size_t>(N - 1)) s.resize(static_cast<std::size_t>(N - 1));
    line.set(s);
    line(static_cast<int>(s.size()) + 1) = '\0';
}

// Hands a dialog's answer (bytes as the engine keeps them) to the engine in MessageLine, an
// exchange and no reply: cut to max characters (at most 511) and NUL-ended.
void StoreAnswerBytes(std::string bytes, std::size_t max = 511);
// StoreAnswerBytes of the text as the engine's bytes.
void StoreAnswerLine(const QString& text);

// File names a dialog field holds whole (no 47-character cut); a longer name is refused.
constexpr int kWholeNameChars = 128;

// A name preset for a dialog: the whole path of FrontEndPathBuffer when FrontEndCommandBuffer
// holds its head, else FrontEndCommandBuffer.
QString ShownWholeName();

// Stores a typed name as the engine takes it back: whole in FrontEndPathBuffer, its head in
// FrontEndCommandBuffer.
void StoreWholeName(const QString& text);

// Base of the engine dialogs. It keeps a copy of the exchange area, MessageLine and
// FrontEndCommandBuffer as they were when it was built; Cancel, Escape and the close box put
// them back and end with cancel_result() (2 unless the class says otherwise), so a dialog that
// is left never changes what its launcher copies back.
class CEngineDialog : public QDialog {
  public:
    CEngineDialog(int idd, const QString& title, QWidget* parent);
    ~CEngineDialog() override;

    int idd() const { return idd_; }
    void reject() override;

  protected:
    void SetCancelResult(int code) { cancel_result_ = code; }
    int cancel_result() const { return cancel_result_; }
    // Cancel then keeps what the dialog changed (a dialog whose Cancel is meant to store).
    void KeepChangesOnCancel() { restore_on_cancel_ = false; }
    // Ends the dialog with code (as a button handler does).
    void End(int code) { done(code); }

    // Exchange words, numbered from 0.
    static int32_t& A(int k);
    static int32_t& B(int k);
    static int32_t& C(int k);
    static float Real(ExchangeBlock block, int k);
    static void SetReal(ExchangeBlock block, int k, float v);

    // Names a control "c" + id and gives it back.
    template <typename W>
    static W* Named(W* w, int id) {
        return NamedControl(w, id);
    }
    // The control of an id, nullptr when there is none.
    template <typename W>
    W* Control(int id) const {
        return findChild<W*>(ControlName(id));
    }

  private:
    int idd_;
    int cancel_result_ = 2;
    bool restore_on_cancel_ = true;
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

// Numbers as the dialogs show and read them (C formats; a field that does not begin with a
// number leaves its word).
QString FormatInt(int32_t v);                     // "%d"
QString FormatReal(float v);                      // "%f"
QString FormatReal(const char* format, float v);  // any one-number printf format
// A whole-number field: a number too big in size for the word is never wrapped; it leaves the
// word as a field with no number does, and ReadIntField tells it apart for a dialog that refuses
// it.
core::FieldNumber ReadIntField(const QString& text, int32_t& word);
bool ReadInt(const QString& text, int32_t& word);  // false and word kept unless Taken
// As ReadInt, but a number too big in size for the word is held to the word's nearest end, as
// typed numbers are.
bool ReadIntSaturating(const QString& text, int32_t& word);
bool ReadReal(const QString& text, float& word);  // "%f": the same

}  // namespace frontend
