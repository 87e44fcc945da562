// The whole number a dialog's number field holds, told apart from text that holds none and from
// a number too big for the field's word.
#pragma once

#include <cstdint>
#include <string>

namespace core {

enum class FieldNumber {
    Taken,      // a whole number the word holds
    NoNumber,   // the text does not begin with a number
    PastRange,  // a whole number too big in size for the word
};

// Reads the text as read_field_number does (numeric.h); word changes only when Taken.
FieldNumber read_field_word(const std::string& text, int32_t& word);

}  // namespace core
