#pragma once
// fontconfig and FreeType, loaded at run time. Most runs show only characters of the glyph
// sheet, and the X11 hack is started on every monitor at every cycle of the host: so the two
// libraries are looked for when the first character that needs them is drawn, and not before.
// A machine without them still runs; such characters keep their empty cells. Their headers
// (libfontconfig-dev, libfreetype-dev) give the types only; neither library is linked.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

constexpr const char* fontconfigLibraryName = "libfontconfig.so.1";
constexpr const char* freetypeLibraryName = "libfreetype.so.6";

// The calls used, typed by the libraries' own headers.
struct FontLibraries {
    decltype(&FcInitLoadConfigAndFonts) initLoadConfigAndFonts;
    decltype(&FcConfigDestroy) configDestroy;
    decltype(&FcConfigSubstitute) configSubstitute;
    decltype(&FcDefaultSubstitute) defaultSubstitute;
    decltype(&FcPatternCreate) patternCreate;
    decltype(&FcPatternDestroy) patternDestroy;
    decltype(&FcPatternAddString) patternAddString;
    decltype(&FcPatternAddInteger) patternAddInteger;
    decltype(&FcPatternAddBool) patternAddBool;
    decltype(&FcPatternGetString) patternGetString;
    decltype(&FcPatternGetInteger) patternGetInteger;
    decltype(&FcPatternGetBool) patternGetBool;
    decltype(&FcPatternGetCharSet) patternGetCharSet;
    decltype(&FcCharSetHasChar) charSetHasChar;
    decltype(&FcLangGetCharSet) langGetCharSet;
    decltype(&FcFontSort) fontSort;
    decltype(&FcFontSetDestroy) fontSetDestroy;

    decltype(&FT_Init_FreeType) initFreeType;
    decltype(&FT_Done_FreeType) doneFreeType;
    decltype(&FT_New_Face) newFace;
    decltype(&FT_Done_Face) doneFace;
    decltype(&FT_Set_Char_Size) setCharSize;
    decltype(&FT_Get_Char_Index) charIndex;
    decltype(&FT_Load_Glyph) loadGlyph;
    decltype(&FT_Outline_EmboldenXY) embolden;
    decltype(&FT_Outline_Get_BBox) boundingBox;
    decltype(&FT_Outline_Transform) transform;
    decltype(&FT_Outline_Translate) translate;
    decltype(&FT_Outline_Get_Bitmap) render;
};

// Both libraries with every call above, loaded at the first call and kept to the end of the
// process; null when either library, or a call of one, is missing (remembered: a second look
// would only fail again).
const FontLibraries* loadFontLibraries();
