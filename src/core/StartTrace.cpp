#include "core/StartTrace.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace vx::trace {

namespace {
long long nowNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

long long launchNs()
{
    static const long long launch = [] {
        const char* text = std::getenv("VX_TRACCIA_AVVIO");
        return text ? std::atoll(text) : 0LL;
    }();
    return launch;
}
} // namespace

void step(const char* name)
{
    const long long launch = launchNs();
    if (launch <= 0)
        return;
    std::fprintf(stderr, "vx-avvio %s %.3f\n", name, static_cast<double>(nowNs() - launch) / 1e6);
}

} // namespace vx::trace
