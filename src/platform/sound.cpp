#include "platform/sound.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>

namespace kemoro {

std::optional<qint64> wavDurationMs(const QByteArray &bytes)
{
    const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") return std::nullopt;
    quint32 byteRate = 0;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = u32(at + 4);
        if (id == "fmt " && at + 8 + 12 <= bytes.size()) byteRate = u32(at + 8 + 8);
        if (id == "data") {
            if (byteRate == 0) return std::nullopt;
            // A data chunk cut short by the end of the file plays only what is there.
            const qint64 data = std::min<qint64>(size, bytes.size() - (at + 8));
            return data * 1000 / byteRate;
        }
        // Chunks are padded to an even size.
        at += 8 + qsizetype(size) + (size & 1);
    }
    return std::nullopt;
}

std::optional<qint64> wavFileDurationMs(const QString &file)
{
    QFile wav(file);
    if (!wav.open(QIODevice::ReadOnly)) return std::nullopt;
    return wavDurationMs(wav.readAll());
}

QByteArray monoWav(const QByteArray &samples, int sampleRate)
{
    QByteArray wav;
    const auto u32 = [&](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        wav.append(b, 4);
    };
    const auto u16 = [&](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        wav.append(b, 2);
    };
    wav.append("RIFF");
    u32(quint32(36 + samples.size()));
    wav.append("WAVEfmt ");
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(quint32(sampleRate));
    u32(quint32(sampleRate * 2)); // bytes a second
    u16(2);                       // bytes a sample
    u16(16);
    wav.append("data");
    u32(quint32(samples.size()));
    wav.append(samples);
    return wav;
}

} // namespace kemoro
