#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace corvane {

// The fuzzer's bytes as a file read from disk would hold them (a copy, with its terminating zero).
inline QByteArray fuzzBytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The input cut in two at its first line break (the second part empty without one).
inline std::pair<QByteArray, QByteArray> fuzzHalves(const QByteArray& input)
{
    const qsizetype cut = input.indexOf('\n');
    if (cut < 0)
        return {input, QByteArray()};
    return {input.left(cut), input.mid(cut + 1)};
}

// A broken promise of the code under test: reported like a crash, so the fuzzer keeps the input.
inline void fuzzCheck(bool holds, const char* promise)
{
    if (holds)
        return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

} // namespace corvane
