// The page as it stood when the word under way began: what an end from outside keeps while the
// word waits for an answer, and what the page goes back to when a script ends at a question
// the word asked. It is no undo copy: the undo history never sees it.
//
// The interpreter takes it as every word begins (a typed or piped line, each line a command file
// gives); a word that settles part of its work as it goes (an input run, line by line) renews it
// so that what is settled stays. One copy in memory, taken once per word.
// Tables: reads and writes the item store, its index, ItemCount, ItemWordsUsed, MetricFlag,
// ChangesMadeFlag and CurrentFileName.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace core {

struct WordStartPage {
    std::vector<float> words;  // ItemStore(1 .. used - 1)
    int32_t items = 0;
    int32_t metric_flag = 0;
    bool unsaved = false;
    std::string name;  // the page's name, trimmed
};

// Takes the page as it stands now as the page before the word under way.
void keep_page_before_word();
// The kept page, while a word runs (between words there is none: the store is the page).
const WordStartPage* page_before_word();
// Counts the words begun (each keep_page_before_word): what is told once per word compares it.
int64_t words_begun();
// The word is over: its page is dropped.
void forget_page_before_word();
// The front-end asked a question of the word under way and its script (a command file, a pipe)
// ended before it was answered: the word ends, and what it did goes with it.
void note_word_left_unanswered();
// At the end of a word: when its question was left unanswered, the kept page goes back into the
// store (put_back_page_before_word). An item being edited keeps its own changes. True when the
// page was put back. Either way the note is cleared.
bool put_back_word_left_unanswered();
// Puts the kept page back in the store (the index rebuilt), with its unsaved mark and name; the
// copy stays kept. False when none is kept.
bool put_back_page_before_word();

}  // namespace core
