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
