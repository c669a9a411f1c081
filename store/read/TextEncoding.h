#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// The encodings a file may be in. The store holds UTF-8 text in every case;
// a file in another encoding is decoded when it is read and encoded back when
// it is written, so that a save leaves it in the form it came in.
enum class FileEncoding {
    Utf8,        // UTF-8, or bytes kept as they are when they are not valid UTF-8
    Utf16LE,     // with its byte-order mark
    Utf16BE,     // with its byte-order mark
    Windows1252, // "Western"
};

// The encoding a UTF-16 byte-order mark at the start of `bytes` names, or Utf8
// when there is none.
FileEncoding utf16MarkOf(const char* bytes, std::size_t size);

// The UTF-16 byte order that `bytes`, which have no mark, look like by their
// zero bytes (every other byte of the first kilobyte, nearly), or Utf8 when
// they do not.
FileEncoding unmarkedUtf16Of(const char* bytes, std::size_t size);

// Whether `bytes` is valid UTF-8 (overlong forms and surrogates refused).
bool isValidUtf8(const char* bytes, std::size_t size);

// Decodes a whole file in `encoding` into UTF-8; the UTF-16 byte-order mark is
// dropped. False with a reason in `error` when the bytes cannot be read so.
// Windows-1252 leaves five bytes undefined: they become the control
// characters of the same number, so that they are written back unchanged.
bool decodeToUtf8(FileEncoding encoding, const char* bytes, std::size_t size,
                  std::unique_ptr<char[]>& out, std::size_t& outSize, std::string& error);

// The byte-order mark a file in `encoding` begins with ("" for none).
std::string_view byteOrderMarkOf(FileEncoding encoding);

// Appends `utf8` encoded as `encoding` to `out`. For Windows-1252, false when
// a character has no place in it; `bad` then holds that character in UTF-8.
// Bytes that are not valid UTF-8 are written as they are.
bool encodeFromUtf8(FileEncoding encoding, std::string_view utf8, std::string& out, std::string& bad);

// Whether Windows-1252 can hold every character of `utf8`.
bool fitsWindows1252(std::string_view utf8, std::string& bad);

// "UTF-16 (little-endian)", "Western (Windows-1252)", ...
std::string encodingName(FileEncoding encoding);
