// ProgramMain: the program's start-up and shutdown around its frame. Runs
// once per run on the program's first procedure thread (WindowRuntime::Run),
// after the window runtime has started and before any window is shown:
//
//   1 the window system's start-up — the back end's, done by the time this runs;
//   2-4 the error reporter, the dictionary's table managers and relation sets,
//     the settings store "zelvo5.INI" (ProgramObjects); no table is opened;
//   5 drag full windows switched off for the run — no such setting here;
//   6 Main, the frame, until it closes;
//   7 drag full windows restored — as 5;
//   8 the settings store closed, the dictionary killed, the reporter killed.
//
// Every other procedure runs from the frame's menu on a thread of its own.
#pragma once

namespace zelvo {

void ProgramMain();

}  // namespace zelvo
