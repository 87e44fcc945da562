// Test fixture: the ink of one item as printed, measured by Ghostscript's bbox device on a page
// holding that item alone, against thin bar lines whose places give the scale.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/tables.h"
#include "tests/output/ps_check.h"
#include "tests/support/console_run.h"

struct ItemInk {
    double left = 0.0;  // ink's ends, P3 units from the item's own P3
    double right = 0.0;
};

class ItemInkTest : public ConsoleSessionTest {
  protected:
    // The left and right ink edges of the page made of the lines typed on a fresh engine, as
    // Ghostscript's bbox device reads the page written to EPS.
    std::pair<double, double> item_ink_edges(const std::vector<std::string>& items) {
        core::reset_engine();
        core::reset_service_gate();
        const std::string name = "ink" + std::to_string(++ink_files_) + ".eps";
        std::vector<std::string> lines = {"EI"};
        lines.insert(lines.end(), items.begin(), items.end());
        lines.push_back("PR");
        lines.push_back(name);
        const std::string out = type(lines);
        const std::vector<ps_check::Box> boxes = ps_check::gs_bboxes(name);
        EXPECT_EQ(boxes.size(), 1u) << out;
        if (boxes.empty()) return {0.0, 0.0};
        return {boxes[0].x1, boxes[0].x2};
    }
    // The ink of one item typed at P3 50, against thin bar lines at P3 10 and 150.
    ItemInk item_ink_at_50(const std::string& item_at_50) {
        if (ink_origin_ == 0.0 && ink_unit_ == 0.0) {
            const double at_0 = item_ink_edges({"14 1 0", "14 1 150"}).first;
            const double at_10 = item_ink_edges({"14 1 10", "14 1 150"}).first;
            ink_unit_ = (at_10 - at_0) / 10.0;
            ink_origin_ = at_0;
        }
        const double left = item_ink_edges({item_at_50, "14 1 150"}).first;
        const double right = item_ink_edges({item_at_50, "14 1 10"}).second;
        return {(left - ink_origin_) / ink_unit_ - 50.0, (right - ink_origin_) / ink_unit_ - 50.0};
    }

  private:
    int32_t ink_files_ = 0;
    double ink_origin_ = 0.0;
    double ink_unit_ = 0.0;
};
