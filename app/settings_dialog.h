#pragma once
// The settings dialog (template 105): settingsDialog in app/commands.h.

namespace obel {

// What switching the reverse-conversion cache on or off does: load it from its file, or
// save it there before it goes out of use. Replaceable for the tests.
namespace process {
extern void (*settingsCacheLoad)();
extern void (*settingsCacheSave)();
}  // namespace process

}  // namespace obel
