// Engine start-up and the first-time document set-up.
#include "engine/commands/start_up.h"

#include <string>

#include "engine/commands/files/library_data.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/preferences.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/pages/view_size.h"
#include "engine/render/tables.h"
#include "platform/paths.h"

namespace core {

namespace {

constexpr std::string_view kProgramFolder = "C:\\program files\\melandrix";
constexpr float kPageExtent = 200.0f;
// Where a new page's view starts: the view origin's x and the page point scrolled to.
constexpr int32_t kFirstViewOriginX = 2400;
constexpr float kFirstScrollX = 83000.0f;
constexpr float kFirstScrollY = 44500.0f;

}  // namespace

bool set_temp_drive() { return platform::make_folder(TempDirPrefix.trimmed()); }

// Contract: in this order: EngineWaitLevel -1 and the shared lines blank; the program folder
// and the preferences path; the preferences file must exist; the store, item and path-point
// limits and the page extent; load_library_data (preferences and "mx.DAT"); the work folder
// (a failure reply when it cannot be written, the start going on); the help path in
// FrontEndCommandBuffer for the front-end. Returns false (after the message) when the preferences
// file or "mx.DAT" is missing; the tables are then partly set.
bool start_engine() {
    EngineWaitLevel = -1;
    FrontEndCommandBuffer.blank();
    PreviousFileName.blank();
    CommandLine.blank();
    SecondLine.blank();
    clear_exchange_text();
    LibraryDataPath.blank();

    ProgramFolder.set(kProgramFolder);
    ProgramFolderLength = static_cast<int32_t>(kProgramFolder.size());
    PreferencesPath.set(std::string(kProgramFolder) + "\\mxlib\\mxpref.dat");
    if (!find_preferences_file(PreferencesPath)) return false;

    ItemStoreCapacity = kItemStoreWords;
    render::ItemCountLimit = kItemCountLimit;
    render::PathPointLimit = render::kPathPoints;
    render::PageExtent = kPageExtent;

    if (!load_library_data()) return false;
    set_temp_drive();
    // The backup, the undo copies and the history are written there: a folder that cannot be
    // written is told at once, not when the first copy is lost.
    if (const std::string problem = platform::work_folder_write_problem(); !problem.empty())
        report_failure(problem);
    FrontEndCommandBuffer.set(std::string(kProgramFolder) + "\\hlp\\ohlp.chm");
    return true;
}

// Contract: see the header. Writes render::OutputPassWord, UndoSaveMode, PendingBoxOperation,
// GraphicsNextFree, ChangesMadeFlag, render::DrawColourWord, render::ViewOrigin.x and
// FirstTimeSetUpDone; sets the view's scroll sizes for the page (scroll_view_to_point).
void apply_first_time_defaults() {
    if (FirstTimeSetUpDone != 0) return;
    FirstTimeSetUpDone = 1;
    render::OutputPassWord = 1;
    UndoSaveMode = 0;
    PendingBoxOperation = 0;
    GraphicsNextFree = 1;
    ChangesMadeFlag = 0;
    render::DrawColourWord = 0;
    render::ViewOrigin.x = kFirstViewOriginX;
    float x = kFirstScrollX;
    float y = kFirstScrollY;
    edit::scroll_view_to_point(x, y);
}

}  // namespace core
