#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "base/large_pages.h"

using namespace skywave;

namespace {

// Blocks carved from shared regions must never overlap, whatever the order they are
// given back in and however many threads ask at once; each is 64-byte aligned.
TEST(LargePages, BlocksFromSharedRegionsNeverOverlap) {
    const auto churn = [](int seed) {
        struct Block {
            unsigned char* p;
            std::size_t bytes;
            unsigned char mark;
        };
        std::vector<Block> blocks;
        std::uint32_t state = 2654435761u * std::uint32_t(seed + 1);
        for (int round = 0; round < 200; ++round) {
            state = state * 1664525u + 1013904223u;
            const std::size_t bytes =
                (std::size_t(1) << 17) + (state >> 12) % (std::size_t(3) << 20);
            auto* p = static_cast<unsigned char*>(large_page_block(bytes));
            if (reinterpret_cast<std::uintptr_t>(p) % 64 != 0) return false;
            const unsigned char mark = static_cast<unsigned char>(round * 7 + seed);
            std::memset(p, mark, bytes);
            blocks.push_back({p, bytes, mark});
            if (state % 3 == 0) {  // give one back, from anywhere in the list
                const std::size_t at = (state >> 8) % blocks.size();
                const Block b = blocks[at];
                for (std::size_t i = 0; i < b.bytes; i += 4093)
                    if (b.p[i] != b.mark || b.p[b.bytes - 1] != b.mark) return false;
                large_page_release(b.p);
                blocks.erase(blocks.begin() + std::ptrdiff_t(at));
            }
        }
        bool intact = true;
        for (const Block& b : blocks) {
            for (std::size_t i = 0; i < b.bytes; i += 4093)
                intact = intact && b.p[i] == b.mark;
            intact = intact && b.p[b.bytes - 1] == b.mark;
            large_page_release(b.p);
        }
        return intact;
    };
    std::vector<char> ok(3, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&, t] { ok[t] = churn(t); });
    for (auto& t : threads)
        t.join();
    for (int t = 0; t < 3; ++t)
        EXPECT_TRUE(ok[t]) << "thread " << t;
}

}  // namespace

// Tables rely on fresh blocks reading as zeros, also where a block of the same size
// was written and given back just before.
TEST(LargePages, FreshBlocksReadAsZeros) {
    constexpr std::size_t kBytes = std::size_t(3) << 20;
    for (int round = 0; round < 3; ++round) {
        auto* p = static_cast<unsigned char*>(large_page_block(kBytes));
        for (std::size_t i = 0; i < kBytes; i += 4093)
            ASSERT_EQ(p[i], 0) << "round " << round << " byte " << i;
        ASSERT_EQ(p[kBytes - 1], 0);
        std::memset(p, 0xff, kBytes);
        large_page_release(p);
    }
}
