#pragma once
// An in-memory private profile that reads like the Windows functions: integers parsed from the
// leading digits, one pair of enclosing quotes removed from texts, texts cut to the buffer.
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "settings/settings_store.h"

namespace obel::test {

class FakeProfile : public Profile {
 public:
  std::map<std::string, std::map<std::string, std::string>> sections;
  std::vector<std::string> writes;  // "Section/Key" in write order
  std::string failingKey;           // a write to this key fails

  int readInt(const char* section, const char* key, int defaultValue) override {
    const std::string* value = find(section, key);
    if (!value) return defaultValue;
    return static_cast<int>(std::strtol(value->c_str(), nullptr, 10));
  }
  void readText(const char* section, const char* key, const char* defaultValue, char* buffer,
                std::size_t size) override {
    const std::string* found = find(section, key);
    std::string value = found ? *found : defaultValue;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    std::size_t n = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
  }
  bool writeText(const char* section, const char* key, const char* value) override {
    writes.push_back(std::string(section) + "/" + key);
    if (failingKey == key) return false;
    sections[section][key] = value;
    return true;
  }

 private:
  const std::string* find(const char* section, const char* key) const {
    auto s = sections.find(section);
    if (s == sections.end()) return nullptr;
    auto k = s->second.find(key);
    return k == s->second.end() ? nullptr : &k->second;
  }
};

}  // namespace obel::test
