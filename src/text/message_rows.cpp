#include "web/message_lines.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "scene/fire_scene.h"

namespace {
constexpr int lettersPerLine = 20; // 20 cells of 50 pixels fit the 1024-pixel picture
constexpr int cell = FireScene::glyphSize;
constexpr int bottomOfText = 220; // a two-line block from 170, where the default messages stand
constexpr int topRow = 5;         // glyphs are never drawn above row 5
constexpr double defaultSeconds = 5.0;
constexpr double longestSeconds = 3600.0;

struct Entry {
    std::string text;
    long x = 0, y = 0, hold = 0;
};

// The sentence as script cells split into words: one cell per character.
std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> result(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80)
            continue; // the rest of a character outside ASCII, which took one cell already
        const bool blank = c <= ' ' || c == 0x7F || c == '+' || c == '-' || c == '*';
        if (blank) {
            if (!result.back().empty())
                result.emplace_back();
            continue;
        }
        result.back() += c < 0x80 ? char(c) : '?'; // no glyph either way: a gap
    }
    if (result.back().empty())
        result.pop_back();
    return result;
}

// Words wrapped greedily onto lines of at most `width` cells; a word longer than that is cut.
std::vector<std::string> wrap(const std::vector<std::string>& words, std::size_t width) {
    std::vector<std::string> lines;
    for (std::string word : words) {
        while (word.size() > width) {
            lines.push_back(word.substr(0, width));
            word.erase(0, width);
        }
        if (!lines.empty() && lines.back().size() + 1 + word.size() <= width)
            lines.back() += "+" + word;
        else
            lines.push_back(word);
    }
    return lines;
}

// As few lines as the words need, and of the widths that keep that many, the narrowest.
std::vector<std::string> balancedLines(const std::vector<std::string>& words) {
    const std::size_t count = wrap(words, lettersPerLine).size();
    for (std::size_t width = 1; width < lettersPerLine; ++width) {
        std::vector<std::string> lines = wrap(words, width);
        if (lines.size() <= count)
            return lines;
    }
    return wrap(words, lettersPerLine);
}

long holdMilliseconds(double seconds) {
    if (!(seconds >= 0)) // also NaN
        seconds = defaultSeconds;
    return std::lround(std::min(seconds, longestSeconds) * 1000.0);
}

std::string format(const Entry& entry) {
    return entry.text + " " + std::to_string(entry.x) + " " + std::to_string(entry.y) + " " +
           std::to_string(entry.hold);
}

std::vector<Entry> parseScript(const std::string& script) {
    std::vector<Entry> entries;
    std::istringstream in(script);
    Entry entry;
    while (in >> entry.text >> entry.x >> entry.y >> entry.hold)
        entries.push_back(entry);
    return entries;
}

std::string plainText(const std::string& scriptText) {
    std::string text;
    for (const char c : scriptText) {
        if (c == '*')
            continue;
        const char shown = c == '+' || c == '-' ? ' ' : c;
        if (shown != ' ' || (!text.empty() && text.back() != ' '))
            text += shown;
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::string secondsText(long milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(milliseconds) / 1000.0);
    return text;
}
} // namespace

std::string scriptEntry(const std::string& text, double seconds) {
    const std::vector<std::string> lines = balancedLines(words(text));
    if (lines.empty())
        return {};
    std::size_t longest = 0;
    for (const std::string& line : lines)
        longest = std::max(longest, line.size());
    Entry entry;
    for (const std::string& line : lines) {
        if (!entry.text.empty())
            entry.text += '-';
        entry.text += std::string((longest - line.size()) / 2, '+') + line;
    }
    entry.x = (FireScene::width - long(longest) * cell) / 2;
    entry.y = std::max<long>(topRow, bottomOfText - long(lines.size()) * cell / 2);
    entry.hold = holdMilliseconds(seconds);
    return format(entry);
}

std::string scriptFromRows(const std::string& rows, const std::string& previous) {
    const std::vector<Entry> before = parseScript(previous);
    std::istringstream in(rows);
    std::string script;
    for (std::string row; std::getline(in, row);) {
        const std::size_t tab = row.find('\t');
        const std::string text = row.substr(0, tab);
        const double seconds =
            tab == std::string::npos ? defaultSeconds : std::strtod(row.c_str() + tab + 1, nullptr);
        const auto kept = std::find_if(before.begin(), before.end(), [&](const Entry& entry) {
            return plainText(entry.text) == plainText(text) &&
                   entry.hold == holdMilliseconds(seconds);
        });
        const std::string entry = kept != before.end() ? format(*kept) : scriptEntry(text, seconds);
        if (!entry.empty())
            script += entry + "\n";
    }
    return script;
}

std::string rowsFromScript(const std::string& script) {
    std::string rows;
    for (const Entry& entry : parseScript(script))
        rows += plainText(entry.text) + "\t" + secondsText(entry.hold) + "\n";
    return rows;
}
