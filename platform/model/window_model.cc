#include "platform/model/window_model.h"

#include <pthread.h>

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstdlib>

#include "platform/model/nominal_size.h"

namespace zelvo {
namespace {

constexpr int kCascadeStep = 24;

}  // namespace

WindowModel::WindowModel(Presenter* presenter) : presenter_(presenter) {}

WindowModel::~WindowModel() {
  // The program has ended before its runtime goes (Run, or Start and Wait);
  // a model that never ran has nothing to join.
  for (auto& thread : threads_) thread->Join();
}

// Threads ------------------------------------------------------------------------

ProcedureThread& WindowModel::Launch(std::function<void()> procedure, bool counted, std::size_t stackBytes) {
  auto thread = std::make_unique<ProcedureThread>(++threadNumbers_, counted, std::move(procedure));
  ProcedureThread& launched = *thread;
  threads_.push_back(std::move(thread));
  if (counted) ++counted_;
  // Ready before it exists, so it takes its turn behind those already waiting.
  token_.MakeReady(launched.seat);
  if (!launched.Launch(ProcedureThread::StackSizeFor(stackBytes, kMinimumStack),
                       [this](ProcedureThread& t) { ThreadBody(t); })) {
    // The system refused the thread: it never ran and never will.
    launched.state = ProcedureThread::State::Ended;
    if (counted) --counted_;
  }
  return launched;
}

void WindowModel::ThreadBody(ProcedureThread& thread) {
  {
    std::unique_lock lock(token_.mutex());
    token_.Await(thread.seat, lock);
    thread.state = ProcedureThread::State::Running;
  }
  // Runs however the thread ends: its procedure returned, or it was ended at
  // a wait after Exit (its stack unwound through here).
  struct Finish {
    WindowModel& model;
    ProcedureThread& thread;
    ~Finish() { model.FinishThread(thread); }
  } finish{*this, thread};
  if (!exiting_) thread.procedure()();
}

void WindowModel::FinishThread(ProcedureThread& thread) {
  // A window its procedure left open goes with it.
  while (!thread.windows.empty()) CloseNow(*thread.windows.back());
  PublishChanges();
  std::function<void()> ended;
  {
    std::unique_lock lock(token_.mutex());
    thread.state = ProcedureThread::State::Ended;
    thread.inputs.clear();
    if (thread.counted()) --counted_;
    token_.Release(thread.seat);
    const bool anyLeft = std::any_of(threads_.begin(), threads_.end(), [](const auto& t) {
      return t->state != ProcedureThread::State::Ended;
    });
    if (started_ && !anyLeft && !ended_) {
      ended_ = true;
      ended = std::move(onEnded_);
      endedChanged_.notify_all();
      token_.changed.notify_all();
    }
  }
  if (ended) ended();
}

void WindowModel::ReapEnded() {
  // Threads that have ended leave: joined (each has given the token up and
  // is on its last instructions) and forgotten.
  std::vector<std::unique_ptr<ProcedureThread>> done;
  {
    std::unique_lock lock(token_.mutex());
    auto ended = std::stable_partition(threads_.begin(), threads_.end(), [](const auto& t) {
      return t->state != ProcedureThread::State::Ended;
    });
    std::move(ended, threads_.end(), std::back_inserter(done));
    threads_.erase(ended, threads_.end());
  }
  for (auto& thread : done) thread->Join();
}

int WindowModel::Run(std::function<void()> program) {
  Start(std::move(program));
  return Wait();
}

void WindowModel::Start(std::function<void()> program, std::function<void()> ended) {
  std::unique_lock lock(token_.mutex());
  assert(!started_ && "the program runs once");
  started_ = true;
  onEnded_ = std::move(ended);
  ProcedureThread& thread = Launch(std::move(program), false, kMinimumStack);
  if (thread.state == ProcedureThread::State::Ended) {
    ended_ = true;
    endedChanged_.notify_all();
  }
}

int WindowModel::Wait() {
  {
    std::unique_lock lock(token_.mutex());
    endedChanged_.wait(lock, [&] { return ended_; });
  }
  ReapEnded();
  return status_;
}

bool WindowModel::StartProcedure(std::function<void()> procedure, std::size_t stackBytes) {
  ProcedureThread* self = ProcedureThread::Current();
  if (exiting_ || (self && self->ending)) return false;
  ReapEnded();
  std::unique_lock lock(token_.mutex());
  if (counted_ >= kMaximumProcedures) return false;
  ProcedureThread& thread = Launch(std::move(procedure), true, stackBytes);
  return thread.state != ProcedureThread::State::Ended;
}

// Waiting for the user --------------------------------------------------------------

void WindowModel::WaitForInput(ProcedureThread& thread, const ModelWindow* waitingOn) {
  PublishChanges();
  using SteadyClock = std::chrono::steady_clock;
  std::unique_lock lock(token_.mutex());
  if (!thread.inputs.empty() || exiting_) return;  // arrived while it ran
  thread.state = ProcedureThread::State::Waiting;
  token_.Release(thread.seat);
  const int timer = waitingOn ? waitingOn->timer() : 0;
  if (presenter_ && timer > 0) {
    // A display keeps real time: the timer's period passes, then the thread
    // queues for the token like any other.
    const auto due = SteadyClock::now() + std::chrono::milliseconds(10 * timer);
    if (!token_.AwaitUntil(thread.seat, lock, due)) {
      thread.timerTurn = true;
      token_.MakeReady(thread.seat);
      token_.Await(thread.seat, lock);
    }
  } else {
    token_.Await(thread.seat, lock);
  }
  thread.state = ProcedureThread::State::Running;
}

bool WindowModel::ApplyNextInput(ProcedureThread& thread) {
  PendingInput next;
  {
    std::unique_lock lock(token_.mutex());
    if (thread.inputs.empty()) return false;
    next = std::move(thread.inputs.front());
    thread.inputs.pop_front();
  }
  // Only the window on top of its thread, with no question open, takes input.
  if (ModelWindow* window = FindWindow(next.handle); window && window->owner() == &thread && window->TakesInput())
    window->Apply(next.input);
  return true;
}

Event WindowModel::NextEvent(ModelWindow& window) {
  ProcedureThread* self = ProcedureThread::Current();
  assert(self == window.owner() && "a window's events are read by its own thread");
  if (self == nullptr || self != window.owner()) return {};
  for (;;) {
    if (self->ending) return {};
    if (exiting_) EndThread(*self);
    if (!window.IsOpen()) return {};
    if (closing_ && asked_ == &window && askedAnswered_) {
      // Its procedure took EVENT:CloseDown and waits again, window open:
      // it refused, and the frame stays.
      closing_ = false;
      asked_ = nullptr;
    }
    if (std::optional<Event> event = window.TakeEvent()) {
      if (event->number == EventNumber::CloseWindow && &window == frame_ && DocumentsOpen()) {
        // The frame is asked to close: its documents are asked first, and
        // the request reaches the frame only when none is left.
        if (!closing_) {
          closing_ = true;
          AskNextDocument();
        }
        continue;
      }
      if (event->number == EventNumber::CloseDown && asked_ == &window) askedAnswered_ = true;
      self->timerTurn = false;
      return *event;
    }
    if (ApplyNextInput(*self)) continue;
    if (window.timer() > 0 && (self->timerTurn || presenter_ == nullptr)) {
      if (self->timerTurn) {
        self->timerTurn = false;
        return Event{EventNumber::Timer};
      }
      // Headless: the timer runs out whenever the thread would wait, after
      // the other ready threads had their turn.
      self->timerTurn = true;
      PublishChanges();
      std::unique_lock lock(token_.mutex());
      token_.Release(self->seat);
      token_.MakeReady(self->seat);
      token_.Await(self->seat, lock);
      continue;
    }
    WaitForInput(*self, &window);
  }
}

void WindowModel::Input(int handle, UserInput input) {
  std::unique_lock lock(token_.mutex());
  ProcedureThread* thread = nullptr;
  if (input.kind == UserInput::Kind::MessageAnswer || input.kind == UserInput::Kind::PopupChosen) {
    const bool popup = input.kind == UserInput::Kind::PopupChosen;
    for (const OpenQuestion* question : questions_)
      if (question->handle == handle && question->isPopup == popup) {
        thread = question->thread;
        break;
      }
  } else {
    for (const auto& [windowHandle, owner] : owners_)
      if (windowHandle == handle) thread = owner;
  }
  if (thread == nullptr || thread->state == ProcedureThread::State::Ended) return;
  thread->inputs.push_back({handle, std::move(input)});
  if (thread->state == ProcedureThread::State::Waiting) token_.MakeReady(thread->seat);
}

void WindowModel::Posted(ModelWindow& window) {
  ProcedureThread* owner = window.owner();
  std::unique_lock lock(token_.mutex());
  if (owner->state == ProcedureThread::State::Waiting) token_.MakeReady(owner->seat);
}

bool WindowModel::WaitIdle(double seconds, std::string* busy) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                             std::chrono::duration<double>(seconds));
  std::unique_lock lock(token_.mutex());
  const bool idle = token_.changed.wait_until(lock, deadline, [&] {
    return ended_ || (started_ && token_.IsQuiet() && (presenter_ == nullptr || armedTimers_ == 0));
  });
  if (!idle && busy) *busy = BusyNames();
  return idle;
}

