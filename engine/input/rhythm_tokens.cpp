#include "engine/input/rhythm_tokens.h"

#include "engine/input/token_scan.h"

namespace input {

// Not built yet: every token is a syntax error.
void parse_rhythm_token(int32_t& cursor, int32_t) { syntax_error(cursor); }
void parse_pair_token(int32_t& cursor) { syntax_error(cursor); }

}  // namespace input
