// A tenor clef typed in the input mode, at a line's start and within it, stands one staff line
// above an alto clef, as its notes and key signature do. Each clef's ink is measured by
// Ghostscript on a page holding that stored item alone, written to EPS.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "tests/output/ps_check.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

class TenorClefConsoleTest : public ConsoleSessionTest {
  protected:
    // The ink of the item typed (on staff 1) as Ghostscript's bbox device reads the page
    // written to EPS.
    ps_check::Box tenor_ink_of(const std::string& item) {
        core::reset_engine();
        core::reset_service_gate();
        const std::string name = "tenor" + std::to_string(++files_) + ".eps";
        const std::string out = type({"EI", item, "PR", name});
        const std::vector<ps_check::Box> boxes = ps_check::gs_bboxes(name);
        EXPECT_EQ(boxes.size(), 1u) << out;
        return boxes.empty() ? ps_check::Box{} : boxes[0];
    }
    // A stored clef drawn alone at P3 50 with the given kind (P5) in its place.
    ps_check::Box tenor_clef_ink(const std::vector<float>& clef, float kind) {
        return tenor_ink_of("3 1 50 " + std::to_string(clef[3]) + " " + std::to_string(kind));
    }
    int32_t files_ = 0;
};

// The stored items of a code, each as its first six parameters.
std::vector<std::vector<float>> tenor_items_of(int32_t code) {
    std::vector<std::vector<float>> found;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) != static_cast<float>(code)) continue;
        std::vector<float> item;
        for (int32_t j = 1; j <= 6; ++j) item.push_back(stored_param(k, j));
        found.push_back(item);
    }
    return found;
}

}  // namespace

TEST_F(TenorClefConsoleTest, ATenorClefStandsOneLineAboveAnAlto) {
    const std::string out = type({"IN 1", "", "TE/K2S/C4/D/E/F/AL/C4/TE/C4/M;", "Q;", ";", ";", ";",
                                  "X", "N", "PR", "page.eps"});
    const auto clefs = tenor_items_of(3);
    const auto keys = tenor_items_of(17);
    ASSERT_EQ(clefs.size(), 3u) << out;
    EXPECT_EQ(clefs[0][4], 3.0f);
    EXPECT_EQ(clefs[1][4], 2.0f);
    EXPECT_EQ(clefs[2][4], 3.0f);
    // Middle C is placed a line higher after a tenor clef than after the alto between them.
    const auto notes = tenor_items_of(1);
    ASSERT_EQ(notes.size(), 6u) << out;
    EXPECT_EQ(notes[0][3] - notes[4][3], 2.0f);
    EXPECT_EQ(notes[5][3] - notes[4][3], 2.0f);
    std::string why;
    EXPECT_TRUE(ps_check::eps_reads_clean("page.eps", why)) << why;

    // One staff line: a note head two steps higher.
    const ps_check::Box low = tenor_ink_of("1 1 50 4 10 0 1");
    const ps_check::Box high = tenor_ink_of("1 1 50 6 10 0 1");
    const double line = high.y1 - low.y1;
    ASSERT_GT(line, 1.0);

    // The clefs at the line's start and within it: each tenor as typed, against an alto drawn
    // in its place.
    for (std::size_t c : {std::size_t{0}, std::size_t{2}}) {
        SCOPED_TRACE(c);
        const ps_check::Box tenor = tenor_clef_ink(clefs[c], 3.0f);
        const ps_check::Box alto = tenor_clef_ink(clefs[c], 2.0f);
        EXPECT_NEAR(tenor.y1 - alto.y1, line, 0.2);
        EXPECT_NEAR(tenor.y2 - alto.y2, line, 0.2);
    }
    // The key after the tenor clef takes the tenor's heights (clef 3): its first sharp, F, on
    // the staff's second line, where the note F3 is placed for tenor.
    ASSERT_EQ(keys.size(), 1u) << out;
    EXPECT_EQ(keys[0][4], 2.0f);
    EXPECT_EQ(keys[0][5], 3.0f);
    // Drawn, that first sharp stands five steps below the alto's (F4, seven steps above the
    // alto's bottom line, against F3 on the tenor's second line).
    const ps_check::Box tenor_sharp = tenor_ink_of("17 1 50 0 1 3");
    const ps_check::Box alto_sharp = tenor_ink_of("17 1 50 0 1 2");
    EXPECT_NEAR(alto_sharp.y1 - tenor_sharp.y1, 2.5 * line, 0.2);
}
