#pragma once
// obel-scan --no-limit: the result of a whole library, folded together from the fills of the
// store. It keeps each distinct (key, ruby) pair once, with its texts and with counts wide
// enough for any library, so that memory grows with the distinct pairs, not with the items.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/store.h"
#include "revconv/near_miss.h"
#include "revconv/reading.h"
#include "settings/settings.h"

namespace obel {

// Each distinct text once, numbered from 0 in the order first seen: the texts one after the
// other in one pool, found through an open-addressing table of ids.
class LibraryStrings {
 public:
  std::uint32_t intern(std::string_view text) { return intern(text, hash(text)); }
  std::uint32_t intern(std::string_view text, std::uint32_t hash);
  static std::uint32_t hash(std::string_view text);
  // Room for `more` texts to come, so that the table does not move while they are interned.
  void makeRoom(std::uint32_t more);
  // Begins to fetch where a text of that hash is looked for.
  void prefetch(std::uint32_t hash) const { __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]); }
  // The text of an id, NUL-terminated.
  std::string_view text(std::uint32_t id) const { return view(id); }

 private:
  std::string_view view(std::uint32_t id) const {
    return {pool_.data() + offsets_[id], offsets_[id + 1] - offsets_[id] - 1};
  }
  // A probe compares the hashes first, so that it reads another text only when they agree.
  struct Slot {
    std::uint32_t hash;
    std::uint32_t idPlusOne;  // 0 for an empty slot
  };

  std::vector<char> pool_;
  std::vector<std::uint32_t> offsets_{0};  // of each text in the pool, and the pool's end
  std::uint32_t count_ = 0;
  std::vector<Slot> slots_;  // open addressing, a power of two long, at most half full
};

// A table of a library's pairs, which grows a chunk at a time and never moves what it holds: a
// vector would double itself, and hold the old and the new copy of tens of megabytes at once.
template <typename T>
class PairTable {
 public:
  std::size_t size() const { return size_; }
  T& operator[](std::size_t i) { return chunks_[i >> ChunkBits][i & ChunkMask]; }
  const T& operator[](std::size_t i) const { return chunks_[i >> ChunkBits][i & ChunkMask]; }
  void push_back(const T& value) {
    resize(size_ + 1);
    (*this)[size_ - 1] = value;
  }
  // Grows to n elements, the new ones value-initialized.
  void resize(std::size_t n) {
    while (chunks_.size() << ChunkBits < n) chunks_.push_back(std::make_unique<T[]>(ChunkSize));
    size_ = std::max(size_, n);
  }

 private:
  static constexpr std::size_t ChunkBits = 12;  // small enough that the last chunk's room costs little
  static constexpr std::size_t ChunkSize = std::size_t{1} << ChunkBits;
  static constexpr std::size_t ChunkMask = ChunkSize - 1;
  std::vector<std::unique_ptr<T[]>> chunks_;
  std::size_t size_ = 0;
};

// One distinct (key, ruby) pair: its texts, where it was first seen and how often.
struct LibraryPair {
  // Offset in the result's pair texts of the key, the ruby and the okurigana of the first
  // occurrence, one after the other, each NUL-terminated.
  std::uint64_t text;
  std::uint32_t keyBytes;
  std::uint32_t rubyBytes;
  std::uint32_t file;       // index into files()
  std::int32_t line;
  std::int32_t column;
  std::uint32_t count = 0;
};

// The ！ and 候補 questions asked of a pair: its nearest reading (the 候補 of a ×); a reading one
// voicing mark away that far more books use; the ruby without the okurigana's first kana it ends
// in (asked of the occurrences that have it); the book's own spelling, in a book of historical
// kana and in a modern one (BookKana).
enum NearMissQuestion : unsigned { Nearest, Voicing, Doubled, OwnHistorical, OwnModern };

