// The page as its document file holds it (see the header).
#include "engine/core/files/saved_page.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/files/title_line.h"
#include "engine/core/tables.h"

namespace core {

namespace {

struct SavedPage {
    bool known = false;
    std::string name;
    int32_t metric_flag = 0;
    std::vector<float> words;
};

SavedPage& saved_page() {
    static SavedPage page;
    return page;
}

}  // namespace

// Contract: see the header. Reads the store, ItemWordsUsed, MetricFlag and CurrentFileName.
void remember_saved_page() {
    SavedPage& page = saved_page();
    page.known = true;
    page.name = CurrentFileName.trimmed();
    page.metric_flag = MetricFlag;
    const int32_t n = ItemWordsUsed - 1;
    page.words.assign(ItemStore.at(1), ItemStore.at(1) + (n > 0 ? n : 0));
}

void forget_saved_page() {
    SavedPage& page = saved_page();
    page.known = false;
    page.name.clear();
    page.words.clear();
}

// Contract: see the header. Reads the store, ItemWordsUsed, MetricFlag and CurrentFileName.
bool page_is_saved_page() {
    const SavedPage& page = saved_page();
    if (!page.known || page.name != CurrentFileName.trimmed()) return false;
    const int32_t n = ItemWordsUsed - 1;
    // The units are written with the page: a page in other units than its file is not saved.
    if (MetricFlag != page.metric_flag) return false;
    if (n <= 0) return page.words.empty();
    return static_cast<std::size_t>(n) == page.words.size() &&
           std::memcmp(page.words.data(), ItemStore.at(1),
                       sizeof(float) * static_cast<std::size_t>(n)) == 0;
}

// Contract: see the header. Writes ChangesMadeFlag only.
void mark_changes_by_saved_page() {
    if (ItemCount <= 0) return;
    ChangesMadeFlag = page_is_saved_page() ? 0 : 1;
}

// Contract: see the header. Writes ChangesMadeFlag and the title line.
void unmark_changes_of_saved_page() {
    if (ChangesMadeFlag == 0) return;
    if (!saved_page().known && ItemCount <= 0) {
        ChangesMadeFlag = 0;  // no file holds it, and it holds nothing to save
    } else {
        mark_changes_by_saved_page();
    }
    if (ChangesMadeFlag == 0) update_title_line(CurrentFileName);
}

}  // namespace core
