#include "engine/render/boxes.h"

#include "engine/render/output_lists.h"
#include "engine/render/tables.h"

namespace render {

namespace {
constexpr int32_t kPostScriptPass = -1;
}

// Contract: see the header.
void add_path_quad() {
    add_path_point(QuadWork.x(1), QuadWork.y(1), static_cast<int16_t>(QuadWork.start_op));
    for (int k = 2; k <= 4; ++k) add_path_point(QuadWork.x(k), QuadWork.y(k), 0);
    add_path_point(QuadWork.x(1), QuadWork.y(1), 0);
    if (OutputPassWord == kPostScriptPass) add_path_point(QuadWork.x(2), QuadWork.y(2), 0);
    QuadWork.start_op = 0;
}

}  // namespace render
