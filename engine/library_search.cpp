#include "engine/library_search.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "engine/file_io.h"
#include "engine/scanner.h"
#include "engine/sjis.h"
#include "engine/thread_priority.h"

namespace obel {

const char LineTooLargeText[] = " の1行のルビが最大件数を超えるため、その行の残りをスキップします。";

namespace {

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
  std::vector<LibraryStep> steps;
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

// A folder of the walk: listed by a worker, its entries then taken in the walk's order.
struct Folder {
  std::string searchPath;  // its folder part and the pattern; emptied once listed
  std::size_t namePosition = 0;
  bool listed = false;
  bool found = false;  // a file matched, or the folder could not be listed
  std::vector<FolderEntry> entries;
  std::vector<std::size_t> subfolders;  // the Folder of each subfolder entry, in order
};

class Search {
 public:
  Search(const std::vector<std::string>& targets, bool searchSubFolders, DirLister& lister, FillSink& sink,
         const std::atomic<bool>& running)
      : targets_(targets), searchSubFolders_(searchSubFolders), lister_(lister), sink_(sink), running_(running) {}
  ~Search() {
    for (ResultStore* s : all_) deleteResultStore(s);
  }
  // Stores for up to `threads` threads; the number of threads that got one.
  std::size_t allocate(unsigned threads);
  // False when not one thread could be started.
  bool run(std::size_t threads);

 private:
  void work(std::size_t thread);
  bool nextTask(std::unique_lock<std::mutex>& lock, std::size_t& batch, std::size_t& folder);
  void listOne(std::size_t folder);
  void walkOn();
  std::size_t addFolder(const std::string& searchPath, std::size_t namePosition);
  void emit(LibraryStep step);
  void cutBatch(std::size_t files);
  void readBatch(std::size_t thread, std::size_t b, const std::vector<LibraryStep>& steps);
  void handOverAll();
  void scanFile(std::size_t batch, Fill& current, const char* path);
  void handOver(std::size_t batch, Fill& current);
  void publish(std::size_t batch, Fill&& fill, bool last = false, bool complete = true);
  ResultStore* freeStore(std::size_t thread);
  void giveBack(Fill& fill);
  void dropTheRest(std::size_t fromBatch);

  const std::vector<std::string>& targets_;
  const bool searchSubFolders_;
  DirLister& lister_;
  FillSink& sink_;
  const std::atomic<bool>& running_;
  std::vector<ResultStore*> all_;
  std::size_t threads_ = 1;

  std::mutex mutex_;  // guards what follows
  std::condition_variable workChanged_;   // the threads wait for work and for stores
  std::condition_variable fillsChanged_;  // the calling thread waits for fills
  std::vector<std::vector<ResultStore*>> free_;  // of each thread
  std::deque<Batch> batches_;  // grows as the walk goes on; never moves a batch
  bool dropping_ = false;      // the search was stopped: fills are no longer taken
  std::size_t working_ = 0;    // threads that have not ended
  // The walk, taken in its order while the folders are listed on the threads. The folders met
  // and not yet walked, by number; an entry stays where it is while others come and go.
  std::unordered_map<std::size_t, Folder> folders_;
  std::size_t foldersMet_ = 0;
  Folder& folderAt(std::size_t f) { return folders_.at(f); }
  std::vector<std::size_t> toList_;  // a stack, so that the folders are listed about in the walk's order
  std::size_t listing_ = 0;          // folders being listed
  struct Frame {
    std::size_t folder;
    std::size_t entry = 0;
    std::size_t subfolder = 0;
  };
  std::vector<Frame> walk_;  // the folders being walked, outermost first
  std::size_t nextTarget_ = 0;
  std::string target_;        // the target being walked
  bool targetFound_ = false;  // it matched a file, or a folder of it could not be listed
  std::string subfolderPattern_;  // of the target being walked; empty when its subfolders are not
  bool walked_ = false;       // every target was walked
  bool noMoreBatches_ = false;  // every thread has ended
  std::unordered_set<std::string> taken_;  // every file of the walk so far, over all targets
  std::vector<LibraryStep> waiting_;       // steps of the walk not yet in a batch
  std::size_t waitingFiles_ = 0;
  std::size_t walkedFiles_ = 0;
};

std::size_t Search::allocate(unsigned threads) {
  for (unsigned t = 0; t < std::max(threads, 1u); ++t) {
    std::vector<ResultStore*> stores;
    for (std::size_t i = 0; i < std::max<std::size_t>(sink_.storesPerThread(), 1); ++i)
      if (ResultStore* s = newResultStore()) stores.push_back(s);
    if (stores.empty()) break;
    all_.insert(all_.end(), stores.begin(), stores.end());
    free_.push_back(std::move(stores));
  }
  return free_.size();
}

bool Search::run(std::size_t threads) {
  threads_ = threads;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    walkOn();
  }
  std::vector<std::thread> workers;
  for (std::size_t t = 0; t < threads; ++t) {
    try {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        ++working_;
      }
      // The reading threads run ahead of the calling one, which takes their fills one after
      // the other: when the processors are short, it is the one the search waits for.
      workers.emplace_back([this, t] {
        giveWayToOtherThreads();
        work(t);
      });
    } catch (const std::system_error&) {
      std::lock_guard<std::mutex> lock(mutex_);
      --working_;
      break;  // the system gives no more threads: the ones started take every batch
    }
  }
  if (workers.empty()) return false;
  handOverAll();
  for (std::thread& w : workers) w.join();
  return true;
}

