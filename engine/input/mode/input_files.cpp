// The abandon copy and the saved-lines file of the input mode.
#include "engine/input/mode/input_files.h"

#include <string>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/binary_io.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/input/typed/input_lines.h"
#include "engine/render/tables.h"
#include "platform/paths.h"

namespace input {

namespace {

constexpr int kAbandonUnit = 23;
constexpr int kSavedLinesUnit = 22;
constexpr std::string_view kBlankPosition = "2 200";
// AskYesNoExit's answers.
constexpr int kAnswerYes = -1;
constexpr int kAnswerExit = -2;

// Writes the count word and words 1..W of the store as the abandon copy.
bool write_abandon_copy(const std::string& name) {
    const int32_t words =
        core::ItemWordsUsed > 0 ? std::min(core::ItemWordsUsed, core::kItemStoreWords) : 0;
    std::vector<unsigned char> bytes(4 + 4 * static_cast<std::size_t>(words));
    core::put_le_i32(bytes.data(), core::ItemCount);
    for (int32_t k = 1; k <= words; ++k) core::put_le_f32(bytes.data() + 4 * k, core::ItemStore(k));
    if (!core::open_unit(kAbandonUnit, name, core::UnitStatus::Replace, core::UnitForm::Raw))
        return false;
    const bool written =
        core::write_bytes(kAbandonUnit, bytes.data(), bytes.size()) == core::IoResult::Ok;
    return core::close_unit(kAbandonUnit) && written;
}

// The abandon copy as read: the item count and the words. False when the file is missing, is
// not a count and whole words, or holds more words than the store.
bool read_abandon_copy(const std::string& name, int32_t& count, std::vector<float>& words) {
    if (!core::open_unit(kAbandonUnit, name, core::UnitStatus::Old, core::UnitForm::Raw))
        return false;
    // One word more than the store holds tells an oversized copy.
    const std::size_t limit = 4 + 4 * (static_cast<std::size_t>(core::ItemStoreCapacity) + 1);
    std::vector<unsigned char> bytes(limit);
    std::size_t got = 0;
    const core::IoResult r = core::read_bytes(kAbandonUnit, bytes.data(), limit, &got);
    core::close_unit(kAbandonUnit);
    if (r == core::IoResult::Error || got < 4 || (got - 4) % 4 != 0 || got == limit) return false;
    count = core::get_le_i32(bytes.data());
    const std::size_t n = (got - 4) / 4;
    words.resize(n);
    for (std::size_t k = 0; k < n; ++k) words[k] = core::get_le_f32(bytes.data() + 4 + 4 * k);
    return true;
}

// Whether count items, each a count word and that many parameters, fill words 1..W - 1 exactly
// (word W is the first free word).
bool items_fill_words(int32_t count, const std::vector<float>& words) {
    if (count < 0 || count > core::kItemStartEntries - 1) return false;
    const int64_t w = static_cast<int64_t>(words.size());
    int64_t pos = 1;
    for (int32_t k = 1; k <= count; ++k) {
        if (pos >= w) return false;
        const float c = words[static_cast<std::size_t>(pos - 1)];
        if (!(c >= 1.0f) || c > static_cast<float>(w)) return false;
        pos += core::int_of(c) + 1;
    }
    return pos == w;
}

// An empty page as "RS" leaves it: the store and its index, and the drawing lists.
void empty_page() {
    core::ItemCount = 0;
    core::ItemWordsUsed = 1;
    core::ItemStartTable(1) = 1;
    core::ItemStore(1) = 0.0f;
    core::ItemOutputSpans.graphics(1) = 1;
    core::ItemOutputSpans.text(1) = 1;
    core::GraphicsNextFree = 1;
    if (core::OutputBufferViews.graphics.bound()) core::OutputBufferViews.graphics.length() = 0;
    if (core::OutputBufferViews.text.bound()) core::OutputBufferViews.text.length() = 0;
    core::EditedItemNumber = 0;
    render::PathPointList.count = 1;
}

// Puts the abandon copy back, as abandon_input says.
void restore_abandon_copy(const std::string& name) {
    int32_t count = 0;
    std::vector<float> words;
    if (!read_abandon_copy(name, count, words) ||
        (words.size() >= 2 && !items_fill_words(count, words))) {
        core::report_failure(kAbandonCopyMissing);
        return;
    }
    core::MacroUnit = 0;
    if (words.size() < 2) {
        if (core::ChangesMadeFlag != 0 && core::confirm_discard(1) != -1) return;
        empty_page();
        return;
    }
    for (std::size_t k = 0; k < words.size(); ++k)
        core::ItemStore(static_cast<int>(k) + 1) = words[k];
    core::ItemWordsUsed = static_cast<int32_t>(words.size());
    core::rebuild_item_start_table();
}

// text blank-padded (or cut) to width.
std::string padded(std::string_view text, std::size_t width) {
    std::string s(text.substr(0, std::min(text.size(), width)));
    s.resize(width, ' ');
    return s;
}

// The name to write the lines to, asked for when the answer was "S": empty when nothing is to
// be written.
std::string saved_lines_name() {
    if (core::SecondLine(1) != 'S') return core::work_copy_name(kSavedLinesFile);
    for (;;) {
        if (!ask_output_file_name()) return {};
        const std::string name = core::CommandLine.trimmed();
        if (name.empty() || name.front() == '!' || name.front() == '^') return {};
        if (!platform::file_exists(name)) return name;
        // No asks for a name again: a script's line that answers nothing ends the save instead,
        // or the script's next line would become the name.
        core::front_end().EndWordOnNonAnswer("S");
        const int answer = core::front_end().AskYesNoExit("File exists - write over file? (Y/N) >");
        if (answer == kAnswerYes) return name;
        if (answer == kAnswerExit) return {};
    }
}

}  // namespace

void abandon_input(int32_t mode) {
    const std::string name = core::work_copy_name(kAbandonCopyFile);
    if (mode != 0) {
        // The page goes back as it was before any written-back range was taken out.
        RegeneratedItems.place = 0;
        restore_abandon_copy(name);
        return;
    }
    if (!write_abandon_copy(name))
        core::report_failure("*** The abandon copy could not be written: " +
                             core::shown_work_copy_name(kAbandonCopyFile));
}

void save_input_lines() {
    const std::string name = saved_lines_name();
    if (name.empty()) return;
    if (!core::open_unit(kSavedLinesUnit, name, core::UnitStatus::Replace, core::UnitForm::Text)) {
        core::report_failure("Error writing file");
        return;
    }
    const InputLinesRecord& lines = InputLines;
    const std::string position = lines.position.trimmed_length() == 0 ? std::string(kBlankPosition)
                                                                      : lines.position.trimmed();
    const std::string records[] = {padded(lines.command.view(), 64),
                                   padded(position, 16),
                                   lines.notes.trimmed(),
                                   lines.rhythms.trimmed(),
                                   lines.marks.trimmed(),
                                   lines.beams.trimmed(),
                                   lines.slurs.trimmed()};
    bool written = true;
    for (const std::string& r : records)
        written = core::write_record(kSavedLinesUnit, r) == core::IoResult::Ok && written;
    if (!core::close_unit(kSavedLinesUnit) || !written) {
        core::report_failure("Error writing file");
    }
}

bool ask_output_file_name() {
    core::FrontEndPathBuffer.blank();
    core::FrontEndCommandBuffer.blank();
    const bool cancelled = core::front_end().RunOutputFileNameDialog() == 2;
    const std::string whole = core::FrontEndPathBuffer.trimmed();
    const std::string short_answer = core::FrontEndCommandBuffer.trimmed();
    core::FrontEndPathBuffer.blank();
    core::FrontEndCommandBuffer.blank();
    core::CommandLine.blank();
    if (cancelled) return false;
    // The whole name when the short buffer still holds its head: a front-end that fills only
    // the short buffer leaves an older whole name behind, which must not win.
    const std::string head = std::string(whole.substr(0, std::min<std::size_t>(whole.size(), 48)));
    const bool take_whole = !whole.empty() && core::FixedText<48>(head).trimmed() == short_answer;
    core::CommandLine.set(take_whole ? whole : short_answer);
    return true;
}

}  // namespace input
