// The preview's page display on Qt: the pages the model names drawn on white
// sheets by the same painter the printer and the PDF writer use.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "platform/qt/pages_control.h"
#include "tests/platform/qt/qt_test_support.h"

namespace zelvo::testing {
namespace {

SharedPages ThreePages() {
  auto pages = std::make_shared<ReportPages>();
  pages->paper = kA4Portrait;
  for (int i = 1; i <= 3; ++i) {
    ReportPage page;
    PageItem title;
    title.x = 20;
    title.y = 20;
    title.text = Cp("Лицевой счет за март");
    title.font = {24, true};
    page.items.push_back(title);
    PageItem frame;
    frame.kind = PageItem::Kind::Box;
    frame.x = 10;
    frame.y = 10;
    frame.width = 190;
    frame.height = 277;
    page.items.push_back(frame);
    pages->pages.push_back(page);
  }
  return pages;
}

// The darkest grey level inside `area` of the image.
int Darkest(const QImage& image, QRect area) {
  int darkest = 255;
  area = area.intersected(image.rect());
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) darkest = std::min(darkest, qGray(image.pixel(x, y)));
  return darkest;
}

TEST(PagesControl, DrawsThePagesOnScreenWithTheirTexts) {
  ControlDefinition definition;
  definition.kind = ControlKind::Pages;
  definition.id = 1;
  definition.name = "Pages";
  Recorder recorder;
  PagesControl control(definition, recorder.Reporter());
  QWidget* widget = control.Widget();
  widget->resize(800, 600);
  ShowActive(*widget);

  ControlState state;
  state.id = 1;
  state.pages = PageDisplay{.pages = ThreePages(), .first = 2, .across = 2, .down = 1, .current = 3,
                            .zoom = PageDisplay::kZoomTile};
  control.Apply(state);
  ControlView view;
  control.Read(view);
  EXPECT_EQ(view.shown, "Page 3 of 3");
  EXPECT_EQ(view.pages.first, 2);

  const QImage image = widget->grab().toImage();
  SaveGrab(*widget, "page-preview");
  // Two sheets side by side, each with its title and frame drawn near its
  // top-left corner.
  EXPECT_LT(Darkest(image, QRect(20, 20, 150, 60)), 100) << "page 2 is drawn";
  EXPECT_LT(Darkest(image, QRect(image.width() / 2 + 10, 20, 150, 60)), 100) << "page 3 is drawn";
}

}  // namespace
}  // namespace zelvo::testing
