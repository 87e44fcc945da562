#include "engine/edit/systems/stem_direction.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/undo.h"
#include "engine/core/fixed_array.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/edit/areas/box_input.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/areas/cut_files.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/systems/beam_flip.h"
#include "engine/edit/tables.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/layout/tables.h"
#include "engine/layout/view/zoom_fit.h"
#include "engine/render/page/page_redraw.h"

namespace edit {

namespace {

using core::CommandLine;
using core::ParamBuffer;
using core::PendingBoxOperation;

constexpr int32_t kYes = -1;
constexpr int32_t kExit = -2;
// The box-command menu's code that waits for the stem command's box.
constexpr int32_t kStemBoxCode = 12;
// The operation left after a refused box: the box menu hands the next line back here.
constexpr int32_t kRefusedBox = 13;
constexpr int32_t kFitMode = 5;
constexpr int32_t kSlurMode = 6;
// A right position of 0 reaches the page's right end.
constexpr float kFullRight = 200.0f;
// The box prompt starts at this column of the reply, after the mode's message.
constexpr size_t kPromptColumn = 40;

// The stem mode named by the command's third letter.
int32_t mode_of(char third) {
    switch (third) {
        case 'N':
            return 2;
        case 'D':
            return 3;
        case 'U':
            return 4;
        case 'A':
            return kFitMode;
        case 'V':
            return kSlurMode;
        default:
            return 1;
    }
}

std::string_view mode_message(int32_t mode) {
    switch (mode) {
        case 2:
            return "Normalize Stem Directions.";
        case 3:
            return "Flip Stems, etc. Down.";
        case 4:
            return "Flip Stems, etc. Up.";
        case kFitMode:
            return "Adjust Stems to Beams.";
        case kSlurMode:
            return "To set default Slur curvature:";
        default:
            return "Flip Stems, etc. to Opposite Direction.";
    }
}

// The mode's message, then from column 40 the box prompt on lines of its own.
void show_mode_prompt(int32_t mode) {
    std::string text(mode_message(mode));
    text.resize(std::max(text.size(), kPromptColumn - 1), ' ');
    text += mode == kSlurMode ? "\r\nEnter Staff number, Left position, Right position, Top staff"
                              : "\r\nEnter Staff number, Left position, Right position ";
    text += "\r\n-- or Draw Box.";
    core::leave_reply(core::ReplyKind::Question, text);
}

// The slur-curvature setting of the area command ("CRV") on one staff of the box; the command
// line is the caller's again afterwards.
void recurve_staff(int32_t staff, float left, float right) {
    const core::FixedText<512> line = CommandLine;
    CommandLine.set("CRV");
    ParamBuffer(2) = static_cast<float>(staff);
    ParamBuffer(3) = left;
    ParamBuffer(4) = right;
    ParamBuffer(5) = static_cast<float>(staff);
    int32_t index = 0;
    cut_copy_paste_area(index);
    CommandLine = line;
}

// Runs the mode over the box in P1..P4 (P3 0: the page's right end): the store sorted by staff,
// then each staff from P1 up to P4 (at least P1) flipped, recurved, or, for the fit, the whole
// box fitted once. One undo copy, of the page before the command, serves every staff.
void run_over_box(int32_t mode) {
    const core::CommandUndoCopy undo_copy;
    const int32_t low = core::int_of(ParamBuffer(1));
    const int32_t top = core::int_of(ParamBuffer(4));
    const float left = ParamBuffer(2);
    const float right = ParamBuffer(3) == 0.0f ? kFullRight : ParamBuffer(3);
    layout::InputRangeStart = left;
    layout::InputRangeEnd = right;
    layout::InputStaff = static_cast<float>(low);
    core::CommandModeLetters(2) = 'X';

    // A staff of two voices stops the flip: the page goes back as it was, unsorted too.
    core::StoreSnapshot before;
    before.take();
    // Sorted by staff, lowest first, whatever the command line's own letters would ask of the
    // sort; the box numbers are kept around it.
    core::Array1<float, 20> kept;
    for (int i = 1; i <= 20; ++i) kept(i) = ParamBuffer(i);
    core::sort_item_store_with_letter('X');
    for (int i = 1; i <= 20; ++i) ParamBuffer(i) = kept(i);

    int32_t staff = low;
    do {
        if (mode == kFitMode) {
            ParamBuffer(2) = static_cast<float>(low);
            ParamBuffer(3) = left;
            ParamBuffer(4) = right;
            ParamBuffer(5) = static_cast<float>(std::max(top, low));
            int32_t flag = 1;
            layout::fit_stems_to_beams(flag);
        } else if (mode == kSlurMode) {
            recurve_staff(staff, left, right);
        } else {
            int32_t flip_mode = mode;
            if (flip_beamed_group(flip_mode) == FlipOutcome::TwoVoices) {
                before.restore();
                layout::InputParserMode = 0;
                break;
            }
        }
        layout::InputParserMode = 0;
        ++staff;
        layout::InputStaff = static_cast<float>(staff);
        if (mode == kFitMode) break;
    } while (staff <= top);
}

// The command's end, whatever ended it: the page redrawn, nothing pending, the general palette.
void finish() {
    if (BoxOutlineMark > 0) core::GraphicsNextFree = BoxOutlineMark;
    BoxOutlineMark = 0;
    if (core::ItemCount > 0 && core::OutputBufferViews.graphics.bound() &&
        core::OutputBufferViews.text.bound()) {
        render::redraw_items();
    }
    core::clear_exchange_text();
    core::refresh_screen();
    PendingBoxOperation = 0;
    show_item_palette(core::kGeneralPalette);
}

// The command's word, for the refusals that name it.
std::string word_of(const core::FixedText<512>& line) {
    const std::string text = line.trimmed();
    const std::size_t from = text.find_first_not_of(' ');
    if (from == std::string::npos) return text;
    return text.substr(from, text.find_first_of(" *", from) - from);
}

// The first call: the prompt and the wait for the box, or at once for "FLAX" and in a command
// file.
void start(int32_t mode) {
    if (CommandLine(4) == 'X') {
        if (ParamBuffer(1) > 0.0f) run_over_box(mode);
        finish();
        return;
    }
    if (core::MacroUnit != 0) {
        const std::string word = word_of(CommandLine);
        std::string as_read;
        core::read_line_from_command_file(&as_read);
        PendingBoxOperation = 0;
        // A box without a staff has nothing to work on; a line that is no box, or a box off the
        // staves (a negative staff, staff 0 with a range), stops the file, whose next lines were
        // meant for the word.
        const BoxLineReading line =
            core::MacroUnit != 0 ? read_scanned_box_line(as_read) : BoxLineReading{};
        if (core::MacroUnit == 0 || line.kind == BoxLineKind::NoBox) {
        } else if (line.kind == BoxLineKind::Refused) {
            refuse_box_line(line.refusal, word, false);
        } else if (!typed_box_on_staves(ParamBuffer(1), ParamBuffer(2), ParamBuffer(3),
                                        ParamBuffer(4))) {
            refuse_box_off_staves(as_read);
        } else if (ParamBuffer(1) > 0.0f) {
            run_over_box(mode);
        }
        finish();
        return;
    }
    show_mode_prompt(mode);
    SavedCommandLine = CommandLine;
    clear_drawn_box();
    int32_t operation = kStemBoxCode;
    run_box_command(operation);
    PendingBoxOperation = operation;
}

// The box in P1 (lowest staff) and P4 (top staff, 0 for none) lies on staves 1..256.
bool staves_of_typed_box_exist() {
    const float top = ParamBuffer(4);
    const float limit = static_cast<float>(layout::kMaxStaves);
    return ParamBuffer(1) >= 1.0f && ParamBuffer(1) < limit + 1.0f && top >= 0.0f &&
           top < limit + 1.0f;
}

// The box answer in CommandLine: read, confirmed, and run, or refused (the prompt again).
void take_box(int32_t mode) {
    BoxOutlineMark = core::GraphicsNextFree;
    const char first = CommandLine(1);
    if (first == '|' || first == '~') {
        if (!read_drawn_box()) {
            finish();
            return;
        }
    } else {
        // Read as a box of zeros, an empty line or a word would be asked about, and the
        // question would take the next line (a script's next command) as its answer; so would
        // a box off the staves. Each ends the word, the word and the box named.
        const std::string given = answer_as_given();
        const BoxLineReading line = read_box_line();
        if (line.kind != BoxLineKind::Numbers ||
            !typed_box_on_staves(ParamBuffer(1), ParamBuffer(2), ParamBuffer(3), ParamBuffer(4))) {
            if (line.kind == BoxLineKind::Refused) {
                refuse_box_line(line.refusal, word_of(SavedCommandLine), false);
            } else if (line.kind == BoxLineKind::Numbers) {
                refuse_box_off_staves(given);
            }
            finish();
            return;
        }
        if (staves_of_typed_box_exist() && !show_typed_box()) {
            finish();
            return;
        }
    }
    // The question's highlighting would take a missing staff for every staff: the box as typed
    // is what the refusal below looks at.
    const bool outside = !staves_of_typed_box_exist();
    core::Array1<float, 4> typed;
    for (int k = 1; k <= 4; ++k) typed(k) = ParamBuffer(k);
    int32_t answer = 0;
    const std::string line = SavedCommandLine.trimmed();
    confirm_box(answer, 0, line.substr(0, line.find(' ')));
    if (outside) {
        for (int k = 1; k <= 4; ++k) ParamBuffer(k) = typed(k);
    }
    if (answer == kExit) {
        finish();
        return;
    }
    if (answer != kYes) {
        PendingBoxOperation = kRefusedBox;
        CommandLine = SavedCommandLine;
        if (BoxOutlineMark > 0) core::GraphicsNextFree = BoxOutlineMark;
        core::refresh_screen();
        show_mode_prompt(mode);
        clear_drawn_box();
        return;
    }
    if (ParamBuffer(1) == 0.0f) {
        report_missing_staff();
        finish();
        return;
    }
    if (!staves_of_typed_box_exist()) {
        core::report_failure("*** Staff numbers are 1 to " + std::to_string(layout::kMaxStaves) +
                             ". ***");
        finish();
        return;
    }
    run_over_box(mode);
    finish();
}

}  // namespace

// Contract: see the header. Reads CommandLine (second letter) and EditedItemNumber; what the
// chosen routine writes. Any other second letter does nothing.
void zoom_to_fit() {
    if (core::EditedItemNumber != 0) return;
    const char second = CommandLine(2);
    if (second == 'L') {
        run_stem_direction_command();
    } else if (second == 'H') {
        layout::zoom_to_fit_height();
    } else if (second == 'W') {
        layout::zoom_to_fit_width();
    }
}

// Contract: see the header. With PendingBoxOperation >= 0 the command starts: the mode from
// CommandLine's third letter, the prompt in MessageLine, CommandLine kept in SavedCommandLine,
// and the box menu left waiting (PendingBoxOperation 13); "FLAX" and a command file run at
// once on the box in ParamBuffer (the file's next line), with one undo copy (none of its own
// inside a command file, whose copy stands). Below 0 the line in CommandLine is the box (typed,
// or '|'/'~' for a dragged one): Exit ends, No asks again (PendingBoxOperation 13), Yes saves
// one undo copy and runs; a typed box off the staves is refused naming its line and ends the
// command unasked; a typed box without a staff gives "*** No Staff number given. ***" and
// changes nothing. Every end redraws the page,
// blanks MessageLine, sets PendingBoxOperation 0 and shows palette 134.
void run_stem_direction_command() {
    if (PendingBoxOperation >= 0) {
        start(mode_of(CommandLine(3)));
        return;
    }
    take_box(mode_of(SavedCommandLine(3)));
}

}  // namespace edit
