// obel-scan's argument parsing: the input is the argument list, one argument per line (a NUL
// byte inside an argument ends it, as it would on a real command line). Run with
// -close_fd_mask=3: the parser prints its usage and messages.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/obel_scan_args.h"
#include "settings/settings.h"

using namespace obel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> arguments{"obel-scan"};
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      arguments.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  if (size > 0 && data[size - 1] != '\n') arguments.push_back(current);
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  Settings s;
  const int status = parseScanArguments(static_cast<int>(arguments.size()), argv.data(), s);
  if (status != 0 && status != -1 && status != 2) std::abort();
  // Whatever was parsed, the display conditions stay within what the options can give.
  for (const LengthFilter* f : {&s.keyLengthFilter, &s.rubyLengthFilter})
    if (f->length < 1 || f->length > MaxFilterLength || f->type < 0 || f->type > 2) std::abort();
  if (s.hideKeyRuby < ShowAllItems || s.hideKeyRuby > SameRubyItems) std::abort();
  return 0;
}
