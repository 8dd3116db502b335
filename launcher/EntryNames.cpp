#include "EntryNames.h"

#include <QStringDecoder>

QString EntryNames::text(int index) const
{
    if (index < 0 || index >= size())
        return QString();
    // A leading byte-order mark is part of the name: QString::fromUtf8 would
    // drop it.
    QStringDecoder toUtf16(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless
                                                     | QStringDecoder::Flag::ConvertInitialBom);
    return toUtf16(bytes(index));
}

int EntryNames::indexOf(const QString& text) const
{
    const QByteArray name = text.toUtf8();
    for (int index = 0; index < size(); ++index) {
        if (bytes(index) == name)
            return index;
    }
    return -1;
}
