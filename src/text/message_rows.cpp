#include "text/message_rows.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "scene/fire_scene.h"
#include "text/text_decoding.h"

namespace {
constexpr std::size_t lettersPerLine = 20; // 20 cells of 50 pixels fit the 1024-pixel picture
constexpr int cell = FireScene::glyphSize;
constexpr int bottomOfText = 220; // a two-line block from 170, where the default messages stand
constexpr int topRow = 5;         // glyphs are never drawn above row 5
constexpr double defaultSeconds = 5.0;
constexpr double longestSeconds = 3600.0;

using Words = std::vector<std::u32string>;

struct Entry {
    std::string text;
    long x = 0, y = 0, hold = 0;
};

bool isBlankCell(char32_t c) {
    return c <= U' ' || c == 0x7F || c == U'+' || c == U'-' || c == U'*';
}

// The sentence as paragraphs (split at its line ends) of words, one cell per character.
std::vector<Words> paragraphs(const std::string& text) {
    std::vector<Words> result(1, Words(1));
    for (const char32_t c : decodeText(text)) {
        if (c == U'\n' || isBlankCell(c)) {
            if (!result.back().back().empty())
                result.back().emplace_back();
            if (c == U'\n')
                result.emplace_back(1);
            continue;
        }
        result.back().back() += c;
    }
    for (Words& words : result) {
        if (words.back().empty())
            words.pop_back();
    }
    std::erase_if(result, [](const Words& words) { return words.empty(); });
    return result;
}

// Words wrapped greedily onto lines of at most `width` cells; a word longer than that is cut.
Words wrap(const Words& words, std::size_t width) {
    Words lines;
    for (std::u32string word : words) {
        while (word.size() > width) {
            lines.push_back(word.substr(0, width));
            word.erase(0, width);
        }
        if (!lines.empty() && lines.back().size() + 1 + word.size() <= width)
            lines.back() += U"+" + word;
        else
            lines.push_back(word);
    }
    return lines;
}

// As few lines as the words need, and of the widths that keep that many, the narrowest.
Words balancedLines(const Words& words) {
    const std::size_t count = wrap(words, lettersPerLine).size();
    for (std::size_t width = 1; width < lettersPerLine; ++width) {
        Words lines = wrap(words, width);
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

// The script's text as the editor shows it: + as a space, - as a line end.
std::string plainText(const std::string& scriptText) {
    std::string text;
    for (const char c : scriptText) {
        if (c == '*')
            continue;
        const char shown = c == '+' ? ' ' : c == '-' ? '\n' : c;
        if (shown == ' ' && (text.empty() || text.back() == ' ' || text.back() == '\n'))
            continue;
        if (shown == '\n') {
            while (!text.empty() && text.back() == ' ')
                text.pop_back();
            if (text.empty() || text.back() == '\n')
                continue;
        }
        text += shown;
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n'))
        text.pop_back();
    return text;
}

// The words of a text, whatever blanks or line ends stand between them.
std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}
} // namespace

std::string scriptEntry(const std::string& text, double seconds) {
    Words lines;
    for (const Words& words : paragraphs(text)) {
        const Words wrapped = balancedLines(words);
        lines.insert(lines.end(), wrapped.begin(), wrapped.end());
    }
    if (lines.empty())
        return {};
    std::size_t longest = 0;
    for (const std::u32string& line : lines)
        longest = std::max(longest, line.size());
    std::u32string entryText;
    for (const std::u32string& line : lines) {
        if (!entryText.empty())
            entryText += U'-';
        entryText += std::u32string((longest - line.size()) / 2, U'+') + line;
    }
    Entry entry;
    entry.text = encodeUtf8(entryText);
    entry.x = (FireScene::width - long(longest) * cell) / 2;
    entry.y = std::max<long>(topRow, bottomOfText - long(lines.size()) * cell / 2);
    entry.hold = holdMilliseconds(seconds);
    return format(entry);
}

std::string scriptFromRows(const std::vector<MessageRow>& rows, const std::string& previous) {
    const std::vector<Entry> before = parseScript(previous);
    std::string script;
    for (const MessageRow& row : rows) {
        const auto kept = std::find_if(before.begin(), before.end(), [&](const Entry& entry) {
            return wordsOf(plainText(entry.text)) == wordsOf(row.text) &&
                   entry.hold == holdMilliseconds(row.seconds);
        });
        const std::string entry =
            kept != before.end() ? format(*kept) : scriptEntry(row.text, row.seconds);
        if (!entry.empty())
            script += entry + "\n";
    }
    return script;
}

std::vector<MessageRow> rowsFromScript(const std::string& script) {
    std::vector<MessageRow> rows;
    for (const Entry& entry : parseScript(script))
        rows.push_back({plainText(entry.text), double(entry.hold) / 1000.0});
    return rows;
}
