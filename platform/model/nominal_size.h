// NominalSize: the size a window would have on a plain display, computed from
// its definition, for the back end without one. Headless windows get it at
// open, so that placements save and restore there as on a real display and a
// user's resize changes the rows a list shows by whole rows.
//
// Metrics: a character is 8 pixels wide, a line of controls 24 high, a list
// row 16 high; the frame is 800 by 600.
#pragma once

#include "platform/window_definition.h"

namespace zelvo {

inline constexpr int kNominalCharacterWidth = 8;
inline constexpr int kNominalLineHeight = 24;
inline constexpr int kNominalListRowHeight = 16;
inline constexpr int kNominalFrameWidth = 800;
inline constexpr int kNominalFrameHeight = 600;

struct NominalSize {
  int width = 0;
  int height = 0;
};

NominalSize NominalSizeOf(const WindowDefinition& definition);

// The rows a list of `definitionRows` shows in a window of `height` whose
// nominal height is `nominalHeight`: whole rows gained or lost, at least one.
int NominalVisibleRows(int definitionRows, int nominalHeight, int height);

}  // namespace zelvo
