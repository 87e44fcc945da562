// The slur drawer's working shape, shared by its two files (slurs.cpp: the item, the hat,
// brackets and figures; slur_outline.cpp: the arch, its dots, dashes, cuts and number gap).
#pragma once

#include <array>
#include <cstdint>

namespace render {

// One slur's construction, in display units. The arch is built level from (xl, yl) with the
// given length and rotated afterwards by the slope dy / dx.
struct SlurShape {
    float scale = 0.0f;
    float apex = 0.5f;  // fraction of the length at which the apex lies (P10)
    float xl = 0.0f, yl = 0.0f, xr = 0.0f;
    float dx = 0.0f, dy = 0.0f;
    float h = 0.0f;        // apex height, signed
    float y_right = 0.0f;  // right end's y (P5)
    float length = 0.0f;   // length of the construction
    float x_start = 0.0f;  // left end before a half slur moves it
    float y_start = 0.0f;
    float span = 0.0f;       // INT(xr) - INT(xl) before a half slur doubles it
    float cut_left = 0.0f;   // fraction cut away at the left
    float cut_right = 0.0f;  // fraction at which the right cut lies
    int32_t half = 0;        // 1 left half, 2+ right half, -1 S shape
    int32_t number = 0;      // tuplet figure (INT(P16))
    int32_t dash_code = 0;   // IP11; the arch leaves its dash count here
};

// OutputPassWord of the PostScript pass.
constexpr int32_t kPsPass = -1;

// ParamBuffer / IntParamBuffer words 3..20, kept across one item.
struct ParamWords {
    std::array<float, 18> real{};
    std::array<int32_t, 18> whole{};
};
ParamWords save_param_words();
void restore_param_words(const ParamWords& words);

// The last usable PathPointList entry: PathPointLimit held to the list's capacity.
int32_t path_limit();

// Contract: appends the arch of w (from PathPointList.count on): the filled tapered outline,
// or its dots or dashes, then the cuts and the gap for the figure. Reads ParamBuffer 7, 9, 11,
// 12, 13, 19, SlurThickness and OutputPassWord; sets w.dash_code to the dash count used. Returns
// false when nothing is left of the slur (an arch that does not fit below path_limit(), which
// leaves the list as it found it, or a left cut above 0.94).
bool build_slur_outline(SlurShape& w);

}  // namespace render
