#include "ProcessMemory.h"

#include <cstdio>
#include <cstring>
#include <malloc.h>

namespace ortolan::bench {

namespace {

long long statusField(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    const size_t n = std::strlen(field);
    char line[256];
    long long kib = -1;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, field, n) == 0 && line[n] == ':') {
            if (std::sscanf(line + n + 1, "%lld", &kib) != 1)
                kib = -1;
            break;
        }
    }
    std::fclose(f);
    return kib < 0 ? -1 : kib * 1024;
}

} // namespace

long long residentBytes() {
    return statusField("VmRSS");
}

long long peakResidentBytes() {
    return statusField("VmHWM");
}

bool resetPeakResident() {
    malloc_trim(0);
    std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (!f)
        return false;
    const bool written = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && written;
}

} // namespace ortolan::bench
