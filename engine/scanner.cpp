#include "engine/scanner.h"

#include <cstdint>
#include <cstring>

#include "engine/file_io.h"
#include "engine/sjis.h"

namespace obel {

namespace {

constexpr unsigned char CR = 0x0D;
constexpr unsigned char LF = 0x0A;
constexpr unsigned char MarkLead = 0x81;  // of every mark the scan acts on
constexpr unsigned Bar = 0x8162;          // ｜
constexpr unsigned OpenReading = 0x8173;  // 《
constexpr unsigned char CloseReadingTrail = 0x74;  // 》 is 0x81 0x74
constexpr unsigned OpenNote = 0x816D;     // ［
constexpr unsigned NoteSharp = 0x8194;    // ＃
constexpr unsigned char CloseNoteTrail = 0x6E;     // ］ is 0x81 0x6E

constexpr std::size_t NoPosition = static_cast<std::size_t>(-1);

constexpr unsigned FirstKanji = 0x889F;    // 亜
constexpr unsigned char LowestTrail = 0x40;

constexpr bool isKanjiLike(unsigned code) {
  return code >= FirstKanji || code == 0x81A6 || code == 0x8396 || code == 0x8158 || code == 0x8159;
}

// Lead bytes of double-byte characters other than MarkLead, by what the lead alone tells of a
// kanji-like character: where the lowest character of a lead is at or after 亜, every character
// of it is; below, the trail decides.
enum LeadClass : unsigned char { NotOrdinaryLead, TrailDecides, KanjiLead };
constexpr struct LeadClasses {
  LeadClass of[256];
  constexpr LeadClasses() : of() {
    for (unsigned b = 0; b < 256; ++b) {
      const bool lead = isLeadByte(b);
      of[b] = !lead || b == MarkLead ? NotOrdinaryLead : b * 256u + LowestTrail >= FirstKanji ? KanjiLead : TrailDecides;
    }
  }
} leadClasses;

// isKanjiLike() of every double-byte code, a bit each (8 KB), so that the walk over a run of
// ordinary characters asks it without a branch.
constexpr struct KanjiBits {
  std::uint64_t word[65536 / 64];
  constexpr KanjiBits() : word() {
    for (unsigned code = 0; code < 65536; ++code)
      if (isKanjiLike(code)) word[code / 64] |= std::uint64_t{1} << (code % 64);
  }
  bool of(unsigned code) const { return (word[code / 64] >> (code % 64)) & 1; }
} kanjiBits;

constexpr unsigned Wo = 0x82F0;  // を
bool isOkuriganaKana(unsigned code) { return isHiragana(code) && code != Wo; }

class Scanner {
 public:
  Scanner(ResultStore& s, FileRecord* record, const char* data, std::size_t size)
      : s_(s), record_(record), data_(reinterpret_cast<const unsigned char*>(data)), size_(size),
        remaining_(MaxItems > s.itemCount ? MaxItems - s.itemCount : 0) {}

  std::uint32_t run() {
    if (remaining_ == 0) return 0;
    std::size_t pos = 0;
    startLine(pos);
    while (pos < size_ && !stopped_) {
      const unsigned char b = data_[pos];
      if (isLeadByte(b)) {
        if (pos == size_ - 1) break;  // a lead byte as the last byte is ignored
        pos = b == MarkLead ? doubleByte(pos) : ordinaryDoubleBytes(pos);
      } else if (b == CR) {
        if (pos == size_ - 1) break;
        ++pos;
        if (data_[pos] == LF) ++pos;
        if (pos >= size_) break;
        startLine(pos);
      } else if (b == LF) {
        ++pos;
        if (pos >= size_) break;
        startLine(pos);
      } else {
        singleByte(pos);
        ++pos;
      }
    }
    return produced_;
  }

 private:
  std::int32_t columnOf(std::size_t pos) const { return static_cast<std::int32_t>(pos - lineStart_ + 1); }
  unsigned codeAt(std::size_t pos) const { return data_[pos] * 256u + data_[pos + 1]; }

  void startLine(std::size_t pos) {
    ++line_;
    lineStart_ = pos;
    readingUnclosedFrom_ = noteUnclosedFrom_ = NoPosition;
    reset(false, 1);
  }

  void reset(bool explicitBase, std::int32_t column) {
    candidateLength_ = 0;
    candidateOverflow_ = false;
    pendingLength_ = 0;
    kanjiRun_ = false;
    singleRun_ = false;
    explicitBase_ = explicitBase;
    candidateColumn_ = column;
  }

  // The candidate is the bytes copied into the pool's free space followed by a pending range of
  // the text not copied yet: characters that follow each other in the text only extend the range,
  // which is copied when a gap (a skipped note) breaks it or when the candidate becomes a key.
  void append(const unsigned char* bytes, std::size_t n) {
    if (pendingLength_ != 0 && bytes == data_ + pendingStart_ + pendingLength_) {
      pendingLength_ += n;
      return;
    }
    flushPending();
    pendingStart_ = static_cast<std::size_t>(bytes - data_);
    pendingLength_ = n;
  }

