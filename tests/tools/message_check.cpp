// Checks a screenshot of a held message against the glyph sheet, cell by cell: the message is
// laid out and drawn as the saver does, onto an empty frame, and every pixel a glyph draws must
// stand in the screenshot exactly so. A character that should hold ink and has none in the
// sheet is a fault too.
//   message_check SHEET.tga X Y TEXT SCREENSHOT.rgb
// TEXT is what the message shows, in UTF-8; the screenshot is 1024 x 768 raw RGB (ImageMagick:
// convert shot.png rgb:SCREENSHOT.rgb). Exit code 0 when every glyph pixel matches.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fire/fire_engine.h"
#include "scene/fire_scene.h"
#include "text/text_decoding.h"

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: message_check SHEET.tga X Y TEXT SCREENSHOT.rgb\n");
        return 2;
    }
    constexpr int width = FireScene::width, height = FireScene::height;
    FireEngine engine(width, height, FireScene::paletteSize);
    if (engine.loadFont(argv[1], FireScene::glyphSize) != 1) {
        std::fprintf(stderr, "message_check: %s is no glyph sheet\n", argv[1]);
        return 2;
    }
    std::ifstream in(argv[5], std::ios::binary);
    const std::vector<unsigned char> shot{std::istreambuf_iterator<char>(in), {}};
    if (shot.size() != std::size_t(width) * height * 3) {
        std::fprintf(stderr, "message_check: %s is not a 1024 x 768 RGB picture\n", argv[5]);
        return 2;
    }

    const std::u32string text = decodeText(argv[4]);
    auto message = engine.layoutMessage(std::atoi(argv[2]), std::atoi(argv[3]), text);
    std::vector<uint32_t> expected(std::size_t(width) * height, 0);
    engine.drawParticles(*message, expected.data());

    // Each character that draws: its cell must have ink of its own.
    std::string inkless;
    for (const char32_t c : text) {
        if (c == U' ' || c == U'+' || c == U'-' || c == U'*')
            continue;
        std::vector<uint32_t> cell(std::size_t(width) * height, 0);
        engine.drawGlyph(0, 5, c, cell.data());
        bool ink = false;
        for (const uint32_t p : cell)
            ink = ink || p != 0;
        if (!ink)
            inkless += encodeUtf8(std::u32string(1, c)) + " ";
    }
    long ink = 0, differ = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] == 0)
            continue;
        ++ink;
        const uint32_t seen = uint32_t(shot[3 * i]) << 16 | uint32_t(shot[3 * i + 1]) << 8 | shot[3 * i + 2];
        differ += seen != expected[i];
    }
    std::printf("%zu characters, %ld glyph pixels, %ld differ%s%s\n", text.size(), ink, differ,
                inkless.empty() ? "" : "; no ink in the sheet for: ", inkless.c_str());
    return ink > 0 && differ == 0 && inkless.empty() ? 0 : 1;
}
