#ifndef NIMBAL_ARRIVALS_H
#define NIMBAL_ARRIVALS_H

#include <QByteArray>

#include <algorithm>
#include <cstddef>
#include <cstdint>

// Cuts a fuzz input into arrivals as a serial port would deliver them: the
// first byte seeds the sizes (1 to 64 bytes each), the rest are the bytes
// from the servo. Calls `arrive(QByteArray)` once per arrival.
template <typename Arrive> void forEachArrival(const uint8_t *data, size_t size, Arrive arrive)
{
    if (size == 0)
        return;
    uint32_t seed = data[0];
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    size_t left = size - 1;
    while (left > 0) {
        // A tiny LCG on the seed: the same input always splits the same way.
        seed = seed * 1103515245u + 12345u;
        const size_t piece = std::min<size_t>(left, 1 + (seed >> 16) % 64);
        arrive(QByteArray(bytes, int(piece)));
        bytes += piece;
        left -= piece;
    }
}

#endif
