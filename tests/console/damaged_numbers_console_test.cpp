// Documents whose records hold numbers the page never holds (NaN, infinities, a staff outside 0
// to 256): such a record is damage, left out and named by every load; characters packed into
// parameters (a text's, an old drawing's or an EPS file's name) may hold any bit pattern.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "tests/core/document_bytes.h"
#include "tests/support/console_run.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kLargest = std::numeric_limits<float>::max();

float from_bits(uint32_t u) {
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}
uint32_t bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

// "AB", 0x80, 0x7F packed low byte first: a NaN as a real.
const float kNaNCharacters = from_bits(0x7F804241u);

// A record [n, P1..Pn] of the given parameters, from[k] set at P(k) (the rest 0).
std::vector<float> record(int32_t n, std::vector<std::pair<int32_t, float>> set) {
    std::vector<float> r(static_cast<std::size_t>(n) + 1, 0.0f);
    r[0] = static_cast<float>(n);
    for (const auto& [k, v] : set) r[static_cast<std::size_t>(k)] = v;
    return r;
}

// A staff and a note that every file holds before the record under test.
const std::vector<float> kGoodRecords = {3, 8, 1, 0, 4, 1, 1, 10, 5};

struct Case {
    const char* what;
    std::vector<float> tested;  // the record (or records) after the good ones
    int32_t left_out;           // records the notice names; 0: no notice, all kept
    int32_t probe = 0;          // a kept record's parameter that must keep its bits (0: none)
};

class DamagedNumbersConsoleTest : public ConsoleSessionTest {
  protected:
    void write_doc(const std::string& name, const std::vector<float>& records) {
        write_bytes(fs::current_path() / name, encode(with_trailer(records)));
    }
    static std::string notice(int32_t count, const std::string& name) {
        const std::string shown = (fs::current_path() / name).string();
        return count == 1 ? "*** 1 record of " + shown + " could not be read and was left out."
                          : "*** " + std::to_string(count) + " records of " + shown +
                                " could not be read and were left out.";
    }
    // P(k) of item i as stored.
    static float param(int32_t i, int32_t k) {
        return core::ItemStore(core::ItemStartTable(i) + k);
    }
};

