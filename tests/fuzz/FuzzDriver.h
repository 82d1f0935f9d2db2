// What a fuzz target gives our own driver (used where the compiler has no libFuzzer): the entry
// libFuzzer calls, and pieces of text that mean something to the code under test, which the
// driver inserts into its mutations.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// The target's tokens: an array of NUL-terminated texts and its length.
const char* const* FuzzTokens(std::size_t* count);
