#include "linux/fonts/linux_system_fonts.h"

#include <cctype>
#include <cmath>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "linux/fonts/font_libraries.h"
#include "linux/fonts/ink_placement.h"

namespace {
// The languages whose fonts draw a Chinese, Japanese or Korean character that the session's
// language does not write (kana: Japanese; Hangul: Korean; Han: Chinese first).
constexpr const char* cjkLanguages[] = {"zh-cn", "zh-tw", "ja", "ko"};

FT_Fixed toFixed(float value) {
    return FT_Fixed(std::lround(value * 65536.0f));
}

FT_Pos to26Dot6(float value) {
    return FT_Pos(std::lround(value * 64.0f));
}

// One face of a font file that fontconfig chose.
struct FontChoice {
    std::string file;
    int index = 0;
    bool bold = false;
};

class LinuxSystemFonts final : public SystemFonts {
  public:
    explicit LinuxSystemFonts(std::string language) : sessionLanguage_(std::move(language)) {}
    ~LinuxSystemFonts() override;
    LinuxSystemFonts(const LinuxSystemFonts&) = delete;
    LinuxSystemFonts& operator=(const LinuxSystemFonts&) = delete;

    bool drawCharacter(char32_t character, const GlyphPlacement& placement,
                       std::vector<uint8_t>& coverage) override;

  private:
    bool loaded();
    bool writes(const std::string& language, char32_t character) const;
    std::string languageOf(char32_t character) const;
    const FcFontSet* fontsFor(const std::string& language);
    std::optional<FontChoice> usable(FcPattern* font, char32_t character) const;
    FT_Face face(const FontChoice& choice);
    bool drawOutline(FT_Face face, FT_UInt glyph, float strength, const GlyphPlacement& placement,
                     std::vector<uint8_t>& coverage) const;
    bool drawGlyph(FT_Face face, bool bold, char32_t character, const GlyphPlacement& placement,
                   std::vector<uint8_t>& coverage) const;

    std::mutex lock_;
    const std::string sessionLanguage_;
    bool tried_ = false;
    const FontLibraries* fl_ = nullptr; // set once both libraries and the configuration load
    FcConfig* config_ = nullptr;
    FT_Library freetype_ = nullptr;
    // Every font, best first for each language (null when fontconfig failed): the choice for a
    // character is the first that has it, so one list serves a whole script.
    std::map<std::string, FcFontSet*> sorted_;
    std::map<std::pair<std::string, int>, FT_Face> faces_; // null: FreeType cannot open it
};

LinuxSystemFonts::~LinuxSystemFonts() {
    if (!fl_)
        return;
    for (const auto& [key, face] : faces_) {
        if (face)
            fl_->doneFace(face);
    }
    fl_->doneFreeType(freetype_);
    for (const auto& [language, fonts] : sorted_) {
        if (fonts)
            fl_->fontSetDestroy(fonts);
    }
    fl_->configDestroy(config_);
}

// The libraries, the font configuration (which may read every font's cache) and FreeType, at
// the first character; false, now and later, when one of them is not to be had.
bool LinuxSystemFonts::loaded() {
    if (tried_)
        return fl_ != nullptr;
    tried_ = true;
    const FontLibraries* fl = loadFontLibraries();
    if (!fl)
        return false;
    config_ = fl->initLoadConfigAndFonts();
    if (!config_)
        return false;
    if (fl->initFreeType(&freetype_) != 0) {
        fl->configDestroy(config_);
        return false;
    }
    fl_ = fl;
    return true;
}

bool LinuxSystemFonts::writes(const std::string& language, char32_t character) const {
    const FcCharSet* letters =
        language.empty() ? nullptr
                         : fl_->langGetCharSet(reinterpret_cast<const FcChar8*>(language.c_str()));
    return letters && fl_->charSetHasChar(letters, FcChar32(character));
}

// The session's language when it writes the character; for a Chinese, Japanese or Korean
// character it does not write, the first language that does.
std::string LinuxSystemFonts::languageOf(char32_t character) const {
    if (writes(sessionLanguage_, character))
        return sessionLanguage_;
    for (const char* language : cjkLanguages) {
        if (writes(language, character))
            return language;
    }
    return sessionLanguage_;
}

const FcFontSet* LinuxSystemFonts::fontsFor(const std::string& language) {
    const auto [entry, added] = sorted_.try_emplace(language, nullptr);
    if (!added)
        return entry->second;
    FcPattern* pattern = fl_->patternCreate();
    if (!pattern)
        return nullptr;
    if (!language.empty())
        fl_->patternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(language.c_str()));
    fl_->patternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_BOLD);
    fl_->patternAddBool(pattern, FC_COLOR, FcFalse);
    fl_->patternAddBool(pattern, FC_OUTLINE, FcTrue);
    // The user's and the system's rules (preferred families per language, sans-serif first).
    fl_->configSubstitute(config_, pattern, FcMatchPattern);
    fl_->defaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    entry->second = fl_->fontSort(config_, pattern, FcFalse, nullptr, &result);
    fl_->patternDestroy(pattern);
    return entry->second;
}