std::string WindowModel::BusyNames() const {
  std::string names;
  auto add = [&](const RunToken::Seat* seat) {
    for (const auto& thread : threads_) {
      if (&thread->seat != seat) continue;
      if (!names.empty()) names += ", ";
      names += thread->name.empty() ? "procedure thread " + std::to_string(thread->number()) : thread->name;
    }
  };
  if (!started_) return "the program has not started";
  add(token_.Holder());
  for (const RunToken::Seat* seat : token_.Ready()) add(seat);
  if (names.empty() && armedTimers_ > 0) names = "a window timer";
  return names;
}

bool WindowModel::Ended() const {
  std::unique_lock lock(token_.mutex());
  return ended_;
}

void WindowModel::Inspect(const std::function<void()>& look) {
  assert(ProcedureThread::Current() == nullptr && "a procedure thread holds the token already");
  RunToken::Seat seat;
  std::unique_lock lock(token_.mutex());
  token_.MakeReady(seat);
  token_.Await(seat, lock);
  lock.unlock();
  look();
  lock.lock();
  token_.Release(seat);
}

// Windows --------------------------------------------------------------------------

std::unique_ptr<Window> WindowModel::Open(const WindowDefinition& definition) {
  ProcedureThread* self = ProcedureThread::Current();
  assert(self && "windows are opened by procedure threads");
  auto window = std::make_unique<ModelWindow>(*this, self, ++lastHandle_, definition);
  const bool isFrame = definition.Kind() == WindowKind::Frame;
  // A document window lives inside the frame: none opens once the frame has
  // closed (a procedure still starting as the program ends). Before any
  // frame, windows open alone, as a procedure's tests run them.
  const bool refused = self == nullptr || exiting_ || self->ending || (isFrame && (frame_ || frameClosed_)) ||
                       (!isFrame && frameClosed_);
  if (refused) {
    window->MarkClosed();
    return window;
  }
  ModelWindow* opened = window.get();
  if (!self->windows.empty()) self->windows.back()->dirty = true;  // it takes no input now
  self->windows.push_back(opened);
  windows_.push_back(opened);
  {
    std::unique_lock lock(token_.mutex());
    owners_.emplace_back(opened->handle(), self);
    self->name = definition.Procedure();
  }
  const NominalSize size = NominalSizeOf(definition);
  if (isFrame) {
    frame_ = opened;
    opened->Place(0, 0, size.width, size.height);
  } else {
    const int cascade = static_cast<int>(zOrder_.size() % 10) * kCascadeStep;
    opened->Place(cascade, cascade, size.width, size.height);
    if (active_ && active_ != opened) active_->PostEvent(Event{EventNumber::LoseFocus});
    active_ = opened;
    zOrder_.push_back(opened);
  }
  opened->PostEvent(Event{EventNumber::OpenWindow});
  opened->PostEvent(Event{EventNumber::Sized});  // its first size, as shown
  if (presenter_) presenter_->Opened(opened->State());
  opened->dirty = false;
  opened->placementChanged = false;
  return window;
}

