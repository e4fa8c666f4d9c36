#include "engine/tsv_export.h"

#include <charconv>

namespace obel {

const char TsvHeader[] = "キー文字列\tルビ文字列\t送り仮名\tファイル名\tフォルダ名\t行\t列\t逆変換\r\n";
const char TsvHeaderWithSuggestions[] =
    "キー文字列\tルビ文字列\t送り仮名\tファイル名\tフォルダ名\t行\t列\t逆変換\t候補\r\n";

namespace {
void appendNumber(std::string& out, std::int32_t value) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}
}  // namespace

std::string tsvLine(const ResultStore& s, const RubyItem& item) {
  std::string line;
  line.reserve(128);
  appendTsvLine(line, s, item);
  return line;
}

void appendTsvLine(std::string& line, const ResultStore& s, const RubyItem& item, bool withSuggestion) {
  line += text(s, item.keyId);
  line += '\t';
  line += text(s, item.rubyId);
  line += '\t';
  line += text(s, item.okuriganaId);
  line += '\t';
  line += item.file ? item.file->name : "";
  line += '\t';
  line += item.file ? item.file->folder : "";
  line += '\t';
  appendNumber(line, item.line);
  line += '\t';
  appendNumber(line, item.column);
  line += '\t';
  line += verdictMark(item, false);
  if (withSuggestion) {
    line += '\t';
    line += suggestion(s, item);
  }
  line += "\r\n";
}

std::string tsvText(const ResultStore& s, bool withSuggestions) {
  std::string out = withSuggestions ? TsvHeaderWithSuggestions : TsvHeader;
  for (std::uint32_t i = 0; i < s.itemCount; ++i) appendTsvLine(out, s, s.items[i], withSuggestions);
  return out;
}

}  // namespace obel
