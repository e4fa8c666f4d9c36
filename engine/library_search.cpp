#include "engine/library_search.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/file_io.h"
#include "engine/scanner.h"
#include "engine/sjis.h"

namespace obel {

const char LineTooLargeText[] = " の1行のルビが最大件数を超えるため、その行の残りをスキップします。";

namespace {

constexpr std::size_t StoresPerThread = 2;  // one being filled while the other waits to be taken
constexpr std::size_t MaxBatchFiles = 64;  // about a store full of ordinary books
// A small library is cut into at least this many batches per thread, so that one long book
// does not keep the others waiting.
constexpr std::size_t BatchesPerThread = 16;

struct Fill {
  ResultStore* store = nullptr;  // nullptr: a batch the search was stopped before
  std::size_t owner = 0;         // the thread whose store it is
  FillWork work;
  std::size_t filesRead = 0;
  std::vector<LibraryStep> messages;  // told before the fill is taken
};

// Consecutive steps of the walk, searched by one thread.
struct Batch {
  std::size_t first = 0;
  std::size_t end = 0;
  std::deque<Fill> fills;  // ready, in order
  bool done = false;       // its last fill is among them
  bool complete = false;   // every step was taken: the search was not stopped in it
};

// The offset of the start of line `line` (1 for the first) of the text, by the scanner's line
// ends: a lead byte takes the byte after it along, CR LF counts once. size when it has fewer lines.
std::size_t lineStart(const char* data, std::size_t size, std::int32_t line) {
  std::size_t pos = 0;
  for (std::int32_t n = 1; n < line;) {
    if (pos >= size) return size;
    const unsigned char b = static_cast<unsigned char>(data[pos]);
    if (isLeadByte(b)) {
      if (pos == size - 1) return size;
      pos += 2;
    } else if (b == '\r' || b == '\n') {
      ++pos;
      if (b == '\r' && pos < size && data[pos] == '\n') ++pos;
      ++n;
    } else {
      ++pos;
    }
  }
  return pos;
}

class Search {
 public:
  Search(std::vector<LibraryStep> steps, FillSink& sink, const std::atomic<bool>& running)
      : steps_(std::move(steps)), sink_(sink), running_(running) {}
  ~Search() {
    for (ResultStore* s : all_) deleteResultStore(s);
  }
  // Stores for up to `threads` threads; the number of threads that got one.
  std::size_t allocate(unsigned threads);
  // False when not one thread could be started.
  bool run(std::size_t threads);

 private:
  void cutIntoBatches(std::size_t threads);
  void work(std::size_t thread);
  void handOverAll();
  void scanFile(std::size_t batch, Fill& current, const char* path);
  void handOver(std::size_t batch, Fill& current);
  void publish(std::size_t batch, Fill&& fill, bool last = false, bool complete = true);
  ResultStore* freeStore(std::size_t thread);
  void giveBack(Fill& fill);
  void dropTheRest(std::size_t fromBatch);

  const std::vector<LibraryStep> steps_;
  FillSink& sink_;
  const std::atomic<bool>& running_;
  std::vector<ResultStore*> all_;
  std::vector<Batch> batches_;

  std::mutex mutex_;  // guards what follows
  std::condition_variable changed_;
  std::vector<std::vector<ResultStore*>> free_;  // of each thread
  std::size_t nextBatch_ = 0;
  bool dropping_ = false;  // the search was stopped: fills are no longer taken
};

std::size_t Search::allocate(unsigned threads) {
  for (unsigned t = 0; t < std::max(threads, 1u); ++t) {
    std::vector<ResultStore*> stores;
    for (std::size_t i = 0; i < StoresPerThread; ++i)
      if (ResultStore* s = newResultStore()) stores.push_back(s);
    if (stores.empty()) break;
    all_.insert(all_.end(), stores.begin(), stores.end());
    free_.push_back(std::move(stores));
  }
  return free_.size();
}

void Search::cutIntoBatches(std::size_t threads) {
  const std::size_t files = static_cast<std::size_t>(
      std::count_if(steps_.begin(), steps_.end(), [](const LibraryStep& s) { return !s.isMessage; }));
  const std::size_t perBatch = std::clamp<std::size_t>(files / (threads * BatchesPerThread), 1, MaxBatchFiles);
  Batch batch;
  std::size_t inBatch = 0;
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    if (!steps_[i].isMessage && inBatch == perBatch) {
      batch.end = i;
      batches_.push_back(std::move(batch));
      batch = Batch{};
      batch.first = i;
      inBatch = 0;
    }
    if (!steps_[i].isMessage) ++inBatch;
  }
  batch.end = steps_.size();
  if (batch.end > batch.first) batches_.push_back(std::move(batch));
}

bool Search::run(std::size_t threads) {
  cutIntoBatches(threads);
  std::vector<std::thread> workers;
  for (std::size_t t = 0; t < threads; ++t) {
    try {
      workers.emplace_back([this, t] { work(t); });
    } catch (const std::system_error&) {
      break;  // the system gives no more threads: the ones started take every batch
    }
  }
  if (workers.empty()) return false;
  handOverAll();
  for (std::thread& w : workers) w.join();
  return true;
}

void Search::work(std::size_t thread) {
  for (;;) {
    std::size_t b = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (nextBatch_ == batches_.size()) return;
      b = nextBatch_++;
    }
    if (!running_) {
      publish(b, Fill{}, true, false);
      continue;
    }
    Fill current;
    current.owner = thread;
    current.store = freeStore(thread);
    bool complete = true;
    for (std::size_t i = batches_[b].first; i < batches_[b].end; ++i) {
      if (!running_) {
        complete = false;
        break;
      }
      const LibraryStep& step = steps_[i];
      if (step.isMessage) {
        current.messages.push_back(step);
        continue;
      }
      scanFile(b, current, step.text.c_str());
      ++current.filesRead;
    }
    publish(b, std::move(current), true, complete);
  }
}