ModelWindow* WindowModel::FindWindow(int handle) const {
  for (ModelWindow* window : windows_)
    if (window->handle() == handle) return window;
  return nullptr;
}

const ModelWindow* WindowModel::ActiveWindow() const { return active_ ? active_ : frame_; }

void WindowModel::Unregister(ModelWindow& window) {
  window.MarkClosed();
  TimerChanged(window.timer(), 0);
  std::erase(windows_, &window);
  std::erase(zOrder_, &window);
  ProcedureThread* owner = window.owner();
  std::erase(owner->windows, &window);
  if (!owner->windows.empty()) owner->windows.back()->dirty = true;  // takes input again
  {
    std::unique_lock lock(token_.mutex());
    std::erase_if(owners_, [&](const auto& entry) { return entry.first == window.handle(); });
    owner->name = owner->windows.empty() ? std::string() : owner->windows.back()->Definition().Procedure();
    // Its thread may wait on it: NextEvent answers None now.
    if (owner->state == ProcedureThread::State::Waiting) token_.MakeReady(owner->seat);
  }
  if (presenter_) presenter_->Closed(window.handle());
}

void WindowModel::Close(ModelWindow& window) {
  if (!window.IsOpen()) return;
  if (&window == frame_) {
    // The frame goes with its documents: every one closes at once (their
    // event loops answer None); they were asked before the frame's own
    // close request reached it, when it came from the user.
    closing_ = false;
    asked_ = nullptr;
    for (std::size_t i = windows_.size(); i-- > 0;)
      if (i < windows_.size() && windows_[i]->kind() == WindowKind::Document) CloseNow(*windows_[i]);
  }
  CloseNow(window);
}

