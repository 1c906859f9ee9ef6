#include "file_commands.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace e2e {

int HoldOpenForWriting(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("cannot open %s (error %lu)\n", path, GetLastError());
        return 1;
    }
    std::printf("HELD\n");
    std::fflush(stdout);

    char line[4096] = {};
    if (!std::fgets(line, sizeof line, stdin)) line[0] = '\0';
    line[std::strcspn(line, "\r\n")] = '\0';

    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    CloseHandle(file);
    std::printf("RELEASED\n");
    return wrote ? 0 : 1;
}

int LockExclusively(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("cannot lock %s (error %lu)\n", path, GetLastError());
        return 1;
    }
    std::printf("LOCKED\n");
    std::fflush(stdout);
    char line[256] = {};
    if (!std::fgets(line, sizeof line, stdin)) line[0] = '\0';
    CloseHandle(file);
    std::printf("RELEASED\n");
    return 0;
}

int PrintAttributes(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        std::printf("missing\n");
        return 1;
    }
    std::printf("0x%lx %s\n", attributes, (attributes & FILE_ATTRIBUTE_READONLY) ? "readonly" : "writable");
    return 0;
}

}  // namespace e2e
