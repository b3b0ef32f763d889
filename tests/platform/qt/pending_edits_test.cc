// An entry's typing against the states a model sends while it catches up.
#include <gtest/gtest.h>

#include "platform/qt/entry_control.h"

namespace zelvo {
namespace {

TEST(PendingEditsTest, StatesFromBeforeTheLatestKeysNeverUndoThem) {
  PendingEdits edits;
  EXPECT_FALSE(edits.IsEcho("5"));  // nothing typed: the model's text is shown
  edits.Typed("58");
  edits.Typed("585");
  EXPECT_TRUE(edits.IsEcho("5"));    // sent before the model saw "58"
  EXPECT_TRUE(edits.IsEcho("58"));   // the model catching up
  EXPECT_TRUE(edits.IsEcho("585"));  // and caught up
  EXPECT_FALSE(edits.IsEcho("  585.00"));  // the program's own text, once the user moved on
}

TEST(PendingEditsTest, AChangeOfTheProgramsOwnReplacesTheTyping) {
  PendingEdits edits;
  EXPECT_FALSE(edits.IsEcho("1.03.2004"));
  edits.Typed("1.03");
  EXPECT_FALSE(edits.IsEcho("15.03.2004"));  // ditto, say: neither typed nor shown before
  edits.Settle();
  EXPECT_FALSE(edits.IsEcho("1.03.2004"));
}

}  // namespace
}  // namespace zelvo