bool WindowModel::DocumentsOpen() const {
  return std::any_of(windows_.begin(), windows_.end(),
                     [](const ModelWindow* w) { return w->kind() == WindowKind::Document; });
}

void WindowModel::CloseNow(ModelWindow& window) {
  if (!window.IsOpen() || !std::count(windows_.begin(), windows_.end(), &window)) {
    window.MarkClosed();
    return;
  }
  Unregister(window);
  if (&window == frame_) {
    frame_ = nullptr;
    frameClosed_ = true;
  }
  if (&window == active_) {
    // The focus goes to the window activated before it that can take it.
    active_ = nullptr;
    for (auto it = zOrder_.rbegin(); it != zOrder_.rend(); ++it)
      if ((*it)->TakesInput()) {
        active_ = *it;
        break;
      }
    if (active_ && !exiting_) active_->PostEvent(Event{EventNumber::GainFocus});
  }
  if (closing_ && (asked_ == &window || asked_ == nullptr)) {
    asked_ = nullptr;
    AskNextDocument();
  }
}

void WindowModel::AskNextDocument() {
  // The newest document window on top of its thread is asked first; the
  // windows under it follow as it closes.
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    ModelWindow* window = *it;
    if (window->kind() != WindowKind::Document || window->owner()->windows.back() != window) continue;
    asked_ = window;
    askedAnswered_ = false;
    window->PostEvent(Event{EventNumber::CloseDown});
    return;
  }
  // None left: the frame's close request, held back meanwhile, reaches it.
  closing_ = false;
  if (frame_) frame_->PostEvent(Event{EventNumber::CloseWindow});
}

void WindowModel::Activate(ModelWindow& window) {
  if (window.kind() != WindowKind::Document || &window == active_ || !window.IsOpen()) return;
  if (active_) active_->PostEvent(Event{EventNumber::LoseFocus});
  active_ = &window;
  std::erase(zOrder_, &window);
  zOrder_.push_back(&window);
  window.PostEvent(Event{EventNumber::GainFocus});
}

