#include "windows/windows_locale.h"

#include <windows.h>

#include <string>

#include "text/text_decoding.h"

namespace {
// One item of the user's locale, in UTF-8; empty when the system has none.
std::string localeText(LCTYPE item) {
    wchar_t wide[128] = {};
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, wide, int(std::size(wide)));
    if (length <= 1)
        return {};
    char utf8[512] = {};
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide, length - 1, utf8, int(sizeof utf8), nullptr, nullptr);
    return bytes > 0 ? std::string(utf8, size_t(bytes)) : std::string();
}

void take(std::string& name, LCTYPE item) {
    if (std::string text = localeText(item); !text.empty())
        name = std::move(text);
}
} // namespace

LegacyCodePage windowsLegacyCodePage() {
    LegacyCodePage table{};
    for (size_t i = 0; i < table.size(); ++i) {
        const char byte = char(0x80 + i);
        wchar_t wide = 0;
        // A byte that is only the first half of a character (Chinese, Japanese and Korean code
        // pages) stands alone here and has none: Windows-1252's stands in for it.
        const bool single =
            MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) == 1 &&
            (wide < 0xD800 || wide > 0xDFFF);
        table[i] = single ? char32_t(wide) : legacyCharacter(uint8_t(byte));
    }
    return table;
}

TimeNames windowsTimeNames() {
    TimeNames names;
    // Windows counts the days from Monday, the C library from Sunday.
    for (int day = 0; day < 7; ++day) {
        const int windowsDay = (day + 6) % 7;
        take(names.days[size_t(day)], LCTYPE(LOCALE_SDAYNAME1 + windowsDay));
        take(names.shortDays[size_t(day)], LCTYPE(LOCALE_SABBREVDAYNAME1 + windowsDay));
    }
    for (int month = 0; month < 12; ++month) {
        take(names.months[size_t(month)], LCTYPE(LOCALE_SMONTHNAME1 + month));
        take(names.shortMonths[size_t(month)], LCTYPE(LOCALE_SABBREVMONTHNAME1 + month));
    }
    take(names.am, LOCALE_S1159);
    take(names.pm, LOCALE_S2359);
    return names;
}
