// What the program's standard streams are connected to.
#pragma once

namespace platform {

// True when standard error is a terminal a person watches (so a progress line makes sense there).
bool StandardErrorIsTerminal();

}  // namespace platform