  // Copies the pending range after the candidate in the pool; what does not fit is noted, and
  // only matters if it becomes a key. The free space does not change while a candidate grows, so
  // one check of the whole range decides as a check of each of its characters would.
  void flushPending() {
    const std::size_t n = pendingLength_;
    if (n == 0) return;
    pendingLength_ = 0;
    if (candidateOverflow_ || candidateLength_ + n + 1 > poolFree(s_)) {
      candidateOverflow_ = true;
      return;
    }
    std::memcpy(poolCursor(s_) + candidateLength_, data_ + pendingStart_, n);
    candidateLength_ += n;
  }

  void restartCandidate(const unsigned char* bytes, std::size_t n, std::int32_t column) {
    candidateLength_ = 0;
    candidateOverflow_ = false;
    pendingLength_ = 0;
    candidateColumn_ = column;
    append(bytes, n);
  }

  void singleByte(std::size_t pos) {
    const unsigned char* b = data_ + pos;
    if (explicitBase_) {
      append(b, 1);
      return;
    }
    kanjiRun_ = false;
    if (singleRun_ || *b == ' ') {
      append(b, 1);
    } else {
      singleRun_ = true;
      restartCandidate(b, 1, columnOf(pos));
    }
  }

  // The run of double-byte characters from pos whose lead byte is not MarkLead (no mark among
  // them), handled as doubleByte() would one by one; returns the position after the run.
  std::size_t ordinaryDoubleBytes(std::size_t pos) {
    singleRun_ = false;
    if (pendingLength_ != 0 && pendingStart_ + pendingLength_ != pos) flushPending();
    if (pendingLength_ == 0) pendingStart_ = pos;
    if (explicitBase_) {
      while (pos + 1 < size_ && leadClasses.of[data_[pos]] != NotOrdinaryLead) pos += 2;
    } else {
      // Only the last run of kanji that starts in this stretch can become the candidate: it is
      // found walking back from the stretch's end, which reads only the stretch's last run of
      // kana and of kanji again rather than asking every character whether it is a kanji.
      const std::size_t start = pos;
      while (pos + 1 < size_ && leadClasses.of[data_[pos]] != NotOrdinaryLead) pos += 2;
      std::size_t at = pos;
      while (at > start && !kanjiBits.of(codeAt(at - 2))) at -= 2;
      const std::size_t runEnd = at;  // after the stretch's last kanji, or its start without one
      while (at > start && kanjiBits.of(codeAt(at - 2))) at -= 2;
      // a run at the stretch's start goes on from before it when the text before ended in kanji
      const std::size_t runStart = runEnd > start && (at > start || !kanjiRun_) ? at : NoPosition;
      if (pos > start) kanjiRun_ = runEnd == pos;
      if (runStart != NoPosition) {
        candidateLength_ = 0;
        candidateOverflow_ = false;
        pendingStart_ = runStart;
        candidateColumn_ = columnOf(runStart);
      }
    }
    pendingLength_ = pos - pendingStart_;
    return pos;
  }

  // Returns the position after the character (or construct) handled.
  std::size_t doubleByte(std::size_t pos) {
    singleRun_ = false;
    const unsigned code = codeAt(pos);
    if (code == Bar) {
      reset(true, columnOf(pos + 2));
      return pos + 2;
    }
    if (code == OpenReading) {
      std::size_t n = 0;
      if (findClosingMark(pos + 2, CloseReadingTrail, readingUnclosedFrom_, n)) return produceItem(pos, n);
    } else if (code == OpenNote) {
      const std::size_t end = noteEnd(pos);
      if (end != 0) return end;
    }
    append(data_ + pos, 2);
    if (explicitBase_) return pos + 2;
    if (isKanjiLike(code)) {
      if (!kanjiRun_) {
        kanjiRun_ = true;
        restartCandidate(data_ + pos, 2, columnOf(pos));
      }
    } else {
      kanjiRun_ = false;
    }
    return pos + 2;
  }

  // For ［＃...］ closed on the same line: the position after ］; otherwise 0.
  std::size_t noteEnd(std::size_t pos) {
    if (pos + 3 >= size_ || codeAt(pos + 2) != NoteSharp) return 0;
    std::size_t n = 0;
    if (!findClosingMark(pos + 4, CloseNoteTrail, noteUnclosedFrom_, n)) return 0;
    return pos + 4 + n + 2;
  }

