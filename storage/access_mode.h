// AccessMode: the mode OPEN takes, an access part plus a sharing part.
//
//     access   0 read only      1 write only     2 read and write
//     sharing  0x00 compatibility   0x10 deny all   0x20 deny write
//              0x30 deny read       0x40 deny none (shared)
//
// How a driver maps the sharing part onto the operating system is the
// driver's own (compatibility is exclusive for dBase tables and shared for
// the indexed record files).
//
// Examples:
//     AccessMode{0x42}: read and write, deny none: AllowsWriting(), IsShared()
//     AccessMode{0x20}: read only, deny write: IsExclusive()
//     AccessMode{0x53}: not valid (access 3, sharing 0x50)
//
// A plain value; safe to copy and share.
#pragma once

#include <cstdint>

namespace zelvo {

enum class Access : std::uint8_t { ReadOnly = 0, WriteOnly = 1, ReadWrite = 2 };
enum class Sharing : std::uint8_t {
  Compatibility = 0x00,
  DenyAll = 0x10,
  DenyWrite = 0x20,
  DenyRead = 0x30,
  DenyNone = 0x40,
};

struct AccessMode {
  std::uint8_t value = 0x22;  // read and write, deny write: what a FILE opens with by default

  static constexpr AccessMode Of(Access access, Sharing sharing) {
    return {static_cast<std::uint8_t>(static_cast<std::uint8_t>(access) |
                                      static_cast<std::uint8_t>(sharing))};
  }

  constexpr Access AccessPart() const { return static_cast<Access>(value & 0x0F); }
  constexpr Sharing SharingPart() const { return static_cast<Sharing>(value & 0xF0); }
  // Access 0..2 and one of the five sharing values, nothing else.
  constexpr bool IsValid() const { return (value & 0x0F) <= 2 && (value & 0xF0) <= 0x40; }

  constexpr bool AllowsReading() const { return AccessPart() != Access::WriteOnly; }
  constexpr bool AllowsWriting() const { return AccessPart() != Access::ReadOnly; }
  constexpr bool IsShared() const { return SharingPart() == Sharing::DenyNone; }
  // Others are denied writing: deny all or deny write.
  constexpr bool IsExclusive() const {
    return SharingPart() == Sharing::DenyAll || SharingPart() == Sharing::DenyWrite;
  }

  friend constexpr bool operator==(AccessMode, AccessMode) = default;
};

}  // namespace zelvo
