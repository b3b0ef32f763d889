// PlacedWindow: what the INI store needs of an open window to save and
// restore its placement — whether it is maximized, minimized or resizable,
// its position and size in the window runtime's own coordinates, and the
// means to change them.
//
// New coordinates arrive as the texts read from the profile (a missing entry
// reads "---Unknown---"); how such a text becomes a coordinate, and any
// clamping, is the window runtime's. Called only by the run token's holder.
#pragma once

#include <string_view>

namespace zelvo {

class PlacedWindow {
 public:
  virtual ~PlacedWindow() = default;

  virtual bool IsMaximized() const = 0;
  virtual bool IsMinimized() const = 0;
  virtual bool IsResizable() const = 0;
  virtual int X() const = 0;
  virtual int Y() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  virtual void SetMaximized(bool maximized) = 0;
  virtual void SetPosition(std::string_view x, std::string_view y) = 0;
  virtual void SetSize(std::string_view width, std::string_view height) = 0;
};

}  // namespace zelvo
