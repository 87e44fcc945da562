// The Sound dialog of the MIDI command (IDD 175), run by its launcher (dialog_launchers.h).
#pragma once

namespace frontend {

// Runs the dialog modally on the exchange area's blocks A and C; 1 Play, 2 Cancel.
int ExecSoundDialog();

}  // namespace frontend
