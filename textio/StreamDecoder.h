#pragma once

#include "textio/TextEncoding.h"

#include <string>
#include <string_view>

namespace tagmill {

/// How many of the bytes form whole UTF-8 sequences: a sequence begun in the last three bytes
/// and not finished there is left out, so that the next piece can finish it.
std::size_t wholeUtf8Length(std::string_view bytes);

/// Decodes a file piece by piece into UTF-16, exactly as decodeText decodes it whole. Bytes that
/// may belong to a character continued in the next piece wait for it.
class StreamDecoder {
public:
    /// Narrow stands for a mark-less file found not to be UTF-8: Windows-1252.
    explicit StreamDecoder(TextEncoding encoding) : m_encoding(encoding) {}

    /// Appends the text of the next bytes (the mark excluded) to `out`; atEnd for the last piece.
    void decode(std::string_view bytes, bool atEnd, std::u16string& out);

private:
    std::size_t wholeLength(std::string_view bytes) const;

    TextEncoding m_encoding;
    std::string m_pending; // bytes of a character not yet whole
    std::string m_joined;
};

/// Checks a mark-less file piece by piece for being UTF-8 throughout.
class Utf8Validator {
public:
    void add(std::string_view bytes, bool atEnd);
    bool valid() const { return m_valid; }

private:
    bool m_valid = true;
    std::string m_pending;
    std::string m_joined;
};

} // namespace tagmill
