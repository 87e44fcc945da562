// Opening and saving documents through the engine.
#include "frontend/view/ormest_doc.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>
#include <QPointer>
#include <algorithm>
#include <map>

#include <sys/stat.h>

#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/view/frames.h"
#include "platform/file_kind.h"
#include "platform/paths.h"

namespace frontend {

std::string OpenedPathCopy;

namespace {

DocumentMessageHook g_message_hook;
SaveQuestionHook g_save_question_hook;
int g_untitled_count = 0;
// The document an open is under way for.
COrmestDoc* g_opening = nullptr;
bool g_saving = false;

const QString kDocumentFilter =
    QStringLiteral("Melandrix Files (*.mus *.MUS *.pag *.PAG);;All Files (*)");

QWidget* dialog_parent() {
    QMdiArea* area = DocumentArea();
    return area != nullptr ? area->window() : nullptr;
}

void show_document_message(const QString& text) {
    if (g_message_hook) {
        g_message_hook(text);
        return;
    }
    QMessageBox::warning(dialog_parent(), QStringLiteral("Melandrix"), text);
}

// What the file system says about a file, to tell whether a save wrote it.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified {};
    bool same_as(const FileStamp& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

FileStamp stamp_of(const std::string& path) {
    FileStamp s;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modified = st.st_mtim;
    return s;
}

// Little-endian words from bytes; a last partial word is padded with zero bytes.
void put_bytes_as_words(const QByteArray& bytes, int32_t first_word) {
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; i += 4) {
        uint32_t w = 0;
        for (qsizetype k = 0; k < 4 && i + k < n; ++k) {
            w |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + k])) << (8 * k);
        }
        GraphicsList[static_cast<std::size_t>(first_word + i / 4)] = static_cast<int32_t>(w);
    }
}

// The engine's name for a path: the file system's bytes.
std::string engine_path(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The file a path names, with links and "." and ".." resolved; empty when there is none.
QString canonical_path(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

// The files a save of path may write: path itself and path with an extension added (the engine
// gives a name without one the page's extension or ".MUS"), each with its stamp before the save.
struct SaveTargets {
    QString typed;  // path made absolute
    std::map<QString, FileStamp> stamps;

    explicit SaveTargets(const QString& path) : typed(whole_path(path)) {
        const QFileInfo info(typed);
        const QDir folder = info.absoluteDir();
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const QString whole = whole_path(folder.absoluteFilePath(name));
            if (is_target(whole)) stamps[whole] = stamp_of(engine_path(whole));
        }
    }
    static QString whole_path(const QString& path) {
        return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    }
    bool is_target(const QString& whole) const {
        return whole == typed || whole.startsWith(typed + QLatin1Char('.'));
    }
    // The file the engine named the page after, when it is one of the targets and this save
    // wrote it (it is there, not empty, and new or changed); empty otherwise.
    QString written(const QString& named) const {
        if (named.isEmpty()) return {};
        const QString whole = whole_path(named);
        if (!is_target(whole)) return {};
        const FileStamp after = stamp_of(engine_path(whole));
        const auto before = stamps.find(whole);
        const bool changed = before == stamps.end() || !after.same_as(before->second);
        return after.exists && after.size > 0 && changed ? whole : QString();
    }
};

}  // namespace

void SetDocumentMessageHook(DocumentMessageHook hook) { g_message_hook = std::move(hook); }

void SetSaveQuestionHook(SaveQuestionHook hook) { g_save_question_hook = std::move(hook); }

COrmestDoc* TitleDocument() {
    if (g_opening != nullptr) return g_opening;
    CChildFrame* child = ActiveChildFrame();
    return child != nullptr ? child->Document() : nullptr;
}

bool DocumentFileCallUnderWay() { return g_opening != nullptr || g_saving; }

QString EnginePageFile() {
    const std::string name = core::CurrentFileName.trimmed();
    if (name.empty()) return {};
    return canonical_path(QFile::decodeName(QByteArray::fromStdString(name)));
}

bool EnginePageWasReset() {
    return core::DocumentStarted == 0 || core::CurrentFileName.trimmed() == core::kNewPageName;
}

