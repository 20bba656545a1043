#include "text/time_escapes.h"

#include <algorithm>

#include "base/no_destructor.h"
#include "text/text_decoding.h"

namespace {
constexpr std::u32string_view timeLetters = U"HMSIpdemyYaAbB";

TimeNames& names() {
    static NoDestructor<TimeNames> current;
    return *current;
}

// `value` in decimal, at least `width` digits, padded in front with `pad`.
std::u32string number(int value, std::size_t width, char32_t pad = U'0') {
    std::u32string digits;
    unsigned magnitude = value < 0 ? 0u - unsigned(value) : unsigned(value);
    do {
        digits.insert(digits.begin(), char32_t(U'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude > 0);
    if (digits.size() < width)
        digits.insert(digits.begin(), width - digits.size(), pad);
    if (value < 0)
        digits.insert(digits.begin(), U'-');
    return digits;
}

// One of a list of names, chosen by an index the clock may not keep in range.
std::u32string name(const auto& list, int index) {
    if (index < 0 || std::size_t(index) >= list.size())
        return U"?";
    return decodeText(list[std::size_t(index)]);
}

std::u32string part(char32_t letter, const LocalTime& t, const TimeNames& n) {
    const int twelve = t.hour % 12 == 0 ? 12 : t.hour % 12;
    switch (letter) {
    case U'H':
        return number(t.hour, 2);
    case U'M':
        return number(t.minute, 2);
    case U'S':
        return number(t.second, 2);
    case U'I':
        return number(twelve, 2);
    case U'p':
        return decodeText(t.hour < 12 ? n.am : n.pm);
    case U'd':
        return number(t.day, 2);
    case U'e':
        return number(t.day, 2, U' ');
    case U'm':
        return number(t.month, 2);
    case U'y':
        return number(((t.year % 100) + 100) % 100, 2);
    case U'Y':
        return number(t.year, 1);
    case U'a':
        return name(n.shortDays, t.weekday);
    case U'A':
        return name(n.days, t.weekday);
    case U'b':
        return name(n.shortMonths, t.month - 1);
    default:
        return name(n.months, t.month - 1); // B
    }
}
} // namespace

void useTimeNames(TimeNames names_) {
    names() = std::move(names_);
}
const TimeNames& timeNames() {
    return names();
}

bool showsTime(std::u32string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != U'%')
            continue;
        if (timeLetters.find(text[i + 1]) != std::u32string_view::npos)
            return true;
        if (text[i + 1] == U'%')
            ++i; // "%%H" is a % and an H
    }
    return false;
}

std::u32string expandTimeEscapes(std::u32string_view text, const LocalTime& now,
                                 const TimeNames& n) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t next = i + 1 < text.size() ? text[i + 1] : 0;
        if (text[i] != U'%' || next == 0) {
            out += text[i];
        } else if (next == U'%') {
            out += U'%';
            ++i;
        } else if (timeLetters.find(next) != std::u32string_view::npos) {
            out += part(next, now, n);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}
