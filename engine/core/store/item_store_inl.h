// Template bodies of item_store.h.
#pragma once

#include "engine/core/numeric.h"

namespace core {

template <int N>
void write_int_field(FixedText<N>& text, int i, int j, std::string_view format, int32_t value) {
    if (j < i) return;
    text.put(i, j, format_int(format, value));
}

template <int N>
void write_real_field(FixedText<N>& text, int i, int j, std::string_view format, float value) {
    if (j < i) return;
    text.put(i, j, format_real(format, value));
}

template <int N>
void c_string(FixedText<N>& text, int32_t n, int32_t& m) {
    if (n > N) n = N;
    m = n;
    for (int k = n; k >= 1; --k) {
        const int c = text.code(k);
        if (c >= 33 && c <= 125) {
            m = k;
            // A full field has no room for the NUL: it ends at the field's end instead.
            if (k < N) text(k + 1) = '\0';
            return;
        }
        text(k) = ' ';
    }
}

}  // namespace core