bool EnginePageHasUnsavedWork() {
    return core::ChangesMadeFlag != 0 || core::EditedItemNumber != 0;
}

namespace {
QString& last_title_line() {
    static QString line;
    return line;
}
}  // namespace

const QString& LastEngineTitleLine() { return last_title_line(); }
void SetLastEngineTitleLine(const QString& line) { last_title_line() = line; }

// Contract: reads the file; writes GraphicsList and GraphicsListLength only on Ok. A file whose
// bytes after the first four are fewer than its count announces (4 N, or 4 N - 2 when the count
// is 16 bits wide) is Short; a list that would not fit the graphics list is TooLarge.
StageResult StageDocumentFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return StageResult::Unreadable;
    const QByteArray head = file.read(4);
    if (head.size() != 4) return StageResult::Unreadable;
    const int32_t n = static_cast<int32_t>(static_cast<unsigned char>(head[0]) |
                                           (static_cast<unsigned char>(head[1]) << 8));
    if (1 + n > kGraphicsListWords) return StageResult::TooLarge;
    const qint64 want = 4LL * n;
    const QByteArray first = file.read(want);
    if (first.size() < std::max<qint64>(want - 2, 0)) return StageResult::Short;
    int32_t total = n;
    QByteArray second;
    if (n != 0) {
        second = file.read(want);
        if (second.size() == want) {
            // Exactly as long again, not longer.
            if (!file.read(1).isEmpty()) return StageResult::BadTail;
            if (1 + 2 * n > kGraphicsListWords) return StageResult::TooLarge;
            total = 2 * n;
        } else if (!second.isEmpty()) {
            return StageResult::BadTail;
        }
    }
    GraphicsList[0] = total;
    GraphicsListLength = total;
    put_bytes_as_words(first + second, 1);
    return StageResult::Ok;
}

}  // namespace frontend

using namespace frontend;

COrmestDoc::COrmestDoc(QObject* parent) : QObject(parent) {}

COrmestDoc::~COrmestDoc() = default;

void COrmestDoc::SetModifiedFlag(bool modified) {
    if (modified_ == modified) return;
    modified_ = modified;
    emit modifiedChanged(modified_);
}

void COrmestDoc::SetPathName(const QString& path) {
    path_ = path;
    title_ = QFileInfo(path).fileName();
    emit titleChanged(title_);
}

void COrmestDoc::SetTitleLine(const QString& line) {
    title_line_ = line.trimmed();
    emit titleChanged(title_);
}

void COrmestDoc::FollowEnginePageName() {
    if (path_.isEmpty() || !EnginePageWasReset()) return;
    path_.clear();
    title_ = QStringLiteral("Melandrix%1").arg(++g_untitled_count);
    emit titleChanged(title_);
}

QString COrmestDoc::ShownTitle() const {
    if (title_line_.isEmpty()) return title_;
    // An empty page's line holds only its paper ("<Letter>").
    if (title_line_.startsWith(QLatin1Char('<')))
        return title_ + QStringLiteral("  ") + title_line_;
    return title_line_;
}

bool COrmestDoc::TitleTellsChanges() const {
    return !title_line_.isEmpty() && !title_line_.startsWith(QLatin1Char('<'));
}

// Contract: only two files that both exist and differ tell a named document from the page; a
// name that cannot be resolved (the file gone, a relative name from another folder) is not
// taken as another page.
bool COrmestDoc::HoldsEnginePage() const {
    const QString page = EnginePageFile();
    if (path_.isEmpty()) return page.isEmpty();
    const QString own = canonical_path(path_);
    return own.isEmpty() || page.isEmpty() || own == page;
}

bool COrmestDoc::OnNewDocument() {
    path_.clear();
    title_line_.clear();
    title_ = QStringLiteral("Melandrix%1").arg(++g_untitled_count);
    SetModifiedFlag(false);
    emit titleChanged(title_);
    return true;
}

