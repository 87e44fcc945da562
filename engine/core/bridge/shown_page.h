// What the redraws need to know of the front-end and the messages: which front-end shows no
// output lists while a command waits for an answer (the console), and how many messages have
// been shown, so that a redraw can tell whether its drawers spoke.
#pragma once

#include <cstdint>

namespace core {

class FrontEndPort;

// Set by a front-end without a view for as long as it lives.
extern const FrontEndPort* FrontEndWithoutView;
// Whether the current front-end shows the lists while a command waits.
bool lists_shown_while_waiting();
// Whether a view shows the page at all (false for a front-end without a view): without one, a
// command that only redraws to bring the lists up to the store may leave that to the next
// redraw that needs them.
bool page_shown_in_view();

extern int32_t MessagesShown;

}  // namespace core