// Takes the walk on as far as its folders are listed: each folder's files and messages in
// order, each subfolder in its place, and, at the end of a target, whether it matched nothing.
void Search::walkOn() {
  while (!walked_) {
    if (!running_) {
      walked_ = true;
      break;
    }
    if (walk_.empty()) {
      if (!target_.empty() && !targetFound_) emit({target_, true, Missed::NoMatch});
      target_.clear();
      if (nextTarget_ == targets_.size()) {
        walked_ = true;
        break;
      }
      const std::string& target = targets_[nextTarget_++];
      TargetStart start;
      if (!startTarget(target, searchSubFolders_, start)) {
        emit({target + PathTooLongText, true});
        continue;
      }
      target_ = target;
      targetFound_ = false;
      subfolderPattern_ = start.subfolders ? start.pattern : std::string();
      const std::size_t root = addFolder(target, start.namePosition);
      toList_.push_back(root);
      walk_.push_back({root});
      continue;
    }
    Frame& frame = walk_.back();
    Folder& folder = folderAt(frame.folder);
    if (!folder.listed) break;  // a thread lists it
    if (frame.entry == 0) targetFound_ = targetFound_ || folder.found;
    if (frame.entry == folder.entries.size()) {
      folders_.erase(frame.folder);
      walk_.pop_back();
      continue;
    }
    const FolderEntry& entry = folder.entries[frame.entry++];
    if (entry.isSubfolder) walk_.push_back({folder.subfolders[frame.subfolder++]});
    else if (entry.step.isMessage || taken_.insert(entry.step.text).second) emit(entry.step);
  }
}

std::size_t Search::addFolder(const std::string& searchPath, std::size_t namePosition) {
  Folder& folder = folders_[foldersMet_];
  folder.searchPath = searchPath;
  folder.namePosition = namePosition;
  return foldersMet_++;
}

void Search::emit(LibraryStep step) {
  if (!step.isMessage) {
    ++waitingFiles_;
    ++walkedFiles_;
  }
  waiting_.push_back(std::move(step));
}

// The waiting steps up to the given number of files (and the messages after them, when all are
// taken) become the next batch.
void Search::cutBatch(std::size_t files) {
  Batch batch;
  std::size_t end = 0;
  for (std::size_t taken = 0; end < waiting_.size(); ++end) {
    if (!waiting_[end].isMessage && taken++ == files) break;
  }
  batch.steps.assign(std::make_move_iterator(waiting_.begin()), std::make_move_iterator(waiting_.begin() + end));
  waiting_.erase(waiting_.begin(), waiting_.begin() + end);
  waitingFiles_ -= std::min(files, waitingFiles_);
  batches_.push_back(std::move(batch));
}

