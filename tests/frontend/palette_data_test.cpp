// The palette data files of the build's data folder, read as the editor window reads them.
#include "frontend/app/palette_data.h"

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/console_run.h"

namespace {

using frontend::HandlerKind;

const std::string& data_dir() {
    static const std::string dir = [] {
        const char* home = std::getenv("ORMEST_HOME");
        return std::string(home != nullptr ? home : "");
    }();
    return dir;
}

const frontend::PaletteData& data() {
    static const frontend::PaletteData d = frontend::ReadPaletteData(
        data_dir() + "/palettes/handlers.txt", data_dir() + "/palettes/palettes.txt");
    return d;
}

const frontend::CommandHandlerEntry* handler(int32_t id) {
    const auto it = data().handler_of_id.find(id);
    return it == data().handler_of_id.end() ? nullptr : &data().handlers[it->second];
}

// Ids shown disabled: the empty slot and the buttons without a handler.
const std::set<int32_t> kDisabled{33530, 32785, 32910, 33267, 33268, 33492, 33712, 33724, 33901,
                                  33902, 34122, 34124, 34133, 34145, 34146, 34245, 34318, 34398};
// The frame's own tool-mode commands that stand on the small-button palettes.
const std::set<int32_t> kToolModes{32795, 32798, 32796, 32784};

struct TextGroup {
    int count;
    int32_t low;
    int32_t high;
    std::vector<std::string> texts;
};

// Each group of command texts: how many handlers send its texts, and their id range.
const std::vector<TextGroup> kGroups{
    {16,
     33932,
     34143,
     {"-A ", "-ACT ", "-AS  ", "-C  ", "-C- ", "-D ", "-FE ", "-H ", "-HW ", "-PL ", "-S ", "-T ",
      "-TS  ", "-U ", "-W ", "-WS  "}},
    {233,
     32880,
     34254,
     {"0 ",
      "0 1/ ",
      "0 100 ",
      "0 200 ",
      "1 ",
      "1 200 ",
      "1 9 5 112 6 0 7 0 8 0 9 0 ",
      "1 9 5 120 6 0 7 0 8 0 9 0",
      "1 9 5 211 6 0 7 0 8 0 9 0 ",
      "1 9 5 212 6 0 7 0 8 0 9 0 ",
      "1 9 5 70 6 0 7 0 8 0 9 0 ",
      "1 9 5 71 6 0 7 0 8 0 ",
      "1 9 5 90 6 0 7 0 8 0 9 0 ",
      "10 ",
      "10 0 11 0 ",
      "10 10 ",
      "10 20 ",
      "10 200 ",
      "10./ ",
      "10/ ",
      "100 200 ",
      "12 ",
      "12 0 ",
      "12 120 5 1 ",
      "12 16/ ",
      "12 60 5 1 ",
      "12 72 5 1 ",
      "12 8/ ",
      "13 0 ",
      "13 1 ",
      "14 ",
      "14 0 ",
      "14 1 ",
      "15 ",
      "16 ",
      "17 ",
      "18 ",
      "19 0 ",
      "1B; ",
      "1PK ",
      "2 ",
      "2 200 ",
      "2 4/ ",
      "2 8/ ",
      "20/ ",
      "2B; ",
      "2PK ",
      "3 ",
      "3 0 ",
      "3 16/ ",
      "3 4/ ",
      "3 8/ ",
      "300 ",
      "32./ ",
      "32/ ",
      "3B; ",
      "3PK ",
      "4 ",
      "4 4/ ",
      "4 8/ ",
      "4 999 ",
      "400 ",
      "4B; ",
      "5 ",
      "5 -4 ",
      "5 -5  ",
      "5 -6 ",
      "5 .15",
      "5 .8",
      "5 .88",
      "5 1.8",
      "5 10 4 2 ",
      "5 10 6 .25 ",
      "5 1000 6 0 ",
      "5 1001 18 1",
      "5 1001 18 100",
      "5 1060 6 0 ",
      "5 109 ",
      "5 111 ",
      "5 113 ",
      "5 114 ",
      "5 118 ",
      "5 12 6 16 8 0 9 0 ",
      "5 12 6 8 8 0 9 0 ",
      "5 123 ",
      "5 127 ",
      "5 128 ",
      "5 129 ",
      "5 131 ",
      "5 160 ",
      "5 161 ",
      "5 162 ",
      "5 163 ",
      "5 164 ",
      "5 165 ",
      "5 166 ",
      "5 167 ",
      "5 168 ",
      "5 169 ",
      "5 180 ",
      "5 182 ",
      "5 2  6 2  7 2 8 0 9 0 10 0 11 0 12 0 13 0 ",
      "5 2 6 2 8 0 9 0 ",
      "5 2 6 4 8 0 9 0 ",
      "5 2 6 8 8 0 9 0 ",
      "5 221 ",
      "5 231 ",
      "5 240 ",
      "5 250 ",
      "5 270 ",
      "5 271 ",
      "5 272 ",
      "5 3 6 16 8 0 9 0 ",
      "5 3 6 2 8 0 9 0 ",
      "5 3 6 4 8 0 9 0 ",
      "5 3 6 8 8 0 9 0 ",
      "5 4 6 4 8 0 9 0 ",
      "5 4 6 8 8 0 9 0 ",
      "5 4/ ",
      "5 5 6 4 8 0 9 0 ",
      "5 5 6 8 8 0 9 0 ",
      "5 50 ",
      "5 51  ",
      "5 52  ",
      "5 53  ",
      "5 54 ",
      "5 55 ",
      "5 56 ",
      "5 57 ",
      "5 58 ",
      "5 59 ",
      "5 6 ",
      "5 6 6 .25 ",
      "5 6 6 16 8 0 9 0 ",
      "5 6 6 4 8 0 9 0 ",
      "5 6 6 8 8 0 9 0 ",
      "5 60 ",
      "5 600 6 0 ",
      "5 61 ",
      "5 62 ",
      "5 63 ",
      "5 64 ",
      "5 65 ",
      "5 66 ",
      "5 67 ",
      "5 68 ",
      "5 69 ",
      "5 7 ",
      "5 7 6 .25 ",
      "5 73 ",
      "5 74 ",
      "5 75 ",
      "5 76 ",
      "5 77 ",
      "5 78 ",
      "5 79 ",
      "5 8 6 .25 ",
      "5 8/ ",
      "5 80 ",
      "5 81 ",
      "5 85 ",
      "5 86 ",
      "5 9 6 .25 ",
      "5 9 6 16 8 0 9 0 ",
      "5 9 6 8 8 0 9 0 ",
      "5 9 8 1 ",
      "5 9 8 2 ",
      "5 9 8 3 ",
      "5 900 6 0 ",
      "5 93 ",
      "5 94 ",
      "5 98 ",
      "5 99 ",
      "5/ ",
      "500 ",
      "50000 4 ",
      "6 ",
      "6 0 ",
      "6 1 ",
      "6 10 ",
      "6 11 ",
      "6 12 ",
      "6 13 ",
      "6 14 ",
      "6 15 ",
      "6 16 ",
      "6 16/ ",
      "6 17 ",
      "6 18 ",
      "6 19 ",
      "6 2 ",
      "6 3 ",
      "6 4 ",
      "6 4/ ",
      "6 5 ",
      "6 6 ",
      "6 7 ",
      "6 8 ",
      "6 8/ ",
      "6 9 ",
      "600 ",
      "64/ ",
      "6B; ",
      "7 ",
      "7 23 ",
      "7 24 ",
      "7 25 ",
      "700 -.5 ",
      "700 .5 ",
      "8 ",
      "8 -3",
      "8 .5",
      "8 0 ",
      "800 -.05 ",
      "800 -1 ",
      "800 .05 ",
      "800 1 ",
      "9 ",
      "9 0",
      "9 16/ ",
      "9 8/ ",
      "900 .5",
      "99 1/ ",
      "999 ",
      "9B; "}},
    {20,
     33135,
     33891,
     {"/ ", "/10 -.1 ", "/10 .1 ", "/11 -.1 ", "/11 .1 ", "/19 -.5 ", "/19 -5 ", "/19 .5 ",
      "/19 5 ", "/2 -1 ", "/2 1 ", "/4 -1 ", "/4 1 ", "/5 -1 ", "/5 -10 ", "/5 1 ", "/5 10 "}},
    {9,
     34067,
     34384,
     {"~~037x", "~~038x", "~~039x", "~~040x", "~~0==", "~~0>> ", "~~115", "~~121", "~~==="}},
    {30, 33799, 33839, {"$01",  "$02",  "$03",  "$04",  "$05",  "$06",  "$07",  "$08",
                        "$09 ", "$10 ", "$11 ", "$12 ", "$13 ", "$14 ", "$15 ", "$16 ",
                        "$17 ", "$18 ", "$19 ", "$20 ", "$21 ", "$22 ", "$23 ", "$24 ",
                        "$25 ", "$F ",  "$FF ", "$N ",  "$S ",  "$SS "}},
    {7, 33828, 34213, {"## 99/ ", "%% %%/ ", "+ ", ": ", "=/", "==/", "^ "}},
    {4, 32706, 33826, {"; ", ";  ", ";; ", ";;; "}},
    {41, 32737, 34326, {"A ",    "A  ",    "AB   ",  "AC ",    "ACCORD ", "ACP ",  "ACT ", "ADA ",
                        "ADF ",  "ADFX ",  "ADJ ",   "ADMA ",  "ADMN ",   "ADMR ", "ADN ", "ADNM ",
                        "ADOF ", "ADPR ",  "ADT ",   "ADX ",   "AGRD ",   "AL/",   "ALL ", "ALPTS ",
                        "ALTO",  "ARCAM ", "ARCAP ", "ARCBM ", "ARCBP ",  "ARD ",  "ARP ", "ARS ",
                        "ARU ",  "ASP ",   "AST ",   "AUTO ",  "AUTOX "}},
    {42, 32686, 34182, {"B  ",    "BA/",   "BAR ",   "BARBC ", "BARBK ", "BARD ",  "BARH ",
                        "BARL ",  "BARR ", "BARRD ", "BASS",   "BEAM ",  "BEAM+ ", "BEAM2 ",
                        "BEATS ", "BK ",   "BNUM0 ", "BNUM3 ", "BNUM5 ", "BNUMP ", "BOT ",
                        "BOTD ",  "BOTU ", "BOTX ",  "BOX ",   "BOXOK ", "BRL ",   "BRR ",
                        "BSD ",   "BXCI ", "BXD ",   "BXHM ",  "BXHP ",  "BXL ",   "BXN ",
                        "BXR ",   "BXU ",  "BXVM ",  "BXVP ",  "BZ "}},
    {17,
     32694,
     33985,
     {"CD ", "CD1 ", "CD10 ", "CD12 ", "CD14 ", "CD15 ", "CD16 ", "CD17 ", "CD18 ", "CD2 ", "CD3 ",
      "CD4 ", "CD5 ", "CD6 ", "CD7 ", "CD8 ", "CD9 "}},
    {57, 32688, 34366, {"C ",    "C    ", "CC   ", "CDSH ", "CHDA ", "CHDF ",   "CHDT+ ", "CHDT- ",
                        "CHF+ ", "CHF- ", "CHNT ", "CHRA ", "CHRB ", "CHRC ",   "CHRD ",  "CHRE ",
                        "CHRF ", "CHRG ", "CHSD ", "CHSM ", "CHSP ", "CIRCLE ", "CLEF ",  "CLO ",
                        "CLR ",  "CM ",   "CN ",   "CNL ",  "CNR ",  "CNX ",    "CO",     "CO ",
                        "COM ",  "COM/ ", "CP1 ",  "CP2 ",  "CPX ",  "CR ",     "CR- ",   "CRH ",
                        "CRV",   "CRV1 ", "CRV2 ", "CS ",   "CT ",   "CTA ",    "CTN ",   "CTX ",
                        "CUE",   "CUT/ ", "CUX ",  "CV ",   "CW ",   "CX   "}},
    {12,
     33474,
     33485,
     {"DT1M ", "DT1P ", "DT2M ", "DT2P ", "DT3M ", "DT3P ", "DT4M ", "DT4P ", "DT5M ", "DT5P ",
      "DT6M ", "DT6P "}},
    {49, 32704, 34385, {"D./ ",   "D/ ",    "D1 ",   "D10 ",   "DBF ",    "DBRS+ ", "DBRS0 ",
                        "DBRW+ ", "DBRW0 ", "DBS ",  "DC- ",   "DCH ",    "DD ",    "DDT ",
                        "DE ",    "DEB ",   "DEC ",  "DEL ",   "DEN ",    "DFLT ",  "DG ",
                        "DLD ",   "DNB ",   "DOT ",  "DOWN ",  "DRGOFF ", "DRW ",   "DRWB ",
                        "DSH ",   "DSH+ ",  "DSH0 ", "DSHL+ ", "DSHL- ",  "DSHL0 ", "DSHS+ ",
                        "DSHS- ", "DSHS0 ", "DSP+ ", "DSP0 ",  "DTHD ",   "DTHU ",  "DTLD ",
                        "DTLU ",  "DTS+ ",  "DTS0 ", "DTS4 ",  "DUD "}},
    {5, 33892, 34399, {"E ", "E../ ", "E./ ", "E/ "}},
    {8, 32960, 32967, {"EU2 ", "EU3 ", "EU4 ", "EU5 ", "EU6 ", "EU7 ", "EU8 ", "EU9 "}},
    {10,
     32780,
     34187,
     {"ED ", "EDI ", "EDR ", "ee ", "END ", "END1 ", "END2 ", "ENH+1 ", "ENH-1 "}},
    {8, 33201, 33572, {"FNG+ ", "FNG- ", "FNG0 ", "FNG1 ", "FNG2 ", "FNG3 ", "FNG4 ", "FNG5 "}},
    {38, 33584, 33624, {"FNT00 ", "FNT01 ", "FNT02 ", "FNT03 ", "FNT04 ", "FNT05 ", "FNT06 ",
                        "FNT07 ", "FNT08 ", "FNT09 ", "FNT10 ", "FNT11 ", "FNT12 ", "FNT13 ",
                        "FNT14 ", "FNT15 ", "FNT16 ", "FNT17 ", "FNT18 ", "FNT19 ", "FNT20 ",
                        "FNT21 ", "FNT22 ", "FNT23 ", "FNT24 ", "FNT25 ", "FNT26 ", "FNT27 ",
                        "FNT28 ", "FNT29 ", "FNT30 ", "FNT31 ", "FNT32 ", "FNT33 ", "FNT34 ",
                        "FNT35 ", "FNT36 ", "FNT94 "}},
    {28, 32780, 34175, {"FCF ",  "FCN ",  "FCS ",  "FE ",   "FH ",    "FILL ",   "FL ",
                        "FLA ",  "FLD ",  "FLI ",  "FLM ",  "FLN ",   "FLR11 ",  "FLR14 ",
                        "FLU ",  "FNGB ", "FNGT ", "FONT ", "FONTX ", "FREEZE ", "FRETZ ",
                        "FRND ", "FRNM ", "FRNP ", "FRNU ", "FRTS ",  "FW "}},
    {14,
     32760,
     34400,
     {"G ", "G/ ", "GB ", "GM ", "GN ", "GP ", "GRID ", "GSV ", "GUIT ", "GWM ", "GWN ", "GWP "}},
    {12,
     32733,
     34156,
     {"H ", "H    ", "H../ ", "H./ ", "H/ ", "H1 ", "H2 ", "H3 ", "H4 ", "H5 ", "H6 ", "H7 "}},
    {7, 284, 34233, {"HALF ", "HAR ", "HARP ", "HIST", "HORZ ", "HS   ", "HW "}},
    {7, 32766, 34386, {"I  ", "IF ", "IMO ", "IN + ", "INS ", "INV ", "INZ   "}},
    {7, 33645, 34144, {"J ", "JF ", "JFX ", "JMP ", "JR ", "JT "}},
    {14,
     33848,
     33861,
     {"K1F/ ", "K1S/ ", "K2F/ ", "K2S/ ", "K3F/ ", "K3S/ ", "K4F/ ", "K4S/ ", "K5F/ ", "K5S/ ",
      "K6F/ ", "K6S/ ", "K7F/ ", "K7S/ "}},
    {6, 33521, 33526, {"KS1 ", "KS2 ", "KS3 ", "KS4 ", "KS5 ", "KS6 "}},
    {19,
     32859,
     33862,
     {"KSAL ", "KSBA ", "KSCU ", "KSDN ", "KSFL ", "KSIG ", "KSJU ", "KSN ", "KSNA ", "KSNJ ",
      "KSNO ", "KSSH ", "KSSM ", "KSSP ", "KSSZ ", "KSTN ", "KSTR ", "KSUP ", "KSZR "}},
    {30, 32716, 34231, {"L1 ",    "L10 ",   "LAR ",   "LAST ",  "LAY ",  "LBR ", "LBR+ ", "LBR- ",
                        "LBRD ",  "LEFD ",  "LFT ",   "LI ",    "LIB  ", "LIN ", "LINE ", "LJ ",
                        "LJA ",   "LLOF0 ", "LLOFM ", "LLOFP ", "LN2 ",  "LN3 ", "LN4 ",  "LOFF0 ",
                        "LOFFM ", "LOFFP ", "LROFM ", "LROFP ", "LWR "}},
    {8, 33094, 34360, {"M ", "M/ ", "M2/ ", "M3/ ", "M4/ ", "M5/ ", "M6/ "}},
    {57, 32682, 34389, {"MBLM ",    "MBLP ",    "MBRM ",    "MBRP ",    "MD ",       "MD/ ",
                        "MDALL ",   "MDAMPLS ", "MDAUTO ",  "MDEXIT ",  "MDH/ ",     "MDINST ",
                        "MDLIST ",  "MDSTOP ",  "MDTEMPO ", "MDTRKS ",  "MDTRNSP ",  "METER ",
                        "METER24 ", "METER34 ", "METER68 ", "MEZ ",     "MF ",       "MI/ ",
                        "MID ",     "MID0 ",    "MIDD ",    "MIDI ",    "MIDL ",     "MIDR ",
                        "MIDU ",    "MINI ",    "MINUS1 ",  "MINUS10 ", "MINUS100 ", "MKD ",
                        "MKH ",     "MKL ",     "MKR ",     "MKU ",     "MKV ",      "ML/ ",
                        "MLAS ",    "MN ",      "MO ",      "MR/ ",     "MRD/ ",     "MS ",
                        "MS/ ",     "MTLM ",    "MTLP ",    "MTRM ",    "MTRP ",     "MTRS ",
                        "MTRSP ",   "MU ",      "MX "}},
    {5, 32855, 32924, {"NOTE ", "NOTE RHE ", "NOTE RHH ", "NOTE RHS ", "NOTE RHW "}},
    {36, 32692, 34239, {"N  ",   "NAC ",   "NAT ",  "NB ",    "NLR0 ",   "NLRM ", "NLRP ", "NMA ",
                        "NMO ",  "NO ",    "NOBR ", "NOD ",   "NOFST  ", "NOM  ", "NON ",  "NOPTS ",
                        "NORM ", "NORM6 ", "NOS ",  "NRMV ",  "NST ",    "NTA ",  "NUD0 ", "NUDM ",
                        "NUDP ", "NUMB ",  "NUMD ", "NUMH0 ", "NUML ",   "NUMM ", "NUMP ", "NUMR ",
                        "NUMU ", "NUMV0 ", "NX ",   "NZ "}},
    {13,
     32762,
     34225,
     {"OBA ", "OFM  ", "OFP  ", "OH ", "OMA ", "OMAU ", "ONE ", "OS ", "OSR ", "OT ", "OVA ",
      "OVAD ", "OVAU "}},
    {6, 33070, 33723, {"PB10 ", "PB11 ", "PB12 ", "PB13 ", "PB6 ", "PB7 "}},
    {14,
     33503,
     34211,
     {"PCHNG-9999 ", "PCHNG0 ", "PCHNG1 ", "PCHNG10 ", "PCHNG11 ", "PCHNG12 ", "PCHNG2 ", "PCHNG3 ",
      "PCHNG4 ", "PCHNG5 ", "PCHNG6 ", "PCHNG7 ", "PCHNG8 ", "PCHNG9 "}},
    {7,
     33357,
     33363,
     {"PEDA0 ", "PEDA011 ", "PEDA1 ", "PEDA10 ", "PEDA100 ", "PEDA101 ", "PEDA110 "}},
    {44, 32752, 34388, {"P ",     "P110 ",  "PA ",    "PDL0 ",  "PDLF+ ",  "PDLF- ",   "PDM+ ",
                        "PDM- ",  "PDM0 ",  "PDR0 ",  "PDRF+ ", "PDRF- ",  "PDSZ+ ",   "PDSZ- ",
                        "PDSZ0 ", "PED ",   "PEDB ",  "PEDC ",  "PELVM ",  "PERC",     "PG  ",
                        "PGR ",   "PLA ",   "PLU ",   "PLUS1 ", "PLUS10 ", "PLUS100 ", "PM ",
                        "PONF ",  "PR ",    "PR/ ",   "PREF ",  "PRN ",    "PRPS ",    "PS3 ",
                        "PSEVM ", "PSEVZ ", "PSIXM ", "PST ",   "PTHRZ ",  "PTS ",     "PTWLM "}},
    {8, 33896, 34260, {"Q ", "q ", "Q+/", "Q-/", "Q../ ", "Q./ ", "Q/ "}},
    {22, 33395, 34210, {"QP0 ",  "QP1 ",  "QP10 ", "QP11 ", "QP12 ", "QP13 ", "QP14 ", "QP15 ",
                        "QP16 ", "QP17 ", "QP18 ", "QP19 ", "QP2 ",  "QP20 ", "QP21 ", "QP3 ",
                        "QP4 ",  "QP5 ",  "QP6 ",  "QP7 ",  "QP8 ",  "QP9 "}},
    {16,
     32767,
     33664,
     {"QQ000 ", "QQ158 ", "QQ161 ", "QQ163 ", "QQ165 ", "QQ168 ", "QQ168  ", "QQ172 ", "QQ194 ",
      "QQ195 ", "QQ207 ", "QQ209 ", "QQ211  ", "QQ213 ", "QQ214 ", "QQ215 "}},
    {11,
     32717,
     34336,
     {"R/ ", "R1 ", "R1/", "R10 ", "R2/", "R3/", "R4/", "R5/", "R6/", "R7/", "R8/"}},
    {5, 32702, 32928, {"REST ", "REST RHE ", "REST RHH ", "REST RHS ", "REST RHW "}},
    {55, 32758, 34327, {"RAR ",         "RBR ",        "RBR+ ",  "RBR- ",        "RBRD ", "RD/ ",
                        "RE          ", "RE TMP.TXT ", "RED ",   "RESTO ",       "REX ",  "RF ",
                        "RGB ",         "RGT ",        "RH32 ",  "RH64 ",        "RHD ",  "RHE ",
                        "RHG ",         "RHH ",        "RHQ ",   "RHS ",         "RHTD ", "RHU ",
                        "RHW ",         "RINV ",       "RIP ",   "RIP-1 ",       "RIPX ", "RIPX-1 ",
                        "RNDF0 ",       "RNDF1 ",      "RNDF5 ", "RO ",          "RO/ ",  "ROFF0 ",
                        "ROFFM ",       "ROFFP ",      "ROT+ ",  "ROT- ",        "ROT0 ", "RP ",
                        "RP/ ",         "RPR",         "RS  ",   "RS !000.mus ", "RSM  ", "RTRN",
                        "RTRN ",        "RU/ ",        "RW/ ",   "RWD/ ",        "RWU/ "}},
    {8, 33897, 34258, {"S ", "S  ", "S+/", "S-/", "S../ ", "S./ ", "S/ ", "S0/"}},
    {5, 32897, 32981, {"SPD ", "SPD+1 ", "SPD- ", "SPD0 "}},
    {5, 33064, 34174, {"SPL1 ", "SPL2 ", "SPL222 ", "SPL3 ", "SPL4 "}},
    {6, 33567, 33576, {"SR1 ", "SR2 ", "SR3 ", "SR4 ", "SR5 ", "SR6 "}},
    {9,
     33231,
     34082,
     {"SZ+ ", "SZ- ", "SZ.4 ", "SZ.5 ", "SZ.6 ", "SZ.7 ", "SZ.8 ", "SZ.9 ", "SZ1 "}},
    {55, 32729, 34383, {"SA ",    "SAW ",  "SAWX ",    "SC  ",    "SCV ",    "SCX ",   "SCX  ",
                        "SD/ ",   "SEP",   "SET ",     "SHP ",    "SI ",     "SKIP ",  "SKIPB ",
                        "SKW0 ",  "SKWL ", "SKWR ",    "SLDB ",   "SLDS ",   "SLDSH ", "SLDTS ",
                        "SLHL ",  "SLHR ", "SLIDER  ", "SLTRIP ", "SLUR ",   "SLUR3 ", "SM ",
                        "SO/ ",   "SOP ",  "SPA+ ",    "SPA- ",   "SPREAD ", "SPRX ",  "SPSD ",
                        "SPSM ",  "SPSP ", "STA ",     "STAFF ",  "STM ",    "STN ",   "STP ",
                        "STP+ ",  "STP- ", "STRS ",    "STSP ",   "STUD ",   "SU/ ",   "SUD  ",
                        "SUPDN ", "SUS ",  "SUSA ",    "SUSN "}},
    {17,
     33078,
     33977,
     {"TRM0 ", "TRM1 ", "TRM10 ", "TRM11 ", "TRM12 ", "TRM2 ", "TRM3 ", "TRM4 ", "TRM5 ", "TRM6 ",
      "TRM7 ", "TRM8 ", "TRM9 "}},
    {15,
     32892,
     33975,
     {"TRP ", "TRP1 ", "TRP10 ", "TRP11 ", "TRP12 ", "TRP14 ", "TRP2 ", "TRP21 ", "TRP3 ", "TRP4 ",
      "TRP5 ", "TRP6 ", "TRP7 ", "TRP8 ", "TRP9 "}},
    {50, 32696, 34206, {"TAB ",  "TB4 ",         "TB5 ",   "TE./ ", "TE/",   "TE/ ",  "TENOR",
                        "TH ",   "TH  ",         "TH/ ",   "THE ",  "THK ",  "THK0 ", "THM  ",
                        "TIE ",  "TM+ ",         "TM1 ",   "TN ",   "TNS ",  "TOP ",  "TOPD ",
                        "TOPU ", "TQ/ ",         "TR ",    "TR/",   "TREB",  "TRF ",  "TRFW ",
                        "TRI ",  "TRIA ",        "TRILL ", "TRN ",  "TRNW ", "TRS ",  "TRSW ",
                        "TRW ",  "TRZ ",         "TS/ ",   "TSZM ", "TSZN ", "TSZP ", "TX  ",
                        "TYPB ", "TZ 12 100 14 "}},
    {8, 32714, 34203, {"U1 ", "U10 ", "UND ", "UNDO ", "UP ", "UPB ", "UPR ", "UU "}},
    {5, 32985, 34325, {"VERT ", "VIB ", "VJ ", "VSZ+ ", "VSZ- "}},
    {9, 32949, 32957, {"WB1 ", "WB2 ", "WB3 ", "WB4 ", "WB5 ", "WB6 ", "WB7 ", "WB8 ", "WB9 "}},
    {15,
     32972,
     33997,
     {"W  ", "W./ ", "W/ ", "WDN ", "WID+ ", "WID- ", "WID0 ", "WIG ", "WS0 ", "WSM ", "WSP ",
      "WST ", "WUP ", "WYN ", "WZR "}},
    {7, 32744, 33916, {"X  ", "X3 2/ ", "X3 3/ ", "X3 4/ ", "X4 2/ ", "X4 3/ ", "X4 4/ "}},
    {1, 34007, 34007, {"XOFF "}},
    {1, 33972, 33972, {"YES "}},
    {8, 32748, 34283, {"Z$  ", "Z2  ", "Z3 2/ ", "Z3 3/ ", "Z3 4/ ", "Z4 2/ ", "Z4 3/ ", "Z4 4/ "}},
};

TEST(PaletteDataTest, BothFilesReadWhole) {
    ASSERT_FALSE(data_dir().empty());
    EXPECT_EQ(data().error, "");
    EXPECT_EQ(data().handlers.size(), 1325u);
    EXPECT_EQ(data().palettes.size(), 105u);
}

TEST(PaletteDataTest, MainPaletteButtonByButton) {
    const auto& p = data().palettes.at(134);
    EXPECT_EQ(p.button_width, 25);
    EXPECT_EQ(p.button_height, 24);
    ASSERT_EQ(p.buttons.size(), 52u);
    EXPECT_EQ(p.buttons[24], 33530);
    EXPECT_EQ(p.buttons[25], 33530);
    EXPECT_EQ(p.buttons[51], 34398);
    for (const int slot : {24, 25, 51}) EXPECT_EQ(handler(p.buttons[slot]), nullptr) << slot;
    const std::map<int, std::string> sends{{11, "UNDO "}, {13, "RS  "}, {41, "~~037x"},
                                           {7, "QQ165 "}, {0, "ee "},   {37, "RS !000.mus "}};
    for (const auto& [slot, text] : sends) {
        const auto* h = handler(p.buttons[slot]);
        ASSERT_NE(h, nullptr) << slot;
        ASSERT_FALSE(h->texts.empty()) << slot;
        EXPECT_EQ(h->texts[0], text) << slot;
    }
    EXPECT_EQ(handler(p.buttons[30])->kind, HandlerKind::GroupEdit);
    EXPECT_EQ(handler(p.buttons[30])->palette, 222);
    EXPECT_EQ(handler(p.buttons[1])->kind, HandlerKind::ZoomPlus);
    EXPECT_EQ(handler(p.buttons[2])->kind, HandlerKind::ZoomMinus);
    EXPECT_EQ(handler(p.buttons[36])->prompt, "Get a file.");
    EXPECT_EQ(handler(p.buttons[5])->prompt, "Gets next  .MUS file");
}

TEST(PaletteDataTest, PaletteCountsSizesAndSeparators) {
    const std::map<int32_t, std::size_t> some{{157, 52}, {169, 32}, {188, 53}, {204, 51},
                                              {232, 61}, {239, 27}, {240, 26}, {246, 56}};
    for (const auto& [id, count] : some) EXPECT_EQ(data().palettes.at(id).buttons.size(), count);
    for (const auto& [id, p] : data().palettes) {
        int separators = 0;
        for (const int32_t b : p.buttons) separators += b == 0 ? 1 : 0;
        EXPECT_EQ(separators, id == 188 || id == 204 ? 1 : 0) << id;
        EXPECT_GE(p.buttons.size(), 26u) << id;
        EXPECT_LE(p.buttons.size(), 61u) << id;
        const bool wide = id == 134 || id == 222 || id == 256;
        const bool low = id == 177 || id == 178 || id == 216 || id == 217;
        EXPECT_EQ(p.button_width, wide ? 25 : 24) << id;
        EXPECT_EQ(p.button_height, low ? 16 : 24) << id;
    }
    for (const int32_t b : data().palettes.at(243).buttons) EXPECT_EQ(b, 33530);
    EXPECT_EQ(data().palettes.at(243).buttons.size(), 46u);
    // The slider palette starts with P3 to P21, one check group.
    const auto& slider = data().palettes.at(200).buttons;
    for (int i = 0; i < 19; ++i) {
        EXPECT_EQ(handler(slider[i])->texts.at(0), "QP" + std::to_string(i + 3) + " ");
    }
}

TEST(PaletteDataTest, KindsTextsAndPlacement) {
    std::map<HandlerKind, int> kinds;
    std::set<int32_t> on_palette;
    for (const auto& [id, p] : data().palettes)
        on_palette.insert(p.buttons.begin(), p.buttons.end());
    for (const auto& h : data().handlers) {
        ++kinds[h.kind];
        for (const std::string& t : h.texts) EXPECT_LE(t.size(), 47u) << h.ids[0];
        EXPECT_FALSE(h.prompt.empty()) << h.ids[0];
        EXPECT_FALSE(h.tooltip.empty()) << h.ids[0];
        for (const int32_t id : h.ids) {
            EXPECT_TRUE(id == 284 || (id >= 32682 && id <= 34400)) << id;
            EXPECT_EQ(kDisabled.count(id), 0u) << id;
        }
        if (h.ids[0] != 284) {
            EXPECT_EQ(on_palette.count(h.ids[0]), 1u) << h.ids[0];
        }
    }
    const std::map<HandlerKind, int> expected{
        {HandlerKind::Send, 1256},   {HandlerKind::SendPalette, 16}, {HandlerKind::PaletteSend, 2},
        {HandlerKind::Palette, 38},  {HandlerKind::TwoSends, 2},     {HandlerKind::ByPalette, 2},
        {HandlerKind::GroupEdit, 1}, {HandlerKind::Return, 1},       {HandlerKind::ZoomPlus, 1},
        {HandlerKind::ZoomMinus, 1}, {HandlerKind::PlayAgain, 1},    {HandlerKind::Pause, 1},
        {HandlerKind::StopPlay, 1},  {HandlerKind::ExitPlay, 1},     {HandlerKind::Nothing, 1}};
    EXPECT_EQ(kinds, expected);
    for (const int32_t id : on_palette) {
        if (id == 0) continue;
        EXPECT_TRUE(handler(id) != nullptr || kDisabled.count(id) != 0 || kToolModes.count(id) != 0)
            << id;
    }
    // A palette handler leads to a palette that exists (0: the previous one).
    for (const auto& h : data().handlers) {
        if (h.palette > 0) {
            EXPECT_EQ(data().palettes.count(h.palette), 1u) << h.ids[0];
        }
        for (const int32_t p : h.palettes_by_current) EXPECT_EQ(data().palettes.count(p), 1u);
    }
}

// A handler counts in every group one of whose texts it sends.
TEST(PaletteDataTest, EveryTextGroupHasItsCountInsideItsRange) {
    std::map<std::string, std::size_t> group_of;
    for (std::size_t g = 0; g < kGroups.size(); ++g) {
        for (const std::string& t : kGroups[g].texts) group_of[t] = g;
    }
    ASSERT_EQ(kGroups.size(), 60u);
    std::vector<std::vector<int32_t>> members(kGroups.size());
    std::set<std::string> sent;
    for (const auto& h : data().handlers) {
        std::set<std::size_t> in;
        for (const std::string& t : h.texts) {
            sent.insert(t);
            if (const auto it = group_of.find(t); it != group_of.end()) in.insert(it->second);
        }
        for (const std::size_t g : in) members[g].push_back(h.ids[0]);
    }
    for (std::size_t g = 0; g < kGroups.size(); ++g) {
        const TextGroup& group = kGroups[g];
        EXPECT_EQ(members[g].size(), static_cast<std::size_t>(group.count)) << group.texts[0];
        std::set<int32_t> ids(members[g].begin(), members[g].end());
        for (const int32_t id : ids) {
            EXPECT_GE(id, group.low) << group.texts[0];
            EXPECT_LE(id, group.high) << group.texts[0];
        }
        EXPECT_EQ(ids.count(group.low), 1u) << group.texts[0];
        EXPECT_EQ(ids.count(group.high), 1u) << group.texts[0];
        for (const std::string& t : group.texts) EXPECT_EQ(sent.count(t), 1u) << t;
    }
}

TEST(PaletteDataTest, HandlersOfFixedKinds) {
    struct Fixed {
        int32_t id;
        HandlerKind kind;
        int32_t palette;
        std::vector<std::string> texts;
    };
    const std::vector<Fixed> fixed{
        {32861, HandlerKind::Palette, 134, {}},
        {33043, HandlerKind::Palette, 0, {}},
        {34166, HandlerKind::Palette, 270, {}},
        {34088, HandlerKind::Palette, 264, {}},
        {32858, HandlerKind::SendPalette, 205, {"GUIT "}},
        {33580, HandlerKind::SendPalette, 218, {"5 2  6 2  7 2 8 0 9 0 10 0 11 0 12 0 13 0 "}},
        {33094, HandlerKind::SendPalette, 273, {"M "}},
        {34389, HandlerKind::SendPalette, 273, {"MX "}},
        {34286, HandlerKind::SendPalette, 274, {"CO"}},
        {33394, HandlerKind::PaletteSend, 200, {"SLIDER  "}},
        {34386, HandlerKind::PaletteSend, 134, {"IN + "}},
        {32782, HandlerKind::TwoSends, -1, {"ee ", "FH "}},
        {32780, HandlerKind::TwoSends, -1, {"ee ", "FW "}},
        {33758, HandlerKind::GroupEdit, 222, {}},
        {32895, HandlerKind::Return, 134, {}},
        {34012, HandlerKind::StopPlay, -1, {"MDSTOP "}},
        {34020, HandlerKind::ExitPlay, -1, {"MDEXIT "}},
        {32829, HandlerKind::Nothing, -1, {}},
        {33788, HandlerKind::Send, -1, {"TOP "}},
        {34337, HandlerKind::Send, -1, {"TOP "}},
        {34338, HandlerKind::Send, -1, {"BOT "}},
    };
    for (const Fixed& f : fixed) {
        const auto* h = handler(f.id);
        ASSERT_NE(h, nullptr) << f.id;
        EXPECT_EQ(h->kind, f.kind) << f.id;
        EXPECT_EQ(h->palette, f.palette) << f.id;
        EXPECT_EQ(h->texts, f.texts) << f.id;
    }
    EXPECT_EQ(handler(33788), handler(34337));
    EXPECT_EQ(handler(33789), handler(34338));
    const auto* brackets = handler(33012);
    EXPECT_EQ(brackets->palettes_by_current, (std::vector<int32_t>{161, 223}));
    EXPECT_EQ(brackets->texts, (std::vector<std::string>{"QQ172 ", "QQ268 ", "QQ269 "}));
    const auto* lines = handler(33001);
    EXPECT_EQ(lines->palettes_by_current, (std::vector<int32_t>{172, 268}));
    EXPECT_EQ(lines->texts, (std::vector<std::string>{"QQ161 ", "QQ223 ", "QQ224 "}));
    EXPECT_EQ(handler(33501)->prompt, "Chord Name  (P7 - P11)");
    EXPECT_EQ(handler(32858)->prompt, " Code 12 Guitar Grid");
    EXPECT_EQ(handler(284)->prompt, "Recent Files");
}

class ZeroPageTest : public ConsoleSessionTest {};

// The page that "Get 0.mus" loads from the data folder.
TEST_F(ZeroPageTest, GetZeroMusLoadsThePageOfTheDataFolder) {
    const auto* h = handler(32761);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(h->texts.size(), 1u);
    EXPECT_EQ(h->texts[0].rfind("G ", 0), 0u);
    const std::string out = type({h->texts[0]});
    EXPECT_NE(out.find("0.mus   (saved -    7 Items)"), std::string::npos) << out;
    EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
}

}  // namespace
