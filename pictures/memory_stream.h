// MemoryStream: a small read-only stream over a byte block it does not own, through which the
// embedded picture files are read. Needs: the standard library only.
#pragma once

#include <cstdint>
#include <memory>

class MemoryStream final {
public:
    MemoryStream(const uint8_t *block, int32_t length) : data(block), size(length) {}

    // Moves to offset from the start (origin 0), the position (1) or the end (2); any other
    // origin takes offset as absolute. Kept within 0 .. size - 1.
    virtual void seek(int32_t offset, int origin);
    // Copies as many whole items as are left, up to itemCount; returns how many.
    virtual uint32_t read(void *destination, uint32_t itemSize, uint32_t itemCount);
    // Nothing to release; always 0.
    virtual int close();

    const uint8_t *data;   // start of the block
    int32_t size;          // length of the block in bytes
    int32_t position = 0;  // offset of the next byte to read
};

// A new stream at position 0, or none for a null block, a length of 0 or less, or no memory.
std::unique_ptr<MemoryStream> openMemoryStream(const uint8_t *block, int32_t length);
