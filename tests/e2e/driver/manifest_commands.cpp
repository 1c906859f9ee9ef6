#include "manifest_commands.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace e2e {

namespace {

// Windows 10 1903 and Wine 5 added MaxVersionTested to each element, which moves the
// elements to 8-byte alignment; earlier systems return the 20-byte form. The size the
// query returns tells which one this system uses.
struct ElementLayout {
    std::size_t first;
    std::size_t stride;
};

bool LayoutFor(std::size_t returned, DWORD count, ElementLayout& layout) {
    for (const ElementLayout candidate : {ElementLayout{8, 32}, ElementLayout{4, 20}}) {
        if (returned == candidate.first + count * candidate.stride) {
            layout = candidate;
            return true;
        }
    }
    return count == 0;
}

}  // namespace

int PrintSupportedOs(const char* path) {
    ACTCTXA request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path;
    request.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE context = CreateActCtxA(&request);
    if (context == INVALID_HANDLE_VALUE) {
        std::printf("no activation context from %s (error %lu)\n", path, GetLastError());
        return 1;
    }
    std::vector<unsigned char> buffer(4096);
    SIZE_T returned = 0;
    const BOOL queried = QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext,
                                      buffer.data(), buffer.size(), &returned);
    const DWORD error = GetLastError();
    ReleaseActCtx(context);
    DWORD count = 0;
    ElementLayout layout = {};
    if (queried) std::memcpy(&count, buffer.data(), sizeof count);
    if (!queried || !LayoutFor(returned, count, layout)) {
        std::printf("no compatibility information (error %lu, %lu bytes)\n", queried ? 0 : error,
                    static_cast<unsigned long>(returned));
        return 1;
    }
    for (DWORD i = 0; i < count; ++i) {
        const unsigned char* element = buffer.data() + layout.first + i * layout.stride;
        GUID id;
        DWORD type = 0;
        std::memcpy(&id, element, sizeof id);
        std::memcpy(&type, element + sizeof id, sizeof type);
        if (type != ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS) continue;
        std::printf("{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}\n", id.Data1, id.Data2, id.Data3,
                    id.Data4[0], id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6],
                    id.Data4[7]);
    }
    return 0;
}

}  // namespace e2e
