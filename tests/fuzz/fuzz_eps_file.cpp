// An EPS file placed on the page: a page of our own holds an EPS item naming "fig.eps" (the
// input) with its box still to be read, and one naming it with the box read already. "G" draws
// the page (the screen pass reads the box), "PRPS" writes the page as PostScript, copying the
// file's lines. Neither may change the page but for the box read into the item.
#include "tests/fuzz/fuzz_session.h"

namespace {

// The record of an EPS item on staff 1 at x, scale 1, P11 as given (-9999: its box was read),
// the name "fig.eps" in P14 and P15.
std::vector<float> eps_item(float x, float p11) {
    return {15.0f, 15.0f, 1.0f, x, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, p11, 0.0f, 0.0f,
            fuzz::chars_word("fig."), fuzz::chars_word("eps")};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("eps_file");
    std::vector<float> page = {3.0f, 8.0f, 1.0f, 0.0f};  // staff 1
    for (float f : eps_item(20.0f, 0.0f)) page.push_back(f);
    for (float f : eps_item(120.0f, -9999.0f)) page.push_back(f);
    fuzz::write_page("eps.MUS", page);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("fig.eps", data, size);
    fuzz::fresh_engine();
    fuzz::type("G eps.MUS");
    const uint64_t drawn = fuzz::page_digest();
    fuzz::type("PRPS");
    fuzz::expect_page_unchanged(drawn, "writing the PostScript of an EPS item");
    return 0;
}
