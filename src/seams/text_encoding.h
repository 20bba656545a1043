#pragma once
// How a byte that is not UTF-8 is read: message files saved before UTF-8 became every editor's
// default are in the system's legacy ("ANSI") code page. Windows hands its own code page over
// once, at the start of the process; every other home keeps Windows-1252, which is what such a
// file almost always is when it comes from Windows.
#include <array>

// The characters of the bytes 0x80 to 0xFF, in order. A byte the code page leaves undefined is
// best mapped to U+0080 + (byte - 0x80), as Windows itself does.
using LegacyCodePage = std::array<char32_t, 128>;
void useLegacyCodePage(const LegacyCodePage& table);
