// Stand-ins for the command families and services of family_entries.h until their owners build
// them. A command family reports its command word with the unknown-word message, so that no
// command fails silently; a helper does the least it sensibly can. Each stub notes itself in
// FamilyStubTrace.
#include <algorithm>

#include "engine/commands/files/document_state.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/commands/start_up.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/mini_macros.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/undo.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/keywords/keyword_decoder.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/render/page/page_redraw.h"
#include "output/p_commands.h"

namespace core {

FamilyStubTraceRecord FamilyStubTrace;

const FamilyStubCall* FamilyStubTraceRecord::latest(std::string_view name) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (name == it->name) return &*it;
    }
    return nullptr;
}

void reset_family_stub_words() {
    MiniMacroTable.fill(FixedText<80>());
    FamilyStubTrace = FamilyStubTraceRecord{};
    layout::StaffLayoutCounters.fill(0);
    edit::BoxEdgeWord = 0;
    edit::DragStepWord = 0;
    // The file commands' own words, until reset_engine calls their reset itself.
}

namespace {

void trace(const char* name, int32_t argument = 0) {
    std::vector<FamilyStubCall>& calls = FamilyStubTrace.calls;
    if (calls.size() >= kFamilyStubTraceLength) {
        calls.erase(calls.begin(), calls.begin() + kFamilyStubTraceLength / 2);
    }
    calls.push_back({name, argument});
}

// The first word of line (up to a blank or the "*" of a scanned number), at most 9 characters.
template <int N>
FixedText<9> first_word(const FixedText<N>& line) {
    FixedText<9> word;
    for (int k = 1; k <= 9 && k <= N; ++k) {
        const char c = line(k);
        if (c == ' ' || c == '*' || c == '\0') break;
        word(k) = c;
    }
    return word;
}

// A family that does not exist yet: its word is reported as unknown in this context.
void report_family_word(const char* name, int32_t argument = 0) {
    trace(name, argument);
    report_unknown_word(first_word(CommandLine));
}

}  // namespace

}  // namespace core

namespace layout {

core::Array1<int32_t, 2> StaffLayoutCounters;


}  // namespace layout

namespace edit {

int32_t BoxEdgeWord = 0;
int32_t DragStepWord = 0;


// The P words' folder step leaves "rrh" in SecondLine for it: nothing to report there.
void test_frontend_services() {
    if (core::SecondLine.starts_with("rrh")) {
        core::trace("test_frontend_services");
        return;
    }
    core::report_family_word("test_frontend_services");
}




// Not built yet: the zoom stays as it is.

}  // namespace edit