TEST_F(DamagedNumbersConsoleTest, ALoadLeavesOutRecordsWithNumbersThePageNeverHolds) {
    const std::vector<Case> cases = {
        {"NaN code", record(3, {{1, kNaN}, {2, 1}, {3, 5}}), 1},
        {"NaN staff", record(4, {{1, 1}, {2, kNaN}, {3, 20}, {4, 5}}), 1},
        {"infinite P3", record(4, {{1, 1}, {2, 1}, {3, kInf}, {4, 5}}), 1},
        {"-infinite P4", record(4, {{1, 1}, {2, 1}, {3, 20}, {4, -kInf}}), 1},
        {"NaN P10 of a note", record(12, {{1, 1}, {2, 1}, {3, 20}, {4, 5}, {10, kNaN}}), 1},
        {"NaN bits in P45 of a note", record(45, {{1, 1}, {2, 1}, {3, 20}, {45, kNaNCharacters}}),
         1},
        {"largest real kept", record(4, {{1, 1}, {2, 1}, {3, kLargest}, {4, -kLargest}}), 0, 3},
        {"staff 257", record(4, {{1, 1}, {2, 257}, {3, 20}, {4, 5}}), 1},
        {"staff 256 kept", record(4, {{1, 1}, {2, 256}, {3, 20}, {4, 5}}), 0, 2},
        {"staff 0 kept", record(4, {{1, 1}, {2, 0}, {3, 20}, {4, 5}}), 0, 2},
        {"staff -1", record(4, {{1, 1}, {2, -1}, {3, 20}, {4, 5}}), 1},
        {"two records, two named",
         [] {
             std::vector<float> two = record(4, {{1, 1}, {2, 300}, {3, 20}, {4, 5}});
             const std::vector<float> b = record(4, {{1, 1}, {2, 1}, {3, kNaN}, {4, 5}});
             two.insert(two.end(), b.begin(), b.end());
             return two;
         }(),
         2},
        // A text's characters start at P14, or at P17 after the coloured header.
        {"text characters",
         record(14, {{1, 16}, {2, 1}, {3, 20}, {4, 5}, {12, 4}, {14, kNaNCharacters}}), 0, 14},
        {"NaN text length", record(14, {{1, 16}, {2, 1}, {3, 20}, {4, 5}, {12, kNaN}, {14, 1}}), 1},
        {"NaN colour of a text",
         record(17, {{1, 16}, {2, 1}, {3, 20}, {4, 5}, {12, 4}, {14, -1}, {16, kNaN}, {17, 1}}), 1},
        {"coloured text characters",
         record(17, {{1, 16}, {2, 1}, {3, 20}, {4, 5}, {12, 4}, {14, -1}, {17, kNaNCharacters}}), 0,
         17},
        {"text characters past P45",
         record(60,
                {{1, 16}, {2, 1}, {3, 20}, {4, 5}, {12, 188}, {14, 0x41}, {60, kNaNCharacters}}),
         0, 60},
        // An old drawing's name is P14..P19; P20 on are numbers.
        {"drawing name", record(19, {{1, 11}, {2, 1}, {3, 20}, {14, kNaNCharacters}, {19, kNaN}}),
         0, 19},
        {"NaN P20 of a drawing", record(20, {{1, 11}, {2, 1}, {3, 20}, {20, kNaN}}), 1},
        {"NaN P13 of a drawing", record(20, {{1, 11}, {2, 1}, {3, 20}, {13, kNaN}}), 1},
        // An EPS item's name is P14..P45; P13 is its request word.
        {"EPS name", record(45, {{1, 15}, {2, 1}, {3, 20}, {14, kNaNCharacters}, {45, kInf}}), 0,
         45},
        {"NaN request word of an EPS item", record(14, {{1, 15}, {2, 1}, {3, 20}, {13, kNaN}}), 1},
    };
    int32_t n = 0;
    for (const Case& c : cases) {
        const std::string name = "d" + std::to_string(++n) + ".mus";
        std::vector<float> words = kGoodRecords;
        words.insert(words.end(), c.tested.begin(), c.tested.end());
        write_doc(name, words);
        // The page of a load that left records out is not its file: G asks first.
        const std::string out = core::ChangesMadeFlag != 0 ? type({"G " + name, "Y"})
                                                           : type({"G " + name});
        const bool told = out.find("could not be read and") != std::string::npos;
        if (c.left_out == 0) {
            EXPECT_FALSE(told) << c.what << "\n" << out;
            EXPECT_EQ(core::ItemCount, 3) << c.what;
            if (c.probe != 0 && core::ItemCount == 3) {
                EXPECT_EQ(bits(param(3, c.probe)),
                          bits(c.tested[static_cast<std::size_t>(c.probe)]))
                    << c.what;
            }
        } else {
            EXPECT_NE(out.find(notice(c.left_out, name)), std::string::npos) << c.what << "\n"
                                                                             << out;
            EXPECT_EQ(core::ItemCount, 2) << c.what;
            if (core::ItemCount >= 2) {
                EXPECT_EQ(param(2, 3), 10.0f) << c.what;  // the good stay
            }
            EXPECT_EQ(core::ChangesMadeFlag, 1) << c.what;  // the page is not the file
        }
    }

    // A file whose only record is damaged is refused whole: the page stays.
    write_doc("only.mus", record(4, {{1, 1}, {2, 1}, {3, kNaN}, {4, 5}}));
    const int32_t items = core::ItemCount;
    const std::string out = type({"G only.mus", "Y"});
    EXPECT_NE(out.find("Error opening file-> "), std::string::npos) << out;
    EXPECT_EQ(core::ItemCount, items);
}

