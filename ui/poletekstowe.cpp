#include "poletekstowe.h"

#include <QTextDocument>

#include <algorithm>

namespace wiersze {

namespace {

constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';
constexpr char16_t akapit = u'\u2029';

bool koniecAkapitu(char16_t znak)
{
    return znak == LF || znak == CR || znak == akapit || znak == u'\uFDD0' || znak == u'\uFDD1';
}

// Length of the line break at `i`, 0 when there is none.
qsizetype dlugoscPodzialu(QStringView tekst, qsizetype i)
{
    if (!koniecAkapitu(tekst[i].unicode())) {
        return 0;
    }
    return tekst[i] == CR && i + 1 < tekst.size() && tekst[i + 1] == LF ? 2 : 1;
}

}  // namespace

QString surowy(QStringView dokladny)
{
    QString wynik;
    wynik.reserve(dokladny.size());
    for (qsizetype i = 0; i < dokladny.size();) {
        const qsizetype podzial = dlugoscPodzialu(dokladny, i);
        wynik.append(podzial > 0 ? QChar(akapit) : dokladny[i]);
        i += std::max<qsizetype>(podzial, 1);
    }
    return wynik;
}

QString rodzajPodzialu(QStringView dokladny)
{
    for (qsizetype i = 0; i < dokladny.size(); ++i) {
        if (const qsizetype podzial = dlugoscPodzialu(dokladny, i)) {
            return dokladny.mid(i, podzial).toString();
        }
    }
    return QStringLiteral("\n");
}

QString zastosujZmiane(const QString& dokladny, QStringView staryRaw, QStringView nowyRaw,
                       QStringView nowyPodzial, std::optional<Zmiana> zgloszona)
{
    // The changed stretch is [wspolny, staryRaw.size() - wspolnyKoniec) of the old text.
    // A reported place bounds it, so equal neighbours cannot shift the edit elsewhere.
    qsizetype wspolny = 0;
    qsizetype wspolnyMaks = std::min(staryRaw.size(), nowyRaw.size());
    if (zgloszona) {
        const qsizetype p = zgloszona->pozycja;
        const qsizetype staryKoniec = p + zgloszona->usuniete;
        const qsizetype nowyKoniec = p + zgloszona->dodane;
        const bool pasuje = p >= 0 && staryKoniec <= staryRaw.size() && nowyKoniec <= nowyRaw.size() &&
                            staryRaw.size() - staryKoniec == nowyRaw.size() - nowyKoniec &&
                            staryRaw.left(p) == nowyRaw.left(p) &&
                            staryRaw.mid(staryKoniec) == nowyRaw.mid(nowyKoniec);
        if (pasuje) {
            wspolny = p;
            wspolnyMaks = p + std::min(zgloszona->usuniete, zgloszona->dodane);
        }
    }
    while (wspolny < wspolnyMaks && staryRaw[wspolny] == nowyRaw[wspolny]) {
        ++wspolny;
    }
    const qsizetype wspolnyKoniecMaks = std::min(staryRaw.size(), nowyRaw.size()) - wspolny;
    qsizetype wspolnyKoniec = 0;
    while (wspolnyKoniec < wspolnyKoniecMaks &&
           staryRaw[staryRaw.size() - 1 - wspolnyKoniec] == nowyRaw[nowyRaw.size() - 1 - wspolnyKoniec]) {
        ++wspolnyKoniec;
    }

    // Stored positions count a CR LF as one character.
    const auto pozycjaDokladna = [&](qsizetype odDokladnej, qsizetype odSurowej, qsizetype surowa) {
        while (odSurowej < surowa) {
            odDokladnej += std::max<qsizetype>(dlugoscPodzialu(dokladny, odDokladnej), 1);
            ++odSurowej;
        }
        return odDokladnej;
    };
    const qsizetype poczatek = pozycjaDokladna(0, 0, wspolny);
    const qsizetype koniec = pozycjaDokladna(poczatek, wspolny, staryRaw.size() - wspolnyKoniec);

    QString srodek;
    for (const QChar znak : nowyRaw.mid(wspolny, nowyRaw.size() - wspolnyKoniec - wspolny)) {
        if (znak == QChar(akapit)) {
            srodek.append(nowyPodzial);
        } else {
            srodek.append(znak);
        }
    }
    QString wynik = dokladny.left(poczatek);
    // A lone CR and an LF that an edit brings together would read back as one break;
    // the LF becomes a CR LF so both stay breaks.
    const auto zlacz = [&wynik](QStringView dalej) {
        if (!wynik.isEmpty() && wynik.back() == CR && !dalej.isEmpty() && dalej.front() == LF) {
            wynik.append(CR);
        }
        wynik.append(dalej);
    };
    zlacz(srodek);
    zlacz(QStringView(dokladny).mid(koniec));
    return wynik;
}

}  // namespace wiersze

PoleTekstowe::PoleTekstowe(QWidget* parent) : QPlainTextEdit(parent)
{
    connect(document(), &QTextDocument::contentsChange, this, &PoleTekstowe::dokumentZmieniony);
}

void PoleTekstowe::ustawTekst(const QString& tekst)
{
    ustawianie_ = true;
    setPlainText(tekst);
    ustawianie_ = false;
    dokladny_ = tekst;
    surowy_ = document()->toRawText();
    podzial_ = wiersze::rodzajPodzialu(tekst);
}

void PoleTekstowe::dokumentZmieniony(int pozycja, int usuniete, int dodane)
{
    if (ustawianie_) {
        return;
    }
    QString nowy = document()->toRawText();
    if (nowy == surowy_) {
        return;
    }
    dokladny_ = wiersze::zastosujZmiane(dokladny_, surowy_, nowy, podzial_,
                                        wiersze::Zmiana{pozycja, usuniete, dodane});
    surowy_ = std::move(nowy);
}
