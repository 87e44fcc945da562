// Document files: the byte format of saved documents, undo and redo copies and backups, its
// writer, its two readers (a file, or a block the front-end has already read) with the repair
// of what they load, and the steps that put the words read into the item store.
//
// Format (little-endian, no padding): a count N of the words that follow, as a 16-bit integer
// when N <= 14200 and as a 32-bit integer otherwise; N 32-bit reals, the item records
// [n, P1..Pn] packed from word 1 and then the trailer [level, MetricFlag, 4.0, -9999.0];
// in a work copy (FileMode 2) the document's name follows the words (see write_document).
//
// The readers never touch the item store: they read into a words array (the load command
// passes ItemStoreScratch), repair and check it, and only then may the caller replace the
// store or append to it. A file that fails any check leaves the page as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/core/fixed_array.h"
#include "engine/core/tables.h"
#include "platform/file_identity.h"

namespace core {

constexpr int32_t kDocumentReadUnit = 3;
constexpr int32_t kDocumentWriteUnit = 21;
constexpr int32_t kDocumentLevel = 6;  // every save and every undo or redo copy
constexpr float kDocumentEndMarker = -9999.0f;
constexpr int32_t kShortCountLimit = 14200;  // counts up to this are written in 16 bits
constexpr int32_t kDocumentTrailerWords = 4;
constexpr int kDocumentNameField = 128;  // a stored name takes whole blocks of this size
constexpr int32_t kLongestRecord = 45;   // parameters kept on load, text items apart
constexpr int32_t kShortestRecord = 3;   // parameters every loaded record has at least

// A words array of the store's size: the store itself when writing, ItemStoreScratch when
// reading.
using DocumentWords = Array1<float, kItemStoreWords>;

enum class DocumentStatus {
    Ok,
    NotFound,      // the file could not be opened for reading
    BadFormat,     // count, end marker or trailer wrong, or the file ends early
    TooLarge,      // more words than the store can hold
    NotADocument,  // a front-end block that holds no document (a message box was shown)
    WriteError,    // the file could not be created, written, flushed or put in place
    Changed,       // a write found the file other than expected just before its rename
};
// What CommandLine begins with after save_load_document_file found the file Changed.
constexpr std::string_view kFileChangedText = "*** Not saved: the file changed:";

// What a read returns beside the words.
struct DocumentReadInfo {
    int32_t count = 0;          // item words: words 1..count hold whole records
    int32_t level = 0;          // the trailer's level word, when has_level
    bool has_level = false;     // false for a 3-word trailer
    int32_t metric_flag = 0;    // the stored MetricFlag
    int32_t trailer_words = 0;  // 3, 4 or 5
    bool input_error = false;   // a damaged record ended the records (those before it loaded)
    int32_t repaired = 0;       // records dropped, grown to 3 parameters or cut to 45
    int32_t dropped = 0;        // of those, the records left out (codes the loader drops)
    std::string stored_name;    // the name a backup copy carries after its words ("" if none)
    bool took_name = false;     // the page took stored_name (save_load_document_file)
    std::string failure;        // why a read failed, told after the name ("" when it did not)
};
// The causes a failed read gives after "Error opening file-> NAME: ".
constexpr std::string_view kNotADocumentCause =
    "not a document of this program (no end mark under either count width)";
constexpr std::string_view kCountOutOfRangeCause = "its count is out of range";
constexpr std::string_view kEndsBeforeCountCause = "the file ends before its count";
constexpr std::string_view kNoRecordCause = "no record could be read";

// Writes words(1..count-1) as a document file under name, with the trailer [level,
// metric_flag, 4.0, -9999.0] and, when stored_name is given, that name after the words. The
// file is written beside the old one under a temporary name and renamed over it only when
// complete, so any failure leaves the old file as it was (WriteError); such temporary files
// that killed saves of other processes left in that folder are removed. A symbolic link at
// name (outside the work folder) is written through: its file gets the words, created when
// missing; links that loop or end in a folder that does not exist are refused (WriteError)
// and left as they are. When expected is given, the file at name is looked at once more right
// before the rename: when it is no longer that file as it was (or, expected absent, something is
// there now), the new copy is removed and nothing is replaced (Changed). Tables: none.
DocumentStatus write_document(std::string_view name, const DocumentWords& words, int32_t count,
                              int32_t level, int32_t metric_flag,
                              std::optional<std::string_view> stored_name = std::nullopt,
                              int32_t unit = kDocumentWriteUnit,
                              const platform::FileIdentity* expected = nullptr);
// The reply to a failed write_document: " ***Error writing file: NAME" and, when the system
// gave one, ": " and its reason ("No space left on device", "Permission denied").
std::string write_failure_text(std::string_view shown_name);

// Reads the document file name (which must exist; it is never created) on unit 3 into words,
// repairs it and checks its trailer. A name ending "!SAVE" and four more characters is a
// backup: the name stored in it is shown ("Getting Backup of "). A damaged record shows
// "*** Input data error.    ***" and keeps the records before it (Ok, info.input_error); when
// there are none before it the read fails (BadFormat). work_copy: the file is an undo or redo
// copy, the page as it was, whose numbers are taken as they are (repair_document_words).
// Tables: none but words and the message box.
DocumentStatus read_document(std::string_view name, DocumentWords& words, DocumentReadInfo& info,
                             bool work_copy = false);

// Reads the document that the front-end has placed in its graphics list
// (OutputBufferViews.graphics: element 1 the count, elements 2.. the file's bytes from its fifth
// byte on; a file with a 16-bit count is realigned by two bytes). name is only shown in
// messages. A block that is no document shows "*** This is NOT a KELDA file. ***" and fails;
// a count that does not fit the buffer or the store fails (TooLarge).
DocumentStatus read_front_end_document(std::string_view name, DocumentWords& words,
                                       DocumentReadInfo& info);

// The repair pass and trailer checks shared by both readers (document_repair.cpp). in holds
// the n_words words of a file (item words, then the trailer); the repaired records go to
// words(1..info.count). Records of codes 13, 19 and above or below 1 are dropped, records of
// 2 parameters grow to 3, records of more than 45 parameters (text items apart) are cut after
// their last nonzero parameter among P1..P45 but never below 3. A record with n < 2, or one
// that runs into the trailer, ends the records with the input-data message (name shown).
// A record whose numbers the store never holds (a parameter that holds no characters is not
// finite, or P2 is no staff 0..256: record_numbers_sound) is damaged and dropped too, unless
// work_copy: an undo or redo copy is written from the page itself and brings it back as it was.
// info.repaired counts the records dropped, grown or cut: the page then differs from the file;
// info.dropped counts the dropped ones alone.
// A file whose damage or dropped codes leave no record (while it held some) is BadFormat: a
// load must not turn it into an empty page under its name.
DocumentStatus repair_document_words(const float* in, int32_t n_words, DocumentWords& words,
                                     DocumentReadInfo& info, std::string_view name,
                                     bool work_copy = false);

// ---- putting what was read into the store ----

// Empties the store (clear_item_store) and fills it with words(1..count), rebuilding
// ItemStartTable, ItemCount and ItemWordsUsed. False, with the store untouched, when count
// does not fit ItemStoreCapacity.
bool replace_store_with_document(const DocumentWords& words, int32_t count);
// Appends words(1..count) after the store's last word and indexes the new records. False,
// with the store untouched, when they do not fit ItemStoreCapacity.
bool append_document_words(const DocumentWords& words, int32_t count);
// The merge of a file into the page: appends the records read, raises each one's P2 by
// offset - 1 (a result above top_staff becomes top_staff, and clamped is set),
// UndoSaveMode := the old ItemWordsUsed (so UNDO cuts the merged records off again) and
// ChangesMadeFlag := 1. MetricFlag is not touched. False, with nothing changed, when the
// records do not fit the store.
bool merge_document_at_staff_offset(const DocumentWords& words, int32_t count, int32_t offset,
                                    int32_t top_staff, bool& clamped);
// True when the store holds records and every one has P2 >= 200 (a front-end open then keeps
// them in front of the document it loads instead of clearing the page).
bool store_holds_only_second_page_items();

// ---- the document file procedure of the file commands and undo ----

// Unit 3 reads name into words (the caller's scratch area, never the store): count := item
// words read, level := the trailer's level when it has one, MetricFlag := the stored flag
// (not for a merge: SecondLine begins "GM"). "~~R" at the start of MessageLine reads the
// front-end's block instead of the file. Any other unit writes words(1..count-1) under name
// with level and MetricFlag (FileMode 2 adds RememberedDocumentName after the words).
// CurrentFileName is name during the call. On success CommandModeLetters(1) = 0 and the
// closing steps run: names, history, UndoRedoState, current folder (work copies in FileMode 2
// leave the names, the history and the undo state alone). On failure CommandModeLetters(1) =
// -1, CommandLine holds "File not found --> " (or what the file is instead, as
// unreadable_file_message says), "Error opening file-> " or
// " ***Error writing file:", and CurrentFileName is put back. Returns true on success; a read
// also leaves what the reader found in *read_info when it is given. A backup copy read whole
// (no merge, no work copy) gives the page the document name stored in it, so the closing steps
// run for that name (its folder becomes the current folder) and a save writes the document,
// not the backup; read_info->took_name says so. A write passes expected on
// to write_document; a Changed file fails with CommandLine "*** Not saved: the file changed:".
// A read in FileMode 2 is a work copy's: its numbers are taken as they are.
bool save_load_document_file(int32_t unit, int32_t& count, DocumentWords& words, int32_t& level,
                             FixedText<512>& name, DocumentReadInfo* read_info = nullptr,
                             const platform::FileIdentity* expected = nullptr);

}  // namespace core
