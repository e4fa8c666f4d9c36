#pragma once
// The search behind its progress dialog (startSearch is declared in app/commands.h).
#include <chrono>

namespace obel {

// Shown when the worker thread cannot be started; the search then ends with nothing found.
extern const char SearchNotStartedText[];

// Moments of the last search in the window, in its order, and what its worker sent to the
// windows of the user interface thread: the benchmark's budget of a search.
struct SearchPhases {
  using Clock = std::chrono::steady_clock;
  Clock::time_point begun;          // startSearch entered
  Clock::time_point workerStarted;  // the progress dialog up, the worker running
  Clock::time_point walked;         // every file read and scanned
  Clock::time_point listPhase;      // the progress dialog told of the list phase
  Clock::time_point passesDone;     // the store's two passes done
  Clock::time_point rowsBuilt;      // the group list's rows reconciled
  Clock::time_point sorted;         // and sorted
  Clock::time_point closed;         // the progress dialog gone
  int fileNames = 0;                // file names shown
  int workerMessages = 0;           // messages the worker sent to the interface thread's windows
};
const SearchPhases& lastSearchPhases();

}  // namespace obel
