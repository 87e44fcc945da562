// The shared tables of the print, PostScript and MIDI output: the print parameters exchanged
// with the Print Setup dialog, the settings in force for one PostScript job, the state of the
// PostScript display list and of the symbol procedures, the batch list, the folder slots of
// the P words and the saved bounding box.
//
// Owners: print_parameters.cpp keeps PrintParameters (the dialog writes the blocks through its
// launcher); output_choice.cpp fills OutputSettings and OutputFileName from them; ps_document.cpp
// writes the page values and PostScriptState; ps_display_list.cpp and ps_symbols.cpp the
// display-list and procedure words; batch_list.cpp BatchList; p_commands.cpp PathSlots and
// PageSettingSlots; bounding_box.cpp SavedBoundingBox. reset_output_tables() puts every one
// back to its start value (the print parameters and the target in force live as long as the
// program, which is what reset_engine gives a fresh start).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/fixed_array.h"

namespace output {

using core::Array1;
using core::ArrayRange;
using core::FixedText;

// ---- print parameters (the Print Setup dialog's blocks) ----------------------------------
// Words of the INTEGER block (numbered from 0).
enum PrintIntWord : int {
    kRotate = 0,
    kHeaderFooterMode = 1,
    kFreezeOffsets = 2,
    kOutputToPort = 3,
    kBatchPrinting = 4,
    kMirrorImage = 7,
    kResolution = 8,
    kLineWidth = 9,
    kPaperType = 10,
    kReversePageOrder = 11,
    kFirstUseWord = 12,   // 1 once the defaults were set
    kTargetIsPort = 13,
    kTargetIsFile = 14,
    kDialogShown = 15,
    kKeepOutputName = 17,  // 0 = propose an EPS name from the document name
    kMetricUnits = 18,
    kTargetIsUsb = 19,
    kBoxUnit = 20,          // 0 inches, 1 centimetres, 2 points
    kBatchNaming = 21,      // 1 = one output for a whole batch, 0 = one EPS file per document
};
// Words of the REAL block.
enum PrintRealWord : int {
    kSizeFactor = 0,
    kOffsetX = 1,
    kOffsetY = 2,
    kHeaderOffset = 3,
    kFooterOffset = 4,
    kBoxX1 = 20,  // 20..23: the page box X1, Y1, X2, Y2 for the dialog
};
// OutputToPort values.
constexpr int32_t kToFile = 0;
constexpr int32_t kToPort = 1;
constexpr int32_t kToUsb = 2;
// BatchPrinting values: names typed in the dialog, or read from a list file.
constexpr int32_t kBatchTyped = 1;
constexpr int32_t kBatchListFile = 2;

using PrintIntBlock = ArrayRange<int32_t, 0, 23>;
using PrintRealBlock = ArrayRange<float, 0, 23>;

struct PrintParametersRecord {
    PrintIntBlock ints;
    PrintRealBlock reals;
    FixedText<512> print_setup_file_name;  // blank = "PRINT.SCR" in the current folder
    int32_t current_paper_type = 1;        // 1 Letter, 2 Legal, 3 Ledger, 4 and up custom
    Array1<float, 2> custom_paper_size;    // inches, for a type of 4 or more
    Array1<float, 2> engine_offsets;       // offsets in force, inches
    Array1<float, 2> previous_offsets;     // the offsets before the last dialog
    float box_unit_scale = 72.0f;          // points per unit of the dialog's bounding box
    Array1<float, 4> print_bounding_box;   // x1, y1, x2, y2 in points
    FixedText<18> header_footer_text;
    int32_t setup_shown = 0;               // 1 once the Print Setup was answered
};
extern PrintParametersRecord PrintParameters;
// The Print Setup's parameter-file word: 0 idle or loading, -1 while a save collects the
// fields (Print then does not close the dialog), 2 Load takes the file last named without
// asking. Only the Print Setup dialog writes it.
extern int32_t ParamFileMode;
// The measured page box (X1, Y1, X2, Y2 in display units from the paper's lower left corner)
// as the print command last offered it to the Print Setup; "Restore Original" puts it back.
extern Array1<float, 4> OriginalBoundingBox;

// The dialog's output-name field (as typed, whole). The interpreter blanks it after P words;
// it is never the target in force.
extern FixedText<512> OutputNameField;
// The target in force: "eps.eps" (current folder) until a Print Setup changes it; a name that
// begins "LPT1" is the printer.
extern FixedText<512> OutputFileName;

// ---- the settings in force for one PostScript job --------------------------------------
struct OutputSettingsRecord {
    float size = 1.0f;             // OutputSize
    int32_t resolution = 600;      // OutputResolution, dots per inch
    int32_t line_width = 4;        // OutputLineWidth, printer dots
    int32_t rotate = 0;            // OutputRotate
    int32_t header_footer = 0;     // OutputHeaderFooter: 0 none, 1 header, 2 footer, 3 both
    int32_t mirror = 0;            // OutputMirror
    int32_t header_baseline = 779; // points
    int32_t footer_baseline = 26;  // points
    int32_t batch_naming = 1;      // the dialog's word 21 at the last job
    int32_t to_port = kToFile;     // where the job goes: kToFile, kToPort, kToUsb
};
extern OutputSettingsRecord OutputSettings;

// Left, bottom, right, top of the drawn items in display units, measured before the job.
extern Array1<int32_t, 4> PrintBox;

// Values derived at the start of each page and the writer's own state.
struct PostScriptStateRecord {
    float scale_per_unit = 0.018f;  // ScalePerUnit: points per display unit
    float width_factor = 1.0f;      // WidthFactor
    float base_line_width = 4.0f;   // BaseLineWidth
    float width_in_force = 0.0f;    // the last width written
    int32_t header_line_width = 4;  // HeaderLineWidth
    int32_t lmar = 0;               // left margin, display units
    int32_t bmar = 0;               // bottom margin, display units
    int32_t group_depth = 0;        // GroupDepth: 1 while a " g" of the item's rotation is open
    int32_t procedure_chunking = 0; // ProcedureChunking
    int32_t path_mode = 0;          // PathMode
    int64_t box_offset = -1;        // byte offset of the %%BoundingBox numbers, -1 none
    // Byte offsets of the %%Pages counts of the documents in the open output, one per header.
    std::vector<int64_t> pages_offsets;
    int32_t document_number = 0;    // the document of a batch being written (1 = first)
    int32_t batch_count = 0;        // documents in the batch; 0 without batch printing
    int32_t batch_finished = 0;     // documents the last batch finished; 0 when it stopped
    std::string output_path;        // the local path the output is open on
    // The measured boxes still to be written over the first ones: byte offset of the numbers
    // and their text, written once the output is closed.
    std::vector<std::pair<int64_t, std::string>> pending_boxes;
};
extern PostScriptStateRecord PostScriptState;

// ---- symbol procedures -----------------------------------------------------------------
constexpr int kProcedureLimit = 100;
constexpr int kCandidateLimit = 1000;
struct SymbolProceduresRecord {
    Array1<int32_t, kCandidateLimit> candidates;
    int32_t candidate_count = 0;
    Array1<int32_t, kProcedureLimit> procedures;  // place n (from 0) is procedures(n + 1)
    int32_t procedure_count = 0;
    int32_t budget = 2000;     // ProcedureBudget; below 0 switches the pass off
    int32_t entries = 0;       // ProcedureEntries
    int32_t recording = 0;     // 1 while the pass draws items to find their symbols
    float trill_scale_x = 0.0f;  // the pattern scales of the last trill procedure
    float trill_scale_y = 0.0f;
};
extern SymbolProceduresRecord SymbolProcedures;

// ---- batch list ------------------------------------------------------------------------
constexpr int kBatchLimit = 300;
struct BatchListRecord {
    Array1<FixedText<512>, kBatchLimit> names;
    int32_t count = 0;
};
extern BatchListRecord BatchList;

// ---- P words: folder slots and page settings -------------------------------------------
struct PathSlotsRecord {
    Array1<FixedText<512>, 9> folders;
    FixedText<512> current;
};
extern PathSlotsRecord PathSlots;
extern Array1<float, 26> PageSettingSlots;
// ItemWordsUsed when the last print job began: the words the job printed.
extern int32_t PrintMark;

// ---- saved bounding box ----------------------------------------------------------------
struct SavedBoundingBoxRecord {
    Array1<float, 4> box;   // X1, Y1, X2, Y2 in display units
    int32_t file_mode = 0;  // BoundingBoxFileMode: 2 save, 3 get
};
extern SavedBoundingBoxRecord SavedBoundingBox;

// Puts every table above back to its start value.
void reset_output_tables();

}  // namespace output
