// COrmestDoc: the document of one page window. It holds nothing of the music: the engine keeps
// the page. Opening reads the file, stages its words in the graphics list and asks the engine to
// load them ("~~R" and the path); saving asks the engine to write the page ("~~W" and the path).
// Both go through the engine gate, never straight into the interpreter.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

class COrmestDoc;

namespace frontend {

// The path of the last document opened, as handed to the engine.
extern std::string OpenedPathCopy;

// The longest path the engine can take: "~~R" or "~~W" and the path fill one 512-character line.
constexpr int kLongestDocumentPath = 509;
// Paths up to this length travel in FrontEndCommandBuffer (with their closing zero); longer
// ones in the engine's whole-path buffer.
constexpr int kCommandBufferPath = 47;

// Why a file was not staged.
enum class StageResult {
    Ok,
    Unreadable,  // cannot be opened, or fewer than 4 bytes
    Short,       // ends before the words its count announces
    TooLarge,    // its words do not fit the graphics list
    BadTail,     // data after the counted words that is not exactly as long again
};

// Reads the document file at path into the gate's GraphicsList: word 0 (and GraphicsListLength)
// = the low 16 bits of its first four bytes (N), words 1.. = its bytes from the fifth on, at
// most 4 N of them. The engine realigns a file whose count is 16 bits wide. Data beyond that is
// accepted only when it is exactly 4 N bytes more, and then counts as N further words. The
// graphics list is written only on Ok.
StageResult StageDocumentFile(const QString& path);

// The message shown for a document that cannot be opened or saved; tests replace it.
using DocumentMessageHook = std::function<void(const QString&)>;
void SetDocumentMessageHook(DocumentMessageHook hook);

// The answer to "Save changes to <name>?": QMessageBox::Yes, No or Cancel. Tests replace the
// box with a hook that gets the question's text; null puts the box back.
using SaveQuestionHook = std::function<int(const QString&)>;
void SetSaveQuestionHook(SaveQuestionHook hook);

// The document that takes the engine's title line: the one being opened during an open (its
// window does not exist yet), else the active window's; null when there is none.
COrmestDoc* TitleDocument();

// True while a document's open or save runs its engine call (the document itself follows the
// page then, not the active window).
bool DocumentFileCallUnderWay();

// The engine's page as a canonical file name; empty when the page has no file behind it.
QString EnginePageFile();

// Whether the engine's page was reset: it names the page anew when its next command starts it,
// so until then the page is a new document whatever name is left behind.
bool EnginePageWasReset();

// Whether leaving the engine's page would lose work: it has unsaved changes or an item is being
// edited (not yet stored).
bool EnginePageHasUnsavedWork();

// The engine's last title line, kept also while no document window takes it, so that a window
// brought back for the page shows it.
const QString& LastEngineTitleLine();
void SetLastEngineTitleLine(const QString& line);

}  // namespace frontend

class COrmestDoc : public QObject {
    Q_OBJECT

  public:
    explicit COrmestDoc(QObject* parent = nullptr);
    ~COrmestDoc() override;

    // A new, untitled document ("Melandrix1", "Melandrix2" ...), not modified. The engine's page
    // is not touched: the engine clears it on its own commands.
    bool OnNewDocument();
    // Opens path through the engine. False, with a message, when the file is unreadable, too
    // short or too large or its path too long, or when the engine could not load it (the
    // engine has shown why); the page is then as the engine left it.
    bool OnOpenDocument(const QString& path);
    // Saves the page through the engine under path. True only when the engine reports success
    // and the file was written by this save; otherwise false with a message.
    bool OnSaveDocument(const QString& path);

    // Save under the current path, or ask for one when the document has none.
    bool DoFileSave();
    // Ask for a name (preset: the current one) and save under it; false when cancelled or failed.
    bool DoSaveAs();
    // When modified: asks "Save changes to <name>?" (Yes / No / Cancel; Enter and Escape
    // cancel). Yes saves as File > Save does. False when the user cancels or the save fails.
    bool SaveModified();

    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true);
    const QString& PathName() const { return path_; }
    void SetPathName(const QString& path);
    const QString& Title() const { return title_; }
    // The engine's title line for this document (name, saved state, item count, paper); empty
    // until the engine has sent one.
    const QString& TitleLine() const { return title_line_; }
    void SetTitleLine(const QString& line);
    // A named document whose page the engine made a new page (its name cleared, as RS and New
    // do) becomes untitled: its next save asks for a name instead of writing over the file.
    void FollowEnginePageName();
    // What the window's title shows: the title line, with the document's name in front when
    // the line is only the paper of an empty page.
    QString ShownTitle() const;
    // Whether ShownTitle is the engine's title line of a page with items, which says itself
    // whether the page is saved (" * (not saved - "): the window then adds no mark of its own.
    bool TitleTellsChanges() const;
    // True when the engine's page is this document: an untitled document holds a page that has
    // no file, a named one only the page read from or written to its own file.
    bool HoldsEnginePage() const;

  signals:
    void titleChanged(const QString& title);
    // A save succeeded (for the recent-file list).
    void documentSaved(const QString& path);
    void modifiedChanged(bool modified);

  private:
    QString path_;
    QString title_;
    QString title_line_;
    bool modified_ = false;
};
