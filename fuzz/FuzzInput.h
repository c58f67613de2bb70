#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tagmill::fuzz {

/// Takes a fuzzer's bytes apart: small numbers and short texts first, the rest as a whole.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_data(reinterpret_cast<const char*>(data)), m_size(size) {}

    /// A number below limit (0 when the bytes have run out).
    int number(int limit) {
        return m_at < m_size ? static_cast<unsigned char>(m_data[m_at++]) % limit : 0;
    }
    /// A text of up to maxBytes bytes, its length taken from the next byte.
    QString text(int maxBytes) {
        const auto length = std::min<std::size_t>(std::size_t(number(maxBytes + 1)), m_size - m_at);
        const QString text = QString::fromUtf8(m_data + m_at, qsizetype(length));
        m_at += length;
        return text;
    }
    /// Every byte not taken yet.
    QByteArray rest() const { return QByteArray(m_data + m_at, qsizetype(m_size - m_at)); }

private:
    const char* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

/// Ends the run with a message when an expectation fails: the fuzzer keeps the input.
inline void expect(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "expectation failed: %s\n", what);
        std::abort();
    }
}

} // namespace tagmill::fuzz
