#pragma once
// A search without the item limit (obel-scan --no-limit). The walk's folders are listed and its
// files read and scanned on several threads, each into stores of its own; the filled stores
// ("fills") are handed to the caller one at a time in the walk's order, so that what the caller
// makes of them is the same whatever the number of threads.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/store.h"
#include "engine/walk.h"

namespace obel {

extern const char LineTooLargeText[];  // " の1行のルビが最大件数を超えるため、その行の残りをスキップします。"

// What the sink made of a fill on the thread that filled it, carried with the fill.
struct FillWork {
  std::string text;
  std::vector<std::uint32_t> numbers;
  std::vector<bool> bits;  // one per item
};

// Receives the fills. A fill holds whole files only, except that a file holding more than the
// store is cut at a line start and taken in consecutive fills (its line numbers counted from
// the file's start); a single line with more than the store holds keeps what the store took
// of it, the rest of that line is skipped with a message and the file goes on with the next line.
class FillSink {
 public:
  virtual ~FillSink() = default;
  // On the thread that filled the store, before it is handed over. Fills are prepared on
  // several threads at once: this may read and change the given store and work only.
  virtual void prepareFill(ResultStore& s, FillWork& work) {
    (void)s;
    (void)work;
  }
  // The stores each thread fills in turn: one being filled while the others wait to be taken.
  // More let the threads scan on while the calling thread takes a fill that costs more to take
  // than to make; each costs the memory of a fill.
  virtual std::size_t storesPerThread() const { return 2; }
  // On the calling thread, one fill at a time, in the walk's order. filesRead: the files the
  // walk finished since the previous fill, those without items included.
  virtual void takeFill(ResultStore& s, FillWork& work, std::size_t filesRead) = 0;
  // A message about a skipped path or line, on the calling thread, in its place among the fills.
  virtual void showMessage(const std::string& text) = 0;
  // What was missed (see SearchEvents), as the messages are told.
  virtual void showMissed(Missed what, const std::string& path) {
    (void)what;
    (void)path;
  }
};

// Searches the targets on `threads` threads (at least one) besides the calling one, which
// hands the fills over. The threads list the folders as the walk goes on and read and scan
// batches of the files already walked, so that listing and reading overlap. When running is cleared, each thread finishes the file it reads, and
// the fills are handed over up to the first file not read: what was taken is always the walk's
// beginning, without a gap. False when not even one store could be allocated or one thread
// started: nothing was searched then.
bool searchLibrary(const std::vector<std::string>& targets, bool searchSubFolders, DirLister& lister,
                   FillSink& sink, const std::atomic<bool>& running, unsigned threads);

}  // namespace obel
