#include "engine/render/render_hooks.h"

namespace render {

RenderHooksRecord RenderHooks;

}  // namespace render
