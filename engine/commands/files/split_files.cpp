// Splitting a page into consecutive document files, one per group of staves.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/commands/files/file_commands.h"
#include "engine/commands/files/file_commands_internal.h"
#include "engine/commands/interpreter/interpreter.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/files/document_files.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"

namespace core {

using namespace file_detail;

namespace {

constexpr int32_t kSplitLevel = 3;  // the format level of the files written
constexpr int32_t kGroupSizeWords = 24;
constexpr float kStaffCode = 8.0f;

// Copies the items of staves a..b, in page order, into ItemStoreScratch from word 1, their
// staves renumbered from 1 and the P10 reference staff of staff items placed against a staff of
// the group lowered with them. Returns the number of words copied. The store is not changed.
int32_t copy_group(int32_t a, int32_t b) {
    const int32_t shift = a - 1;
    int32_t out = 1;
    for (int32_t k = 1; k <= ItemCount; ++k) {
        const int32_t s = ItemStartTable(k);
        const int32_t len = ItemStartTable(k + 1) - s;
        const int32_t n = int_of(ItemStore(s));
        if (n < 2 || len < 3) continue;
        const float staff = ItemStore(s + 2);
        if (staff < static_cast<float>(a) || staff >= static_cast<float>(b) + 1.0f) continue;
        copy_words(ItemStore.at(s), ItemStoreScratch.at(out), len);
        ItemStoreScratch(out + 2) = staff - static_cast<float>(shift);
        if (n >= 10 && len > 10 && ItemStore(s + 1) == kStaffCode && ItemStore(s + 10) != 0.0f) {
            const int32_t ref = int_of(ItemStore(s + 10)) / 100;
            if (ref >= a) ItemStoreScratch(out + 10) -= static_cast<float>(shift * 100);
        }
        out += len;
    }
    return out - 1;
}

// The first item of staves a..b that a staff item names, among the items left; 0 when none.
int32_t first_item_of_group(const StaffGroupingRecord& g, int32_t a, int32_t b) {
    int32_t first = 0;
    for (int32_t s = a; s <= b && s <= layout::kLeftPageStaves; ++s) {
        const int32_t k = g.staff_item(s);
        if (k >= 1 && k <= ItemCount && (first == 0 || k < first)) first = k;
    }
    return first;
}

// Writes the group of words in ItemStoreScratch as the file name, one step against other running
// copies (the save lock across the last look and the rename); a file found changed since seen
// is told and asked about again with the lock given up. Changed when the user then declines.
DocumentStatus write_group_file(const std::string& name, int32_t words,
                                platform::FileIdentity& seen) {
    platform::SaveLock lock;
    for (;;) {
        const DocumentStatus status =
            write_document(name, ItemStoreScratch, words + 1, kSplitLevel, MetricFlag, std::nullopt,
                           kDocumentWriteUnit, &seen);
        if (status != DocumentStatus::Changed) return status;
        lock.release();
        if (!may_replace_changed(name, seen)) return DocumentStatus::Changed;
        lock.acquire();
    }
}

constexpr std::string_view kGroupingLinePrompt =
    "Decombine File: Type number of staves in each group to be processed.";

}  // namespace

std::string count_up_file_name(std::string_view name) {
    std::string s(trim_name(name));
    const std::size_t start = last_component(s);
    const std::size_t dot = s.rfind('.');
    std::size_t end = (dot == std::string::npos || dot < start) ? s.size() : dot;
    while (end > start) {
        char& c = s[end - 1];
        if (c == '9') {
            c = '0';
        } else if (c == 'Z') {
            c = 'A';
        } else if (c == 'z') {
            c = 'a';
        } else {
            ++c;
            break;
        }
        --end;  // carry into the character before
    }
    return s;
}

// Contract: see the header. Reads the store, MacroUnit, StoredStaffGrouping; writes ParamBuffer
// (the sizes), CommandLine (restored from SecondLine), and FrontEndCommandBuffer /
// FrontEndPathBuffer (blank after the dialog).
void ask_staff_grouping(int32_t mode, StaffGroupingRecord& g) {
    g.groups = 0;
    g.highest = 0;
    g.cancelled = false;
    g.output_name.clear();
    g.group_end.fill(0);
    g.staff_item.fill(0);
    int32_t staves = 0;
    for (int32_t k = 1; k <= ItemCount; ++k) {
        const int32_t s0 = ItemStartTable(k);
        if (int_of(ItemStore(s0)) < 2 || ItemStore(s0 + 1) != kStaffCode) continue;
        const int32_t s = int_of(ItemStore(s0 + 2));
        if (s < 1 || s > layout::kLeftPageStaves) continue;
        if (g.staff_item(s) == 0) {
            g.staff_item(s) = k;
            ++staves;
        }
        g.highest = std::max(g.highest, s);
    }
    if (staves < 2) return;

    const bool command_file = MacroUnit != DefaultMacroUnit;
    // Where no dialog is shown the sizes are asked as the line a command file gives.
    const bool line_form = command_file || (mode != 2 && asks_dialog_line());
    if (!line_form && mode != 2) {
        set_dialog_preset("");
        if (front_end().RunDecombineFileDialog() == 2) {
            take_dialog_answer();
            g.cancelled = true;
            return;
        }
        g.output_name = take_dialog_answer();
        CommandLine = MessageLine;
    }
    Array1<int32_t, kGroupSizeWords> sizes;
    sizes.fill(0);
    if (StoredStaffGrouping(1) != 0) {
        for (int32_t k = 1; k <= StoredStaffGrouping.size(); ++k) sizes(k) = StoredStaffGrouping(k);
    } else {
        if (line_form) {
            // A bare X is Cancel; the end of the file or input asks nothing more; a line that is
            // no numbers was meant as something else and is named (a file stops on it).
            if (read_dialog_number_line(kGroupingLinePrompt, "Decombine File", asking_word()) !=
                DialogLine::Numbers) {
                CommandLine = SecondLine;
                g.cancelled = true;
                return;
            }
        } else {
            read_line_from_command_file();
        }
        redraw_if_command_file_ended();
        for (int32_t k = 1; k <= kGroupSizeWords; ++k) sizes(k) = int_of(ParamBuffer(k));
    }
    CommandLine = SecondLine;

    if (sizes(1) <= 0 || sizes(1) >= g.highest) return;
    int32_t end = 0;
    int32_t size = 0;
    int32_t k = 0;
    while (end < g.highest && k < g.group_end.size()) {
        ++k;
        if (k <= kGroupSizeWords && sizes(k) > 0) size = sizes(k);
        // In 64 bits: a group size may be as large as the integers go.
        end = static_cast<int32_t>(
            std::min<int64_t>(static_cast<int64_t>(end) + size, layout::kMaxStaves));
        g.group_end(k) = end;
        if (end == layout::kMaxStaves) break;
    }
    g.groups = k;
}

// Contract: see the header. Each group's file holds the items of its own staves (the last
// group also those of the staves above it, up to 200), in page order, whatever the order of the
// page; the store is not changed. CurrentFileName is kept. Writes the files (whole or not at
// all, level 3) and MessageLine. A refused overwrite skips that file; a failed write is reported
// and ends the split.
void split_into_files() {
    if (ItemCount == 0) return;
    const FixedText<512> current = CurrentFileName;
    StaffGroupingRecord g;
    ask_staff_grouping(0, g);
    if (g.cancelled) return;
    if (g.groups < 1) {
        leave_reply(ReplyKind::Failure, "*** No groups of staves to write.");
        return;
    }

    std::string name = g.output_name.empty() ? current.trimmed() : g.output_name;
    if (get_name_extension(name).empty()) name += get_name_extension(current.view());
    name = make_temp_path(name);
    std::string last_written;
    for (int32_t gi = g.groups; gi >= 1; --gi) {
        const int32_t a = gi == 1 ? 1 : g.group_end(gi - 1) + 1;
        const int32_t b = gi == g.groups ? layout::kLeftPageStaves : g.group_end(gi);
        if (first_item_of_group(g, a, g.group_end(gi)) == 0) continue;
        const int32_t words = copy_group(a, b);
        if (words + 1 <= kItemStoreWords) ItemStoreScratch(words + 1) = 0.0f;
        platform::FileIdentity seen = identity_of(name);
        if (confirm_overwrite(name) == -1) {
            const DocumentStatus status = write_group_file(name, words, seen);
            if (status == DocumentStatus::WriteError) {
                show_message(ReplyKind::Failure, write_failure_text(name));
                break;
            }
            if (status == DocumentStatus::Ok) last_written = name;
        }
        name = count_up_file_name(name);
    }

    CurrentFileName = current;
    if (!last_written.empty())
        leave_reply(ReplyKind::Notice, "Last file written = " + last_written);
}

}  // namespace core
