// How wide a control is, measured as the program measures it: in average
// character widths of the interface font (the widget's own font, the
// desktop's, never the report font), from the picture its values are shown
// through.
#pragma once

#include <string_view>

#include <Qt>

class QWidget;

namespace zelvo {

// The characters a picture shows ("@n_9.2" -> 9); 0 for a text that is no picture.
int PictureCharacters(std::string_view picture);
// Numbers stand right, everything else left.
Qt::Alignment PictureAlignment(std::string_view picture);
// `characters` average character widths of the widget's font, in pixels: the
// average of the letters the program writes, Cyrillic among them.
int CharacterWidths(const QWidget& widget, int characters);

}  // namespace zelvo
