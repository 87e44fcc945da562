// A text file the user names: shown by "TYPE name" (the viewer, left with Cancel: the file must
// stay as it was), read line by line as text by "TTR" (its name the next line of a command
// file), and stamped by "DATE name".
#include <fstream>
#include <iterator>
#include <string>

#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/fuzz_session.h"

namespace {

std::string file_text(const char* name) {
    std::ifstream in(fuzz::root() / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::set_up("text_file");
    fuzz::write_small_page("small.MUS");
    const char* const script = "TTR 1 10 1\nfuzz.txt\n";
    fuzz::write_input("ttr.cmd", reinterpret_cast<const uint8_t*>(script),
                      std::char_traits<char>::length(script));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InputScope scope;
    fuzz::write_input("fuzz.txt", data, size);
    fuzz::fresh_engine();
    fuzz::type("G small.MUS");
    const uint64_t page = fuzz::page_digest();
    fuzz::type("TYPE fuzz.txt");
    fuzz::expect_page_unchanged(page, "viewing a text file");
    if (file_text("fuzz.txt") != std::string(reinterpret_cast<const char*>(data), size)) {
        std::fprintf(stderr, "fuzz: viewing a text file changed it\n");
        std::abort();
    }
    fuzz::type("RE ttr.cmd");
    fuzz::type("DATE fuzz.txt");
    return 0;
}
