#include "windows/gdi_system_fonts.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <map>
#include <optional>
#include <span>
#include <type_traits>
#include <vector>

namespace {
// The faces Windows installs for each script, best first. A face that is missing costs one look
// in the font list; one that GDI would quietly replace with another is caught by the glyph test.
constexpr const wchar_t* simplifiedChinese[] = {L"Microsoft YaHei", L"SimSun"};
constexpr const wchar_t* traditionalChinese[] = {L"Microsoft JhengHei", L"PMingLiU"};
constexpr const wchar_t* japanese[] = {L"Yu Gothic", L"Meiryo", L"MS Gothic"};
constexpr const wchar_t* korean[] = {L"Malgun Gothic", L"Gulim"};
constexpr const wchar_t* thaiAndLao[] = {L"Leelawadee UI", L"Tahoma"};
constexpr const wchar_t* armenianAndGeorgian[] = {L"Sylfaen", L"Segoe UI"};
constexpr const wchar_t* ethiopic[] = {L"Ebrima", L"Nyala"};
constexpr const wchar_t* symbols[] = {L"Segoe UI Symbol"};
constexpr const wchar_t* general[] = {L"Segoe UI", L"Arial Unicode MS"};
// Under Wine the host's fontconfig fonts are the system's too; these are the common ones that
// cover Chinese, Japanese and Korean.
constexpr const wchar_t* wineHostFonts[] = {
    L"WenQuanYi Micro Hei", L"WenQuanYi Zen Hei", L"Noto Sans CJK SC",   L"Noto Sans CJK TC",
    L"Noto Sans CJK JP",    L"Noto Sans CJK KR",  L"Droid Sans Fallback"};

// GetGlyphOutlineW's GGO_GRAY8_BITMAP has 65 levels, 0 ... 64.
constexpr int grayLevels = 64;
// No cell of the saver comes near this; a larger grid is refused rather than allocated.
constexpr int largestGrid = 4096;

using Faces = std::span<const wchar_t* const>;

enum class Script { han, kana, hangul, thaiAndLao, armenianAndGeorgian, ethiopic, symbols, other };
enum class Language { simplifiedChinese, traditionalChinese, japanese, korean, other };

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using UniqueDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// A font selected into a DC for a scope; what was selected before comes back at its end.
class Selection {
  public:
    Selection(HDC dc, HFONT font) : dc_(dc), previous_(SelectObject(dc, font)) {}
    ~Selection() {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

bool within(char32_t c, char32_t first, char32_t last) {
    return c >= first && c <= last;
}

Script scriptOf(char32_t c) {
    if (within(c, 0x3040, 0x30FF) || within(c, 0x31F0, 0x31FF) || within(c, 0xFF66, 0xFF9F))
        return Script::kana;
    if (within(c, 0x3130, 0x318F) || within(c, 0xAC00, 0xD7AF) || within(c, 0xFFA0, 0xFFDC))
        return Script::hangul;
    if (within(c, 0x2E80, 0x2FFF) || within(c, 0x3000, 0x312F) || within(c, 0x3190, 0x33FF) ||
        within(c, 0x3400, 0x4DBF) || within(c, 0x4E00, 0x9FFF) || within(c, 0xF900, 0xFAFF) ||
        within(c, 0xFE30, 0xFE4F) || within(c, 0xFF00, 0xFFEF))
        return Script::han;
    if (within(c, 0x0E00, 0x0EFF))
        return Script::thaiAndLao;
    if (within(c, 0x0530, 0x058F) || within(c, 0xFB13, 0xFB17) || within(c, 0x10A0, 0x10FF) ||
        within(c, 0x1C90, 0x1CBF) || within(c, 0x2D00, 0x2D2F))
        return Script::armenianAndGeorgian;
    if (within(c, 0x1200, 0x139F) || within(c, 0x2D80, 0x2DDF) || within(c, 0xAB00, 0xAB2F))
        return Script::ethiopic;
    if (within(c, 0x2100, 0x2BFF))
        return Script::symbols;
    return Script::other;
}

// The language part of a locale name ("zh-Hant-TW", "ja-JP"), and for Chinese its writing.
Language languageOf(const std::wstring& locale) {
    const std::wstring language = locale.substr(0, locale.find(L'-'));
    if (language == L"ja")
        return Language::japanese;
    if (language == L"ko")
        return Language::korean;
    if (language != L"zh")
        return Language::other;
    for (const wchar_t* traditional : {L"-Hant", L"-TW", L"-HK", L"-MO"}) {
        if (locale.find(traditional) != std::wstring::npos)
            return Language::traditionalChinese;
    }
    return Language::simplifiedChinese;
}

Faces facesOf(Language language) {
    switch (language) {
    case Language::simplifiedChinese:
        return simplifiedChinese;
    case Language::traditionalChinese:
        return traditionalChinese;
    case Language::japanese:
        return japanese;
    case Language::korean:
        return korean;
    case Language::other:
        break;
    }
    return {};
}

// The language whose faces suit a script of Chinese, Japanese or Korean best.
Language homeLanguageOf(Script script) {
    if (script == Script::kana)
        return Language::japanese;
    return script == Script::hangul ? Language::korean : Language::simplifiedChinese;
}

void addFaces(std::vector<const wchar_t*>& faces, Faces more) {
    for (const wchar_t* face : more) {
        const bool listed = std::any_of(faces.begin(), faces.end(), [&](const wchar_t* known) {
            return std::wcscmp(known, face) == 0;
        });
        if (!listed)
            faces.push_back(face);
    }
}

// The named faces to try for a character, in order. Chinese, Japanese and Korean share most
// characters: the user's own language's faces come first, so that a message reads in the forms
// the user knows, then those of the script's own language, then the others.
std::vector<const wchar_t*> namedFaces(Script script, Language user) {
    std::vector<const wchar_t*> faces;
    switch (script) {
    case Script::han:
    case Script::kana:
    case Script::hangul:
        addFaces(faces, facesOf(user));
        addFaces(faces, facesOf(homeLanguageOf(script)));
        for (const Language other : {Language::simplifiedChinese, Language::traditionalChinese,
                                     Language::japanese, Language::korean})
            addFaces(faces, facesOf(other));
        break;
    case Script::thaiAndLao:
        addFaces(faces, thaiAndLao);
        break;
    case Script::armenianAndGeorgian:
        addFaces(faces, armenianAndGeorgian);
        break;
    case Script::ethiopic:
        addFaces(faces, ethiopic);
        break;
    case Script::symbols:
        addFaces(faces, symbols);
        break;
    case Script::other:
        break;
    }
    addFaces(faces, general);
    addFaces(faces, wineHostFonts);
    return faces;
}

// Whether a character can be asked of GDI at all: one UTF-16 unit, not a control.
bool drawable(char32_t c) {
    return c >= 0x20 && !within(c, 0x7F, 0x9F) && !within(c, 0xD800, 0xDFFF) && c <= 0xFFFF;
}

// Written so that a NaN fails every test.
bool sensible(const GlyphPlacement& p) {
    return p.size > 0 && p.size <= largestGrid && p.em >= 1.0f && p.em <= 4.0f * float(p.size) &&
           p.left < p.right && p.top < p.bottom && p.baseline >= -float(p.size) &&
           p.baseline <= 2.0f * float(p.size);
}

// Raster fonts have no outlines to draw from, and GetGlyphIndicesW's answers for them are
// simulated; symbol fonts put their pictures in place of letters; vertical faces ('@') draw the
// same characters turned.
bool usable(const LOGFONTW& font, DWORD type) {
    return (type & RASTER_FONTTYPE) == 0 && font.lfCharSet != SYMBOL_CHARSET &&
           font.lfFaceName[0] != L'\0' && font.lfFaceName[0] != L'@';
}

int CALLBACK noteFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM found) {
    if (!usable(*font, type))
        return 1;
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

int CALLBACK addFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM list) {
    auto& families = *reinterpret_cast<std::vector<std::wstring>*>(list);
    if (!usable(*font, type))
        return 1;
    try {
        if (std::find(families.begin(), families.end(), font->lfFaceName) == families.end())
            families.emplace_back(font->lfFaceName);
        return 1;
    } catch (const std::bad_alloc&) {
        return 0; // no exception may pass through GDI; the list so far is used
    }
}

LOGFONTW fontQuery(const std::wstring& face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    face.copy(query.lfFaceName, LF_FACESIZE - 1);
    return query;
}

bool isInstalled(HDC dc, const std::wstring& face) {
    if (face.size() >= LF_FACESIZE)
        return false;
    LOGFONTW query = fontQuery(face);
    bool found = false;
    EnumFontFamiliesExW(dc, &query, noteFace, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

std::vector<std::wstring> installedFamilies(HDC dc) {
    LOGFONTW query = fontQuery(L"");
    std::vector<std::wstring> families;
    EnumFontFamiliesExW(dc, &query, addFamily, reinterpret_cast<LPARAM>(&families), 0);
    return families;
}

// GDI makes a bold of a face that has none, so every character gets the sheet's weight.
UniqueFont boldFont(const std::wstring& face, int em) {
    LOGFONTW font = fontQuery(face);
    font.lfHeight = -em; // negative: the em, not the cell with its leading
    font.lfWeight = FW_BOLD;
    font.lfOutPrecision = OUT_TT_PRECIS;
    font.lfQuality = ANTIALIASED_QUALITY;
    return UniqueFont(CreateFontIndirectW(&font));
}

FIXED toFixed(double value) {
    const long fixed = std::lround(value * 65536.0);
    FIXED result;
    result.value = short(fixed >> 16);
    result.fract = WORD(fixed & 0xFFFF);
    return result;
}

MAT2 scaling(double factor) {
    MAT2 matrix{};
    matrix.eM11 = matrix.eM22 = toFixed(factor);
    return matrix;
}

// The black box of `c` in `font` at the em, or nothing when the font lacks it (or cannot give
// its outline). A face that is not installed makes GDI pick another, so the glyph is what counts.
std::optional<GLYPHMETRICS> inkOf(HDC dc, HFONT font, wchar_t c) {
    const Selection selected(dc, font);
    WORD index = 0xFFFF;
    if (GetGlyphIndicesW(dc, &c, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) != 1 || index == 0xFFFF ||
        index == 0)
        return std::nullopt;
    const MAT2 identity = scaling(1.0);
    GLYPHMETRICS metrics{};
    if (GetGlyphOutlineW(dc, c, GGO_METRICS, &metrics, 0, nullptr, &identity) == GDI_ERROR)
        return std::nullopt;
    return metrics;
}

// The factor that brings the ink at the em into the box, around the baseline; 1 when it fits.
double fitScale(const GLYPHMETRICS& ink, const GlyphPlacement& p) {
    const double above = ink.gmptGlyphOrigin.y;
    const double below = double(ink.gmBlackBoxY) - above;
    double scale = std::min(1.0, (p.right - p.left) / std::max(1.0, double(ink.gmBlackBoxX)));
    if (above > 0)
        scale = std::min(scale, (p.baseline - p.top) / above);
    if (below > 0)
        scale = std::min(scale, (p.bottom - p.baseline) / below);
    return scale;
}

// Draws the character of the font selected in `dc` at the matrix's scale into `coverage`: the
// ink centred across the box, its baseline on the placement's.
bool drawInk(HDC dc, wchar_t c, const MAT2& matrix, const GlyphPlacement& p,
             std::vector<uint8_t>& coverage) {
    GLYPHMETRICS ink{};
    const DWORD bytes = GetGlyphOutlineW(dc, c, GGO_GRAY8_BITMAP, &ink, 0, nullptr, &matrix);
    if (bytes == GDI_ERROR || bytes == 0)
        return false;
    std::vector<BYTE> gray(bytes);
    if (GetGlyphOutlineW(dc, c, GGO_GRAY8_BITMAP, &ink, bytes, gray.data(), &matrix) == GDI_ERROR)
        return false;
    const int width = int(ink.gmBlackBoxX), height = int(ink.gmBlackBoxY);
    const std::size_t pitch = (std::size_t(width) + 3) & ~std::size_t(3); // rows are DWORD aligned
    if (pitch * std::size_t(height) > gray.size())
        return false;
    const int x0 = int(std::lround((p.left + p.right - float(width)) / 2.0f));
    const int y0 = int(std::lround(p.baseline)) - ink.gmptGlyphOrigin.y;
    coverage.assign(std::size_t(p.size) * std::size_t(p.size), 0);
    // Rounding may put the scaled ink a point past the box; the grid's edge is the hard limit.
    for (int row = std::max(0, -y0); row < std::min(height, p.size - y0); ++row) {
        for (int column = std::max(0, -x0); column < std::min(width, p.size - x0); ++column) {
            const int level = std::min<int>(gray[std::size_t(row) * pitch + column], grayLevels);
            coverage[std::size_t(y0 + row) * p.size + std::size_t(x0 + column)] =
                uint8_t((level * 255 + grayLevels / 2) / grayLevels);
        }
    }
    return true;
}
} // namespace

// The drawing thread's GDI state: a memory DC, and a bold font for each face looked at, made at
// the em asked for (the saver asks one size throughout).
struct GdiSystemFonts::Gdi {
    struct Face {
        bool installed = false;
        UniqueFont font;
    };
    UniqueDc dc{CreateCompatibleDC(nullptr)};
    int em = 0;
    std::map<std::wstring, Face> faces;
    std::optional<std::vector<std::wstring>> families; // listed once, when first needed

    struct Choice {
        HFONT font = nullptr;
        GLYPHMETRICS ink{};
    };

    // `face` if it is installed and has `c`.
    Choice withGlyph(const std::wstring& face, bool listed, wchar_t c) {
        auto [entry, added] = faces.try_emplace(face);
        Face& f = entry->second;
        if (added)
            f.installed = listed || isInstalled(dc.get(), face);
        if (f.installed && !f.font)
            f.font = boldFont(face, em);
        if (!f.font)
            return {};
        const std::optional<GLYPHMETRICS> ink = inkOf(dc.get(), f.font.get(), c);
        return ink ? Choice{f.font.get(), *ink} : Choice{};
    }

    // The first font that has `c`: the script's faces, then every family of the system.
    Choice choose(wchar_t c, Language user, int asked) {
        if (asked != em) {
            em = asked;
            for (auto& [name, face] : faces)
                face.font.reset();
        }
        for (const wchar_t* face : namedFaces(scriptOf(c), user)) {
            if (const Choice choice = withGlyph(face, false, c); choice.font)
                return choice;
        }
        if (!families)
            families = installedFamilies(dc.get());
        for (const std::wstring& family : *families) {
            if (const Choice choice = withGlyph(family, true, c); choice.font)
                return choice;
        }
        return {};
    }
};

GdiSystemFonts::GdiSystemFonts() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0)
        locale_ = name;
}

GdiSystemFonts::~GdiSystemFonts() = default;

bool GdiSystemFonts::drawCharacter(char32_t character, const GlyphPlacement& placement,
                                   std::vector<uint8_t>& coverage) {
    if (!drawable(character) || !sensible(placement))
        return false;
    try {
        if (!gdi_)
            gdi_ = std::make_unique<Gdi>();
        if (!gdi_->dc)
            return false;
        const wchar_t c = wchar_t(character);
        HDC dc = gdi_->dc.get();
        const Gdi::Choice choice =
            gdi_->choose(c, languageOf(locale_), int(std::lround(placement.em)));
        if (!choice.font)
            return false;
        const Selection selected(dc, choice.font);
        const double scale = fitScale(choice.ink, placement);
        return scale > 0.0 && drawInk(dc, c, scaling(scale), placement, coverage);
    } catch (const std::bad_alloc&) {
        return false;
    }
}