// What the check found of a pair (only with the check).
struct PairChecks {
  std::uint32_t confirmed = 0;   // occurrences the check confirmed with their okurigana
  std::uint32_t nearMisses = 0;  // occurrences marked ！
  std::uint32_t suggestion = 0;  // 1 + the id of its 候補 in the result's strings, 0 for none
  std::uint8_t keyVerdict = 0;   // 0 not asked, 1 not confirmed, 2 the key alone reads as the ruby
  // Per kind of book (inBookWithoutSmallKana): 0 not asked, 1 no, 2 the ruby is composed (RevConvComposed).
  std::uint8_t composed[2] = {0, 0};
  bool ownReading = false;  // given at least BookRepeatMin times in one book: no ×
  // Two bits for each NearMissQuestion: 0 not asked, 1 nothing found, 2 found (its reading kept apart).
  std::uint16_t nearMissAnswers = 0;
  // What the look-up of the key found (KeyFacts): 0 not looked up, 1 no reading of the key
  // carries a count of books, so that no ！ or 候補 question finds anything, 2 one does.
  std::uint8_t keyCounted = 0;
  // With KeyOkuriKnown, KeyFacts::okuriEntries and okuriBytes.
  std::uint8_t keyOkuriEntries = 0;
  std::uint16_t keyOkuriBytes = 0;
  static_assert(MostKnownOkuriEntries <= UINT8_MAX && KnownOkuriBytes <= UINT16_MAX);
  // KeyOkuriKnown with KeyFacts::okuriKnown, KeyKanaFollows with its kanaFollows, and its
  // okuriLetters below them.
  std::uint32_t keyOkuri = 0;
};
constexpr std::uint32_t KeyOkuriKnown = 1u << 31;
constexpr std::uint32_t KeyKanaFollows = 1u << 30;

struct LibraryFile {
  std::string name;
  std::string folder;
};

// The okurigana questions of the check: for each (pair, okurigana) asked, 0 while not yet
// answered, 1 when the key with that okurigana does not read as the ruby, 2 when it does. An
// answer stays where it is as long as no room is made.
class OkuriganaAnswers {
 public:
  // Room for `more` questions to come.
  void makeRoom(std::size_t more);
  // Begins to fetch where the answer of the pair with that okurigana is (after makeRoom).
  void prefetch(std::uint32_t pair, std::uint32_t okurigana) const;
  // The answer of the pair with that okurigana; added (0) when the question is new.
  std::uint8_t& of(std::uint32_t pair, std::uint32_t okurigana, bool& added);

 private:
  struct Slot {
    std::uint32_t pairPlusOne;  // 0 for an empty slot
    std::uint32_t okurigana;
    std::uint8_t answer;
  };
  std::vector<Slot> slots_;  // open addressing, a power of two long, at most three quarters full
  std::size_t count_ = 0;
};

// What --make-dictionary wrote.
struct DictionaryFigures {
  std::uint64_t pairsRead = 0;     // distinct (key, ruby, with or without okurigana) found
  std::uint64_t pairsWritten = 0;  // of them in at least the minimum number of folders
};

// Runs part(0) ... part(count - 1) on up to `threads` threads, the calling one among them, and
// returns when all are done; the parts are taken in order, each by one thread.
void runOnThreads(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& part);

// Threads kept for many short runs of parts, as runOnThreads runs them: a thread started for each
// run would cost more than its parts, and the caller would wait for threads that start too late to
// take any. A thread that wakes after the run's parts are all taken takes none, and is not waited for.
class PartThreads {
 public:
  explicit PartThreads(unsigned helpers);
  ~PartThreads();
  PartThreads(const PartThreads&) = delete;
  PartThreads& operator=(const PartThreads&) = delete;
  void run(std::size_t count, const std::function<void(std::size_t)>& part);

 private:
  void help();
  // Takes the next of the count parts of the run `run`; false when none is left or the run is over.
  bool take(std::uint32_t run, std::size_t count, std::size_t& index);
  void finishOne(std::size_t count);

  std::mutex mutex_;
  std::condition_variable wake_;  // a new run, or the end
  std::condition_variable done_;  // the run's last part finished
  const std::function<void(std::size_t)>* part_ = nullptr;
  std::size_t count_ = 0;
  std::uint32_t run_ = 0;
  bool ending_ = false;
  std::atomic<std::uint64_t> next_{0};  // the run's number above its next part
  std::atomic<std::size_t> finished_{0};
  std::vector<std::thread> threads_;
};

