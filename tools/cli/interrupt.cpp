// The flag behind catchInterrupts; the handler only sets it.
#include "tools/cli/interrupt.h"

#include <csignal>

namespace korvel::cli {
namespace {

volatile std::sig_atomic_t interruptSeen = 0;

void noteInterrupt(int) {
    interruptSeen = 1;
}

} // namespace

void catchInterrupts() {
    std::signal(SIGINT, noteInterrupt);
    std::signal(SIGTERM, noteInterrupt);
}

bool interrupted() {
    return interruptSeen != 0;
}

} // namespace korvel::cli
