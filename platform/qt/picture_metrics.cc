#include "platform/qt/picture_metrics.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QWidget>

#include "runtime/picture.h"

namespace zelvo {

int PictureCharacters(std::string_view picture) {
  const std::optional<Picture> parsed = Picture::Parse(picture);
  return parsed ? parsed->width() : 0;
}

Qt::Alignment PictureAlignment(std::string_view picture) {
  const std::optional<Picture> parsed = Picture::Parse(picture);
  const bool number = parsed && (parsed->kind() == PictureKind::Numeric || parsed->kind() == PictureKind::Scientific);
  return (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

int CharacterWidths(const QWidget& widget, int characters) {
  // The font's own average is taken over Latin letters; the program's texts
  // are mostly Cyrillic, whose letters run wider, so a column or an entry as
  // wide as its picture in that average cuts a text that fills the picture.
  // The average here is that of the letters the program writes.
  static const QString kLetters = QString::fromUtf8(
      "абвгдежзийклмнопрстуфхцчшщъыьэюяАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ0123456789 .,");
  const QFontMetrics metrics(widget.font());
  const double letter = std::max<double>(metrics.averageCharWidth(),
                                         metrics.horizontalAdvance(kLetters) / static_cast<double>(kLetters.size()));
  return static_cast<int>(std::ceil(letter * characters));
}

}  // namespace zelvo
