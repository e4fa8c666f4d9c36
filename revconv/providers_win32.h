#pragma once
// The reading providers on Windows: the input method's reverse conversion (IMM32), and the
// choice between it and an SKK dictionary for one run.
#include <windows.h>
#include <imm.h>

#include <memory>
#include <string>
#include <vector>

#include "revconv/reading.h"

namespace obel {

// True on the NT family (GetVersionExA's platform id 2); asked afresh on every query.
bool isNtPlatform();

// The window's input context, or a new one associated with it (created = true), or null.
HIMC acquireImeContext(HWND window, bool& created);

// ImmGetConversionListW with GCL_REVERSECONVERSION into a 4096-byte answer buffer.
class ImmReadingProvider final : public ReadingProvider {
 public:
  void readings(void* context, void* layout, const std::u16string& text,
                std::vector<std::u16string>& out) override;
};

// ntdll exports wine_get_version.
bool runningUnderWine();

// The provider of one run, the union of every source in this order: the input method; the
// default dictionaries (under Wine the installed skkdic file, then the Aozora readings beside
// the executable), each skipped silently when missing; the dictionaries listed by
// "ReadingDictionary" (names separated by ';'). The listed files that could not be read are
// given in unreadable.
std::unique_ptr<ReadingProvider> chooseReadingProvider(std::vector<std::string>* unreadable = nullptr);

}  // namespace obel
