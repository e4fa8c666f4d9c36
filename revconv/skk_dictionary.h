#pragma once
// A reading provider over an input-method dictionary in the SKK format (EUC-JP, or UTF-8 when
// the first line says "coding: utf-8"). The readings of a text T are the readings R that the
// dictionary converts into T: an okuri-nasi line "R /T/.../" gives R; an okuri-ari line
// "Sc /K/.../" gives S followed by the okurigana when T is K followed by hiragana whose first
// kana is written in romaji with the letter c (はしr /走/ reads 走る as はしる).
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sjis.h"
#include "revconv/dictionary_image.h"
#include "revconv/reading.h"

namespace obel {

// The whole file's bytes into bytes; false, with bytes empty, when it cannot be opened or read.
bool readDictionaryFile(const char* path, std::string& bytes);

class SkkDictionary final : public ReadingProvider {
 public:
  SkkDictionary() = default;
  // The look-ups view the tables where they were built or mapped: not copied nor moved.
  SkkDictionary(const SkkDictionary&) = delete;
  SkkDictionary& operator=(const SkkDictionary&) = delete;
  // Reads and indexes the file; false (and an empty dictionary) when it cannot be read.
  bool load(const char* path);
  // As load, through the dictionary's image in imageFolder (revconv/dictionary_image.h): the
  // tables are taken from the image when it was made from the file as it is now, by this
  // program; else the file is read and indexed, and its image left there for the next time
  // (without a word when it cannot be written). With no imageFolder, and for a file smaller than
  // SmallestImagedFile, which takes a few milliseconds to read, it is load.
  bool load(const char* path, const std::string& imageFolder);
  static constexpr std::uint64_t SmallestImagedFile = 256 * 1024;
  // Whether the tables were taken from an image.
  bool fromImage() const { return image_ != nullptr; }
  // Indexes dictionary text already in memory (the whole file's bytes).
  void loadText(std::string_view bytes);
  // Distinct candidate texts of both kinds of line.
  std::size_t candidateCount() const { return candidateCount_; }
  void readings(void* context, void* layout, const std::u16string& text,
                std::vector<std::u16string>& out) override;
  void countedReadings(const std::u16string& key, std::vector<CountedReading>& out) override;
  bool keyEntries(const std::u16string& key, std::vector<KeyEntry>& out, bool& kanaFollows) override;
  bool readingsPastKey(const std::u16string& text, std::size_t keyLength, std::vector<std::u16string>& out) override;
  // keyEntries of the key of that hash (candidateHash): its entries are looked up only where
  // mayHold, and kanaFollows is found either way.
  void keyEntriesOf(const std::u16string& key, std::uint32_t hash, bool mayHold, std::vector<KeyEntry>& out,
                    bool& kanaFollows) const;
  // The keys that do not end in hiragana: how many, and each one's hash given to add.
  std::size_t keysWithoutKanaEnd() const { return index_.keysWithoutKanaEnd(); }
  template <typename Add>
  void forEachKeyWithoutKanaEnd(Add add) const { index_.forEachKeyWithoutKanaEnd(pool_, add); }

 private:
  // readings without the okuri-ari look-up of text[0, skipped) (none skipped for npos)
  void readingsSkipping(const std::u16string& text, std::size_t skipped, std::vector<std::u16string>& out) const;
  // A candidate's reading (its line's head, in the pool), the letter of an okuri-ari line (0 for
  // okuri-nasi) and the count of books its annotation gives (0 without one): all a look-up reads
  // of an entry, in the entry itself.
  struct Entry {
    std::uint32_t offset;
    std::uint32_t length : 24;
    std::uint32_t okuriLetter : 8;
    std::uint32_t books;
  };
  // A line whose reading is longer is left out: no reading is a thousandth as long.
  static constexpr std::size_t MaxReadingLength = (1u << 24) - 1;
  // The candidate texts of both kinds of line with the entries of each: those of okuri-nasi
  // lines first, then those of okuri-ari ones, each kind in dictionary order, so that one look-up
  // of a text finds both. Most texts asked about are no candidate: a filter of a few bits a
  // candidate answers most of them from one 64-bit word, and the rest from a flat table of
  // hashes, where a key's text is read only when its hash agrees. Keys view into the pool, which is sized before any key is made
  // and never moves afterwards. A text with okurigana ends in hiragana, and few candidates do:
  // those have a filter of their own, small enough to stay in the cache.
  class CandidateIndex {
   public:
    void clear();
    // Room for at most that many entries to come.
    void expect(std::size_t entries);
    // During the load: one more entry of the candidate pool[offset, offset + length).
    void add(std::uint32_t offset, std::uint32_t length, std::uint32_t hash, Entry entry);
    // Ends the load: the entries of each key side by side, and the filters. Returns the number
    // of candidate texts of each kind of line, counted apart.
    std::size_t finish(std::u16string_view pool);
    // The entries of the candidate, none when it is not one; hash is the key's (candidateHash).
    std::span<const Entry> find(std::u16string_view pool, std::u16string_view key, std::uint32_t hash) const;
    // Whether some candidate is the text of that hash followed by hiragana; true, too, for a few
    // texts that are not.
    bool mayBeFollowedByKana(std::uint32_t hash) const;
    // Begins to fetch what find(key, hash) reads first, so that several look-ups wait for memory at once.
    void prefetch(std::u16string_view key, std::uint32_t hash) const;
    // The keys that do not end in hiragana: how many, and each one's hash given to add.
    std::size_t keysWithoutKanaEnd() const { return keys_.size() - kanaEnded_; }
    template <typename Add>
    void forEachKeyWithoutKanaEnd(std::u16string_view pool, Add add) const {
      for (const Slot& slot : slots_)
        if (slot.key != NoKey && !endsInHiragana({pool.data() + keys_[slot.key].offset, keys_[slot.key].length}))
          add(slot.hash);
    }

