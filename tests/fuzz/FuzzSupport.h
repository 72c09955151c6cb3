#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A fuzz target's assertion: names what did not hold and aborts, so that libFuzzer keeps the input.
inline void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// The input taken from the front, a byte or a few at a time; zeros once it runs out.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size) {}

    std::uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    QByteArray bytes(std::size_t count) {
        const std::size_t taken = count < left() ? count : left();
        const QByteArray result(reinterpret_cast<const char*>(m_data + m_at),
                                static_cast<qsizetype>(taken));
        m_at += taken;
        return result;
    }
    QByteArray rest() { return bytes(left()); }
    std::size_t left() const { return m_size - m_at; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};
