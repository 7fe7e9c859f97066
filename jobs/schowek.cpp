#include "schowek.h"

#include <QMimeData>
#include <QStringDecoder>

QString tekstZeSchowka(const QMimeData& dane)
{
    for (const QString& format : {QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("text/plain")}) {
        if (!dane.hasFormat(format)) {
            continue;
        }
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        const QString tekst = utf8.decode(dane.data(format));
        if (!utf8.hasError()) {
            return tekst;
        }
    }
    // Text in another encoding: Qt knows which.
    return dane.text();
}