   private:
    struct Key {
      std::uint32_t offset;  // of its text in the pool
      std::uint32_t length;
      std::uint32_t first;  // its entries are entries_[first, end)
      std::uint32_t end;
    };
    struct Slot {
      std::uint32_t hash;
      std::uint32_t key;  // into keys_, NoKey when the slot is free
    };
    struct StagedEntry {
      std::uint32_t hash;  // of the candidate pool[offset, offset + length)
      std::uint32_t offset;
      std::uint32_t length;
      std::uint32_t key;  // into keys_, once placed
      Entry entry;
    };
    static constexpr std::uint32_t NoKey = UINT32_MAX;
    std::size_t slotOf(std::u16string_view pool, std::u16string_view key, std::uint32_t hash) const;
    void placeKeys(std::u16string_view pool);
    static bool endsInHiragana(std::u16string_view key) { return !key.empty() && isHiraganaUtf16(key.back()); }
    // The filter of the keys that end as key does: in hiragana or not.
    std::span<const std::uint64_t> filterOf(std::u16string_view key) const { return filters_[endsInHiragana(key)]; }
    bool mayHold(std::u16string_view key, std::uint32_t hash) const;

    // The tables a look-up reads: those the load built, or a dictionary image's.
    std::span<const Slot> slots_;  // a power of two of them, at most half in use
    std::span<const Key> keys_;
    std::span<const Entry> entries_;
    std::span<const std::uint64_t> filters_[2];  // of the keys that end in hiragana: [1]
    // A filter of the keys that end in hiragana, without their hiragana: few keys end so, and
    // its few kilobytes stay in the cache.
    std::span<const std::uint64_t> kanaStems_;
    std::size_t kanaEnded_ = 0;  // keys that end in hiragana
    // The tables as the load builds them, and the entries as it adds them.
    struct Built {
      std::vector<Slot> slots;
      std::vector<Key> keys;
      std::vector<Entry> entries;
      std::vector<StagedEntry> staged;
      std::vector<std::uint64_t> filters[2];
      std::vector<std::uint64_t> kanaStems;
    } built_;
    void viewBuilt();  // the look-ups' tables made those built
    friend class SkkDictionary;  // which writes the tables into an image, and takes them from one
  };
  void addLine(std::u16string_view line);
  std::u16string_view pooled(const Entry& e) const { return {pool_.data() + e.offset, e.length}; }