// The font's file and face when it has the character and FreeType can draw it as an outline
// in one colour: no bitmap font, no colour font, no variable font's default (its named
// instances, bold among them, are fonts of their own in the list).
std::optional<FontChoice> LinuxSystemFonts::usable(FcPattern* font, char32_t character) const {
    FcCharSet* letters = nullptr;
    if (fl_->patternGetCharSet(font, FC_CHARSET, 0, &letters) != FcResultMatch ||
        !fl_->charSetHasChar(letters, FcChar32(character)))
        return std::nullopt;
    const auto flag = [&](const char* name, FcBool otherwise) {
        FcBool value = otherwise;
        fl_->patternGetBool(font, name, 0, &value);
        return value == FcTrue;
    };
    if (flag(FC_COLOR, FcFalse) || flag(FC_VARIABLE, FcFalse) || !flag(FC_OUTLINE, FcTrue))
        return std::nullopt;
    FcChar8* file = nullptr;
    if (fl_->patternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
        return std::nullopt;
    FontChoice choice{reinterpret_cast<const char*>(file)};
    fl_->patternGetInteger(font, FC_INDEX, 0, &choice.index);
    int weight = FC_WEIGHT_REGULAR;
    fl_->patternGetInteger(font, FC_WEIGHT, 0, &weight);
    choice.bold = weight >= FC_WEIGHT_BOLD;
    return choice;
}

FT_Face LinuxSystemFonts::face(const FontChoice& choice) {
    const auto [entry, added] = faces_.try_emplace({choice.file, choice.index}, nullptr);
    if (added) {
        FT_Face opened = nullptr;
        if (fl_->newFace(freetype_, choice.file.c_str(), FT_Long(choice.index), &opened) == 0) {
            if (FT_IS_SCALABLE(opened))
                entry->second = opened;
            else
                fl_->doneFace(opened);
        }
    }
    return entry->second;
}

// The outline at the placement's em size, grown by `strength` (points of the grid), moved onto
// the grid (linux/fonts/ink_placement.h) and drawn there with smooth edges.
bool LinuxSystemFonts::drawOutline(FT_Face face, FT_UInt glyph, float strength,
                                   const GlyphPlacement& placement,
                                   std::vector<uint8_t>& coverage) const {
    if (fl_->setCharSize(face, 0, to26Dot6(placement.em), 72, 72) != 0 ||
        fl_->loadGlyph(face, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
        face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
        return false;
    FT_Outline* outline = &face->glyph->outline;
    if (strength > 0.0f) {
        // FreeType grows the outline to the right and upward; half of it is taken back down,
        // so that the character keeps its place on the baseline.
        const FT_Pos grow = to26Dot6(strength);
        fl_->embolden(outline, grow, grow);
        fl_->translate(outline, 0, -grow / 2);
    }
    FT_BBox box{};
    fl_->boundingBox(outline, &box);
    const InkMove move = placeInk({float(box.xMin) / 64.0f, float(box.xMax) / 64.0f,
                                   float(box.yMin) / 64.0f, float(box.yMax) / 64.0f},
                                  placement);
    if (move.scale < 1.0f) {
        FT_Matrix smaller{toFixed(move.scale), 0, 0, toFixed(move.scale)};
        fl_->transform(outline, &smaller);
    }
    // FreeType's bitmap has its origin at the bottom left corner, y up.
    fl_->translate(outline, to26Dot6(move.originX),
                   to26Dot6(float(placement.size) - move.originRow));
    const auto size = unsigned(placement.size);
    coverage.assign(std::size_t(size) * size, 0);
    FT_Bitmap bitmap{};
    bitmap.rows = size;
    bitmap.width = size;
    bitmap.pitch = int(size); // top row first
    bitmap.buffer = coverage.data();
    bitmap.num_grays = 256;
    bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
    return fl_->render(freetype_, outline, &bitmap) == 0;
}

// The character as the face draws it; then, when the face is not bold, drawn again bolder, by
// as much as its strokes leave room for.
bool LinuxSystemFonts::drawGlyph(FT_Face face, bool bold, char32_t character,
                                 const GlyphPlacement& placement,
                                 std::vector<uint8_t>& coverage) const {
    const FT_UInt glyph = fl_->charIndex(face, FT_ULong(character));
    if (glyph == 0 || !drawOutline(face, glyph, 0.0f, placement, coverage))
        return false;
    if (bold || (face->style_flags & FT_STYLE_FLAG_BOLD))
        return true;
    uint64_t ink = 0;
    for (const uint8_t c : coverage)
        ink += c;
    const float share = float(ink) / (255.0f * placement.em * placement.em);
    const float strength = placement.em * emboldening(share);
    return strength <= 0.0f || drawOutline(face, glyph, strength, placement, coverage);
}

bool LinuxSystemFonts::drawCharacter(char32_t character, const GlyphPlacement& placement,
                                     std::vector<uint8_t>& coverage) {
    std::lock_guard guard(lock_);
    if (placement.size <= 0 || !loaded())
        return false;
    const FcFontSet* fonts = fontsFor(languageOf(character));
    if (!fonts)
        return false;
    // The first font in the language's order that has the character; one FreeType cannot
    // open or draw gives its place to the next.
    for (int i = 0; i < fonts->nfont; ++i) {
        const std::optional<FontChoice> choice = usable(fonts->fonts[i], character);
        if (!choice)
            continue;
        if (const FT_Face drawn = face(*choice);
            drawn && drawGlyph(drawn, choice->bold, character, placement, coverage))
            return true;
    }
    return false;
}
} // namespace

std::string sessionFontLanguage(const Environment& environment) {
    const char* locale = nullptr;
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        locale = environment(name);
        if (locale && *locale)
            break;
    }
    std::string language;
    // language[_TERRITORY][.codeset][@modifier]
    for (const char* c = locale ? locale : ""; *c && *c != '.' && *c != '@'; ++c)
        language += *c == '_' ? '-' : char(std::tolower(static_cast<unsigned char>(*c)));
    return language == "c" || language == "posix" ? std::string() : language;
}

std::shared_ptr<SystemFonts> linuxSystemFonts(const Environment& environment) {
    return std::make_shared<LinuxSystemFonts>(sessionFontLanguage(environment));
}
