#include "process_resources.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>

namespace e2e {

int PrintProcessResources(const ProgramWindows& program) {
    HWND frame = program.FindFrame();
    DWORD processId = 0;
    if (!frame || !GetWindowThreadProcessId(frame, &processId)) {
        std::printf("no frame window\n");
        return 1;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) {
        std::printf("cannot open process %lu (error %lu)\n", processId, GetLastError());
        return 1;
    }
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    const BOOL haveMemory =
        GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    DWORD handles = 0;
    const BOOL haveHandles = GetProcessHandleCount(process, &handles);
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    CloseHandle(process);
    if (!haveMemory || !haveHandles) {
        std::printf("no process counters (error %lu)\n", GetLastError());
        return 1;
    }
    std::printf("pid=%lu working_set=%lu pagefile=%lu private=%lu handles=%lu gdi=%lu user=%lu\n", processId,
                static_cast<unsigned long>(memory.WorkingSetSize), static_cast<unsigned long>(memory.PagefileUsage),
                static_cast<unsigned long>(memory.PrivateUsage), handles, gdi, user);
    return 0;
}

}  // namespace e2e
