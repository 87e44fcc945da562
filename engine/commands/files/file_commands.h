// The file commands: the G family (get, merge, previous file, history entry, backup copy), the
// front-end's open ("~~R") and save ("~~W") requests, the save words of the S family, the title
// line, the periodic backup copy and the split of a page into consecutive files.
//
// Names are kept whole (full paths, never cut, never upper-cased). A bare name is taken in the
// current folder, which the document files move to the folder of the last document loaded or
// saved; the path layer finds a name case-insensitively when it is not there as written.
//
// Tables owned here: StaffOffset, DefaultExtension, MergeBlockEnd, StoredStaffGrouping,
// PartialLoadName, BackupFailureTold, LeftOutRecords.
// Written: the item store and its index, CurrentFileName and PreviousFileName (through the
// document files), ChangesMadeFlag, CommandLine, SecondLine, CommandModeLetters,
// FrontEndCommandBuffer and FrontEndPathBuffer (the file dialog's preset and answer).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/files/file_names.h"  // make_temp_path, get_name_extension, confirm_overwrite
#include "engine/core/files/title_line.h"
#include "engine/core/fixed_array.h"

namespace core {

// ---- tables -------------------------------------------------------------------------------------

// The staff offset of the next merge: 0 at the start of every G command; a merge with the third
// letter "B" sets it to the highest staff in use + 1; 1 after a document reset.
extern int32_t StaffOffset;
// The extension of the last name resolved (".MUS" after the first-time set-up), with its point,
// as it was written; blank when the name had none.
extern FixedText<16> DefaultExtension;
// Where the block a merge appended ends, and whether staff numbers were clamped to the largest
// staff. All 0 after a reset.
struct MergeBlockEndRecord {
    int32_t item_count = 0;
    int32_t words_used = 0;
    int32_t path_points = 0;
    int32_t clamped = 0;
};
extern MergeBlockEndRecord MergeBlockEnd;
// A grouping of staves kept for the split into files: group sizes, first word 0 = none.
extern Array1<int32_t, 20> StoredStaffGrouping;
// The file the page was loaded from when that load lost or changed records (a damaged record
// ended them, or records were dropped, grown or cut): the page is not that file, so a save
// over it asks first. Blank after a load that changed nothing and after every save.
extern FixedText<512> PartialLoadName;
// 1 once check_file_mode has told of a backup copy it could not write; 0 again after one is
// written, so that each run of failures is told once.
extern int32_t BackupFailureTold;
// The records the last load of a user's file could not read and left out (codes the loader
// drops, numbers the store never holds); 0 from the start of every file command. While it is not 0
// the message line keeps the load's word on them.
extern int32_t LeftOutRecords;

// The work-folder name of the backup copy that check_file_mode writes and "GSV" loads.
constexpr std::string_view kBackupCopyFile = "!save.mus";
// The prompt of a name without extension while the current file has none either.
constexpr std::string_view kAddExtensionQuestion = "   -- Add .MUS extension?";

// Puts the tables above back to their start-up values.
void reset_file_command_tables();

// ---- the G family and the front-end's requests -------------------------------------------------

// The G family, run for command words beginning with "G" and for the front-end's open request
// ("~~R" and the path in MessageLine); also the loader of the undo and redo copies (FileMode 2)
// and of the R family's reloads. Before a load that replaces the page with unsaved changes the
// kind-1 question is asked (not for work copies); a "No" changes nothing. Reads CommandLine,
// SecondLine (the name as typed), MessageLine and CommandModeLetters.
void run_file_command();
// A plain get ("G") of name, taken whole as it stands (as a history entry is), with the questions
// of a typed "G".
void get_named_document(const std::string& name);

// Fills name for a get ("G", a merge, "~~R") or a save ("SA", "SN", "~~W"): the name after the
// command word, the front-end's path, or the file dialog's answer when none was given (a get
// offers the last-file record, a save the current name). A name without an extension takes the
// current file's; when that has none either, "   -- Add .MUS extension?" decides. The result is
// completed by make_temp_path. False when the dialog or the question was cancelled or the name
// is blank; nothing has changed then (the caller draws the page again).
bool resolve_mus_file_name(FixedText<512>& name);

// Loads the resolved name: checks that it exists, asks a merge's staff offset, reads it into
// ItemStoreScratch and only then puts it into the store (replacing the page, or appending for a
// merge after the undo copy is saved), rebuilds the index and staff tables, redraws and updates
// the title. The page, its names, undo copy, folder and history are left as they were when the
// file is missing, damaged so that no record can be read, or does not fit the store (told;
// CommandModeLetters(1) is -1 after a read that failed or was refused, both letters 0 for a
// missing file). A load that is no merge and no work copy and that lost or changed records
// leaves the page changed (ChangesMadeFlag 1) and the file in PartialLoadName. A load that is no
// work copy and left records out says how many, of which file, in the message line (MessageLine
// and LeftOutRecords). Returns whether the page now holds the file.
bool load_document_file(const FixedText<512>& name);

// ---- saving ---------------------------------------------------------------------------------

// Saves the page: "SM" under the current name; "SA" and "SN" with a third letter "X" or "B"
// under a resolved name after the overwrite question; the front-end's "~~W" under its path
// (FrontEndPathBuffer when not blank, else FrontEndCommandBuffer). "SM" and "~~W" ask nothing
// when the file is missing or is one the page was read from or written to, unchanged since;
// they ask the overwrite question first when it is the file of a load that lost or changed
// records (PartialLoadName), a file the page was never bound to (a new page, a failed get), or
// one another program changed since ("*** NAME was changed by another program since it was
// read." comes before the question, also before that of a save-as). A "No" writes nothing. A
// folder, a name ending in a separator, and a link that loops or ends in a missing folder are
// refused with a message; a link to a file that does not exist yet creates that file. The file
// is written whole beside the old one and put in its place, so a failed save leaves the old
// file. Success: "File saved:  " with the name and the item count, ChangesMadeFlag 0, the
// file's identity kept (DocumentFileRecords), the title and the front-end's modified flag
// updated. While an item is edited, its changes not yet stored are stored first, as "X" stores
// them, once the name is settled and every question before the write was answered yes (a save
// refused before that leaves them as they were); the reply says so. When the store is full,
// nothing is stored and nothing saved.
void save_current_document();

// After six commands with changes pending in the item editor: the page is written as the backup
// copy "!save.mus" in the work folder, carrying the document's name, for "GSV" to get back. Does
// nothing while a work copy is in use or the page is empty. A failed write is told once in the
// message line (again only after a backup has been written since).
void check_file_mode();

// ---- splitting a page into files --------------------------------------------------------------

// Writes the groups of staves (ask_staff_grouping) as consecutive document files, the last group
// first under the dialog's output name (or the current name), each under the next name counted
// up; then the page is whole again and the message line shows "Last file written = " and the
// last name.
void split_into_files();

// The staff grouping: group_end(k) is the staff at which group k ends, groups counts them (0 =
// no grouping: fewer than two staves, a cancelled dialog, or sizes that make no groups);
// staff_item(s) is the item number of staff s's staff item (0 when none).
struct StaffGroupingRecord {
    int32_t groups = 0;
    Array1<int32_t, 256> group_end;
    Array1<int32_t, 256> staff_item;
    int32_t highest = 0;
    bool cancelled = false;
    std::string output_name;  // the dialog's name for the top group ("" when none)
};
// Records the staff items of staves 1..200 and asks for the group sizes (the "Decombine File"
// dialog, unless a command file runs, no dialog is shown or mode is 2: the sizes are then the
// next command-file line, the next typed line (the console), or CommandLine; a bare X cancels).
// CommandLine is restored from SecondLine afterwards.
void ask_staff_grouping(int32_t mode, StaffGroupingRecord& grouping);

// The next name of a series: the last character before the extension's "." goes up by one, "9"
// turning to "0", "Z" to "A" and "z" to "a" with a carry into the character before.
std::string count_up_file_name(std::string_view name);

}  // namespace core
