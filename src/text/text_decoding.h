#pragma once
// Message text as characters (Unicode code points), from the bytes of a file or a settings
// field: UTF-8 first, and each byte that is not part of valid UTF-8 read in the legacy code page
// (seams/text_encoding.h). ASCII comes out unchanged, one character a byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

std::u32string decodeText(std::string_view bytes);
std::string encodeUtf8(std::u32string_view text);

// The character of a byte 0x80 ... 0xFF that is not UTF-8.
char32_t legacyCharacter(uint8_t byte);

// The UTF-8 byte-order mark, which Notepad may write at the start of a file.
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

// `bytes` without a UTF-8 sequence that its end cuts short: the length to keep when a text was
// cut at a limit, so that no character is cut in half.
std::size_t wholeCharacters(std::string_view bytes);
