// IMM32 reverse conversion and the choice of the reading provider.
#include "revconv/providers_win32.h"

#include "revconv/kanji_readings.h"
#include "revconv/skk_dictionary.h"
#include "revconv/text_codec.h"
#include "settings/settings.h"

namespace obel {

bool isNtPlatform() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = 148;  // sizeof (OSVERSIONINFOA)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return true;
#pragma GCC diagnostic pop
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

HIMC acquireImeContext(HWND window, bool& created) {
  created = false;
  if (HIMC context = ImmGetContext(window)) return context;
  if (HIMC context = ImmCreateContext()) {
    ImmAssociateContext(window, context);
    created = true;
    return context;
  }
  return nullptr;
}

void ImmReadingProvider::readings(void* context, void* layout, const std::u16string& text,
                                  std::vector<std::u16string>& out) {
  HKL keyboard = layout ? static_cast<HKL>(layout) : GetKeyboardLayout(0);
  alignas(8) unsigned char answer[QueryAreaBytes];
  // Outside the NT family the text's CP932 bytes go to the input method as they are.
  std::string bytes;
  const void* source = text.c_str();
  if (!isNtPlatform()) {
    bytes = utf16ToCp932(text.c_str());
    source = bytes.c_str();
  }
  const DWORD result =
      ImmGetConversionListW(keyboard, static_cast<HIMC>(context), static_cast<LPCWSTR>(source),
                            reinterpret_cast<CANDIDATELIST*>(answer), sizeof answer, GCL_REVERSECONVERSION);
  if (result == 0) return;
  parseCandidateList(answer, sizeof answer, out);
}

bool runningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

namespace {

// The input method first, then every dictionary that loaded, as one provider.
class CheckProviders final : public ReadingProvider {
 public:
  CheckProviders() { all_.add(&ime_); }
  DictionaryList& dictionaries() { return dictionaries_; }
  void finish() {
    if (dictionaries_.size() > 0) all_.add(&dictionaries_);
  }
  void readings(void* context, void* layout, const std::u16string& text,
                std::vector<std::u16string>& out) override {
    all_.readings(context, layout, text, out);
  }
  void countedReadings(const std::u16string& key, std::vector<CountedReading>& out) override {
    all_.countedReadings(key, out);
  }

 private:
  ImmReadingProvider ime_;
  DictionaryList dictionaries_;
  ReadingUnion all_;
};

}  // namespace

std::unique_ptr<ReadingProvider> chooseReadingProvider(std::vector<std::string>* unreadable) {
  auto providers = std::make_unique<CheckProviders>();
  // A default dictionary that is missing is skipped without a word; the skkdic file is looked
  // for only under Wine, where Z: is the Unix root.
  const std::vector<std::string> missed = providers->dictionaries().addDefaultsAndList(
      defaultDictionaryFiles(programFolder(), runningUnderWine()), process::settings().readingDictionary);
  if (unreadable) unreadable->insert(unreadable->end(), missed.begin(), missed.end());
  providers->finish();
  return providers;
}

}  // namespace obel
