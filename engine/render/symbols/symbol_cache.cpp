#include <algorithm>

#include "engine/render/symbols/drawing_files.h"
#include "engine/render/symbols/symbols.h"

namespace render {

SymbolCacheRecord SymbolCache;

namespace {

// Entry of the cache holding symbol number (first match), 0 when none.
int32_t find_cached_symbol(int32_t number) {
    const auto& cache = SymbolCache;
    for (int32_t k = 1; k <= cache.count; ++k) {
        if (cache.number(k) == number) return k;
    }
    return 0;
}

// Moves n points of LibraryDrawingBuffers from `from` to the front (the ranges may overlap).
void move_to_front(int32_t from, int32_t n) {
    auto& b = LibraryDrawingBuffers;
    if (n < 1 || from == 1) return;
    b.x.check_range(from, n);
    std::copy(b.x.at(from), b.x.at(from) + n, b.x.at(1));
    std::copy(b.y.at(from), b.y.at(from) + n, b.y.at(1));
    std::copy(b.pen.at(from), b.pen.at(from) + n, b.pen.at(1));
}

}  // namespace

void clear_symbol_cache() {
    SymbolCache.count = 0;
    SymbolCache.start.fill(0);
    SymbolCache.number.fill(0);
}

// Contract: see the header. Reads and writes SymbolCache and LibraryDrawingBuffers.
int32_t fetch_symbol_drawing(int32_t number) {
    auto& cache = SymbolCache;
    auto& b = LibraryDrawingBuffers;
    const int32_t hit = find_cached_symbol(number);
    if (hit != 0) {
        const int32_t from = cache.start(hit);
        const int32_t n = cache.start(hit + 1) - from;
        if (n > 0) {
            cache.x.check_range(from, n);
            std::copy(cache.x.at(from), cache.x.at(from) + n, b.x.at(1));
            std::copy(cache.y.at(from), cache.y.at(from) + n, b.y.at(1));
            std::copy(cache.pen.at(from), cache.pen.at(from) + n, b.pen.at(1));
        }
        return std::max(n, 0);
    }

    DrawingStartTable start;
    DrawingNames names;
    if (!read_library_drawing(number / 10, start, names)) return -1;
    const int32_t d = number % 10;
    const int32_t first = start(d + 1);
    const int32_t end = start(d + 2);
    const int32_t held = start(kDrawingsPerFile + 1) - 1;
    int32_t n = end - first;
    // Start entries come from the file: a drawing reaching outside the points read is taken
    // as empty rather than drawn from whatever the buffers held before.
    if (n < 0 || (n > 0 && (first < 1 || end - 1 > held))) n = 0;

    // A drawing larger than the whole cache would overrun it even when emptied: it is drawn
    // from the buffers and not cached.
    if (n > kCachePoints) {
        move_to_front(first, n);
        return n;
    }

    int32_t next = cache.count == 0 ? 1 : cache.start(cache.count + 1);
    // Points next .. next + n - 1 must lie in the cache; a drawing that ends on its last
    // point still fits.
    if (cache.count + 1 > kCachedSymbols || next - 1 + n > kCachePoints) {
        cache.count = 0;
        next = 1;
    }
    const int32_t k = cache.count + 1;
    cache.count = k;
    cache.number(k) = number;
    cache.start(k) = next;
    cache.start(k + 1) = next + n;
    if (n > 0) {
        cache.x.check_range(next, n);
        b.x.check_range(first, n);
        std::copy(b.x.at(first), b.x.at(first) + n, cache.x.at(next));
        std::copy(b.y.at(first), b.y.at(first) + n, cache.y.at(next));
        std::copy(b.pen.at(first), b.pen.at(first) + n, cache.pen.at(next));
        move_to_front(first, n);
    }
    return n;
}

}  // namespace render