// The merge and the backup copy read as G does; a staff its offset raises to 256 exactly is
// taken. An undo copy is the page itself and brings back what it held.
TEST_F(DamagedNumbersConsoleTest, MergesAndBackupsLeaveThemOutAndUndoCopiesKeepThePage) {
    std::vector<float> words = kGoodRecords;
    const std::vector<float> bad = record(4, {{1, 1}, {2, 1}, {3, kInf}, {4, 5}});
    words.insert(words.end(), bad.begin(), bad.end());
    const std::vector<float> high = record(4, {{1, 1}, {2, 56}, {3, 30}, {4, 5}});
    words.insert(words.end(), high.begin(), high.end());
    write_doc("bad.mus", words);
    write_doc("good.mus", kGoodRecords);
    const std::string good = (fs::current_path() / "good.mus").string();

    type({"G good.mus"});
    ASSERT_EQ(core::ItemCount, 2);
    std::string out = type({"GMR bad.mus"});
    EXPECT_NE(out.find(notice(1, "bad.mus")), std::string::npos) << out;
    ASSERT_EQ(core::ItemCount, 5);
    EXPECT_EQ(param(5, 2), 256.0f);  // 56 raised by 200

    write_bytes(temp_.work() / "!save.mus", encode(with_trailer(words)));
    out = type({"GSV", "Y"});
    EXPECT_NE(out.find("could not be read and was left out."), std::string::npos) << out;
    EXPECT_EQ(core::ItemCount, 3);

    // A value the page came to hold (not from a file) is kept through UNDO.
    // The backup named no document: its page is in the work folder now.
    out = type({"G " + good, "Y"});
    ASSERT_EQ(core::ItemCount, 2) << out;
    core::ItemStore(core::ItemStartTable(2) + 4) = kInf;
    type({"I 2", ",,9", "X"});
    ASSERT_EQ(param(2, 3), 9.0f);
    out = type({"UNDO"});
    EXPECT_EQ(out.find("could not be read"), std::string::npos) << out;
    ASSERT_EQ(core::ItemCount, 2);
    EXPECT_EQ(param(2, 3), 10.0f);
    EXPECT_EQ(param(2, 4), kInf);
}

// The notice of left-out records is told once, as its own line, naming the file read: after G,
// after a merge into another document (not that document's name), typed or from a command file.
TEST_F(DamagedNumbersConsoleTest, TheLeftOutNoticeIsToldOnceNamingTheFileRead) {
    std::vector<float> words = kGoodRecords;
    const std::vector<float> bad = record(3, {{1, kNaN}, {2, 1}, {3, 5}});
    words.insert(words.end(), bad.begin(), bad.end());
    write_doc("bad.mus", words);
    write_doc("good.mus", kGoodRecords);
    const std::vector<std::vector<std::string>> roads = {
        {"G bad.mus"},
        {"G good.mus", "GMR bad.mus"},
        {"G good.mus", "GM bad.mus", "3"},
    };
    for (const auto& lines : roads) {
        for (const bool from_file : {false, true}) {
            const std::string label = lines.back() + (from_file ? " (RE)" : " (typed)");
            core::reset_engine();
            core::reset_service_gate();
            std::string out;
            if (from_file) {
                std::string text;
                for (const std::string& line : lines) text += line + "\n";
                write_text(fs::current_path() / "loads.txt", text);
                out = type({"RE loads.txt"});
            } else {
                out = type(lines);
            }
            const std::string told = notice(1, "bad.mus");
            EXPECT_NE(("\n" + out).find("\n" + told + "\n"), std::string::npos) << label << out;
            const std::size_t first = out.find("could not be read");
            ASSERT_NE(first, std::string::npos) << label << "\n" << out;
            EXPECT_EQ(out.find("could not be read", first + 1), std::string::npos)
                << label << "\n" << out;
        }
    }
}

}  // namespace
