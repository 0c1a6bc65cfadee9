#include "kestrix/wipe.h"

#include <cstring>

namespace kestrix {

namespace {

// memset through a pointer the compiler cannot see through: the stores are not
// optimised away although the memory is released right after.
void* (*volatile zero_bytes)(void*, int, size_t) = std::memset;

}  // namespace

void wipe_bytes(void* bytes, size_t size) {
    if (bytes != nullptr && size > 0) zero_bytes(bytes, 0, size);
}

}  // namespace kestrix
