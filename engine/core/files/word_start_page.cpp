#include "engine/core/files/word_start_page.h"

#include <algorithm>

#include "engine/core/files/document_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"

namespace core {

namespace {

struct Kept {
    WordStartPage page;
    bool kept = false;
    bool unanswered = false;
    int64_t begun = 0;
};
Kept& kept() {
    static Kept k;
    return k;
}

}  // namespace

void keep_page_before_word() {
    Kept& k = kept();
    const int32_t n = std::max(ItemWordsUsed - 1, 0);
    // assign reuses the vector's room: a word costs one copy of the page, no allocation.
    k.page.words.assign(ItemStore.at(1), ItemStore.at(1) + n);
    k.page.items = ItemCount;
    k.page.metric_flag = MetricFlag;
    k.page.unsaved = ChangesMadeFlag != 0;
    k.page.name = CurrentFileName.trimmed();
    k.kept = true;
    k.unanswered = false;
    ++k.begun;
}

int64_t words_begun() { return kept().begun; }

const WordStartPage* page_before_word() { return kept().kept ? &kept().page : nullptr; }

void forget_page_before_word() {
    kept().kept = false;
    kept().unanswered = false;
}

void note_word_left_unanswered() { kept().unanswered = kept().kept; }

bool put_back_word_left_unanswered() {
    Kept& k = kept();
    const bool unanswered = k.unanswered;
    k.unanswered = false;
    if (!unanswered || EditedItemNumber != 0) return false;
    return put_back_page_before_word();
}

bool put_back_page_before_word() {
    const Kept& k = kept();
    if (!k.kept) return false;
    if (k.page.words.empty()) {
        // The walk of the index would read the old page's words.
        clear_item_store();
    } else {
        std::copy(k.page.words.begin(), k.page.words.end(), ItemStore.at(1));
        ItemWordsUsed = static_cast<int32_t>(k.page.words.size()) + 1;
        ItemCount = k.page.items;
        rebuild_item_start_table();
    }
    MetricFlag = k.page.metric_flag;
    ChangesMadeFlag = k.page.unsaved ? 1 : 0;
    CurrentFileName.set(k.page.name);
    return true;
}

}  // namespace core
