#include "platform/sound.h"

#include <QtEndian>

#include <algorithm>

namespace kemoro {

std::optional<qint64> wavDurationMs(const QByteArray &bytes)
{
    const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return std::nullopt;
    quint32 byteRate = 0;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = u32(at + 4);
        if (id == "fmt " && at + 8 + 12 <= bytes.size())
            byteRate = u32(at + 8 + 8);
        if (id == "data") {
            if (byteRate == 0)
                return std::nullopt;
            // A data chunk cut short by the end of the file plays only what is there.
            const qint64 data = std::min<qint64>(size, bytes.size() - (at + 8));
            return data * 1000 / byteRate;
        }
        // Chunks are padded to an even size.
        at += 8 + qsizetype(size) + (size & 1);
    }
    return std::nullopt;
}

} // namespace kemoro
