#include "engine/tsv_export.h"

namespace obel {

const char TsvHeader[] = "キー文字列\tルビ文字列\t送り仮名\tファイル名\tフォルダ名\t行\t列\t逆変換\r\n";

std::string tsvLine(const ResultStore& s, const RubyItem& item) {
  std::string line;
  line.reserve(128);
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
  line += std::to_string(item.line);
  line += '\t';
  line += std::to_string(item.column);
  line += '\t';
  line += verdictMark(item, false);
  line += "\r\n";
  return line;
}

std::string tsvText(const ResultStore& s) {
  std::string out = TsvHeader;
  for (std::uint32_t i = 0; i < s.itemCount; ++i) out += tsvLine(s, s.items[i]);
  return out;
}

}  // namespace obel
