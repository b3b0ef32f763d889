// The program's keys through Qt's key events and back: what the user driver
// sends is what the display reports.
#include <gtest/gtest.h>

#include "platform/qt/key_translation.h"

namespace zelvo {
namespace {

TEST(KeyTranslationTest, EveryNamedKeyComesBackAsItWent) {
  for (const char* name : {"Tab", "Shift+Tab", "Enter", "Ctrl+Enter", "Shift+Enter", "Escape", "Insert", "Delete",
                           "Up", "Down", "PageUp", "PageDown", "Home", "End", "Ctrl+Home", "Ctrl+End", "Left",
                           "Right", "Backspace", "Space", "F1", "F12", "Ctrl+'", "Alt+X", "Alt+Ф", "a", "Z", "7",
                           "ж", ","}) {
    SCOPED_TRACE(name);
    const std::optional<NamedKey> key = KeyFromName(name);
    ASSERT_TRUE(key);
    const QtKeyPress press = QtKeyFor(*key);
    const QKeyEvent event(QEvent::KeyPress, press.key, press.modifiers, press.text);
    const std::optional<NamedKey> back = ProgramKey(event);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->code, key->code);
    EXPECT_EQ(back->character, key->character);
  }
}

TEST(KeyTranslationTest, DittoOnACyrillicLayoutAndModifiersAlone) {
  const QKeyEvent ditto(QEvent::KeyPress, 0x42D, Qt::ControlModifier);  // the ' key gives Э there
  ASSERT_TRUE(ProgramKey(ditto));
  EXPECT_EQ(ProgramKey(ditto)->code, kCtrlQuote);
  EXPECT_FALSE(ProgramKey(QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier)));
  // Shift belongs to the character it types.
  const QKeyEvent capital(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, "A");
  EXPECT_EQ(ProgramKey(capital)->code, 'A');
}

}  // namespace
}  // namespace zelvo
