#include "storage/vxr/internal/vxr_run_length.h"

#include <cstdint>

namespace zelvo {
namespace {

constexpr std::size_t kMinRun = 4;

}  // namespace

void AppendVxrCount(std::string& out, std::size_t count) {
  while (count >= 0x80) {
    out.push_back(static_cast<char>(0x80 | (count & 0x7F)));
    count >>= 7;
  }
  out.push_back(static_cast<char>(count));
}

std::optional<std::size_t> ReadVxrCount(std::string_view text, std::size_t& pos) {
  std::uint64_t value = 0;
  for (unsigned shift = 0; shift < 35; shift += 7) {
    if (pos >= text.size()) return std::nullopt;
    const auto byte = static_cast<std::uint8_t>(text[pos++]);
    value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) {
      if (value > 0xFFFFFFFFu) return std::nullopt;
      return static_cast<std::size_t>(value);
    }
  }
  return std::nullopt;
}

std::optional<std::string> CompressVxrRuns(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t pairStart = 0;  // first byte not yet emitted
  bool anyRun = false;
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t runEnd = i + 1;
    while (runEnd < bytes.size() && bytes[runEnd] == bytes[i]) ++runEnd;
    if (runEnd - i >= kMinRun) {
      AppendVxrCount(out, i + 1 - pairStart);
      out.append(bytes.substr(pairStart, i + 1 - pairStart));
      AppendVxrCount(out, runEnd - i - 1);
      pairStart = runEnd;
      anyRun = true;
      if (out.size() >= bytes.size()) return std::nullopt;
    }
    i = runEnd;
  }
  if (!anyRun) return std::nullopt;
  AppendVxrCount(out, bytes.size() - pairStart);
  out.append(bytes.substr(pairStart));
  if (out.size() >= bytes.size()) return std::nullopt;
  return out;
}

std::optional<std::string> DecompressVxrRuns(std::string_view text, std::size_t expected) {
  std::string out;
  out.reserve(expected);
  std::size_t pos = 0;
  while (true) {
    const auto literals = ReadVxrCount(text, pos);
    if (!literals || *literals > expected - out.size() || *literals > text.size() - pos) {
      return std::nullopt;
    }
    out.append(text.substr(pos, *literals));
    pos += *literals;
    if (pos == text.size()) break;  // the last pair has no repeat count
    const auto repeats = ReadVxrCount(text, pos);
    if (!repeats || *repeats > expected - out.size() || out.empty()) return std::nullopt;
    out.append(*repeats, out.back());
  }
  if (out.size() != expected) return std::nullopt;
  return out;
}

}  // namespace zelvo