  // Looks for 0x81 followed by trail on the current line, at character boundaries only.
  // unclosedFrom is the start of an earlier search for the same mark on this line that found
  // none (NoPosition when there was none). Searches start at character boundaries of the line
  // and step over the same boundaries as the scan itself, so a search that reaches
  // unclosedFrom would walk the same rest of the line and fails there: however many marks
  // stay unclosed, each line is walked about once per mark.
  bool findClosingMark(std::size_t start, unsigned char trail, std::size_t& unclosedFrom, std::size_t& distance) {
    std::size_t i = start;
    while (i + 2 <= size_ && i < unclosedFrom) {
      const unsigned char c = data_[i];
      if (c == CR || c == LF) break;
      if (c == 0x81) {
        if (data_[i + 1] == trail) {
          distance = i - start;
          return true;
        }
        i += 2;
      } else if (isLeadByte(c)) {
        i += 2;
      } else {
        i += 1;
      }
    }
    if (start < unclosedFrom) unclosedFrom = start;
    return false;
  }

  // Copies n bytes to the write position, terminates and interns them.
  std::uint32_t internBytes(const unsigned char* bytes, std::size_t n) {
    if (n + 1 > poolFree(s_)) {
      s_.stringsExhausted = true;
      return NoString;
    }
    std::memcpy(poolCursor(s_), bytes, n);
    poolCursor(s_)[n] = '\0';
    return intern(s_);
  }

  std::size_t produceItem(std::size_t open, std::size_t n) {
    const std::size_t close = open + 2 + n;
    std::uint32_t keyId = NoString;
    flushPending();
    if (!candidateOverflow_) {
      poolCursor(s_)[candidateLength_] = '\0';  // flushPending() always leaves room for the NUL
      keyId = intern(s_);
    } else {
      s_.stringsExhausted = true;
    }
    const std::uint32_t rubyId = keyId == NoString ? NoString : internBytes(data_ + open + 2, n);
    const std::size_t after = close + 2;
    const std::uint32_t okuriganaId = rubyId == NoString ? NoString : internOkurigana(after);
    if (okuriganaId == NoString) {
      stopped_ = true;  // the string table is full: the search ends as at the item limit
      return after;
    }
    RubyItem& item = record_->firstItem[produced_];
    item.keyId = static_cast<std::uint16_t>(keyId);
    item.rubyId = static_cast<std::uint16_t>(rubyId);
    item.file = record_;
    item.line = line_;
    item.column = candidateColumn_;
    item.flags = 0;
    item.number = 1;
    item.groupSize = 1;
    item.okuriganaId = static_cast<std::uint16_t>(okuriganaId);
    ++produced_;
    if (--remaining_ == 0) stopped_ = true;
    // The okurigana is not consumed: it is scanned again as ordinary text.
    reset(false, columnOf(after));
    return after;
  }

  std::uint32_t internOkurigana(std::size_t pos) {
    std::size_t length = 0;
    char* out = poolCursor(s_);
    const std::size_t room = poolFree(s_);
    while (pos + 1 < size_ && isLeadByte(data_[pos])) {
      const unsigned code = codeAt(pos);
      if (isOkuriganaKana(code)) {
        if (length + 3 > room) {
          s_.stringsExhausted = true;
          return NoString;
        }
        out[length++] = static_cast<char>(data_[pos]);
        out[length++] = static_cast<char>(data_[pos + 1]);
        pos += 2;
      } else if (code == OpenNote && noteEnd(pos) != 0) {
        pos = noteEnd(pos);
      } else {
        break;
      }
    }
    if (length + 1 > room) {
      s_.stringsExhausted = true;
      return NoString;
    }
    out[length] = '\0';
    return intern(s_);
  }

  ResultStore& s_;
  FileRecord* record_;
  const unsigned char* data_;
  std::size_t size_;
  std::uint32_t remaining_;
  std::uint32_t produced_ = 0;
  bool stopped_ = false;
  std::int32_t line_ = 0;
  std::size_t lineStart_ = 0;
  std::size_t readingUnclosedFrom_ = NoPosition;  // of 》 (see findClosingMark)
  std::size_t noteUnclosedFrom_ = NoPosition;     // of ］
  std::size_t candidateLength_ = 0;  // bytes of the candidate in the pool
  std::size_t pendingStart_ = 0;     // and the range of the text after them
  std::size_t pendingLength_ = 0;
  bool candidateOverflow_ = false;
  std::int32_t candidateColumn_ = 1;
  bool explicitBase_ = false;
  bool kanjiRun_ = false;
  bool singleRun_ = false;
};

}  // namespace

std::uint32_t scanBuffer(ResultStore& s, FileRecord* record, const char* data, std::size_t size) {
  return Scanner(s, record, data, size).run();
}

std::uint32_t scanFile(ResultStore& s, FileRecord* record, bool* unreadable) {
  FileBytes bytes;
  if (!readWholeFile(record->path, bytes)) {
    if (unreadable) *unreadable = true;
    return 0;
  }
  return scanBuffer(s, record, bytes.data.get(), bytes.size);
}

}  // namespace obel