  // Readings and candidate texts: those the load read (builtPool_), or an image's.
  std::u16string_view pool_;
  std::u16string builtPool_;
  std::unique_ptr<MappedFile> image_;  // that the tables view, when they came from one
  // The image of the tables: bytes stamped with the dictionary file and the program.
  std::string imageBytes(std::string_view source, const FileStamp& sourceStamp, const FileStamp& program) const;
  // Takes the tables from the image of that file and program; false, and nothing taken, when it
  // is of another file or program or does not hold an index whose look-ups stay inside it.
  bool takeImage(std::unique_ptr<MappedFile> image, std::string_view source, const FileStamp& sourceStamp,
                 const FileStamp& program);
  // What an image's tables depend on besides the file: the records' sizes, the hash and the filter.
  static std::uint64_t imageFingerprint();
  CandidateIndex index_;
  std::size_t candidateCount_ = 0;
  bool counted_ = false;  // some reading has a count: only then is countedReadings asked of the index
  // The longest candidate of an okuri-ari line: a text is cut before its kana no further in.
  std::size_t longestAri_ = 0;
  std::size_t mostAriKana_ = 0;  // the most hiragana a candidate of an okuri-ari line ends in
};

// The count of books of a candidate's annotation (the text after ';'): its decimal number, or
// 0 when it is not one (empty, other text, or more than MaxBooksDigits digits).
constexpr std::size_t MaxBooksDigits = 9;
std::uint32_t annotationBooks(std::u16string_view annotation);

// The files of a dictionary list: names separated by ';', blanks around a name and empty
// entries ignored ("a.dic; b.dic" is two files, one name alone is one).
std::vector<std::string> splitDictionaryList(std::string_view list);

// The list with the file added at its end; the list as it is when it names the file already.
std::string addToDictionaryList(std::string_view list, std::string_view file);
// The warning about the files of a list that could not be read (CP932), one name a line.
std::string unreadableDictionariesText(const std::vector<std::string>& files);

// Several dictionaries as one provider: the readings of all of them, in the order of the list,
// each reading once.
class DictionaryList final : public ReadingProvider {
 public:
  void countedReadings(const std::u16string& key, std::vector<CountedReading>& out) override;
  // Loads every file of the list; the names of those that cannot be read are added to
  // unreadable. True when at least one was read.
  bool load(std::string_view list, std::vector<std::string>& unreadable);
  // Adds one file at the end of the list; false when it cannot be read (the list unchanged). A
  // file already on the list is not read again.
  bool add(const std::string& file);
  // Adds the files in their order, as add does one by one, reading them at once on threads of
  // their own; whether each could be read (a name given twice answers as the first time).
  std::vector<bool> addAll(const std::vector<std::string>& files);
  // Adds the default files, then those of the list, all read at once; the files of the list that
  // could not be read (a default that cannot be read is skipped without a word).
  std::vector<std::string> addDefaultsAndList(const std::vector<std::string>& defaults, std::string_view list);
  std::size_t size() const { return dictionaries_.size(); }
  // The files added from now on are read through their images in that folder (SkkDictionary::load).
  void useImages(std::string folder) { imageFolder_ = std::move(folder); }
  void readings(void* context, void* layout, const std::u16string& text,
                std::vector<std::u16string>& out) override;
  bool keyEntries(const std::u16string& key, std::vector<KeyEntry>& out, bool& kanaFollows) override;
  void prefetchKeyEntries(const std::u16string& key) const override;
  bool readingsPastKey(const std::u16string& text, std::size_t keyLength, std::vector<std::u16string>& out) override;

 private:
  std::vector<std::unique_ptr<SkkDictionary>> dictionaries_;  // the index views its own pool: never moved
  std::vector<std::string> files_;                             // the name of each
  std::string imageFolder_;                                    // none: no images
  // A filter of the keys of every dictionary that do not end in hiragana: most keys of a text are
  // in none, which one look-up tells instead of one a dictionary.
  std::vector<std::uint64_t> keys_;
  void filterKeys();
};

// The file of the readings of proofread Aozora Bunko books that ships beside the program.
constexpr char AozoraReadingsFile[] = "aozora-readings.utf8";
// Where the skkdic package installs its dictionary.
#ifdef _WIN32
constexpr char InstalledSkkDictionary[] = "Z:\\usr\\share\\skk\\SKK-JISYO.L";
#else
constexpr char InstalledSkkDictionary[] = "/usr/share/skk/SKK-JISYO.L";
#endif
// The default reading dictionaries, in order: the installed skkdic file (when withSkk), then
// the Aozora readings in the program's folder (given with its closing separator).
std::vector<std::string> defaultDictionaryFiles(const std::string& programFolder, bool withSkk = true);

// The union of several providers: the readings of each in turn, each reading once.
class ReadingUnion final : public ReadingProvider {
 public:
  void countedReadings(const std::u16string& key, std::vector<CountedReading>& out) override;
  void add(ReadingProvider* provider) { providers_.push_back(provider); }
  void readings(void* context, void* layout, const std::u16string& text,
                std::vector<std::u16string>& out) override;

 private:
  std::vector<ReadingProvider*> providers_;
  std::vector<std::u16string> one_;
};

// The romaji letters that may begin the kana (a hiragana), or "" for anything else.
const char* okuriInitials(char16_t kana);

// EUC-JP bytes of one line as UTF-16; a character that cannot be decoded becomes U+FFFD. UTF-8
// lines are read with decodeUtf8 (engine/sjis.h).
std::u16string decodeEucJp(std::string_view line);

}  // namespace obel
