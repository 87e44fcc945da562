// Running copies of the program and their work files: two copies that share a work folder never
// share the copies of their pages.
//
// The first copy to start takes a lock on the work folder (an flock on ".ormest-lock" in it,
// held until it ends) and keeps its work files in the work folder itself. A copy that finds
// that lock held makes a private folder of its own inside the work folder (".copy-XXXXXX", mode
// 0700, locked by the copy through its ".lock" file) and keeps its per-page work files there.
// At start every such folder whose lock nobody holds is left over from a killed copy and is
// removed; the backup "!save.mus" in it is first kept in the work folder as "!kept-N!save.mus"
// (N from 1, never over an existing one), since it may be the only copy of unsaved work. At its
// end a copy removes its own folder. Start-ups run one at a time (an flock on ".ormest-claim"),
// so that no copy takes another's half-made folder for a stale one.
//
// Which work files are whose is decided by shared_work_file alone.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// True when the work file name (a bare name, in any case) is a user-level record that every
// running copy shares: the history, the last-file and last-command-file records, the cut files
// and group-copy parameters, motive files, saved settings (bounding box, path list, sound
// settings, music directory), the default MIDI files (a later copy's own one stays after its
// end, where it is found), kept backups and the record of backups
// written at an end ("!ended!.tmp"). Every other name (undo, redo, abandon and backup copies,
// input and output scratch files) belongs to one copy.
bool shared_work_file(std::string_view name);

// The name of this copy's default MIDI file in the work folder: "ormmidi.mid" for the first
// copy; a later copy writes "ormmidi-XXXXXX.mid" (its own folder's tag), so that the file it
// names holds its own notes. A later copy's file stays in the work folder when it ends.
std::string own_midi_file_name();

// Claims work (an existing private folder) for this running copy, as the file comment says:
// the stale folders of killed copies are removed (their backups kept first), then the work
// folder's lock is taken or, when another copy holds it, a locked folder of this copy's own is
// made. A previous claim is released first. Returns false, with the reason in error, when no
// lock can be had or the copy's folder cannot be made; nothing is claimed then. kept, when
// given, receives the paths of the backups kept from stale folders.
bool claim_work_folder(const std::string& work, std::string* error = nullptr,
                       std::string* kept = nullptr);
// Ends the claim: this copy's own folder (when it has one) is removed with everything in it,
// and its locks are given up. Does nothing when nothing is claimed; safe to call again.
void release_work_folder();
// The folder that holds this copy's own work files: its private folder when it has one,
// otherwise "" (its work files are in the work folder itself).
const std::string& own_copy_folder();

// Gives the backup file at the path backup (a plain file) a second name in the folder work, the
// first free "!kept-N!save.mus" (never over an existing one), whose path goes to kept. The file
// keeps its own name too. False, kept empty, when it is no plain file or cannot be kept.
bool keep_backup_file(const std::string& backup, const std::string& work, std::string& kept);

// Releases the claim when it goes out of scope: each front-end keeps one from its start to its
// end, so that every way out of its main removes the copy's folder.
class WorkFolderRelease {
  public:
    WorkFolderRelease() = default;
    ~WorkFolderRelease() { release_work_folder(); }
    WorkFolderRelease(const WorkFolderRelease&) = delete;
    WorkFolderRelease& operator=(const WorkFolderRelease&) = delete;
};

}  // namespace platform
