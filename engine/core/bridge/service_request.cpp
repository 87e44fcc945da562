// The service gate: one-letter requests become tags for the front-end's FrontEndService.
#include "engine/core/bridge/service_request.h"

#include <algorithm>
#include <cstring>

#include "engine/core/bridge/front_end_port.h"
#include "engine/core/numeric.h"

namespace core {

namespace {

// The gate's state between requests: the tag as the front-end left it and the cursor number.
struct ServiceGateRecord {
    char tag[4] = {'~', ' ', ' ', '\0'};
    int32_t cursor = 0;
    ServiceBlock copy;
};
ServiceGateRecord ServiceGate;

constexpr int32_t kLastCursor = 18;
constexpr int32_t kDefaultColour = 8388736;  // red 128, green 0, blue 128
// The characters "c:m" and a NUL as one word, the placeholder path of v, h and a.
constexpr int32_t kPlaceholderPath = 'c' | (':' << 8) | ('m' << 16);
constexpr int32_t kLineStep = 20;

// Second and third tag characters of each service letter ('b' sets only the second).
struct TagEntry {
    char letter;
    char second;
    char third;
};
constexpr TagEntry kTags[] = {
    {'a', 'a', 's'}, {'b', 'b', 0},   {'c', 'c', 'u'}, {'d', 'd', 'i'}, {'e', 'e', 'e'},
    {'f', 'f', 'o'}, {'g', 'g', 'o'}, {'h', 'h', 'p'}, {'i', 'i', 'm'}, {'k', 'k', 'k'},
    {'l', 'l', 'a'}, {'m', 'm', 'o'}, {'n', 'n', 'a'}, {'o', 'o', 'l'}, {'p', 'p', 'o'},
    {'r', 'r', 'i'}, {'s', 's', 'c'}, {'v', 'v', 'e'}, {'z', 'z', 'a'},
};

const TagEntry* find_tag(char letter) {
    for (const TagEntry& t : kTags)
        if (t.letter == letter) return &t;
    return nullptr;
}

void set_tag(const TagEntry& t) {
    if (t.third == 0) {
        ServiceGate.tag[1] = t.second;
        return;
    }
    ServiceGate.tag[0] = '~';
    ServiceGate.tag[1] = t.second;
    ServiceGate.tag[2] = t.third;
}

// One call of the front-end with the gate's tag and copy; the tag comes back into the buffer.
void serve() {
    char tag[4];
    std::memcpy(tag, ServiceGate.tag, 4);
    front_end().FrontEndService(tag, ServiceGate.copy);
    std::memcpy(ServiceGate.tag, tag, 3);  // the fourth character is the gate's own
}

}  // namespace

// Reads IntParamBuffer(1) (cursor) and ParamBuffer(1..2) (request '0'); writes the block.
void request_front_end_service(char letter, ServiceBlock& block) {
    if (letter == '0') {
        set_tag(*find_tag('z'));
        ServiceGate.copy = block;
        serve();
        const int32_t width = ServiceGate.copy(1);
        const int32_t height = ServiceGate.copy(2);
        ServiceGate.copy(1) = int_of(ParamBuffer(1));
        ServiceGate.copy(2) = int_of(ParamBuffer(2));
        ServiceGate.copy(3) = width;
        ServiceGate.copy(4) = height;
        ServiceGate.copy(5) = kLineStep;
        ServiceGate.copy(6) = kLineStep;
        set_tag(*find_tag('s'));
        serve();
        block = ServiceGate.copy;
        return;
    }
    const TagEntry* t = find_tag(letter);
    if (t == nullptr) return;
    set_tag(*t);
    ServiceGate.copy = block;
    switch (letter) {
        case 'c':
            if (IntParamBuffer(1) != 0) {
                ServiceGate.copy(1) = IntParamBuffer(1);
            } else {
                ServiceGate.cursor = ServiceGate.cursor >= kLastCursor ? 0 : ServiceGate.cursor + 1;
                ServiceGate.copy(1) = ServiceGate.cursor;
            }
            break;
        case 'f':
        case 'r':
        case 'l':
            ServiceGate.copy(1) = 0;
            break;
        case 'o':
            ServiceGate.copy(1) = kDefaultColour;
            break;
        case 'v':
        case 'h':
        case 'a':
            ServiceGate.copy(1) = kPlaceholderPath;
            break;
        default:
            break;
    }
    serve();
    block = ServiceGate.copy;
}

const char* last_service_tag() { return ServiceGate.tag; }

int32_t service_cursor_number() { return ServiceGate.cursor; }

void reset_service_gate() {
    ServiceGate.tag[0] = '~';
    ServiceGate.tag[1] = ' ';
    ServiceGate.tag[2] = ' ';
    ServiceGate.tag[3] = '\0';
    ServiceGate.cursor = 0;
    ServiceGate.copy.fill(0);
}

void set_block_text(ServiceBlock& block, std::string_view text, int first_word) {
    if (first_word < 1 || first_word > ServiceBlock::size()) return;
    const std::size_t room = static_cast<std::size_t>(ServiceBlock::size() - first_word + 1) * 4;
    const std::size_t n = std::min(text.size(), room - 1);
    auto* bytes = reinterpret_cast<char*>(block.at(first_word));
    std::memcpy(bytes, text.data(), n);
    bytes[n] = '\0';
}

std::string block_text(const ServiceBlock& block, int first_word) {
    if (first_word < 1 || first_word > ServiceBlock::size()) return {};
    const std::size_t room = static_cast<std::size_t>(ServiceBlock::size() - first_word + 1) * 4;
    const auto* bytes = reinterpret_cast<const char*>(block.at(first_word));
    std::size_t n = 0;
    while (n < room && bytes[n] != '\0') ++n;
    return std::string(bytes, n);
}

}  // namespace core
