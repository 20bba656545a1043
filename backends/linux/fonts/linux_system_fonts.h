#pragma once
// The system's fonts on Linux, for the characters the glyph sheet lacks: fontconfig picks a font
// that has the character (one the session's language writes with first, bold when there is one,
// no colour font), FreeType draws its outline onto the grid as the core asks. Both libraries are
// loaded at the first character (linux/fonts/font_libraries.h).
#include <memory>
#include <string>

#include "linux/common/xdg_directories.h"
#include "seams/system_fonts.h"

// The session's language as fontconfig names languages, from the locale of its characters
// (LC_ALL, else LC_CTYPE, else LANG): zh_CN.UTF-8 gives zh-cn; empty for C, POSIX or none.
std::string sessionFontLanguage(const Environment& environment);

// Reads the session's language now; loads nothing until a character is drawn.
std::shared_ptr<SystemFonts> linuxSystemFonts(const Environment& environment);
