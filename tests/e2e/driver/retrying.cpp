#include "retrying.h"

#include <windows.h>

#include <cstdio>

namespace e2e {

int RunUntil(double waitSeconds, const std::function<Attempt()>& attempt) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(waitSeconds * 1000.0);
    Attempt result = attempt();
    while (!result.ok && GetTickCount64() < deadline) {
        Sleep(100);
        result = attempt();
    }
    std::fwrite(result.output.data(), 1, result.output.size(), stdout);
    return result.ok ? kFound : kNotFound;
}

}  // namespace e2e
