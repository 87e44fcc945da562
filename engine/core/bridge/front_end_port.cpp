#include "engine/core/bridge/front_end_port.h"

namespace core {

namespace {
FrontEndPort* g_port = nullptr;
}

void set_front_end(FrontEndPort* port) { g_port = port; }

FrontEndPort& front_end() {
    if (g_port == nullptr) throw EngineDefect("internal error: no front-end is connected");
    return *g_port;
}

bool has_front_end() { return g_port != nullptr; }

}  // namespace core
