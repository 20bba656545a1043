#pragma once
// Libraries the Linux programs load at run time, only when a feature needs them (SDL for the
// sound, GIO for GNOME's idle monitor): a run without the feature does without them, and a
// machine without the library still runs the rest.
#include <dlfcn.h>

// Looks `name` up in a library that dlopen gave; false when the library lacks it.
template <typename Fn> bool bindSymbol(void* library, const char* name, Fn*& to) {
    to = reinterpret_cast<Fn*>(dlsym(library, name));
    return to != nullptr;
}
