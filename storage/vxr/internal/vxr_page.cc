#include "storage/vxr/internal/vxr_page.h"

#include <algorithm>

#include "storage/vxr/internal/vxr_corruption.h"
#include "storage/vxr/internal/vxr_run_length.h"

namespace zelvo {
namespace {

constexpr std::uint8_t kNewLength = 0x80;
constexpr std::uint8_t kNewKeyLength = 0x40;
constexpr std::size_t kMaxReuse = 63;

void Append16(std::string& out, std::size_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

// Byte `i` of a record's key part and data part laid end to end.
char ByteOf(const VxrRecord& r, std::size_t i) { return i < r.key.size() ? r.key[i] : r.data[i - r.key.size()]; }

std::string SerializeRecords(const std::vector<VxrRecord>& records) {
  std::string out;
  std::size_t size = 0;
  for (const VxrRecord& r : records) size += VxrRecordContent(r.key.size() + r.data.size());
  out.reserve(size);
  const VxrRecord* previous = nullptr;
  for (const VxrRecord& r : records) {
    const std::size_t length = r.key.size() + r.data.size();
    std::size_t reuse = 0;
    if (previous) {
      const std::size_t limit =
          std::min({kMaxReuse, length, previous->key.size() + previous->data.size()});
      while (reuse < limit && ByteOf(r, reuse) == ByteOf(*previous, reuse)) ++reuse;
    }
    const bool newLength = !previous || length != previous->key.size() + previous->data.size();
    const bool newKey = !previous || r.key.size() != previous->key.size();
    out.push_back(static_cast<char>((newLength ? kNewLength : 0) | (newKey ? kNewKeyLength : 0) |
                                    reuse));
    if (newLength) Append16(out, length);
    if (newKey) Append16(out, r.key.size());
    if (reuse < r.key.size()) {
      out.append(r.key, reuse);
      out.append(r.data);
    } else {
      out.append(r.data, reuse - r.key.size());
    }
    previous = &r;
  }
  return out;
}

VxrStatus ParseRecords(std::string_view part, std::size_t count, std::vector<VxrRecord>& records) {
  std::string previous;
  std::size_t previousKey = 0;
  std::size_t pos = 0;
  auto read16 = [&](std::size_t& v) {
    if (part.size() - pos < 2) return false;
    v = static_cast<std::uint8_t>(part[pos]) | std::size_t{static_cast<std::uint8_t>(part[pos + 1])} << 8;
    pos += 2;
    return true;
  };
  records.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (pos >= part.size()) return VxrStatus::Corrupt(kVxrPageRecords);
    const auto flags = static_cast<std::uint8_t>(part[pos++]);
    const std::size_t reuse = flags & kMaxReuse;
    std::size_t length = previous.size();
    std::size_t keyLength = previousKey;
    if (i == 0 && (flags & (kNewLength | kNewKeyLength)) != (kNewLength | kNewKeyLength)) {
      return VxrStatus::Corrupt(kVxrPageRecords);
    }
    if ((flags & kNewLength) && !read16(length)) return VxrStatus::Corrupt(kVxrPageRecords);
    if ((flags & kNewKeyLength) && !read16(keyLength)) return VxrStatus::Corrupt(kVxrPageRecords);
    if (reuse > previous.size() || reuse > length || keyLength > length ||
        part.size() - pos < length - reuse) {
      return VxrStatus::Corrupt(kVxrPageRecords);
    }
    // `previous` becomes this record: its shared prefix stays in place.
    previous.resize(reuse);
    previous.append(part.substr(pos, length - reuse));
    pos += length - reuse;
    VxrRecord record{previous.substr(0, keyLength), previous.substr(keyLength)};
    if (!records.empty() && CompareVxrKeys(records.back().key, record.key) >= 0) {
      return VxrStatus::Corrupt(kVxrPageOrder);
    }
    records.push_back(std::move(record));
    previousKey = keyLength;
  }
  if (pos != part.size()) return VxrStatus::Corrupt(kVxrPageRecords);
  return {};
}

}  // namespace

std::size_t VxrPage::ContentSize() const {
  std::size_t size = kVxrPageHeader + 4 * children.size();
  for (const VxrRecord& r : records) size += VxrRecordContent(r.key.size() + r.data.size());
  return size;
}

bool VxrPage::NeedsSplit() const {
  const std::size_t content = ContentSize();
  return content > kVxrSplitContent ||
         (content > kVxrSplitManyContent && records.size() > kVxrSplitManyRecords);
}

std::string EncodeVxrPage(const VxrPage& page, std::uint32_t home) {
  const std::string plain = SerializeRecords(page.records);
  const auto compressed = CompressVxrRuns(plain);
  const std::size_t fixed = kVxrPageHeader + 4 * page.children.size();
  const std::string& part = compressed ? *compressed : plain;
  std::string out(fixed, '\0');
  std::span<std::uint8_t> b(reinterpret_cast<std::uint8_t*>(out.data()), out.size());
  VxrStore32(b, 0, home);
  VxrStore16(b, 4, static_cast<std::uint16_t>(fixed + part.size()));
  VxrStore16(b, 6, static_cast<std::uint16_t>(fixed + plain.size()));
  VxrStore16(b, 8, static_cast<std::uint16_t>(page.ContentSize()));
  VxrStore16(b, 10, static_cast<std::uint16_t>(page.records.size()));
  b[12] = page.level;
  for (std::size_t i = 0; i < page.children.size(); ++i) VxrStore32(b, 13 + 4 * i, page.children[i]);
  out += part;
  return out;
}

void VxrSetPageHome(std::string& bytes, std::uint32_t home) {
  VxrStore32(std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()), 0, home);
}

std::size_t VxrStoredSize(std::span<const std::uint8_t> bytes) { return VxrLoad16(bytes, 4); }

VxrPageDecode DecodeVxrPage(std::span<const std::uint8_t> b, std::uint32_t home) {
  VxrPageDecode result;
  if (b.size() < kVxrPageHeader) return {VxrStatus::Corrupt(kVxrPageSize), {}};
  if (VxrLoad32(b, 0) != home) return {VxrStatus::Corrupt(kVxrPageHome), {}};
  const std::size_t stored = VxrLoad16(b, 4);
  const std::size_t plain = VxrLoad16(b, 6);
  const std::size_t count = VxrLoad16(b, 10);
  VxrPage& page = result.page;
  page.level = b[12];
  const std::size_t fixed = kVxrPageHeader + (page.level > 0 ? 4 * count : 0);
  if (stored > b.size() || stored > plain || plain > kVxrLargestPage || stored < fixed ||
      (page.level > 0 && count == 0)) {
    return {VxrStatus::Corrupt(kVxrPageSize), {}};
  }
  if (page.level > 0) {
    page.children.resize(count);
    for (std::size_t i = 0; i < count; ++i) page.children[i] = VxrLoad32(b, 13 + 4 * i);
  }
  const std::string_view storedPart(reinterpret_cast<const char*>(b.data()) + fixed, stored - fixed);
  std::string decoded;
  std::string_view part = storedPart;
  if (stored < plain) {
    auto runs = DecompressVxrRuns(storedPart, plain - fixed);
    if (!runs) return {VxrStatus::Corrupt(kVxrPageRuns), {}};
    decoded = std::move(*runs);
    part = decoded;
  }
  result.status = ParseRecords(part, count, page.records);
  if (!result.status.Ok()) result.page = {};
  return result;
}

}  // namespace zelvo
