#include "platform/error_message.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdio>
#endif

void ShowErrorMessage(const char* caption, const char* text) {
#if defined(_WIN32)
    constexpr unsigned kErrorHand = 0x10;  // MB_ICONHAND, also the beep kind
    MessageBeep(kErrorHand);
    MessageBoxA(nullptr, text, caption, kErrorHand);
#else
    std::fprintf(stderr, "%s: %s\n", caption, text);
#endif
}
