#include "linux/fonts/font_libraries.h"

#include "linux/common/loaded_library.h"

namespace {
bool bindFontconfig(void* library, FontLibraries& calls) {
    return bindSymbol(library, "FcInitLoadConfigAndFonts", calls.initLoadConfigAndFonts) &&
           bindSymbol(library, "FcConfigDestroy", calls.configDestroy) &&
           bindSymbol(library, "FcConfigSubstitute", calls.configSubstitute) &&
           bindSymbol(library, "FcDefaultSubstitute", calls.defaultSubstitute) &&
           bindSymbol(library, "FcPatternCreate", calls.patternCreate) &&
           bindSymbol(library, "FcPatternDestroy", calls.patternDestroy) &&
           bindSymbol(library, "FcPatternAddString", calls.patternAddString) &&
           bindSymbol(library, "FcPatternAddInteger", calls.patternAddInteger) &&
           bindSymbol(library, "FcPatternAddBool", calls.patternAddBool) &&
           bindSymbol(library, "FcPatternGetString", calls.patternGetString) &&
           bindSymbol(library, "FcPatternGetInteger", calls.patternGetInteger) &&
           bindSymbol(library, "FcPatternGetBool", calls.patternGetBool) &&
           bindSymbol(library, "FcPatternGetCharSet", calls.patternGetCharSet) &&
           bindSymbol(library, "FcCharSetHasChar", calls.charSetHasChar) &&
           bindSymbol(library, "FcLangGetCharSet", calls.langGetCharSet) &&
           bindSymbol(library, "FcFontSort", calls.fontSort) &&
           bindSymbol(library, "FcFontSetDestroy", calls.fontSetDestroy);
}

bool bindFreetype(void* library, FontLibraries& calls) {
    return bindSymbol(library, "FT_Init_FreeType", calls.initFreeType) &&
           bindSymbol(library, "FT_Done_FreeType", calls.doneFreeType) &&
           bindSymbol(library, "FT_New_Face", calls.newFace) &&
           bindSymbol(library, "FT_Done_Face", calls.doneFace) &&
           bindSymbol(library, "FT_Set_Char_Size", calls.setCharSize) &&
           bindSymbol(library, "FT_Get_Char_Index", calls.charIndex) &&
           bindSymbol(library, "FT_Load_Glyph", calls.loadGlyph) &&
           bindSymbol(library, "FT_Outline_EmboldenXY", calls.embolden) &&
           bindSymbol(library, "FT_Outline_Get_BBox", calls.boundingBox) &&
           bindSymbol(library, "FT_Outline_Transform", calls.transform) &&
           bindSymbol(library, "FT_Outline_Translate", calls.translate) &&
           bindSymbol(library, "FT_Outline_Get_Bitmap", calls.render);
}
} // namespace

const FontLibraries* loadFontLibraries() {
    static const FontLibraries* loaded = []() -> const FontLibraries* {
        // RTLD_LOCAL: their symbols stay out of the global namespace. fontconfig brings
        // FreeType with it, so the second dlopen finds the copy already loaded.
        void* fontconfig = dlopen(fontconfigLibraryName, RTLD_NOW | RTLD_LOCAL);
        void* freetype = fontconfig ? dlopen(freetypeLibraryName, RTLD_NOW | RTLD_LOCAL) : nullptr;
        static FontLibraries calls{};
        if (freetype && bindFontconfig(fontconfig, calls) && bindFreetype(freetype, calls))
            return &calls;
        // Nothing of them was used.
        if (freetype)
            dlclose(freetype);
        if (fontconfig)
            dlclose(fontconfig);
        return nullptr;
    }();
    return loaded;
}
