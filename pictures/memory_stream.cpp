// MemoryStream: seek, read and close over a borrowed byte block.
#include "pictures/memory_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

// The target position in 64 bits, then clamped to the block.
void MemoryStream::seek(int32_t offset, int origin) {
    int64_t target = offset;
    if (origin == 1) target += position;
    if (origin == 2) target += size;
    if (target >= size) target = static_cast<int64_t>(size) - 1;
    if (target < 0) target = 0;
    position = static_cast<int32_t>(target);
}

// n = min(wanted, available) / itemSize whole items; the product is taken in 64 bits so a
// large request cannot wrap into a small one.
uint32_t MemoryStream::read(void *destination, uint32_t itemSize, uint32_t itemCount) {
    if (itemSize == 0) return 0;
    const uint64_t wanted = static_cast<uint64_t>(itemSize) * itemCount;
    const uint64_t available = static_cast<uint64_t>(size - position);
    const uint64_t items = std::min(wanted, available) / itemSize;
    if (items == 0) return 0;
    const size_t bytes = static_cast<size_t>(items * itemSize);
    std::memcpy(destination, data + position, bytes);
    position += static_cast<int32_t>(bytes);
    return static_cast<uint32_t>(items);
}

// A memory stream holds no resource.
int MemoryStream::close() {
    return 0;
}

// None for bad arguments; the block is borrowed, not copied.
std::unique_ptr<MemoryStream> openMemoryStream(const uint8_t *block, int32_t length) {
    if (block == nullptr || length <= 0) return nullptr;
    return std::unique_ptr<MemoryStream>(new (std::nothrow) MemoryStream(block, length));
}
