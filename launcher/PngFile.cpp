#include "PngFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

namespace {

// The PNG library prints its errors on the terminal itself, out of Qt's
// reach, so a file it would fail on is not handed to it: one that does not
// run in whole chunks from the signature to the closing IEND chunk.
bool isWholePng(const QByteArray& bytes)
{
    const QByteArrayView signature("\x89PNG\r\n\x1a\n", 8);
    if (!bytes.startsWith(signature))
        return false;
    const qsizetype chunkFrame = 12; // length, type and checksum
    for (qsizetype at = signature.size(); bytes.size() - at >= chunkFrame;) {
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at);
        if (length > quint64(bytes.size() - at - chunkFrame))
            return false;
        if (QByteArrayView(bytes).sliced(at + 4, 4) == "IEND")
            return true;
        at += chunkFrame + qsizetype(length);
    }
    return false;
}

} // namespace

QPixmap loadPng(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QPixmap();
    QByteArray bytes = file.readAll();
    if (!isWholePng(bytes))
        return QPixmap();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // Read as PNG by name: sniffing the format would load every image
    // plugin, a good part of the start-up time.
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImageReader(&reader);
}
