// RelationMode: what an update or a delete of a parent record does to the
// related records: 0 nothing, 1 clear their linking fields, 2 refuse while
// they exist (restrict), 3 carry the change to them (cascade).
#pragma once

#include <cstdint>

namespace zelvo {

enum class RelationMode : std::uint8_t { None = 0, Clear = 1, Restrict = 2, Cascade = 3 };

}  // namespace zelvo
