// Placeholders for the functions of app/commands.h whose subsystem has not been built yet.
// Each does nothing (or reports "nothing there"), so the main window runs without them. A
// subsystem that lands the real definition deletes its placeholder here.
#include "app/commands.h"

namespace obel {

// Search targets and the search (engine/)
void subclassTargetList(HWND) {}
void onTargetSelectionChange(HWND) {}
void addTarget(HWND) {}
void editTarget(HWND) {}
void deleteTargets(HWND) {}
void startSearch(HWND) {}

}  // namespace obel
