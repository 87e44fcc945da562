// The start of a justified line as printed: the clef, key signature, meter and first note of a
// line typed through the input mode and justified ("LJ", "J") or given a key by a
// transposition ("TR") never overlap. Each glyph's ink is
// measured by Ghostscript on a page holding that item alone; the store gives where each stands.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "tests/output/ps_check.h"
#include "tests/support/console_run.h"
#include "tests/support/item_ink.h"
#include "tests/support/store_records.h"

namespace {

class LineStartInkTest : public ItemInkTest {
  protected:
    // The ink of a stored item, measured once per kind of drawing.
    ItemInk ink_of_item(int32_t k) {
        std::string line;
        const int32_t n = static_cast<int32_t>(core::ItemStore(core::ItemStartTable(k)));
        for (int32_t j = 1; j <= n && j <= 7; ++j) {
            const float v = j == 3 ? 50.0f : j == 2 ? 1.0f : stored_param(k, j);
            line += (j > 1 ? " " : "") + std::to_string(v);
        }
        // A note is measured without its pitch's ledger lines and accidental: its head alone.
        if (stored_param(k, 1) == 1.0f) line = "1 1 50 5 10 0 1";
        auto found = measured_.find(line);
        if (found != measured_.end()) return found->second;
        const ItemInk ink = item_ink_at_50(line);
        measured_[line] = ink;
        return ink;
    }

    std::map<std::string, ItemInk> measured_;
};

// The first item of that code in the store, 0 when there is none.
int32_t line_start_first(int32_t code) {
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == static_cast<float>(code)) return k;
    }
    return 0;
}

TEST_F(LineStartInkTest, ClefKeyMeterAndFirstNeverOverlapAfterJustifying) {
    const std::vector<std::string> clefs = {"TR", "BA"};
    const std::vector<std::string> keys = {"",     "K1S/", "K2S/", "K4S/",
                                           "K7S/", "K1F/", "K3F/", "K7F/"};
    const std::vector<std::string> meters = {"3 4/", "4 4/", "6 8/", "COM/"};
    std::vector<std::pair<std::string, std::vector<std::string>>> typed;
    for (const std::string& clef : clefs) {
        for (const std::string& key : keys) {
            for (const std::string& meter : meters) {
                const std::string notes =
                    clef + "/" + key + meter + (clef == "TR" ? "C5/D/E/F/G/A;" : "C3/D/E/F/G/A;");
                const std::string rhythm = meter == "6 8/" ? "E;" : "Q;";
                for (const char* word : {"LJ", "J"}) {
                    typed.push_back({notes + " " + word,
                                     {"IN 1", "", notes, rhythm, "N", ";", ";", ";", "X", "N", word,
                                      std::string(word) == "J" ? "1 1 200" : "1 1", "Y"}});
                }
            }
        }
    }
    // A key signature added by a transposition, after the clef alone or before a meter.
    for (const std::string& clef : clefs) {
        for (const std::string& meter : {std::string(), std::string("3 4/"), std::string("COM/")}) {
            const std::string notes =
                clef + "/" + meter + (clef == "TR" ? "C5/D/E/F;" : "C3/D/E/F;");
            for (const char* interval : {"2", "5", "6", "1"}) {
                const std::string tr = std::string("TR ") + interval + " 1 0 0 0 1";
                typed.push_back({notes + " " + tr + " /K",
                                 {"IN 1", "", notes, "Q;", "N", ";", ";", ";", "X", "N", tr}});
            }
        }
    }
    // Every layout is read first; the inks are measured afterwards, each kind once.
    std::vector<std::vector<std::vector<float>>> found;
    for (const auto& [name, lines] : typed) {
        core::reset_engine();
        core::reset_service_gate();
        const std::string out = type(lines);
        std::vector<std::vector<float>> row;
        for (const int32_t code : {3, 17, 18, 1}) {
            const int32_t k = line_start_first(code);
            std::vector<float> item;
            if (k != 0) {
                const int32_t n = static_cast<int32_t>(core::ItemStore(core::ItemStartTable(k)));
                for (int32_t j = 1; j <= n; ++j) item.push_back(stored_param(k, j));
            }
            row.push_back(item);
        }
        // Clef and first note always, the meter and the key when they were typed or added.
        EXPECT_FALSE(row[0].empty() || row[3].empty()) << name << out;
        EXPECT_EQ(row[2].empty(), name.find(" 4/") == std::string::npos &&
                                      name.find(" 8/") == std::string::npos &&
                                      name.find("COM/") == std::string::npos)
            << name << out;
        EXPECT_EQ(row[1].empty(), name.find("/K") == std::string::npos) << name << out;
        found.push_back(row);
    }
    for (std::size_t i = 0; i < typed.size(); ++i) {
        SCOPED_TRACE(typed[i].first);
        double previous_right = -1000.0;
        std::string previous = "start";
        for (const std::vector<float>& item : found[i]) {
            if (item.empty()) continue;
            // The item again, alone, at P3 50.
            core::reset_engine();
            core::reset_service_gate();
            std::vector<float> record(item);
            append_test_record(record);
            const ItemInk ink = ink_of_item(1);
            const double left = item[2] + ink.left;
            const double right = item[2] + ink.right;
            const std::string what = "code " + std::to_string(static_cast<int>(item[0]));
            EXPECT_GT(left, previous_right + 0.3) << what << " after " << previous;
            previous_right = right;
            previous = what;
        }
    }
}

}  // namespace
