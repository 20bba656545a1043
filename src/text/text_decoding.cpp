#include "text/text_decoding.h"

#include "seams/text_encoding.h"

namespace {
// Windows-1252: the Latin-1 characters, with printable ones in place of most C1 controls.
constexpr char32_t windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr LegacyCodePage windows1252() {
    LegacyCodePage table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = i < 32 ? windows1252High[i] : char32_t(0x80 + i);
    return table;
}

LegacyCodePage legacy = windows1252();

// The length of the valid UTF-8 sequence at the start of `bytes` and its character; 0 when the
// first byte does not begin one (a stray continuation byte, an overlong form, a surrogate, a
// code past U+10FFFF, or a sequence cut short).
std::size_t utf8Sequence(std::string_view bytes, char32_t& character) {
    const auto byte = [&](std::size_t i) { return uint8_t(bytes[i]); };
    const uint8_t lead = byte(0);
    std::size_t length = 0;
    char32_t value = 0, least = 0;
    if (lead < 0x80) {
        character = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        value = value << 6 | (byte(i) & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    character = value;
    return length;
}
} // namespace

void useLegacyCodePage(const LegacyCodePage& table) {
    legacy = table;
}

char32_t legacyCharacter(uint8_t byte) {
    return byte < 0x80 ? byte : legacy[byte - 0x80u];
}

std::u32string decodeText(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        char32_t c = 0;
        std::size_t length = utf8Sequence(bytes, c);
        if (length == 0) {
            c = legacyCharacter(uint8_t(bytes[0]));
            length = 1;
        }
        text.push_back(c);
        bytes.remove_prefix(length);
    }
    return text;
}

std::string encodeUtf8(std::u32string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (char32_t c : text) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c < 0x80) {
            bytes += char(c);
        } else if (c < 0x800) {
            bytes += char(0xC0 | c >> 6);
            bytes += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += char(0xE0 | c >> 12);
            bytes += char(0x80 | (c >> 6 & 0x3F));
            bytes += char(0x80 | (c & 0x3F));
        } else {
            bytes += char(0xF0 | c >> 18);
            bytes += char(0x80 | (c >> 12 & 0x3F));
            bytes += char(0x80 | (c >> 6 & 0x3F));
            bytes += char(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

std::size_t wholeCharacters(std::string_view bytes) {
    // A cut sequence is at most three bytes: its lead byte and the continuations after it.
    for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const uint8_t b = uint8_t(bytes[bytes.size() - back]);
        if ((b & 0xC0) == 0x80)
            continue; // a continuation: look further back for the lead
        const std::size_t needs = b >= 0xF0 && b <= 0xF4   ? 4
                                  : b >= 0xE0 && b <= 0xEF ? 3
                                  : b >= 0xC2 && b <= 0xDF ? 2
                                                           : 1;
        return needs > back ? bytes.size() - back : bytes.size();
    }
    return bytes.size();
}