void WindowModel::ChooseMenuItem(ModelWindow& frame, ControlId item) {
  const ModelControl* control = frame.Control(item);
  if (control == nullptr || control->definition.kind != ControlKind::MenuItem || !frame.IsEnabled(item)) return;
  if (control->definition.action == StandardAction::None)
    frame.PostEvent(Event{EventNumber::Accepted, item});
  else
    Perform(control->definition.action);
}

// Questions --------------------------------------------------------------------------

unsigned WindowModel::Show(const MessageBoxRequest& request) {
  OpenQuestion question;
  question.message = request;
  return Ask(std::move(question));
}

int WindowModel::Popup(ModelWindow& window, const std::vector<PopupItem>& items) {
  OpenQuestion question;
  question.isPopup = true;
  question.items = items;
  question.list = window.Focused();
  return static_cast<int>(Ask(std::move(question)));
}

// Waits, without the token, for the user's answer to a message box or popup.
unsigned WindowModel::Ask(OpenQuestion question) {
  ProcedureThread* self = ProcedureThread::Current();
  const unsigned fallback = question.isPopup ? 0 : EffectiveDefault(question.message);
  if (self == nullptr || self->ending) return fallback;
  if (exiting_) EndThread(*self);
  question.thread = self;
  question.handle = self->windows.empty() ? 0 : self->windows.back()->handle();
  // Registered while it waits, also when Exit unwinds the thread from here.
  struct Registration {
    WindowModel& model;
    ProcedureThread& thread;
    OpenQuestion& question;
    Registration(WindowModel& m, ProcedureThread& t, OpenQuestion& q) : model(m), thread(t), question(q) {
      std::unique_lock lock(model.token_.mutex());
      model.questions_.push_back(&question);
      ++thread.modal;
      if (!thread.windows.empty()) thread.windows.back()->dirty = true;
    }
    ~Registration() {
      std::unique_lock lock(model.token_.mutex());
      std::erase(model.questions_, &question);
      --thread.modal;
      if (!thread.windows.empty()) thread.windows.back()->dirty = true;
    }
  } registration(*this, *self, question);
  PublishChanges();  // the windows as they stand under the question
  if (presenter_) {
    if (question.isPopup)
      presenter_->ShowPopup(question.handle, question.list, question.items);
    else
      presenter_->ShowMessage(question.handle, question.message);
  }
  const UserInput::Kind answerKind = question.isPopup ? UserInput::Kind::PopupChosen : UserInput::Kind::MessageAnswer;
  for (;;) {
    if (exiting_) EndThread(*self);
    PendingInput next;
    bool got = false;
    {
      std::unique_lock lock(token_.mutex());
      // Only the answer counts; whatever else the user did meanwhile went to
      // windows that take no input while the question is open.
      while (!self->inputs.empty() && !got) {
        next = std::move(self->inputs.front());
        self->inputs.pop_front();
        got = next.input.kind == answerKind && next.handle == question.handle;
      }
    }
    if (got) {
      const int value = next.input.value;
      if (question.isPopup) {
        if (value >= 0 && value <= static_cast<int>(question.items.size()) &&
            (value == 0 || (question.items[value - 1].enabled && question.items[value - 1].text != "-")))
          return static_cast<unsigned>(value);
      } else if (value > 0 && (question.message.buttons & static_cast<unsigned>(value)) != 0 &&
                 !ButtonLabel(static_cast<unsigned>(value)).empty()) {
        return static_cast<unsigned>(value);
      }
      continue;
    }
    WaitForInput(*self, nullptr);
  }
}

std::vector<OpenQuestion> WindowModel::Questions() const {
  std::unique_lock lock(token_.mutex());
  std::vector<OpenQuestion> open;
  for (const OpenQuestion* question : questions_) open.push_back(*question);
  return open;
}

// The frame's services -------------------------------------------------------------------

void WindowModel::SetWaitCursor(bool wait) {
  const int before = waitCursor_;
  waitCursor_ = std::max(0, waitCursor_ + (wait ? 1 : -1));
  if (presenter_ && (before == 0) != (waitCursor_ == 0)) presenter_->SetWaitCursor(waitCursor_ > 0);
}

