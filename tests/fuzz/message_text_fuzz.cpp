// A message's text, any bytes at all: read as characters (UTF-8, and the legacy code page for
// every stray byte), its clock escapes expanded for a moment the input also chooses, then laid
// out. Every character is a Unicode scalar value, written back as UTF-8 it reads the same, the
// layout has one particle per character, and a text of ASCII without % comes out unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "text/glyph_particles.h"
#include "text/text_decoding.h"
#include "text/time_escapes.h"

namespace {
bool isScalarValue(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

// The moment, from the first bytes (any values, in or out of a clock's range).
LocalTime momentOf(std::string_view& bytes) {
    int fields[7] = {2026, 12, 9, 3, 23, 59, 60};
    for (int& field : fields) {
        if (bytes.empty())
            break;
        field = int(int8_t(bytes.front())) * 37;
        bytes.remove_prefix(1);
    }
    return {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]};
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const LocalTime now = momentOf(bytes);
    const std::u32string text = decodeText(bytes);
    fuzzCheck(text.size() <= bytes.size(), "more characters than bytes");
    for (const char32_t c : text)
        fuzzCheck(isScalarValue(c), "a character that is no Unicode scalar value");
    fuzzCheck(decodeText(encodeUtf8(text)) == text, "written back as UTF-8 it reads otherwise");

    bool plainAscii = true;
    for (const char c : bytes)
        plainAscii = plainAscii && uint8_t(c) < 0x80 && c != '%';
    if (plainAscii)
        fuzzCheck(encodeUtf8(text) == bytes, "an ASCII text changed");

    const std::u32string shown = expandTimeEscapes(text, now);
    for (const char32_t c : shown)
        fuzzCheck(isScalarValue(c), "the clock gave a character that is no scalar value");
    if (text.find(U'%') == std::u32string::npos)
        fuzzCheck(shown == text, "a text without % changed");
    fuzzCheck(!showsTime(text) || text.find(U'%') != std::u32string::npos,
              "shows the time without a %");

    auto list = layoutParticles(3, 7, shown, 320, 16);
    fuzzCheck(std::size_t(list->count()) == shown.size(), "not one particle per character");
    std::size_t i = 0;
    for (GlyphParticle* p = list->first(); p; p = list->next(), ++i)
        fuzzCheck(p->character == shown[i], "a particle stands for another character");
    return 0;
}
