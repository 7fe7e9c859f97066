// Renders the window's icon (ui/znakomat.xpm) as the PNG files of the hicolor theme:
//   ikony ZNAKOMAT.xpm FOLDER ROZMIAR...
// writes FOLDER/<n>x<n>/apps/znakomat.png for every size n. Only whole multiples of the
// picture's size are accepted: each pixel becomes a square block, so every rendering is
// exactly the same picture, with no blur and the outline the same width all round.

#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QString>

#include <cstdio>

namespace {

int blad(const QString& tekst)
{
    std::fprintf(stderr, "ikony: %s\n", qPrintable(tekst));
    return 1;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        return blad(QStringLiteral("użycie: ikony ZNAKOMAT.xpm FOLDER ROZMIAR..."));
    }
    const QString zrodlo = QString::fromLocal8Bit(argv[1]);
    const QImage wzor = QImage(zrodlo, "XPM").convertToFormat(QImage::Format_ARGB32);
    if (wzor.isNull() || wzor.width() != wzor.height()) {
        return blad(QStringLiteral("%1 nie jest kwadratowym obrazkiem XPM").arg(zrodlo));
    }
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    for (int i = 3; i < argc; ++i) {
        bool liczba = false;
        const int rozmiar = QString::fromLatin1(argv[i]).toInt(&liczba);
        if (!liczba || rozmiar <= 0 || rozmiar % wzor.width() != 0) {
            return blad(QStringLiteral("rozmiar %1 nie jest wielokrotnością %2")
                            .arg(QString::fromLatin1(argv[i]))
                            .arg(wzor.width()));
        }
        const QString podfolder = QStringLiteral("%1x%1/apps").arg(rozmiar);
        if (!folder.mkpath(podfolder)) {
            return blad(QStringLiteral("nie można utworzyć %1").arg(folder.filePath(podfolder)));
        }
        const QString plik = folder.filePath(podfolder + QStringLiteral("/znakomat.png"));
        QImageWriter zapis(plik, "png");
        if (!zapis.write(wzor.scaled(rozmiar, rozmiar, Qt::IgnoreAspectRatio, Qt::FastTransformation))) {
            return blad(QStringLiteral("%1: %2").arg(plik, zapis.errorString()));
        }
    }
    return 0;
}
