// The GUI thread: the process's first thread, where every widget lives.
// Procedure threads (through the presenter) and the user driver's thread
// hand their work over to it here.
//
// OnGui runs the work on the GUI thread and waits for it; called on the GUI
// thread it runs the work at once. The wait cannot deadlock as long as the
// GUI thread itself never waits for another thread, which is the back end's
// first rule, and as long as its event loop runs: QtRuntime keeps it running
// until every procedure thread has ended.
#pragma once

#include <functional>

namespace zelvo {

bool OnGuiThread();
void OnGui(const std::function<void()>& work);

}  // namespace zelvo
