#include "engine/input/mark_tokens.h"

#include "engine/input/token_scan.h"

namespace input {

// Not built yet: every token is a syntax error.
void parse_mark_token(int32_t& cursor, int32_t) { syntax_error(cursor); }

}  // namespace input
