// Not built yet: no vocabulary knows any word.
#include "engine/edit/code_keywords.h"

namespace edit {

KeywordOutcome apply_code_keywords(int32_t /*code*/) { return KeywordOutcome::BadWord; }
bool apply_quick_symbol_word() { return false; }
KeywordOutcome apply_ornament_size_step() { return KeywordOutcome::BadWord; }
KeywordOutcome apply_harp_pedal_words() { return KeywordOutcome::BadWord; }

}  // namespace edit
