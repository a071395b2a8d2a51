// VmRSS and VmHWM from /proc/self/status; writing 5 to clear_refs resets VmHWM.
#include "bench/residentMemory.h"

#include <cstdio>
#include <cstring>

namespace korvel::bench {
namespace {

double statusMiB(const char* field) {
    double kib = 0;
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const size_t length = std::strlen(field);
        while (std::fgets(line, sizeof line, status))
            if (std::strncmp(line, field, length) == 0 && line[length] == ':')
                std::sscanf(line + length + 1, "%lf", &kib);
        std::fclose(status);
    }
    return kib / 1024;
}

} // namespace

double residentMiB() {
    return statusMiB("VmRSS");
}

double peakResidentMiB() {
    return statusMiB("VmHWM");
}

void resetPeakResident() {
    if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", refs);
        std::fclose(refs);
    }
}

} // namespace korvel::bench
