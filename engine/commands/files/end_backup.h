// The page kept when the program is ended from outside (a signal, a lost window system) or a
// word read from a command file replaces it with unsaved changes: it is written to the backup
// copy that "GSV" loads, and the next start tells the user so. Such a backup is never replaced
// before the user was told: the periodic backup first keeps it aside.
//
// The record "!ended!.tmp" in the work folder (shared by every running copy) lists each backup
// so written that is not loaded yet: a line of its local path, a tab and the page's name; the
// line of one kept for a command file begins with "replaced" and a tab.
// A copy whose work files lie in a folder of its own (that folder goes when it ends) keeps its
// backup in the work folder as "!kept-N!save.mus" and records that name; its backup for a
// command file takes the place of the one it kept for a command file before.
// Tables: reads the item store, ItemCount, ItemWordsUsed, ChangesMadeFlag, MetricFlag,
// CurrentFileName, FileMode and TempDirPrefix; writes FileMode (at an end), MessageLine (a backup
// kept aside) and the message line through show_prompt (the start's notice).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace core {

// The work-folder name of the record of backups written at an end.
constexpr std::string_view kEndedBackupsRecord = "!ended!.tmp";

// At an end from outside: when the page has unsaved changes (ChangesMadeFlag) and items, writes
// it, whole, to the backup copy with its name stored (an edited item's changes not yet stored go
// in as the page shows them; while an edit form is open, the page the form would put back, with
// the unsaved mark it had when it began; while a word waits for an answer, the page, name and
// mark it had before that word, see word_start_page.h), forces it to the disk and records it
// (a backup of an earlier end not loaded yet is first kept aside). Returns what the user should
// read about it ("" when nothing needed keeping); never asks anything.
std::string keep_page_at_end();

// Before a word read from a command file drops the page's unsaved changes (such a file is never
// asked): when the page has unsaved changes and items, it is written aside (told stays empty)
// until settle_command_file_backup. False, told saying why, when it could not be written: the
// page must not be dropped then. The page keeper of confirm_discard.
bool keep_page_for_command_file(std::string& told);

// After the word that kept the page aside has run (the interpreter calls it at the end of every
// command-file line and of every call): when the word replaced the page, the page written aside
// becomes the backup copy (an earlier backup not loaded yet is kept aside first), is recorded for
// the reason that a command file replaced it, and a line says so and that GSV loads it; where it
// cannot take the backup copy's place, or this copy's folder goes at its end, it is kept in the
// work folder instead and the line names "G" and that file. When the
// page is still the one written aside (the load failed, nothing was replaced) the copy is removed,
// nothing is recorded or told and an earlier backup stays as it was.
void settle_command_file_backup();

// At the start, once the front-end shows messages: tells (show_prompt) of every backup in the
// record that this copy can load, each with the reason it was kept: its own backup copy ("type GSV
// to load it"), which stays in the record until it is loaded or kept aside, and kept backups ("type
// G C:\!TMP\!kept-N!save.mus to load it"), which are told once. Records of missing files are
// dropped. Returns the texts told.
std::vector<std::string> tell_backups_kept_at_end();

// Before the backup copy is written over: when the record lists it (a backup of an earlier end
// that was told but not loaded), it is first kept as "!kept-N!save.mus" in the work folder,
// recorded under that name, and a message (show_message) says where at once. False when it is there
// but could not be kept: it must not be written over then.
bool set_aside_backup_kept_at_end();

// The name (as typed, "C:\!TMP\!kept-N!save.mus") under which the last set_aside_backup_kept_at_end
// kept the backup copy aside since the previous call, or empty; the next call returns empty
// until another backup is kept aside. GSV reads it: a command file's GSV on a page with unsaved
// changes keeps the page in the backup copy first, and must then load the backup it replaced.
std::string take_backup_kept_aside();

// After a load of the file at the local path loaded: the record forgets it (the page holds it).
void forget_backup_kept_at_end(std::string_view loaded);

}  // namespace core
