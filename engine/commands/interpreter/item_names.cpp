#include "engine/commands/interpreter/item_names.h"

namespace core {

namespace {

template <int N>
Array1<FixedText<3>, N> make_table(const char* const (&words)[N]) {
    Array1<FixedText<3>, N> t;
    for (int k = 1; k <= N; ++k) t(k) = FixedText<3>(words[k - 1]);
    return t;
}

constexpr const char* kItemNameWords[kItemNames] = {
    "NOT", "RES", "CLE", "LIN", "SLU", "BEA", "BAR", "STA", "LIB", "NUM",  // 1-10
    "CRH", "DCH", "KSI", "MET", "END", "END", "8VA", "8BA", "15M", "TRI",  // 11-20
    "ARP", "BOX", "CIR", "GUI", "TIE", "BRA", "PPP", "PP ", "P  ", "MP ",  // 21-30
    "MF ", "F  ", "FF ", "FFF", "DCR", "FP ", "SF ", "SFZ", "CRS", "DIM",  // 31-40
    "RIT", "PIZ", "ARC", "ACL", "WED", "ACN", "TEN", "STA", "WED", "ACN",  // 41-50
    "TEN", "DNB", "UPB", "HAR", "FER", "MEN", "PIU", "MOR", "INV", "HVW",  // 51-60
    "PLU", "ACT", "ATM", "MOL", "ESP", "GLI", "SUB", "RAL", "LOG", "TUR",  // 61-70
    "PED", "POC", "TRE", "BAS", "ALT", "PER", "CUT", "COM", "DAS", "USE",  // 71-80
    "POS", "AST", "WNO", "HNO", "ENO", "SNO", "WRE", "HRE", "ERE", "SRE",  // 81-90
    "OVA", "OBA", "OMA", "ACC", "CR-", "DC-",                              // 91-96
};

// Entries 10 and 11 are the cut-buffer words "CT " and "CT*" of the area commands.
constexpr const char* kCWordWords[kCWords] = {
    "C  ", "CUE", "CDA", "CD*", "CD ", "COM", "CRV", "CS ",
    "CS*", "CT ", "CT*", "CW*", "CWA", "CM ", "CM*", "CPX",
};

constexpr const char* kEditCWordWords[kEditCWords] = {
    "CD ", "CN ", "CTN", "CTX", "CRV", "CT ", "CW ",
};

// The three characters of word3, blank-padded (a shorter view counts as ending in blanks).
bool same_word(const FixedText<3>& entry, std::string_view word3) {
    for (int k = 1; k <= 3; ++k) {
        const char c = k <= static_cast<int>(word3.size()) ? word3[k - 1] : ' ';
        if (entry(k) != c) return false;
    }
    return true;
}

template <int N>
int32_t find_in(const Array1<FixedText<3>, N>& table, std::string_view word3) {
    for (int k = 1; k <= N; ++k) {
        if (table(k).is_blank()) continue;  // unused entries never match
        if (same_word(table(k), word3)) return k;
    }
    return 0;
}

}  // namespace

const Array1<FixedText<3>, kItemNames> ItemNameTable = make_table(kItemNameWords);
const Array1<FixedText<3>, kCWords> CWordTable = make_table(kCWordWords);
const Array1<FixedText<3>, kEditCWords> EditCWordTable = make_table(kEditCWordWords);

// Contract: reads ItemNameTable only. The first matching entry wins, so a repeated name is
// found at its first place; "RES" is a name only for REST.
int32_t find_item_name(std::string_view word3, char fourth) {
    for (int k = 1; k <= kItemNames; ++k) {
        if (!same_word(ItemNameTable(k), word3)) continue;
        if (k == 2 && fourth != 'T') return 0;
        return k;
    }
    return 0;
}

int32_t find_c_word(std::string_view word3) { return find_in(CWordTable, word3); }

int32_t find_edit_c_word(std::string_view word3) { return find_in(EditCWordTable, word3); }

}  // namespace core
