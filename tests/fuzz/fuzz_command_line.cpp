// Lines typed into the command bar: each line of the input (LF ended, a CR before the LF
// dropped, as the console reads them) is one call of the interpreter on the same fresh engine.
#include <string_view>

#include "tests/fuzz/fuzz_session.h"

namespace {

// A command typed after another sees what the first one left; more than this many lines add
// little but time.
constexpr int kMaxLines = 32;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("command_line");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::fresh_engine();
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (int n = 0; n < kMaxLines && !rest.empty(); ++n) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        fuzz::type(line);
    }
    return 0;
}
