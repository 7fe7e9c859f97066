// Checks icon files against the window's icon:
//   sprawdz_ikony ZNAKOMAT.xpm PLIK.png...
// Each PNG must lie in a folder named after its size (".../<n>x<n>/apps/") and have that
// size, and each of its pixels must be the picture's pixel it covers, transparency included.
//   sprawdz_ikony --rysunek ZNAKOMAT.xpm PLIK.png
// The PNG is the scalable icon drawn at the picture's size: its smooth edges differ, but
// nearly every pixel must still be clear, yellow or black as the picture's is.

#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QString>

#include <cstdio>
#include <cstring>

namespace {

bool takieSame(QRgb a, QRgb b)
{
    // Under a fully transparent pixel the colour does not matter.
    return a == b || (qAlpha(a) == 0 && qAlpha(b) == 0);
}

bool sprawdz(const QImage& wzor, const QString& plik)
{
    const auto blad = [&plik](const QString& tekst) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(plik), qPrintable(tekst));
        return false;
    };
    const auto nazwa = QRegularExpression(QStringLiteral("/(\\d+)x(\\d+)/apps/[^/]+\\.png$")).match(plik);
    if (!nazwa.hasMatch() || nazwa.captured(1) != nazwa.captured(2)) {
        return blad(QStringLiteral("nie leży w folderze <n>x<n>/apps"));
    }
    const int rozmiar = nazwa.captured(1).toInt();
    QImage ikona;
    if (!ikona.load(plik, "PNG")) {
        return blad(QStringLiteral("nie jest plikiem PNG"));
    }
    if (ikona.width() != rozmiar || ikona.height() != rozmiar) {
        return blad(QStringLiteral("ma %1×%2 pikseli zamiast %3×%3")
                        .arg(ikona.width())
                        .arg(ikona.height())
                        .arg(rozmiar));
    }
    ikona = ikona.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < rozmiar; ++y) {
        for (int x = 0; x < rozmiar; ++x) {
            const QRgb oczekiwany = wzor.pixel(x * wzor.width() / rozmiar, y * wzor.height() / rozmiar);
            const QRgb jest = ikona.pixel(x, y);
            if (!takieSame(jest, oczekiwany)) {
                return blad(QStringLiteral("piksel (%1, %2) ma kolor #%3 zamiast #%4")
                                .arg(x)
                                .arg(y)
                                .arg(jest, 8, 16, QLatin1Char('0'))
                                .arg(oczekiwany, 8, 16, QLatin1Char('0')));
            }
        }
    }
    return true;
}

enum class Barwa { przezroczysta, zolta, czarna, inna };

Barwa barwa(QRgb piksel)
{
    if (qAlpha(piksel) < 128) {
        return Barwa::przezroczysta;
    }
    if (qRed(piksel) > 160 && qGreen(piksel) > 160 && qBlue(piksel) < 100) {
        return Barwa::zolta;
    }
    return qGray(piksel) < 100 ? Barwa::czarna : Barwa::inna;
}

bool podobny(const QImage& wzor, const QString& plik)
{
    QImage rysunek;
    if (!rysunek.load(plik, "PNG") || rysunek.size() != wzor.size()) {
        std::fprintf(stderr, "%s: nie jest obrazkiem PNG %d×%d\n", qPrintable(plik), wzor.width(),
                     wzor.height());
        return false;
    }
    rysunek = rysunek.convertToFormat(QImage::Format_ARGB32);
    int zgodne = 0;
    for (int y = 0; y < wzor.height(); ++y) {
        for (int x = 0; x < wzor.width(); ++x) {
            zgodne += barwa(rysunek.pixel(x, y)) == barwa(wzor.pixel(x, y)) ? 1 : 0;
        }
    }
    const int wszystkie = wzor.width() * wzor.height();
    std::printf("%s: %d z %d pikseli jak w obrazku okna\n", qPrintable(plik), zgodne, wszystkie);
    return zgodne * 100 >= wszystkie * 95;
}

}  // namespace

int main(int argc, char* argv[])
{
    const bool rysunek = argc > 1 && std::strcmp(argv[1], "--rysunek") == 0;
    if (rysunek) {
        --argc;
        ++argv;
    }
    if (argc < 3 || (rysunek && argc != 3)) {
        std::fputs(
            "użycie: sprawdz_ikony ZNAKOMAT.xpm PLIK.png...\n"
            "        sprawdz_ikony --rysunek ZNAKOMAT.xpm PLIK.png\n",
            stderr);
        return 2;
    }
    const QImage wzor = QImage(QString::fromLocal8Bit(argv[1]), "XPM").convertToFormat(QImage::Format_ARGB32);
    if (wzor.isNull()) {
        std::fprintf(stderr, "%s: nie jest obrazkiem XPM\n", argv[1]);
        return 2;
    }
    if (rysunek) {
        return podobny(wzor, QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    bool dobrze = true;
    for (int i = 2; i < argc; ++i) {
        dobrze = sprawdz(wzor, QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath()) && dobrze;
    }
    return dobrze ? 0 : 1;
}
