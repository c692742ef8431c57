// Reading text files whatever their encoding, and splitting text into lines.
#pragma once

#include <string>
#include <string_view>

#include "platform/Types.h"

// A text file decoded by its byte-order mark: FF FE UTF-16LE, FE FF UTF-16BE, EF BB BF UTF-8,
// anything else the ANSI code page. False when the file cannot be read.
bool ReadTextFile(const std::string& path, std::u16string& text);
// A text file's bytes decoded by the same rules.
std::u16string DecodeText(const Bytes& data);
// text in the encoding of file's bytes, by the same rule, without a byte-order mark: what can be
// appended to the file without changing what it held.
Bytes EncodedLike(const Bytes& file, const std::u16string& text);
// UTF-16 to UTF-8, as WideCharToMultiByte(CP_UTF8, 0): a lone surrogate becomes U+FFFD.
std::string WideToUtf8(const std::u16string& text);
// The text split into lines; a line break at the very end starts no further line.
WideList SplitLines(const std::u16string& text);

// UTF-8 bytes from start on as UTF-16: a malformed sequence gives U+FFFD.
std::u16string Utf8Text(const Bytes& data, size_t start = 0);
// UTF-16LE bytes from start on; an odd last byte is no character and is left out.
std::u16string Utf16LeText(const Bytes& data, size_t start = 0);
// The characters of stored text up to its first NUL (stored strings need not end in one, and
// may hold more than one).
std::u16string TextUpToNul(const Bytes& stored);
Bytes Utf16LeBytes(std::u16string_view text);
// The bytes a line takes in such a file, its CR LF included.
inline size_t Utf16LeLineBytes(std::u16string_view line) { return 2 * (line.size() + 2); }
// Lines from first on (up to end), each ended by CR LF, in UTF-16LE: what is appended to such a
// file.
Bytes Utf16LeLines(const WideList& lines, size_t first, size_t end = static_cast<size_t>(-1));
// A UTF-16LE text file's bytes: the byte-order mark, then every line (up to end) ended by CR LF.
Bytes Utf16LeFile(const WideList& lines, size_t end = static_cast<size_t>(-1));
