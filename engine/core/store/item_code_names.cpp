#include "engine/core/store/item_code_names.h"

namespace core {

namespace {

constexpr const char* kNames[kItemCodeNames] = {
    "NOTE",    "REST",   "CLEF", "LINE",   "SLUR",   "BEAM",    "TRILL",  "STAFF",
    "LIBRARY", "NUMBER", "",     "CIRCLE", "DUMMY",  "BARS",    "EPS",    "WORD",
    "KSIG",    "METER",  "HARP", "PEDAL",  "GUITAR", "ACCORD.", "OTTAVA",
};

Array1<FixedText<7>, kItemCodeNames> make_names() {
    Array1<FixedText<7>, kItemCodeNames> t;
    for (int k = 1; k <= kItemCodeNames; ++k) t(k) = FixedText<7>(kNames[k - 1]);
    return t;
}

}  // namespace

const Array1<FixedText<7>, kItemCodeNames> ItemCodeNames = make_names();

FixedText<7> item_code_name(int32_t code) {
    if (code < 1 || code > kItemCodeNames) return FixedText<7>();
    return ItemCodeNames(code);
}

}  // namespace core