// Contract: stages the file in GraphicsList (refusing it, with a message and without calling
// the engine, when it is unreadable, short or too large, or when an engine call is under way:
// the staged words would overwrite the running call's output), sends "~~R" and the path through
// the gate, decodes the output and shows the reply. The open fails unless the engine has named
// the page after the file (it does so only for a load that succeeded): the engine's name is
// absolute, so both names are compared as canonical paths, the typed one resolved before the
// call (a load moves the current folder to the document's). The document keeps the absolute
// path. After a load, a document window that the engine's reset left pending (the first, empty
// window of the start) is closed.
bool COrmestDoc::OnOpenDocument(const QString& path) {
    const std::string local = engine_path(path);
    if (local.empty() || static_cast<int>(local.size()) > kLongestDocumentPath) {
        show_document_message(QStringLiteral("The path is too long to open: ") + path);
        return false;
    }
    if (EngineBusy()) {
        show_document_message(
            QStringLiteral("A document cannot be opened while a command is waiting for input."));
        return false;
    }
    QPointer<CChildFrame> pending;
    if (DocumentResetPending != 0) pending = ActiveChildFrame();
    OpenedPathCopy = local;

    switch (StageDocumentFile(path)) {
        case StageResult::Ok:
            break;
        case StageResult::Unreadable:
            // Links that lead round in a loop are told as such, as the command bar's get does.
            if (platform::file_kind(local) == platform::FileKind::Loop) {
                show_document_message(QStringLiteral("The document file ") + path +
                                      QStringLiteral(" is a link that leads round in a loop."));
            } else {
                show_document_message(QStringLiteral("Cannot read the document file ") + path);
            }
            return false;
        case StageResult::Short:
            show_document_message(QStringLiteral("The document file is too short: ") + path);
            return false;
        case StageResult::TooLarge:
            show_document_message(QStringLiteral("The document file is too large: ") + path);
            return false;
        case StageResult::BadTail:
            show_document_message(QStringLiteral("The document file has data after its end: ") +
                                  path);
            return false;
    }

    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QString wanted = canonical_path(path);
    // The title line the engine sends during the load is this document's.
    struct Opening {
        explicit Opening(COrmestDoc* doc) { g_opening = doc; }
        ~Opening() { g_opening = nullptr; }
    } opening(this);
    core::FixedText<512> line("~~R" + local);
    int32_t status = 0;
    // The engine marks the page it loads as changed or not through the active window, which
    // during an open is still the window before (this document has none yet): that window's
    // own mark is put back afterwards.
    QPointer<COrmestDoc> active;
    if (CChildFrame* child = ActiveChildFrame(); child != nullptr && child->Document() != this)
        active = child->Document();
    const bool active_modified = !active.isNull() && active->IsModified();
    if (RunEngineLine(line, status) != 0) show_document_message(FromCp1252(line.view()).trimmed());
    if (!active.isNull()) active->SetModifiedFlag(active_modified);
    // The engine names the page after the file only when it loaded it (a failed or declined
    // load puts the old name back); -1 is its word for a failed read.
    const QString named =
        QFile::decodeName(QByteArray::fromStdString(core::CurrentFileName.trimmed()));
    const bool loaded =
        core::CommandModeLetters(1) != -1 && !wanted.isEmpty() && canonical_path(named) == wanted;
    DecodeDisplayLists(nullptr);
    if (Hooks().show_reply) Hooks().show_reply(line.view());
    if (loaded && DocumentResetPending != 0) {
        if (!pending.isNull()) pending->CloseDocument();
        DocumentResetPending = 0;
    }
    OpenedPathCopy = local;
    if (Hooks().focus_input) Hooks().focus_input();
    if (!loaded) return false;
    SetPathName(absolute);
    // A document that loaded only in part counts as changed, so that closing asks.
    SetModifiedFlag(core::ChangesMadeFlag != 0);
    return true;
}

