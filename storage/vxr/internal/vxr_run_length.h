// The run-length compression of a VXR page's record part, and the base-128
// counts it is written with.
//
// A count is an unsigned number in base-128 little-endian form: 7 bits a
// byte, lowest first, 0x80 added to every byte but the last (200 -> C8 01).
//
// The compressed text is a sequence of pairs: a literal count L, L literal
// bytes, a repeat count R (the last literal byte is repeated R more times).
// The last pair has no repeat count; its literal count may be 0. Only runs of
// at least 4 equal bytes are folded.
//
// Example:
//     CompressVxrRuns("AB" + ten 0x20)  == 03 41 42 20 09 00
//     DecompressVxrRuns(that, 12)       == "AB" + ten 0x20
//     CompressVxrRuns("ABCD")           == nullopt (no run: stored as is)
//
// Stateless; safe from any thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zelvo {

void AppendVxrCount(std::string& out, std::size_t count);

// Reads a count at `pos` and moves `pos` past it; nullopt when the text ends
// inside it or it does not fit 32 bits.
std::optional<std::size_t> ReadVxrCount(std::string_view text, std::size_t& pos);

// The compressed form, or nullopt when the bytes hold no run of 4 or the
// compressed form would not be smaller.
std::optional<std::string> CompressVxrRuns(std::string_view bytes);

// Exactly `expected` bytes, or nullopt when the text is damaged: a count
// beyond the bytes still expected, a repeat with no byte before it, a text
// that ends early or goes on after the expected bytes.
std::optional<std::string> DecompressVxrRuns(std::string_view text, std::size_t expected);

}  // namespace zelvo
