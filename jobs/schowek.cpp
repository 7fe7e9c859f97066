#include "jobs/schowek.h"

#include <QMimeData>
#include <QStringDecoder>

namespace zadania {

QString tekstZeSchowka(const QMimeData& dane)
{
    const QString tekst = dane.text();
    const QByteArray bom("\xEF\xBB\xBF");
    for (const QString& format : {QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("text/plain")}) {
        const QByteArray bajty = dane.hasFormat(format) ? dane.data(format) : QByteArray();
        if (!bajty.startsWith(bom)) {
            continue;
        }
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        const QString zBom = utf8.decode(bajty);
        // Only the mark Qt dropped is put back: text the program holds itself (its own
        // copy) is exact already, and its bytes may not be (a lone surrogate).
        if (zBom.size() == tekst.size() + 1 && QStringView(zBom).sliced(1) == tekst) {
            return zBom;
        }
    }
    return tekst;
}

}  // namespace zadania
