#include "platform/qt/picture_metrics.h"

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
  return QFontMetrics(widget.font()).averageCharWidth() * characters;
}

}  // namespace zelvo
