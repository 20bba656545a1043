#include "windows/com_apartment.h"

#include <windows.h>

#include <objbase.h>

namespace {
thread_local bool tried = false;
thread_local bool entered = false;
} // namespace

void enterComApartment() {
    if (tried)
        return;
    tried = true;
    entered = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
}

void leaveComApartment() {
    if (entered)
        CoUninitialize();
    entered = false;
    tried = false;
}
