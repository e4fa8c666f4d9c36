#pragma once
// The search behind its progress dialog (startSearch is declared in app/commands.h).

namespace obel {

// Shown when the worker thread cannot be started; the search then ends with nothing found.
extern const char SearchNotStartedText[];

}  // namespace obel
