// The program's message box: its own button texts in order, its default
// button, its lines, and the answer it reports without making anyone wait.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "platform/qt/message_dialog.h"
#include "tests/platform/qt/qt_test_support.h"

namespace zelvo::testing {
namespace {

MessageBoxRequest Request(unsigned buttons, unsigned chosen) {
  MessageBoxRequest request;
  request.text = Cp("Запись была изменена.|Сохранить изменения?");
  request.caption = Cp("Изменить запись");
  request.icon = MessageIcon::Question;
  request.buttons = buttons;
  request.defaultButton = chosen;
  return request;
}

struct Shown {
  Recorder recorder;
  QPointer<MessageDialog> dialog;
  Shown(unsigned buttons, unsigned chosen)
      : dialog(new MessageDialog(Request(buttons, chosen), recorder.Reporter(), nullptr)) {
    ShowActive(*dialog);
  }
  ~Shown() { delete dialog.data(); }
  std::vector<int> Answers() const {
    std::vector<int> answers;
    for (const UserInput& input : recorder.Of(UserInput::Kind::MessageAnswer)) answers.push_back(input.value);
    return answers;
  }
};

TEST(MessageDialogTest, ShowsTheProgramsButtonsLinesAndDefault) {
  Shown box(kButtonYes | kButtonNo | kButtonCancel, kButtonNo);
  SaveGrab(*box.dialog, "message-box");
  EXPECT_EQ(box.dialog->windowTitle(), QString::fromUtf8("Изменить запись"));
  EXPECT_EQ(box.dialog->text(), QString::fromUtf8("Запись была изменена.\nСохранить изменения?"));
  QStringList texts;
  for (const auto& [button, bit] : box.dialog->Buttons()) texts << button->text();
  EXPECT_EQ(texts, QStringList({"&Yes", "&No", "&Cancel"}));
  EXPECT_EQ(box.dialog->defaultButton()->text(), "&No");

  QTest::keyClick(box.dialog, Qt::Key_Return);  // Enter answers the default
  EXPECT_EQ(box.Answers(), std::vector<int>{kButtonNo});
  EXPECT_FALSE(box.dialog && box.dialog->isVisible());
}

TEST(MessageDialogTest, EscapeAnswersCancelOrALoneOkAndNothingElse) {
  {
    Shown box(kButtonYes | kButtonNo | kButtonCancel, kButtonYes);
    QTest::keyClick(box.dialog, Qt::Key_Escape);
    EXPECT_EQ(box.Answers(), std::vector<int>{kButtonCancel});
  }
  {
    Shown box(kButtonOk, kButtonOk);
    box.dialog->close();
    EXPECT_EQ(box.Answers(), std::vector<int>{kButtonOk});
  }
  {
    Shown box(kButtonYes | kButtonNo, kButtonYes);
    QTest::keyClick(box.dialog, Qt::Key_Escape);
    box.dialog->close();
    EXPECT_TRUE(box.Answers().empty());
    EXPECT_TRUE(box.dialog->isVisible());
    QTest::mouseClick(box.dialog->Buttons()[1].first, Qt::LeftButton);
    EXPECT_EQ(box.Answers(), std::vector<int>{kButtonNo});
  }
}

}  // namespace
}  // namespace zelvo::testing
