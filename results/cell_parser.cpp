// The portable cell parser: the number and date forms the locale parsers of the platform
// accept for a Japanese user locale, as far as the result lists and their tests need them.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/sjis.h"
#include "results/sort.h"

namespace obel {

namespace {

const char* skipSpaces(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

// Sign, digits with thousands separators, fraction, exponent; or "&H" / "&O" numbers.
// The whole text (spaces around it aside) must be the number.
bool parseNumber(const char* text, double& value) {
  const char* p = skipSpaces(text);
  if (p[0] == '&' && (p[1] == 'H' || p[1] == 'h' || p[1] == 'O' || p[1] == 'o')) {
    const int base = (p[1] == 'H' || p[1] == 'h') ? 16 : 8;
    p += 2;
    char* end = nullptr;
    if (!*p) return false;
    unsigned long long n = std::strtoull(p, &end, base);
    if (end == p || *skipSpaces(end) != '\0' || n > 0xFFFFFFFFull) return false;
    value = static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(n)));
    return true;
  }
  char plain[64];
  std::size_t length = 0;
  if (*p == '+' || *p == '-') plain[length++] = *p++;
  bool digits = false;
  while ((*p >= '0' && *p <= '9') || (*p == ',' && digits)) {
    if (*p != ',') {
      if (length >= sizeof plain - 1) return false;
      plain[length++] = *p;
      digits = true;
    }
    ++p;
  }
  if (*p == '.') {
    plain[length++] = *p++;
    while (*p >= '0' && *p <= '9') {
      if (length >= sizeof plain - 1) return false;
      plain[length++] = *p++;
      digits = true;
    }
  }
  if (!digits) return false;
  if (*p == 'e' || *p == 'E') {
    plain[length++] = *p++;
    if (*p == '+' || *p == '-') plain[length++] = *p++;
    if (*p < '0' || *p > '9') return false;
    while (*p >= '0' && *p <= '9') {
      if (length >= sizeof plain - 1) return false;
      plain[length++] = *p++;
    }
  }
  if (*skipSpaces(p) != '\0') return false;
  plain[length] = '\0';
  value = std::strtod(plain, nullptr);
  return std::isfinite(value);
}

// Days from 1899-12-30 of a proleptic Gregorian date.
long daysFromEpoch(long year, long month, long day) {
  year -= month <= 2;
  const long era = (year >= 0 ? year : year - 399) / 400;
  const long yoe = year - era * 400;
  const long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long unixDays = era * 146097 + doe - 719468;
  return unixDays + 25569;
}

bool readInt(const char*& p, long& value) {
  if (*p < '0' || *p > '9') return false;
  value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p - '0');
    if (value > 100000) return false;
    ++p;
  }
  return true;
}

int daysInMonth(long year, long month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

// "h:m[:s]"
bool parseTime(const char*& p, double& fraction) {
  long h = 0, m = 0, s = 0;
  if (!readInt(p, h) || *p != ':') return false;
  ++p;
  if (!readInt(p, m)) return false;
  if (*p == ':') {
    ++p;
    if (!readInt(p, s)) return false;
  }
  if (h > 23 || m > 59 || s > 59) return false;
  fraction = (h * 3600 + m * 60 + s) / 86400.0;
  return true;
}

// "y/m/d" or "y-m-d" with an optional time, or a time alone. A month above 12 with a day up
// to 12 is read as the day (as the platform parser does).
bool parseDateValue(const char* text, double& value) {
  const char* p = skipSpaces(text);
  double fraction = 0.0;
  const char* start = p;
  long a = 0;
  if (!readInt(p, a)) return false;
  if (*p == ':') {
    p = start;
    if (!parseTime(p, fraction) || *skipSpaces(p) != '\0') return false;
    value = fraction;
    return true;
  }
  const char separator = *p;
  if (separator != '/' && separator != '-') return false;
  ++p;
  long month = 0, day = 0;
  if (!readInt(p, month) || *p != separator) return false;
  ++p;
  if (!readInt(p, day)) return false;
  if (month > 12 && day <= 12) {
    const long swap = month;
    month = day;
    day = swap;
  }
  if (a < 100) a += a < 30 ? 2000 : 1900;
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(a, month)) return false;
  p = skipSpaces(p);
  if (*p != '\0' && !parseTime(p, fraction)) return false;
  if (*skipSpaces(p) != '\0') return false;
  value = static_cast<double>(daysFromEpoch(a, month, day)) + fraction;
  return true;
}

int foldedByte(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

class PortableCellParser : public CellParser {
 public:
  bool parseInteger(const char* text, std::int32_t& value) override {
    double number = 0.0;
    if (!parseNumber(text, number)) return false;
    const double rounded = std::nearbyint(number);  // half to even
    if (rounded < -2147483648.0 || rounded > 2147483647.0) return false;
    value = static_cast<std::int32_t>(rounded);
    return true;
  }
  bool parseReal(const char* text, double& value) override { return parseNumber(text, value); }
  bool parseDecimal(const char* text, DecimalKey& value) override {
    double number = 0.0;
    if (!parseNumber(text, number)) return false;
    std::memset(value.bytes, 0, sizeof value.bytes);
    std::memcpy(value.bytes, &number, sizeof number);
    return true;
  }
  bool parseDate(const char* text, ColumnType type, double& value) override {
    double date = 0.0;
    if (!parseDateValue(text, date)) return false;
    if (type == DateSort) date = std::floor(date);
    if (type == TimeSort) date -= std::floor(date);
    value = date;
    return true;
  }
  int compareDecimal(const DecimalKey& a, const DecimalKey& b) override {
    double x = 0.0, y = 0.0;
    std::memcpy(&x, a.bytes, sizeof x);
    std::memcpy(&y, b.bytes, sizeof y);
    return x < y ? 0 : (x == y ? 1 : 2);
  }
  int compareText(const char* a, const char* b) override { return std::strcmp(a, b); }
  bool textSortKey(const char* text, bool noCase, std::string& key) override {
    key.assign(text);
    bool trail = false;
    for (char& c : key) {
      const unsigned char byte = static_cast<unsigned char>(c);
      if (noCase && !trail) c = static_cast<char>(foldedByte(byte));
      trail = !trail && isLeadByte(byte);
    }
    return true;
  }
  int compareTextNoCase(const char* a, const char* b) override {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    bool trail = false;  // the bytes after a lead byte are compared as they are
    for (;; ++x, ++y) {
      const int cx = trail ? *x : foldedByte(*x);
      const int cy = trail ? *y : foldedByte(*y);
      if (cx != cy) return cx < cy ? -1 : 1;
      if (cx == 0) return 0;
      trail = !trail && isLeadByte(*x);
    }
  }
};

}  // namespace

CellParser& portableCellParser() {
  static PortableCellParser parser;
  return parser;
}

}  // namespace obel