void WindowModel::SetStatusText(std::string_view text) {
  statusText_ = std::string(text);
  if (presenter_) presenter_->SetStatusText(statusText_);
}

void WindowModel::Perform(StandardAction action) {
  switch (action) {
    case StandardAction::None:
      return;
    case StandardAction::Exit:
      if (frame_) frame_->PostEvent(Event{EventNumber::CloseWindow});
      return;
    case StandardAction::PrinterSetup:
      if (presenter_ == nullptr) return;  // no printers without a display
      if (ProcedureThread* self = ProcedureThread::Current()) {
        // The dialog runs modally on the display; the token is given up meanwhile.
        PublishChanges();
        {
          std::unique_lock lock(token_.mutex());
          token_.Release(self->seat);
        }
        presenter_->Perform(action);
        std::unique_lock lock(token_.mutex());
        token_.MakeReady(self->seat);
        token_.Await(self->seat, lock);
      }
      return;
    case StandardAction::Tile:
    case StandardAction::Cascade:
    case StandardAction::ArrangeIcons:
      if (presenter_)
        presenter_->Perform(action);  // the display reports the new placements
      else
        ArrangeDocuments(action);
      return;
  }
}

void WindowModel::ArrangeDocuments(StandardAction action) {
  std::vector<ModelWindow*> shown;
  for (ModelWindow* window : windows_)
    if (window->kind() == WindowKind::Document && !window->IsMinimized()) shown.push_back(window);
  const int count = static_cast<int>(shown.size());
  for (int i = 0; i < count; ++i) {
    ModelWindow& window = *shown[static_cast<std::size_t>(i)];
    if (action == StandardAction::Cascade) {
      window.Place(i * kCascadeStep, i * kCascadeStep, window.Width(), window.Height());
    } else if (action == StandardAction::Tile) {
      // Side by side in columns of equal width, as many rows as it takes.
      int columns = 1;
      while (columns * columns < count) ++columns;
      const int rows = (count + columns - 1) / columns;
      const int width = kNominalFrameWidth / columns, height = kNominalFrameHeight / rows;
      window.Place((i % columns) * width, (i / columns) * height, width, height);
    }
  }
}

void WindowModel::TimerChanged(int before, int after) {
  if ((before > 0) == (after > 0)) return;
  std::unique_lock lock(token_.mutex());
  armedTimers_ += after > 0 ? 1 : -1;
  token_.changed.notify_all();
}

void WindowModel::PublishChanges() {
  for (ModelWindow* window : windows_) {
    if (!window->dirty) continue;
    if (presenter_) presenter_->Changed(window->State());
    window->dirty = false;
    window->placementChanged = false;
  }
}

// Ending -----------------------------------------------------------------------------------

void WindowModel::BeginExit(int status) {
  {
    std::unique_lock lock(token_.mutex());
    if (exiting_) return;
    status_ = status;
    exiting_ = true;
  }
  // Every window closes without asking; then every thread that waits is
  // woken to end, one at a time with the token.
  while (!windows_.empty()) Unregister(*windows_.back());
  zOrder_.clear();
  active_ = nullptr;
  frame_ = nullptr;
  frameClosed_ = true;
  closing_ = false;
  std::unique_lock lock(token_.mutex());
  for (auto& thread : threads_)
    if (thread->state == ProcedureThread::State::Waiting) token_.MakeReady(thread->seat);
}

void WindowModel::EndThread(ProcedureThread& thread) {
  // Unwinds the thread's stack holding the token (destructors may touch
  // program state); its waits answer at once from here on.
  thread.ending = true;
  pthread_exit(nullptr);
}

void WindowModel::Exit(int status) {
  ProcedureThread* self = ProcedureThread::Current();
  if (self == nullptr) std::exit(status);
  BeginExit(status);
  EndThread(*self);
}

void WindowModel::Quit(int status) {
  {
    std::unique_lock lock(token_.mutex());
    if (!started_ || ended_) return;
  }
  Inspect([&] { BeginExit(status); });
}

}  // namespace zelvo
