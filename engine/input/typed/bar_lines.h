// Bar lines put into the parsed rows of a typed line by meter ("-- Add bar lines?").
#pragma once

#include <cstdint>

namespace input {

// Asks "-- Add bar lines?" (unless the page or the rows have bar lines already) and, on Yes and
// OK, appends bar-line rows to ColumnRecords and stores the items. Exit puts "!" first in
// CommandLine and SecondLine. With offer_last_answer the question offers the answer given last
// (the edit form rebuilding a run).
void ask_add_bar_lines(bool offer_last_answer = false);

}  // namespace input
