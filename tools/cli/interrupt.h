// Ctrl+C (SIGINT) and SIGTERM as a flag that long-running commands poll, so
// they can stop cleanly: close the audio device, drop a half-written file.
#pragma once

namespace korvel::cli {

void catchInterrupts();
bool interrupted();

} // namespace korvel::cli
