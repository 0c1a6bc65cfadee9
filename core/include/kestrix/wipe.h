#pragma once
// Overwriting bytes that held screen pixels (pictures, their PNG encodings) before
// their memory is released, in a way the compiler cannot leave out.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrix {

void wipe_bytes(void* bytes, size_t size);
inline void wipe_bytes(std::vector<uint8_t>& bytes) { wipe_bytes(bytes.data(), bytes.size()); }

}  // namespace kestrix
