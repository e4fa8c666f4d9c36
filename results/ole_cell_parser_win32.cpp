// The cell parsers of the sortable list: the OLE Automation parsers in the user's locale and
// the locale's string comparisons.
#include <windows.h>
#include <oleauto.h>

#include <cstring>

#include "results/sortable_list_view_win32.h"

namespace obel {

namespace {

constexpr LCID UserLocale = LOCALE_USER_DEFAULT;  // 0x400

// The cell text (at most 31 bytes) in UTF-16 from the ANSI code page.
bool wide(const char* text, WCHAR (&out)[64]) {
  return MultiByteToWideChar(CP_ACP, 0, text, -1, out, 64) > 0;
}

// Text of one to nine ASCII digits, optionally after a minus sign, as the lists write their
// numbers: its value is the one VarI4FromStr gives in every locale, without the round trip
// through UTF-16 and the locale's number format.
bool plainDecimal(const char* text, std::int32_t& value) {
  const char* p = text[0] == '-' ? text + 1 : text;
  std::int32_t n = 0;
  int digits = 0;
  for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
    if (digits == 9) return false;
    n = n * 10 + (*p - '0');
  }
  if (*p != '\0' || digits == 0) return false;
  value = text[0] == '-' ? -n : n;
  return true;
}

class OleCellParser : public CellParser {
 public:
  bool parseInteger(const char* text, std::int32_t& value) override {
    if (plainDecimal(text, value)) return true;
    WCHAR w[64];
    LONG result = 0;
    if (!wide(text, w) || VarI4FromStr(w, UserLocale, LOCALE_NOUSEROVERRIDE, &result) != S_OK) return false;
    value = result;
    return true;
  }
  bool parseReal(const char* text, double& value) override {
    WCHAR w[64];
    return wide(text, w) && VarR8FromStr(w, UserLocale, LOCALE_NOUSEROVERRIDE, &value) == S_OK;
  }
  bool parseDecimal(const char* text, DecimalKey& value) override {
    WCHAR w[64];
    DECIMAL result{};
    if (!wide(text, w) || VarDecFromStr(w, UserLocale, LOCALE_NOUSEROVERRIDE, &result) != S_OK) return false;
    static_assert(sizeof result == sizeof value.bytes);
    std::memcpy(value.bytes, &result, sizeof result);
    return true;
  }
  bool parseDate(const char* text, ColumnType type, double& value) override {
    WCHAR w[64];
    ULONG flags = LOCALE_NOUSEROVERRIDE;
    if (type == DateSort) flags |= VAR_DATEVALUEONLY;
    if (type == TimeSort) flags |= VAR_TIMEVALUEONLY;
    DATE result = 0;
    if (!wide(text, w) || VarDateFromStr(w, UserLocale, flags, &result) != S_OK) return false;
    value = result;
    return true;
  }
  int compareDecimal(const DecimalKey& a, const DecimalKey& b) override {
    DECIMAL x, y;
    std::memcpy(&x, a.bytes, sizeof x);
    std::memcpy(&y, b.bytes, sizeof y);
    HRESULT r = VarDecCmp(&x, &y);
    if (r == VARCMP_LT) return 0;
    if (r == VARCMP_GT) return 2;
    return 1;
  }
  int compareText(const char* a, const char* b) override { return lstrcmpA(a, b); }
  // The locale's sort key, which lstrcmpA and lstrcmpiA follow (the sort checks it).
  bool textSortKey(const char* text, bool noCase, std::string& key) override {
    char bytes[256];
    const DWORD flags = LCMAP_SORTKEY | (noCase ? NORM_IGNORECASE : 0);
    const int length = LCMapStringA(GetThreadLocale(), flags, text, -1, bytes, sizeof bytes);
    if (length <= 0) return false;
    key.assign(bytes, static_cast<std::size_t>(length));
    return true;
  }
  int compareTextNoCase(const char* a, const char* b) override { return lstrcmpiA(a, b); }
};

}  // namespace

CellParser& oleCellParser() {
  static OleCellParser parser;
  return parser;
}

}  // namespace obel