class LibraryResult {
 public:
  // Counts, for the reading dictionary, in how many folders each pair occurs (a folder's
  // files come one after the other in the walk, so a change of folder is a new one).
  void countFolders() { countFolders_ = true; }
  // For a table without the column 候補: no nearest reading is looked for, and a ！ keeps no reading.
  void withoutSuggestions() { suggestions_ = false; }
  // The hash of each item's (key, ruby) pair, for fold. Reads the store only, so that it can be
  // done on the thread that filled it.
  static void hashPairs(const ResultStore& s, std::vector<std::uint32_t>& hashes);
  // For the check, whether each item's pair stands at least BookRepeatMin times in its book; also
  // for the thread that filled the store.
  static void repeatedPairs(const ResultStore& s, std::vector<bool>& repeated);
  // Folds the items of one fill in store order. With check, every item gets the verdict bits
  // the window's check would give it; each distinct (key, ruby) is asked once with the key
  // alone, each distinct (key, ruby, okurigana) at most once more. The questions of the fill
  // are spread over checkThreads threads; 1 asks them in the items' order (as a verdict cache
  // shared by the questions needs).
  void fold(ResultStore& s, const std::vector<std::uint32_t>& hashes, const std::vector<bool>& repeated,
            const ReadingSource* check, unsigned checkThreads = 1);


  std::uint64_t itemCount() const { return items_; }

  // The grouped view over the whole library under the display conditions of `conditions`: the
  // header and one CR LF line per shown pair, as the window's grouped list shows it. Written in
  // parts, made on `threads` threads.
  // With suggest a column 候補 follows 逆変換.
  void writeGrouped(const Settings& conditions, bool checked, bool suggest, unsigned threads,
                    const std::function<void(std::string_view)>& write) const;

  // An SKK dictionary (UTF-8) of the pairs found in at least minFolders folders: an okuri-nasi
  // line "ruby /key/" for occurrences without okurigana, an okuri-ari line "ruby + letter /key/"
  // (the romaji letter of the okurigana's first kana) for those with. Only rubies that the
  // check's normalisation leaves as they are go in, and keys a line can hold. Okuri-ari lines
  // first, readings descending, then okuri-nasi lines ascending, as SKK dictionaries are sorted.
  std::string dictionaryText(std::uint32_t minFolders, DictionaryFigures& figures) const;

