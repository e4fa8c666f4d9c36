#pragma once
// The result store: every ruby occurrence of one search, the files they came from and the
// interned strings. One fixed process-wide instance, allocated once, emptied by each search.
#include <atomic>
#include <cstdint>

namespace obel {

constexpr std::uint32_t MaxItems = 30000;
constexpr std::uint32_t MaxStrings = 90000;
constexpr std::uint32_t PoolBytes = 1440000;
// Ids are 16 bits wide in RubyItem: a search that needs a 65537th string ends as at the item limit.
constexpr std::uint32_t MaxStringIds = 65536;
// The 候補 of the check's × and ！ share one pool of text per store; when it is full the rest
// get none.
constexpr std::uint32_t SuggestionPoolBytes = MaxItems * 16;
constexpr std::uint32_t PathBytes = 260;  // MAX_PATH: a path holds at most 259 bytes

// The bits of RubyItem::flags. The pair bits are set by markRepeatedPairs after a search; the
// verdict bits by the reverse-conversion check, and only ever added until the next search.

// Its (key, ruby) pair occurs more than once in the store (set on every occurrence).
constexpr std::uint32_t PairShared = 0x01;
// Not the pair's first occurrence: the first one carries the pair's count and its summary.
constexpr std::uint32_t PairRepeat = 0x02;
// The check has given this occurrence its verdict (the bits below say which).
constexpr std::uint32_t RevConvDone = 0x04;
// The ruby is a reading of the key alone (◎); for a pair, set on every occurrence.
constexpr std::uint32_t RevConvKeyOk = 0x08;
// The ruby is confirmed with the okurigana that follows this occurrence (○).
constexpr std::uint32_t RevConvOkuriOk = 0x10;
// On a shared pair's first occurrence: every occurrence is checked, the two bits below sum up.
constexpr std::uint32_t RevConvGroupDone = 0x20;
// On a shared pair's first occurrence: every occurrence is confirmed (○ for the pair row).
constexpr std::uint32_t RevConvGroupAllOk = 0x40;
// On a shared pair's first occurrence: some occurrences are confirmed, not all (△).
constexpr std::uint32_t RevConvGroupSomeOk = 0x80;
// Not confirmed, but the ruby is made of the readings of the key's characters (or is a gloss in
// katakana); on a shared pair's first occurrence it stands for the whole pair.
constexpr std::uint32_t RevConvComposed = 0x100;
// Confirmed or composed, but probably a misprint of a reading the library uses far more often
// (one voicing mark away), or the okurigana written twice (！); never on a ×.
constexpr std::uint32_t RevConvNearMiss = 0x200;
// On a shared pair's first occurrence: some occurrence has RevConvNearMiss (！ for the pair row).
constexpr std::uint32_t RevConvGroupNearMiss = 0x400;
// On a shared pair's first occurrence: nothing confirms the pair, but a book gives it three times
// or more, as its author's own reading (？ for the pair row).
constexpr std::uint32_t RevConvGroupOwnReading = 0x800;

struct FileRecord;

// One ruby occurrence. Ids are indexes into the store's StringTable.
struct RubyItem {
  std::uint16_t keyId;        // the text the ruby is given to (the base)
  std::uint16_t rubyId;       // the reading between 《 and 》
  FileRecord* file;           // the file it was found in
  std::int32_t line;          // from 1
  std::int32_t column;        // of the key's first byte, in Shift-JIS bytes from 1
  std::uint32_t flags;        // the Pair* and RevConv* bits above
  // With PairRepeat: this occurrence's place within its pair (2, 3, ...). Without: after
  // countDistinctPairs, the pair's number in order of first appearance (1 before it).
  std::uint16_t number;
  std::uint16_t groupSize;    // on a pair's first occurrence its count of occurrences, else 1
  std::uint16_t okuriganaId;  // the kana right after 》 that belong to the key; "" when none
};

struct FileRecord {
  char path[PathBytes];    // as the walk found it
  char folder[PathBytes];  // derived from path by deriveFolderAndName, as name is
  const char* name;
  std::uint32_t itemCount;  // occurrences found in the file
  RubyItem* firstItem;      // the first of them; the file's items are consecutive in the store
  // Of those, the ones whose ruby holds a small hiragana (ぁ ぃ ぅ ぇ ぉ っ ゃ ゅ ょ); set by
  // addFile. A book in the old orthography has (nearly) none.
  std::uint32_t smallKanaRubies;
  // Of those, the ones whose ruby shows historical kana unmistakably (holdsHistoricalKana); set by
  // addFile. A book in modern kana has (nearly) none.
  std::uint32_t historicalKanaRubies;
  FileRecord* next;         // the record added before this one
};

struct StringTable {
  std::uint32_t hash[MaxStrings];
  const char* text[MaxStrings];
  std::uint32_t count;
  char pool[PoolBytes];
  std::uint32_t writePosition;  // offset into pool
  // Hash index over the ids (open addressing, -1 = empty, else the id with bits of its hash
  // above it): a look-up that gives the same id as the linear scan of `hash` from id 0, in
  // constant time.
  std::int32_t index[1 << 17];
};

struct ResultStore {
  RubyItem items[MaxItems];
  std::uint32_t itemCount;
  StringTable strings;
  std::uint32_t pairIndex[MaxItems];
  std::uint16_t rubiesPerKey[MaxStrings];
  std::uint16_t keysPerRuby[MaxStrings];
  std::uint32_t pendingCheckCount;
  std::atomic<bool> searchRunning;
  // Set when the string table could not take another string (65536 ids or a full pool);
  // the search then ends as at the item limit.
  bool stringsExhausted;
  FileRecord* files;  // head of the file list: the record added last
  // Hash index of pairs to their first occurrence (-1 = empty), used by markRepeatedPairs.
  std::int32_t pairFirst[1 << 16];
  // The check's 候補 of item i: its text starts at suggestionAt[i] - 1 in suggestionPool; 0 for none.
  std::uint32_t suggestionAt[MaxItems];
  char suggestionPool[SuggestionPoolBytes];
  std::uint32_t suggestionBytes;
  std::uint32_t lastSuggestionAt;  // of the text stored last, as in suggestionAt
};

// The process-wide store, allocated once on first use.
namespace process {
ResultStore& store();
}  // namespace process
// A store of its own, empty, for a search that fills several at once; nullptr when it cannot be
// allocated. deleteResultStore frees its file records too.
ResultStore* newResultStore();
void deleteResultStore(ResultStore* s);

// String hash: from 0xFFFFFFFF, per byte (NUL included) rotate left 9 and XOR the byte.
std::uint32_t stringHash(const char* text);

void clear(ResultStore& s);
// Free bytes of the pool after the write position (the scanner's scratch area).
inline std::uint32_t poolFree(const ResultStore& s) { return PoolBytes - s.strings.writePosition; }
inline char* poolCursor(ResultStore& s) { return s.strings.pool + s.strings.writePosition; }
constexpr std::uint32_t NoString = 0xFFFFFFFFu;
// Interns the NUL-terminated text at the pool's write position (the NUL must lie inside the
// pool). Returns its id, or NoString (setting stringsExhausted) when a new string would be
// the 65537th or would not fit; the text is then not stored.
std::uint32_t intern(ResultStore& s);
// Copies text to the write position and interns it (for callers outside the scanner).
std::uint32_t internText(ResultStore& s, const char* text);
inline const char* text(const ResultStore& s, std::uint32_t id) { return s.strings.text[id]; }

FileRecord* findFile(const ResultStore& s, const char* path);
// Allocates a zero-filled record with path, folder and name derived; nullptr when the path
// does not fit or allocation fails.
FileRecord* newFileRecord(const char* path);
void freeFileRecord(FileRecord* record);
// Puts the scanned record (firstItem and itemCount set) at the head of the file list, counts its
// items into the store and its rubies with small kana into the record.
void addFile(ResultStore& s, FileRecord* record);
// Whether a ruby (CP932) shows historical kana unmistakably: ゐ ゑ, を after the first kana, or う
// after a kana of the あ or え column (かう, けう).
bool holdsHistoricalKana(const char* ruby);
// folder: path cut before its last backslash, or after it when a colon precedes it; empty
// without a backslash. name: the part after the last backslash, or the whole path.
void deriveFolderAndName(FileRecord& record);

void markRepeatedPairs(ResultStore& s);
void countDistinctPairs(ResultStore& s);

// Gives the item the 候補 reading (CP932); nothing when the pool cannot hold it. An item given
// the text the previous call stored shares it.
void setSuggestion(ResultStore& s, const RubyItem& item, const char* reading);
// The item's 候補, "" when it has none.
const char* suggestion(const ResultStore& s, const RubyItem& item);

// What the check found for one occurrence.
struct ItemFindings {
  bool keyOk = false;     // the key alone reads as the ruby
  bool okuriOk = false;   // the key with this occurrence's okurigana does
  bool composed = false;  // made of the readings of the key's characters, or a katakana gloss
  bool nearMiss = false;  // a near miss of a reading the library uses far more often
};
// The verdict bits the findings give the occurrence, RevConvDone included.
std::uint32_t itemVerdictBits(const ItemFindings& found);

// What the check found for all the occurrences of a pair together.
struct PairFindings {
  bool keyOk = false;
  std::uint32_t occurrences = 0;
  std::uint32_t confirmed = 0;  // occurrences confirmed with their okurigana
  bool composed = false;
  bool nearMiss = false;  // some occurrence is a near miss
  bool ownReading = false;  // a book gives the pair three times or more
};
// The summary bits the pair's first occurrence gets, RevConvGroupDone included.
std::uint32_t pairVerdictBits(const PairFindings& found);

// The marks, in their order of trust (the order of the verdict column's sort): not checked yet,
// then ◎ down to ×.
enum class Verdict : std::uint8_t { Unchecked, KeyOk, OkuriOk, Partly, Composed, NearMiss, Unconfirmed };
// Which mark the bits give: an occurrence's own, or (asPair) its pair's summary.
Verdict verdictOf(std::uint32_t flags, bool asPair);
// "◎" "○" "△" "？" "！" "×" or "" (CP932 text).
const char* verdictText(Verdict verdict);
// The verdict whose mark begins the text (a cell may hold more after it); Unchecked for any other.
Verdict verdictOfMark(const char* mark);

// verdictText of the item's verdict: ！ wins over ◎ ○ △ ？, and ◎ ○ △ over ？.
const char* verdictMark(const RubyItem& item, bool asPair);

// How many items a progress bar's step stands for in a pass over count items (the list
// rebuild's, the check's): 1 up to 128, else count / 128, so that a bar moves about 128 times.
int progressStep(std::uint32_t itemCount);

}  // namespace obel
