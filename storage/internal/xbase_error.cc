#include "storage/internal/xbase_error.h"

namespace zelvo {
namespace {

constexpr XBaseError kXBaseErrors[] = {
    {-201, "file write failure", ErrorCode{5}},
    {-202, "file read failure", ErrorCode{5}},
    {-203, "memory allocation error", ErrorCode{8}},
    {-204, "file pointer reposition failed", ErrorCode{35}},
    {-205, "file not found", ErrorCode{2}},
    {-206, "file corrupted", ErrorCode{38}},
    {-207, "bad user specified key expression", ErrorCode{47}},
    {-208, "no handles available", ErrorCode{4}},
    {-209, "no index pages loaded", ErrorCode{90}},
    {-210, "index page was not loaded", ErrorCode{90}},
    {-211, "file close failure", ErrorCode{90}},
    {-212, "invalid command", ErrorCode{90}},
    {-213, "invalid handle number", ErrorCode{90}},
    {-214, "invalid filename", ErrorCode{45}},
    {-215, "invalid date", ErrorCode{90}},
    {-216, "invalid time", ErrorCode{90}},
    {-217, "file not in memo format", ErrorCode{57}},
    {-218, "invalid dBaseIII version", ErrorCode{36}},
    {-219, "file header length error", ErrorCode{53}},
    {-220, "last file change date in error", ErrorCode{53}},
    {-221, "parameter address NULL", ErrorCode{90}},
    {-222, "invalid key type", ErrorCode{47}},
    {-223, "invalid key length", ErrorCode{47}},
    {-224, "item length incorrect", ErrorCode{47}},
    {-225, "invalid root page", ErrorCode{38}},
    {-226, "bad maximum number of keys per page", ErrorCode{38}},
    {-227, "invalid number of fields", ErrorCode{47}},
    {-228, "field name invalid", ErrorCode{47}},
    {-229, "bad field length", ErrorCode{47}},
    {-230, "decimal places parameter invalid", ErrorCode{75}},
    {-231, "invalid field type", ErrorCode{75}},
    {-232, "invalid record length", ErrorCode{47}},
    {-233, "bad data", ErrorCode{90}},
    {-234, "memo soft line length invalid", ErrorCode{90}},
    {-235, "MDX flag in DBF file invalid", ErrorCode{36}},
    {-236, "file open for reading only", ErrorCode{5}},
    {-237, "file locking violation", ErrorCode{32}},
    {-238, "sharing buffer overflow", ErrorCode{332}},
    {-239, "path not found", ErrorCode{3}},
    {-240, "access to file denied", ErrorCode{5}},
    {-241, "invalid access code", ErrorCode{5}},
    {-242, "file must be locked first", ErrorCode{63}},
    {-243, "diskette changed", ErrorCode{317}},
    {-244, "bad minimum number of keys per page", ErrorCode{90}},
    {-245, "some files remain open", ErrorCode{90}},
    {-246, "could not open the file", ErrorCode{5}},
    {-247, "flush to disk failure", ErrorCode{90}},
    {-248, "invalid tag handle", ErrorCode{47}},
    {-249, "invalid page size in blocks", ErrorCode{90}},
    {-250, "invalid tag name", ErrorCode{46}},
    {-251, "invalid page offset adder", ErrorCode{90}},
    {-252, "inv. max number of tag table elements", ErrorCode{90}},
    {-253, "bad tag table element length", ErrorCode{90}},
    {-254, "invalid tag count", ErrorCode{90}},
    {-255, "unknown key format switches", ErrorCode{90}},
    {-256, "unknown switch error", ErrorCode{90}},
    {-257, "tag in use", ErrorCode{90}},
    {-258, "Windows GlobalLock error", ErrorCode{90}},
    {-259, "Windows Task lookup Failed", ErrorCode{90}},
    {-260, "internal lock buffer overflow", ErrorCode{90}},
    {-261, "internal lock buffer underflow", ErrorCode{90}},
    {-279, "", ErrorCode{32}},
};

}  // namespace

const XBaseError* FindXBaseError(int code) {
  for (const XBaseError& entry : kXBaseErrors)
    if (entry.code == code) return &entry;
  return nullptr;
}

std::span<const XBaseError> XBaseErrors() { return kXBaseErrors; }

}  // namespace zelvo
