// The window tests' table and update form: a card (auto-numbered NO, NAME,
// SUMM) in an indexed record file of the test's folder, its manager (which
// refuses the name "bad", as a field rule would) and relation set, and
// "CardUp", an update form over it whose actions each test chooses.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/data/ini_store.h"
#include "framework/data/relation_set.h"
#include "framework/data/table_manager.h"
#include "framework/window/window_procedure.h"
#include "storage/declare_fields.h"
#include "storage/file_operations.h"
#include "tests/framework/data/framework_test_support.h"
#include "tests/framework/window/form_user.h"

namespace zelvo::testing_support {

#define ZELVO_CARD_FIELDS(FIELD) \
  FIELD(NO, Long())              \
  FIELD(NAME, String(20))        \
  FIELD(SUMM, Decimal(9, 2))
ZELVO_DECLARE_FIELDS(Card, CRD, ZELVO_CARD_FIELDS);
inline constexpr KeyDeclaration kCardKeys[] = {{"NO_KEY", "CRD:no_key", kKeyPrimary, {{"NO"}}}};

class CardManager final : public TableManager {
 public:
  Level CheckFieldRule(std::size_t field, bool report) override {
    if (field != CRD.NAME.Number() || CRD.NAME.ValueText(Buffer()) != "bad") return LevelOk;
    if (!report) return LevelNotify;
    Errors().PutFieldName("CRD:NAME");
    return Errors().RaiseText(16, "a name that is not bad");
  }
};

// The card table, through the path `folder/station` when given: another
// workstation's view of the same file.
struct CardTable {
  CardTable(const TemporaryFolder& folder, ErrorReporter& reporter, const std::string& station = {})
      : path(station.empty() ? folder.File("CARD") : (folder.Path() / station / "CARD").string()),
        declaration{.label = "CARD", .name = path, .fields = kCardFields, .keys = kCardKeys},
        file(declaration) {
    manager.InitTable(file, reporter);
    manager.fileNameValue_ = "CARD";
    manager.AddKey(1, "CRD:no_key", 1, true);
    relations.InitRelations(manager, true);
  }
  ~CardTable() {
    if (file.IsOpen()) (void)PerformFileOperation(file, FileOperation::CLOSE);
    relations.KillRelations();
    manager.KillTable();
  }
  CardTable(const CardTable&) = delete;
  CardTable& operator=(const CardTable&) = delete;

  RecordBuffer& Record() { return manager.Buffer(); }
  // Adds a card numbered by the table.
  void Add(const std::string& name) {
    (void)relations.OpenAll();
    (void)CRD.NAME.Set(Record(), name);
    (void)CRD.SUMM.Set(Record(), Decimal(0));
    (void)manager.PrimeNewRecord(true);
    (void)manager.AddRecord();
    relations.CloseAll();
  }
  // Every stored card as "NO NAME", in number order.
  std::vector<std::string> Stored() {
    std::vector<std::string> cards;
    File reader(declaration);
    if (Failed(PerformFileOperation(reader, FileOperation::OPEN))) return cards;
    OperationArguments first;
    first.key = 1;
    (void)PerformFileOperation(reader, FileOperation::SETkeykey, first);
    while (PerformFileOperation(reader, FileOperation::NEXT) == ErrorCode::Ok)
      cards.push_back(CRD.NO.ValueText(reader.Record()) + " " + CRD.NAME.ValueText(reader.Record()));
    (void)PerformFileOperation(reader, FileOperation::CLOSE);
    return cards;
  }

  std::string path;
  FileDeclaration declaration;
  File file;
  CardManager manager;
  RelationSet relations;
};

struct CardActions {
  std::uint8_t insertAction = 2;
  std::uint8_t deleteAction = 2;
  std::uint8_t cancelAction = 3;
  bool toolbar = false;                    // the window shows its toolbar's buttons
  WindowComponent* component = nullptr;    // registered once the window opened
};

class CardForm final : public WindowProcedure {
 public:
  CardForm(CardTable& table, CardActions actions, ErrorReporter& reporter, IniStore& settings)
      : WindowProcedure("CardUp", reporter, settings), table_(table), actions_(actions) {}

