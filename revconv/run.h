#pragma once
// The reverse-conversion run over the whole store: every item without a verdict receives one,
// pairs of several occurrences are settled together, and a stopped run is continued by the
// next one. The Windows layer runs it on a worker thread behind the progress dialog.
#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/store.h"
#include "revconv/reading.h"

namespace obel {

// True while the run may go on; set at the start, cleared by Stop.
namespace process {
std::atomic<bool>& revConvRunning();
}  // namespace process

// Stores into out (room for capacity items) the address of every item whose pairIndex entry
// is pairId, in store order; returns how many were stored.
std::uint32_t collectPairItems(ResultStore& s, std::uint32_t pairId, RubyItem** out, std::uint32_t capacity);
// ORs bits into every occurrence of the pair; returns how many of them had no RevConvDone
// before and have it now.
std::uint32_t markPair(ResultStore& s, std::uint32_t pairId, std::uint32_t size, std::uint32_t bits);
// The okurigana stage of a shared pair of size n: one query per distinct okurigana, from the
// last occurrence back to the first, then the summary on the first occurrence when every
// occurrence was visited. Returns the number of items that received their verdict.
// With repeated (repeatedInBook of the store), an occurrence nothing confirms is ？ when its pair
// is given at least BookRepeatMin times in one book.
std::uint32_t checkPairWithOkurigana(ResultStore& s, const ReadingSource& source, std::uint32_t pairId,
                                     std::uint32_t n, const std::vector<bool>* repeated = nullptr);
// The groupSize of the pair's first occurrence.
std::uint32_t pairSize(const ResultStore& s, std::uint32_t pairId);

// Told of every progressStep verdicts.
class RunProgress {
 public:
  virtual ~RunProgress() = default;
  virtual void advance(std::uint32_t step) = 0;
};

// Visits the items in store order, skipping those with a verdict, and lowers
// s.pendingCheckCount as verdicts are set; stops after the current item once
// process::revConvRunning() is false.
void checkStoreItems(ResultStore& s, const ReadingSource& source, RunProgress* progress);

// "経過時間：%d秒\r\n残り%d" for the milliseconds since the start (unsigned arithmetic, so
// a tick count that wrapped still gives the right seconds) and the pending count.
void formatTimerText(char* out, std::uint32_t capacity, std::uint32_t now, std::uint32_t startTick,
                     std::uint32_t pending);

}  // namespace obel