// One file, through as many fills as it takes.
void Search::scanFile(std::size_t batch, Fill& current, const char* path) {
  FileRecord* record = newFileRecord(path);
  if (!record) return;
  FileBytes bytes;
  if (!readWholeFile(path, bytes)) {
    freeFileRecord(record);
    if (running_) current.messages.push_back({path, true, Missed::File});  // else a stop may have cut the read
    return;
  }
  const char* data = bytes.data.get();
  std::size_t offset = 0;
  std::int32_t linesBefore = 0;  // lines of the file before data + offset
  for (;;) {
    ResultStore& s = *current.store;
    const std::uint32_t before = s.itemCount;
    record->firstItem = s.items + before;
    std::uint32_t n = scanBuffer(s, record, data + offset, bytes.size - offset);
    if (before + n < MaxItems && !s.stringsExhausted) {
      for (std::uint32_t i = 0; i < n; ++i) record->firstItem[i].line += linesBefore;
      record->itemCount = n;
      if (n == 0) freeFileRecord(record);
      else addFile(s, record);
      return;
    }
    if (before > 0) {  // the file does not fit beside the files already taken: again, alone
      handOver(batch, current);
      continue;
    }
    // This part of the file alone fills the store: it is cut before the line of the last item
    // taken, which may be incomplete, and the rest is scanned from that line's start.
    // A line alone holding more than the store keeps what was taken of it, and the file goes on
    // with the next line. When not one item fitted (a string longer than the pool) the rest
    // of the file is skipped.
    if (n == 0) {
      current.messages.push_back({record->path + std::string(LineTooLargeText), true});
      freeFileRecord(record);
      return;
    }
    const std::int32_t lastLine = record->firstItem[n - 1].line;
    std::uint32_t keep = n;
    while (keep > 0 && record->firstItem[keep - 1].line == lastLine) --keep;
    if (keep == 0) current.messages.push_back({record->path + std::string(LineTooLargeText), true});
    const std::int32_t nextLine = keep > 0 ? lastLine : lastLine + 1;
    if (keep > 0) n = keep;
    for (std::uint32_t i = 0; i < n; ++i) record->firstItem[i].line += linesBefore;
    record->itemCount = n;
    addFile(s, record);
    handOver(batch, current);
    offset += lineStart(data + offset, bytes.size - offset, nextLine);
    linesBefore += nextLine - 1;
    if (offset >= bytes.size) return;
    record = newFileRecord(path);
    if (!record) return;
  }
}

void Search::handOver(std::size_t batch, Fill& current) {
  const std::size_t owner = current.owner;
  publish(batch, std::move(current));
  current = Fill{};
  current.owner = owner;
  current.store = freeStore(owner);
}

void Search::publish(std::size_t b, Fill&& fill, bool last, bool complete) {
  if (fill.store) sink_.prepareFill(*fill.store, fill.work);
  bool drop = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Batch& batch = batches_[b];
    drop = dropping_;
    if (!drop) batch.fills.push_back(std::move(fill));
    if (last) {
      batch.done = true;
      batch.complete = complete;
    }
  }
  changed_.notify_all();
  if (drop) giveBack(fill);
}

// A store of the thread's own, waiting for the calling thread to give one back when both are
// on their way. The thread's other store is then in a fill of this thread's batch or of an
// earlier one, which the calling thread takes before any later batch, so the wait ends.
ResultStore* Search::freeStore(std::size_t thread) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return !free_[thread].empty(); });
  ResultStore* s = free_[thread].back();
  free_[thread].pop_back();
  return s;
}

void Search::giveBack(Fill& fill) {
  if (!fill.store) return;
  clear(*fill.store);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    free_[fill.owner].push_back(fill.store);
  }
  fill.store = nullptr;
  changed_.notify_all();
}

void Search::handOverAll() {
  for (std::size_t b = 0; b < batches_.size(); ++b) {
    for (;;) {
      Fill fill;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        Batch& batch = batches_[b];
        changed_.wait(lock, [&] { return !batch.fills.empty() || batch.done; });
        if (batch.fills.empty()) {
          if (batch.complete) break;
          lock.unlock();
          dropTheRest(b + 1);
          return;
        }
        fill = std::move(batch.fills.front());
        batch.fills.pop_front();
      }
      for (const LibraryStep& m : fill.messages) {
        if (m.missed == Missed::None) sink_.showMessage(m.text);
        else sink_.showMissed(m.missed, m.text);
      }
      if (fill.store) sink_.takeFill(*fill.store, fill.work, fill.filesRead);
      giveBack(fill);
    }
  }
}

// After a stop: the fills of the later batches are not taken; their stores go back so that the
// threads can end.
void Search::dropTheRest(std::size_t fromBatch) {
  std::vector<Fill> dropped;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    dropping_ = true;
    for (std::size_t b = fromBatch; b < batches_.size(); ++b) {
      for (Fill& fill : batches_[b].fills) dropped.push_back(std::move(fill));
      batches_[b].fills.clear();
    }
  }
  for (Fill& fill : dropped) giveBack(fill);
  changed_.notify_all();
}

}  // namespace

bool searchLibrary(const std::vector<std::string>& targets, bool searchSubFolders, DirLister& lister,
                   FillSink& sink, const std::atomic<bool>& running, unsigned threads) {
  Search search(listLibrary(targets, searchSubFolders, lister, running), sink, running);
  const std::size_t got = search.allocate(threads);
  return got > 0 && search.run(got);
}

}  // namespace obel
