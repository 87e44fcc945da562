// The window's title line: the document's name, whether it is saved, its item count and the
// paper format.
#include "engine/core/files/title_line.h"

#include <string>

#include "engine/core/bridge/service_request.h"
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

}  // namespace

// Contract: with no items only the paper tag; otherwise the name, then "   (saved - " or
// " * (not saved - " by ChangesMadeFlag, ItemCount in four columns, " Items) " and the paper
// tag. Reads ItemCount, ChangesMadeFlag and PageFormatIndex.
std::string build_title_line(std::string_view name) {
    std::string text;
    if (ItemCount > 0) {
        text = std::string(trim_right(name));
        text += ChangesMadeFlag == 0 ? "   (saved - " : " * (not saved - ";
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
}

}  // namespace core