// The next thing to do, under the lock: a batch to read (batch set), a folder to list (folder
// set), or nothing more (false). A batch is cut when it has its share of files, or, with fewer,
// when no folder waits to be listed, so that no thread waits while there are files to read.
bool Search::nextTask(std::unique_lock<std::mutex>& lock, std::size_t& batch, std::size_t& folder) {
  constexpr std::size_t None = static_cast<std::size_t>(-1);
  batch = folder = None;
  for (;;) {
    if (!running_) return false;
    const std::size_t share =
        std::clamp<std::size_t>(walkedFiles_ / (threads_ * BatchesPerThread), 1, MaxBatchFiles);
    if (waitingFiles_ >= share || (toList_.empty() && !waiting_.empty())) {
      cutBatch(std::min(share, waitingFiles_));
      batch = batches_.size() - 1;
      return true;
    }
    if (!toList_.empty()) {
      folder = toList_.back();
      toList_.pop_back();
      ++listing_;
      return true;
    }
    if (walked_ && listing_ == 0) return false;
    workChanged_.wait(lock);
  }
}

void Search::listOne(std::size_t f) {
  std::string searchPath;
  std::size_t namePosition = 0;
  std::string pattern;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    searchPath = std::move(folderAt(f).searchPath);
    namePosition = folderAt(f).namePosition;
    pattern = subfolderPattern_;
  }
  std::vector<FolderEntry> entries;
  bool found = false;
  listFolder(lister_, searchPath, namePosition, pattern.empty() ? nullptr : pattern.c_str(), entries, found);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Folder& folder = folderAt(f);
    for (const FolderEntry& entry : entries) {
      if (!entry.isSubfolder) continue;
      folder.subfolders.push_back(addFolder(entry.step.text, entry.namePosition));
    }
    for (auto s = folder.subfolders.rbegin(); s != folder.subfolders.rend(); ++s) toList_.push_back(*s);
    folder.entries = std::move(entries);
    folder.found = found;
    folder.listed = true;
    --listing_;
    walkOn();
  }
  workChanged_.notify_all();
}

void Search::work(std::size_t thread) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    std::size_t b = 0;
    std::size_t f = 0;
    if (!nextTask(lock, b, f)) break;
    const bool listing = f != static_cast<std::size_t>(-1);
    const std::vector<LibraryStep>* steps = listing ? nullptr : &batches_[b].steps;  // a batch never moves
    lock.unlock();
    if (listing) listOne(f);
    else readBatch(thread, b, *steps);
    lock.lock();
  }
  if (--working_ == 0) noMoreBatches_ = true;
  lock.unlock();
  fillsChanged_.notify_all();
  workChanged_.notify_all();
}

void Search::readBatch(std::size_t thread, std::size_t b, const std::vector<LibraryStep>& steps) {
  if (!running_) {
    publish(b, Fill{}, true, false);
    return;
  }
  Fill current;
  current.owner = thread;
  current.store = freeStore(thread);
  bool complete = true;
  for (const LibraryStep& step : steps) {
    if (!running_) {
      complete = false;
      break;
    }
    if (step.isMessage) {
      current.messages.push_back(step);
      continue;
    }
    scanFile(b, current, step.text.c_str());
    ++current.filesRead;
  }
  publish(b, std::move(current), true, complete);
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
  fillsChanged_.notify_all();
  if (drop) giveBack(fill);
}

// A store of the thread's own, waiting for the calling thread to give one back when both are
// on their way. The thread's other store is then in a fill of this thread's batch or of an
// earlier one, which the calling thread takes before any later batch, so the wait ends.
ResultStore* Search::freeStore(std::size_t thread) {
  std::unique_lock<std::mutex> lock(mutex_);
  workChanged_.wait(lock, [&] { return !free_[thread].empty(); });
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
  workChanged_.notify_all();
}

void Search::handOverAll() {
  for (std::size_t b = 0;; ++b) {
    for (;;) {
      Fill fill;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        fillsChanged_.wait(lock, [&] { return b < batches_.size() || noMoreBatches_; });
        if (b == batches_.size()) return;
        Batch& batch = batches_[b];
        fillsChanged_.wait(lock, [&] { return !batch.fills.empty() || batch.done; });
        if (batch.fills.empty()) {
          batch.steps = std::vector<LibraryStep>();
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
  workChanged_.notify_all();
}

}  // namespace

bool searchLibrary(const std::vector<std::string>& targets, bool searchSubFolders, DirLister& lister,
                   FillSink& sink, const std::atomic<bool>& running, unsigned threads) {
  Search search(targets, searchSubFolders, lister, sink, running);
  const std::size_t got = search.allocate(threads);
  return got > 0 && search.run(got);
}

}  // namespace obel