  int primed = 0;             // PrimeHook calls
  int shown = 0;              // windows opened
  std::string procedureShown;  // the reporter's procedure while the window opened
  RecordAction pendingShown = RecordAction::Insert;  // PendingRequest then
  std::string atEnd;          // the card in the buffer when the form ended: "NO NAME"

 protected:
  WindowDefinition DefineWindow() override {
    RecordBuffer& card = table_.Record();
    WindowDefinition w("CardUp", UpdateFormCaption(request, "Card"));
    const ControlId number = w.Entry("Number:", FieldBinding("CRD:NO", card, CRD.NO), "@n5");
    w[number].readOnly = true;
    w[number].skip = true;
    firstField = w.Entry("Name:", FieldBinding("CRD:NAME", card, CRD.NAME), "@s20");
    const ControlId sum = w.Entry("Sum:", FieldBinding("CRD:SUMM", card, CRD.SUMM), "@n9.2");
    okControl = w.Button("OK", ButtonRole::Ok);
    AddCloseButton(w.Button("Cancel", ButtonRole::Cancel), kCancelled);
    UsePrimaryTable(table_.relations);
    KeepDitto(card);
    AddDittoField(firstField, CRD.NAME.Number());
    AddDittoField(sum, CRD.SUMM.Number());
    insertAction = actions_.insertAction;
    deleteAction = actions_.deleteAction;
    cancelAction = actions_.cancelAction;
    if (actions_.toolbar) toolbar->Define(w);
    return w;
  }
  void PrimeHook() override { ++primed; }
  Level WindowOpened() override {
    ++shown;
    procedureShown = errors->CurrentProcedure();
    pendingShown = PendingRequest;
    if (actions_.component != nullptr) AddComponent(*actions_.component);
    return LevelOk;
  }
  Level KillWindow() override {
    atEnd = CRD.NO.ValueText(table_.Record()) + " " + CRD.NAME.ValueText(table_.Record());
    return WindowProcedure::KillWindow();
  }

 private:
  CardTable& table_;
  CardActions actions_;
};

// A fixture with two cards stored ("1 Ivanov", "2 Petrov"), the settings
// file in the test's folder, and a headless program that runs the form.
inline constexpr const char* kForm = "CardUp";

class CardFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reporter_.InitDefault();
    settings_.InitStore(folder_.File("zelvo5.INI"));
    table_.Add("Ivanov");
    table_.Add("Petrov");
  }
  void TearDown() override {
    user_.reset();
    session_.reset();
  }

  // Runs the form for `request` on card `number` (a freshly primed card for
  // an insert) as a browse calls it, in a program of its own; the answer
  // lands in `response_`.
  void StartForm(RecordAction request, CardActions actions, int number = 1) {
    session_.emplace([this, request, actions, number] {
      const std::unique_ptr<Window> frame = TheWindowRuntime().Open(frame_);
      (void)table_.relations.OpenAll();
      if (request == RecordAction::Insert) {
        (void)table_.manager.PrimeNewRecord();
      } else {
        (void)PerformFileOperation(table_.file, FileOperation::WATCH);
        (void)CRD.NO.Set(table_.Record(), number);
        (void)table_.manager.FetchByKey(1);
        if (afterFetch_) afterFetch_();
      }
      form_.emplace(table_, actions, reporter_, settings_);
      PendingRequest = request;
      response_ = form_->RunWindow();
      lastResponse_ = LastResponse;
      procedureAfter_ = reporter_.CurrentProcedure();
      table_.relations.CloseAll();
      frame->Close();
    });
    user_.emplace(*session_);
  }
  FormUser& User() { return *user_; }

  TemporaryFolder folder_;
  RuntimeBoxes boxes_;
  RecordingReporter reporter_{boxes_};
  IniStore settings_;
  CardTable table_{folder_, reporter_};
  WindowDefinition frame_{"Main", "Test", WindowKind::Frame};
  std::function<void()> afterFetch_;  // runs between the caller's read and the form
  std::optional<CardForm> form_;
  std::uint8_t response_ = 0;
  std::uint8_t lastResponse_ = 0;
  std::string procedureAfter_;  // the caller's procedure once the form returned
  std::optional<HeadlessSession> session_;
  std::optional<FormUser> user_;
};

}  // namespace zelvo::testing_support
