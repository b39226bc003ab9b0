#include "base/large_pages.h"

#include <sys/mman.h>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace skywave {

namespace {

constexpr std::size_t kRegion = std::size_t(1) << 21;
constexpr std::size_t kAlign = 64;

struct Region {
    char* base;
    std::size_t size, used, live;  // bytes, bytes handed out, blocks not given back
};

struct Regions {
    std::mutex mutex;
    std::vector<Region> list;
};

Regions& regions() {
    static Regions* r = new Regions;  // never destroyed: blocks may outlive static objects
    return *r;
}

std::size_t round_up(std::size_t n, std::size_t to) {
    return (n + to - 1) / to * to;
}

}  // namespace

void* large_page_block(std::size_t bytes) {
    bytes = round_up(bytes == 0 ? 1 : bytes, kAlign);
    Regions& r = regions();
    std::lock_guard lock(r.mutex);
    for (Region& region : r.list) {
        if (region.size - region.used >= bytes) {
            void* p = region.base + region.used;
            region.used += bytes;
            ++region.live;
            return p;
        }
    }
    const std::size_t size = round_up(bytes, kRegion);
    char* base = static_cast<char*>(std::aligned_alloc(kRegion, size));
    if (!base) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(base, size, MADV_HUGEPAGE);  // a hint: without large pages all still works
#endif
    try {
        r.list.push_back({base, size, bytes, 1});
    } catch (...) {
        std::free(base);
        throw;
    }
    return base;
}

void large_page_release(void* block) {
    if (!block) return;
    const char* p = static_cast<const char*>(block);
    Regions& r = regions();
    std::lock_guard lock(r.mutex);
    for (auto it = r.list.begin(); it != r.list.end(); ++it) {
        if (p >= it->base && p < it->base + it->size) {
            if (--it->live == 0) {
                std::free(it->base);
                r.list.erase(it);
            }
            return;
        }
    }
}

}  // namespace skywave