// Contract: puts the path in FrontEndCommandBuffer (up to 47 characters, then a zero) or, when
// longer, in FrontEndPathBuffer, and sends "~~W" and the path through the gate; decodes the
// output and shows the reply. Success needs both the engine's word (CommandModeLetters(1) = 0)
// and the file: present, not empty, and new or changed by this save (the engine writes a new
// file and renames it over the old one). Refused while an engine call is under way. The path
// left in either buffer is blanked afterwards, so it can never run as a command.
bool COrmestDoc::OnSaveDocument(const QString& path) {
    const std::string local = engine_path(path);
    if (local.empty() || static_cast<int>(local.size()) > kLongestDocumentPath) {
        show_document_message(QStringLiteral("The path is too long to save under: ") + path);
        return false;
    }
    if (EngineBusy()) {
        show_document_message(
            QStringLiteral("The document cannot be saved while a command is waiting for input."));
        return false;
    }
    const SaveTargets targets(path);
    core::FrontEndCommandBuffer.blank();
    core::FrontEndPathBuffer.blank();
    if (static_cast<int>(local.size()) <= kCommandBufferPath) {
        const int n = static_cast<int>(local.size());
        core::FrontEndCommandBuffer.put(1, n, local);
        core::FrontEndCommandBuffer(n + 1) = '\0';
    } else {
        core::FrontEndPathBuffer.set(local);
    }

    core::FixedText<512> line("~~W" + local);
    int32_t status = 0;
    g_saving = true;
    const int32_t refused = RunEngineLine(line, status);
    g_saving = false;
    if (refused != 0) show_document_message(FromCp1252(line.view()).trimmed());
    const bool engine_ok = core::CommandModeLetters(1) == 0;
    if (core::FrontEndCommandBuffer.c_text() == local) core::FrontEndCommandBuffer.blank();
    if (core::FrontEndPathBuffer.trimmed() == local) core::FrontEndPathBuffer.blank();
    DecodeDisplayLists(nullptr);
    if (Hooks().show_reply) Hooks().show_reply(line.view());

    // The file is the one the engine wrote: the name as typed, with the extension it added.
    const QString written = targets.written(
        QFile::decodeName(QByteArray::fromStdString(core::CurrentFileName.trimmed())));
    if (!engine_ok || written.isEmpty()) {
        show_document_message(QStringLiteral("The document was not saved: ") + path);
        return false;
    }
    if (written != path_) SetPathName(written);
    SetModifiedFlag(false);
    // The page now has this file's name: windows of other files no longer show theirs.
    CloseWindowsOfOtherPages(qobject_cast<CChildFrame*>(parent()));
    emit documentSaved(written);
    return true;
}

// Contract: a document whose file is no longer the engine's page (another file was loaded into
// the page since) is never saved under its name: that would write another page over its file.
bool COrmestDoc::DoFileSave() {
    if (path_.isEmpty()) return DoSaveAs();
    // The data folder is only read: a page read from it is saved as a new page is, by name.
    if (platform::in_data_folder(platform::local_path(path_.toStdString()))) return DoSaveAs();
    if (!HoldsEnginePage()) {
        show_document_message(
            QStringLiteral("%1 is no longer the page in the editor: it was not saved.")
                .arg(title_));
        return false;
    }
    return OnSaveDocument(path_);
}

bool COrmestDoc::DoSaveAs() {
    const bool from_data_folder =
        !path_.isEmpty() && platform::in_data_folder(platform::local_path(path_.toStdString()));
    const QString preset = path_.isEmpty() || from_data_folder ? title_ : path_;
    // The engine asks before it writes over a file (and only then: not over the page's own,
    // unchanged file), so the dialog does not ask a second time.
    const QString name =
        QFileDialog::getSaveFileName(dialog_parent(), QStringLiteral("Save As"), preset,
                                     kDocumentFilter, nullptr, QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty()) return false;
    return OnSaveDocument(name);
}

// Contract: a stray Enter or Escape must not lose the page: both keep the document open.
// An item being edited is work not yet in the page: it is asked about as a change is.
bool COrmestDoc::SaveModified() {
    if (!modified_ && !(core::EditedItemNumber != 0 && HoldsEnginePage())) return true;
    const QString question = QStringLiteral("Save changes to %1?").arg(title_);
    int answer = QMessageBox::Cancel;
    if (g_save_question_hook) {
        answer = g_save_question_hook(question);
    } else {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Melandrix"), question,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, dialog_parent());
        box.setDefaultButton(QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        answer = box.exec();
    }
    if (answer == QMessageBox::No) return true;
    if (answer != QMessageBox::Yes) return false;
    return DoFileSave();
}
