// The window's title line: the document's name, whether it is saved, its item count and the
// paper format.
#include "engine/core/files/title_line.h"

#include <string>

#include "engine/core/bridge/service_request.h"
#include "engine/core/files/saved_page.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"

namespace core {

namespace {

// Paper tags by PageFormatIndex 1..8 (0: none).
constexpr std::string_view kPaperTags[] = {
    "", " <Letter>", " <Legal>", " <Ledger>", " <Double>", " <A3>", " <A4>", " <B4>", " <Custom>"};

std::string_view paper_tag() {
    const int32_t f = PageFormatIndex;
    if (f < 1 || f > 8) return {};
    return kPaperTags[f];
}

std::string_view trim_right(std::string_view s) {
    if (const auto nul = s.find('\0'); nul != std::string_view::npos) s = s.substr(0, nul);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

EditedItemCheck g_edited_item_check = nullptr;
// Whether the last title handed over said "not saved".
bool g_title_unsaved = false;

bool edited_item_unsaved() {
    return EditedItemNumber > 0 && g_edited_item_check != nullptr && g_edited_item_check();
}

// Whether the title calls the page not saved. While an item is edited, the mark its changes set
// does not count on its own: an item typed back to its stored values leaves a page that its file
// holds saved.
bool page_unsaved() {
    if (ItemCount <= 0) return false;
    if (edited_item_unsaved()) return true;
    if (ChangesMadeFlag == 0) return false;
    return EditedItemNumber <= 0 || g_edited_item_check == nullptr || !page_is_saved_page();
}

}  // namespace

void set_edited_item_check(EditedItemCheck check) { g_edited_item_check = check; }

// Contract: with no items only the paper tag; otherwise the name, then "   (saved - " or
// " * (not saved - " (ChangesMadeFlag set, unless an item is edited and the store holds what the
// file holds; or an edited item that differs from its stored record), ItemCount in four
// columns, " Items) " and the paper tag. Reads ItemCount, ChangesMadeFlag, EditedItemNumber,
// PageFormatIndex and the saved page.
std::string build_title_line(std::string_view name) {
    std::string text;
    if (ItemCount > 0) {
        text = std::string(trim_right(name));
        text += page_unsaved() ? " * (not saved - " : "   (saved - ";
        text += format_int("(1i4)", ItemCount);
        text += " Items) ";
    }
    text += paper_tag();
    return text;
}

// Contract: the title of build_title_line in a service block, NUL-terminated, to service "n".
void update_title_line(const FixedText<512>& name) {
    ServiceBlock block;
    block.fill(0);
    set_block_text(block, build_title_line(name.view()));
    request_front_end_service('n', block);
    g_title_unsaved = page_unsaved();
}

void update_title_for_edit(const FixedText<512>& name) {
    if (EditedItemNumber == 0) return;
    if (page_unsaved() != g_title_unsaved) update_title_line(name);
}

}  // namespace core