 private:
  std::string_view key(const LibraryPair& p) const { return {pairTexts_.data() + p.text, p.keyBytes}; }
  std::string_view ruby(const LibraryPair& p) const {
    return {pairTexts_.data() + p.text + p.keyBytes + 1, p.rubyBytes};
  }
  const char* okurigana(const LibraryPair& p) const {
    return pairTexts_.data() + p.text + p.keyBytes + 1 + p.rubyBytes + 1;
  }
  // For the same-key condition the number of rubies of each pair's key, for the same-ruby
  // condition the number of keys of each pair's ruby, by pair; empty without either.
  std::vector<std::uint32_t> sharingPairs(const Settings& conditions) const;
  bool shown(std::size_t pair, const Settings& conditions, const std::vector<std::uint32_t>& sharing) const;
  void appendPairLines(std::size_t first, std::size_t end, bool checked, bool suggest, const Settings& conditions,
                       const std::vector<std::uint32_t>& sharing, std::vector<char>& out) const;
  // ownReading: the pair is given at least BookRepeatMin times in the item's book. okurigana: the
  // item's okurigana answer (1 not confirmed, 2 confirmed), found here when still 0.
  std::uint32_t verdictBits(ResultStore& s, const RubyItem& item, std::uint32_t pair, std::uint8_t& okurigana,
                            const ReadingSource& check, bool ownReading);
  // The ！ and 候補 answers of a pair whose key has counted readings, found with the key's look-up.
  struct KeyAnswers {
    NearMissFindings of[OwnModern + 1];
  };
  // The key alone's verdict of a pair, with what its look-up found; the pair's ！ and 候補 answers
  // in answers when its key has counted readings. Asked on the question threads: it changes p alone.
  // key16 is the item's key in UTF-16 where the caller has it; null converts it only when needed.
  void askKey(const ResultStore& s, const ReadingSource& check, const RubyItem& item, const std::u16string* key16,
              PairChecks& p, std::unique_ptr<KeyAnswers>& answers) const;
  void keepKeyAnswers(std::uint32_t pair, const KeyAnswers& answers);
  // The answer of the occurrence's okurigana question.
  std::uint8_t okuriganaAnswer(const ResultStore& s, const ReadingSource& check, const RubyItem& item,
                               std::uint32_t pair) const;
  // What the answers say of an occurrence (its okurigana answer, or 0 without one asked).
  ItemFindings findings(const RubyItem& item, std::uint32_t pair, std::uint8_t okurigana, bool ownReading) const;
  struct PairAnswers;
  // The ！ and 候補 of an occurrence whose findings are decided (found.nearMiss is set here).
  void findNearMiss(ResultStore& s, const RubyItem& item, std::uint32_t pair, const ReadingSource& check,
                    ItemFindings& found, bool ownReading);
  // A kept answer to a ！ or 候補 question: whether it found something, and 1 + the id in
  // strings_ of the reading it found (0 for none).
  struct KeptAnswer {
    bool nearMiss = false;
    std::uint32_t reading = 0;
  };
  // The ！ of a ruby that ends in its okurigana's first kana, asked once per pair.
  KeptAnswer doubled(const ResultStore& s, const RubyItem& item, std::uint32_t pair, const ReadingSource& check);
  // The ！ of a ruby spelled against its book's kana, asked once per pair and kind of book.
  KeptAnswer ownKana(const ResultStore& s, const RubyItem& item, std::uint32_t pair, const ReadingSource& check);
  // The answer to a question of the pair: 0 not asked, 1 nothing found, 2 found.
  unsigned answered(std::uint32_t pair, NearMissQuestion q) const { return checks_[pair].nearMissAnswers >> (2 * q) & 3; }
  void keepAnswer(std::uint32_t pair, NearMissQuestion q, const NearMissFindings& f);
  // An answered question's kept answer.
  KeptAnswer kept(std::uint32_t pair, NearMissQuestion q) const;
  // The answer, asked of the item's pair first when it was not yet.
  KeptAnswer asked(std::uint32_t pair, NearMissQuestion q, const ResultStore& s, const ReadingSource& check,
                   const RubyItem& item);
  // The questions of a fill asked on the threads (see the definition).
  struct FillQuestions;
  void askAhead(const ResultStore& s, FillQuestions& fill, const ReadingSource& check, PartThreads& threads);
  std::unique_ptr<PartThreads> questionThreads_;  // for the check's questions, made on the first fill

  LibraryStrings strings_;  // okurigana asked by the check, and folders
  PairTable<LibraryPair> pairs_;  // in order of first appearance: pair i has the number i + 1
  PairTable<PairChecks> checks_;  // of each pair, with the check
  // The readings the ！ and 候補 questions found: pair * 8 + NearMissQuestion -> id in strings_.
  std::unordered_map<std::uint64_t, std::uint32_t> nearMissReadings_;
  // The texts of the pairs. A pair keeps its own: most keys and rubies of a library belong to
  // one pair or a few, and the okurigana runs up to the next kanji, so most are seen once.
  std::vector<char> pairTexts_;
  // A probe compares the hashes first, so that it reads a pair's texts only when they agree.
  struct PairSlot {
    std::uint32_t hash;
    std::uint32_t indexPlusOne;  // 0 for an empty slot
  };
  void makePairRoom(std::size_t more);
  std::uint32_t findOrAddPair(const ResultStore& s, const RubyItem& item, std::uint32_t hash, bool& added);
  std::vector<PairSlot> pairSlots_;  // open addressing, a power of two long, at most half full
  OkuriganaAnswers okuriganaAnswers_;
  std::vector<LibraryFile> files_;
  std::uint64_t items_ = 0;

  struct FolderCount {
    std::uint32_t lastFolder;
    std::uint32_t folders;
  };
  bool countFolders_ = false;
  bool suggestions_ = true;
  // pair << 8 | the okurigana's romaji letter (0 without okurigana)
  std::unordered_map<std::uint64_t, FolderCount> folderCounts_;
  // By pair, whatever the okurigana: the count of books each line gives its key.
  std::vector<FolderCount> pairFolders_;
};

}  // namespace obel
