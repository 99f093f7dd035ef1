// MemoryStream: opening, seeking and reading whole items.
#include "pictures/memory_stream.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
const uint8_t kTen[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
}

// No block, or no bytes in it, opens nothing; a stream opens at 0 over the whole block.
TEST(MemoryStream, OpenRefusesBadArguments) {
    EXPECT_EQ(openMemoryStream(nullptr, 10), nullptr);
    EXPECT_EQ(openMemoryStream(kTen, 0), nullptr);
    EXPECT_EQ(openMemoryStream(kTen, -1), nullptr);
    const auto stream = openMemoryStream(kTen, 10);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->position, 0);
    EXPECT_EQ(stream->size, 10);
}

// Origins 0, 1 and 2 are the start, the position and the size, any other the start; the result
// is clamped to the last byte, computed without overflow.
TEST(MemoryStream, SeekStaysWithinTheBlock) {
    const struct {
        int32_t from, offset;
        int origin;
        int32_t want;
    } cases[] = {
        {0, 5, 0, 5},  {0, 0, 2, 9},          {1, -3, 1, 0},
        {0, 7, 9, 7},  {4, 3, 1, 7},          {0, -2, 2, 8},
        {0, 10, 0, 9}, {9, 2147483647, 1, 9}, {0, -2147483647 - 1, 2, 0},
    };
    for (const auto &c : cases) {
        MemoryStream stream(kTen, 10);
        stream.position = c.from;
        stream.seek(c.offset, c.origin);
        EXPECT_EQ(stream.position, c.want)
            << "seek(" << c.offset << ", " << c.origin << ") from " << c.from;
    }
}

// As many whole items as the bytes left hold, copied in order, the position moved past them.
TEST(MemoryStream, ReadCopiesWholeItemsOnly) {
    const uint8_t block[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    const struct {
        int32_t size, from;
        uint32_t itemSize, itemCount, wantItems;
    } cases[] = {
        {12, 0, 4, 3, 3},            // 12 available: all of it
        {10, 0, 4, 3, 2},            // 10 available: two whole items
        {10, 5, 4, 3, 1},            // 5 available: one
        {10, 10, 1, 1, 0},           // nothing available
        {10, 0, 0, 5, 0},            // items of no size
        {10, 0, 2, 0x80000000u, 5},  // a request whose 32-bit size would wrap to 0
    };
    for (const auto &c : cases) {
        uint8_t out[16];
        std::memset(out, 0xEE, sizeof out);
        MemoryStream stream(block, c.size);
        stream.position = c.from;
        const uint32_t got = stream.read(out, c.itemSize, c.itemCount);
        const int bytes = int(c.wantItems * c.itemSize);
        EXPECT_EQ(got, c.wantItems) << "read(" << c.itemSize << ", " << c.itemCount << ") of "
                                    << c.size - c.from << " available";
        EXPECT_EQ(stream.position, c.from + bytes);
        for (int i = 0; i < 16; ++i)
            ASSERT_EQ(out[i], i < bytes ? uint8_t(c.from + i) : 0xEE)
                << "byte " << i << " of row " << &c - cases;
    }
}
