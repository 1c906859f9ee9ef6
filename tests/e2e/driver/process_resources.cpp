#include "process_resources.h"

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

namespace e2e {

namespace {

// The process's handles counted in the system's handle list: Wine 8 answers
// GetProcessHandleCount for another process with 0, but keeps this list.
DWORD HandlesInSystemList(DWORD processId) {
    std::vector<unsigned char> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(SystemHandleInformation, buffer.data(),
                                                         static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<NTSTATUS>(0xC0000004L) && buffer.size() < (1u << 26)) {  // info length mismatch
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0) return 0;
        const auto* list = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
        DWORD count = 0;
        for (ULONG i = 0; i < list->Count; ++i) count += list->Handle[i].OwnerPid == processId;
        return count;
    }
}

// The program's process (found through its frame window), opened for reading; null
// after printing why not.
HANDLE OpenProgramProcess(const ProgramWindows& program, DWORD& processId) {
    HWND frame = program.FindFrame();
    processId = 0;
    if (!frame || !GetWindowThreadProcessId(frame, &processId)) {
        std::printf("no frame window\n");
        return nullptr;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) std::printf("cannot open process %lu (error %lu)\n", processId, GetLastError());
    return process;
}

// Where the version fields lie in a 32-bit process environment block (the documented
// PEB declares them reserved).
constexpr std::size_t kPebOsMajorVersion = 0xA4;
constexpr std::size_t kPebOsVersionEnd = 0xAE;  // after OSMinorVersion (ULONG) and OSBuildNumber (USHORT)

}  // namespace

int PrintProcessResources(const ProgramWindows& program) {
    DWORD processId = 0;
    HANDLE process = OpenProgramProcess(program, processId);
    if (!process) return 1;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    const BOOL haveMemory =
        GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    DWORD handles = 0;
    const BOOL haveHandles = GetProcessHandleCount(process, &handles);
    if (haveHandles && handles == 0) handles = HandlesInSystemList(processId);
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

int PrintProcessWindowsVersion(const ProgramWindows& program) {
    static_assert(sizeof(void*) == 4, "the offsets are those of a 32-bit process");
    DWORD processId = 0;
    HANDLE process = OpenProgramProcess(program, processId);
    if (!process) return 1;
    PROCESS_BASIC_INFORMATION basic = {};
    unsigned char fields[kPebOsVersionEnd - kPebOsMajorVersion] = {};
    SIZE_T read = 0;
    const bool ok =
        NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
        ReadProcessMemory(process, reinterpret_cast<const unsigned char*>(basic.PebBaseAddress) + kPebOsMajorVersion,
                          fields, sizeof fields, &read) &&
        read == sizeof fields;
    CloseHandle(process);
    if (!ok) {
        std::printf("cannot read the process environment block (error %lu)\n", GetLastError());
        return 1;
    }
    ULONG major = 0, minor = 0;
    USHORT build = 0;
    std::memcpy(&major, fields, sizeof major);
    std::memcpy(&minor, fields + 4, sizeof minor);
    std::memcpy(&build, fields + 8, sizeof build);
    std::printf("%lu.%lu.%u\n", major, minor, static_cast<unsigned>(build));
    return 0;
}

}  // namespace e2e
