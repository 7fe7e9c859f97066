#include "ui/poletekstowe.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <optional>

#include "jobs/schowek.h"

namespace ui {

namespace {

constexpr int wlasnoscPodzialu = QTextFormat::UserProperty + 1;
// On the first paragraph, which no break precedes: the break of every paragraph unmarked.
constexpr int wlasnoscDomyslna = QTextFormat::UserProperty + 2;

// The kinds of line break, by index.
const std::array<QString, 6> podzialy = {QStringLiteral("\n"),   QStringLiteral("\r\n"),
                                         QStringLiteral("\r"),   QString(QChar(0x2029)),
                                         QString(QChar(0xFDD0)), QString(QChar(0xFDD1))};

// The kind of the line break at `i` and its length, or length 0 where there is none.
std::pair<int, qsizetype> podzialW(const QString& tekst, qsizetype i)
{
    switch (tekst[i].unicode()) {
        case u'\n':
            return {0, 1};
        case u'\r':
            return i + 1 < tekst.size() && tekst[i + 1] == u'\n' ? std::pair<int, qsizetype>{1, 2}
                                                                 : std::pair<int, qsizetype>{2, 1};
        case 0x2029:
            return {3, 1};
        case 0xFDD0:
            return {4, 1};
        case 0xFDD1:
            return {5, 1};
        default:
            return {0, 0};
    }
}

// Where the piece of `tekst` that starts at `od` ends: after the first line break once
// KAWALEK characters are in, or at the text's end.
qsizetype koniecKawalka(const QString& tekst, qsizetype od)
{
    // A few hundredths of a second of the editor's work.
    constexpr qsizetype KAWALEK = qsizetype{256} << 10;
    for (qsizetype i = od + KAWALEK; i < tekst.size(); ++i) {
        if (const qsizetype dlugosc = podzialW(tekst, i).second) {
            return i + dlugosc;
        }
    }
    return tekst.size();
}

QTextBlockFormat zPodzialem(QTextBlockFormat format, int rodzaj)
{
    format.setProperty(wlasnoscPodzialu, rodzaj);
    return format;
}

}  // namespace

PoleTekstowe::PoleTekstowe(QWidget* parent) : QPlainTextEdit(parent)
{
    connect(document(), &QTextDocument::contentsChanged, this, [this] { oproznione_ = false; });
}

void PoleTekstowe::ustawTekst(const QString& tekst)
{
    setPlainText(tekst);
    document()->setUndoRedoEnabled(false);
    QTextCursor kursor(document());
    oznaczPodzialy(kursor, tekst);
    document()->setUndoRedoEnabled(true);
}

void PoleTekstowe::zastapTekst(const QString& tekst)
{
    QTextCursor kursor(document());
    const bool bylTekst = !document()->isEmpty();
    bool dolacz = oproznione_;
    qsizetype od = 0;
    do {
        // Each piece joins the edit the first one began, so Ctrl+Z still takes back the whole.
        if (dolacz) {
            kursor.joinPreviousEditBlock();
        } else {
            kursor.beginEditBlock();
        }
        if (od == 0) {
            kursor.select(QTextCursor::Document);
            kursor.removeSelectedText();
            kursor.setBlockFormat(QTextBlockFormat());
        }
        // One insertion splits the paragraphs at the same breaks as podzialW; a piece ends
        // after a whole break, so CR LF is never cut in two.
        const qsizetype doKonca = koniecKawalka(tekst, od);
        kursor.insertText(tekst.mid(od, doKonca - od));
        od = doKonca;
        if (od == tekst.size()) {
            oznaczPodzialy(kursor, tekst);
        }
        kursor.endEditBlock();
        dolacz = true;
        // Megabytes of paragraphs take the editor seconds: the window paints and answers
        // between the pieces. The window keeps its other controls from the box meanwhile.
        if (od < tekst.size()) {
            QCoreApplication::processEvents();
        }
    } while (od < tekst.size());
    // Emptying an empty box is no edit, and there is nothing to join.
    oproznione_ = tekst.isEmpty() && bylTekst;
}

// Marks the paragraphs of a document that holds exactly `tekst`: the first one with the
// text's first break, which the others follow unless marked with a break of their own.
// Only those are marked, which is none for most texts. The marks are formats, so undo
// and redo bring them back with the text.
void PoleTekstowe::oznaczPodzialy(QTextCursor& kursor, const QString& tekst)
{
    std::optional<int> domyslny;
    int numerAkapitu = 0;
    for (qsizetype i = 0; i < tekst.size(); ++i) {
        const auto [rodzaj, dlugosc] = podzialW(tekst, i);
        if (dlugosc == 0) {
            continue;
        }
        ++numerAkapitu;
        if (!domyslny) {
            domyslny = rodzaj;
            QTextBlockFormat pierwszy = document()->begin().blockFormat();
            pierwszy.setProperty(wlasnoscDomyslna, rodzaj);
            kursor.setPosition(0);
            kursor.setBlockFormat(pierwszy);
        }
        // Found by number only when marked: walking every paragraph of a long text takes long.
        if (rodzaj != *domyslny) {
            const QTextBlock akapit = document()->findBlockByNumber(numerAkapitu);
            kursor.setPosition(akapit.position());
            kursor.setBlockFormat(zPodzialem(akapit.blockFormat(), rodzaj));
        }
        i += dlugosc - 1;
    }
    kursor.movePosition(QTextCursor::End);
}

QString PoleTekstowe::podzialPrzed(const QTextBlock& akapit) const
{
    QVariant rodzaj = akapit.blockFormat().property(wlasnoscPodzialu);
    if (!rodzaj.isValid()) {
        rodzaj = document()->begin().blockFormat().property(wlasnoscDomyslna);
    }
    return podzialy[static_cast<std::size_t>(rodzaj.isValid() ? rodzaj.toInt() : 0)];
}

QString PoleTekstowe::tekst() const
{
    return fragment(0, document()->characterCount() - 1);
}

// The exact text between two editor positions; a paragraph break counts as one.
jobs::Zaznaczenie PoleTekstowe::zaznaczenie() const
{
    const QTextCursor kursor = textCursor();
    return {kursor.selectionStart(), kursor.selectionEnd() - kursor.selectionStart()};
}

void PoleTekstowe::zaznacz(jobs::Zaznaczenie zaznaczenie)
{
    const int dlugoscTekstu = document()->characterCount() - 1;
    const int poczatek = std::clamp(zaznaczenie.poczatek, 0, dlugoscTekstu);
    const int dlugosc = std::clamp(zaznaczenie.dlugosc, 0, dlugoscTekstu - poczatek);
    QTextCursor kursor = textCursor();
    kursor.setPosition(poczatek);
    kursor.setPosition(poczatek + dlugosc, QTextCursor::KeepAnchor);
    setTextCursor(kursor);
}

void PoleTekstowe::ustawFokus()
{
    if (isVisible()) {
        setFocus();
    }
}

QString PoleTekstowe::fragment(int od, int doPozycji) const
{
    QString wynik;
    for (QTextBlock akapit = document()->findBlock(od); akapit.isValid() && akapit.position() <= doPozycji;
         akapit = akapit.next()) {
        const int poczatek = akapit.position();
        if (poczatek > od) {
            const QString podzial = podzialPrzed(akapit);
            // A lone CR right before an LF would read back as one break: it becomes CR LF.
            if (podzial == QLatin1String("\n") && wynik.endsWith(QLatin1Char('\r'))) {
                wynik += QLatin1Char('\n');
            }
            wynik += podzial;
        }
        const QString tresc = akapit.text();
        const int zTresci = std::max(od - poczatek, 0);
        wynik += QStringView(tresc).mid(
            zTresci, std::max(0, std::min<int>(tresc.size(), doPozycji - poczatek) - zTresci));
    }
    return wynik;
}

QMimeData* PoleTekstowe::createMimeDataFromSelection() const
{
    // The editor's own copy would turn no-break spaces into spaces and every break into LF.
    const QTextCursor kursor = textCursor();
    auto* dane = new QMimeData;
    dane->setText(fragment(kursor.selectionStart(), kursor.selectionEnd()));
    return dane;
}

bool PoleTekstowe::canInsertFromMimeData(const QMimeData* zrodlo) const
{
    // A program that names the encoding offers only that format, which Qt reads as text
    // but does not count as text.
    return QPlainTextEdit::canInsertFromMimeData(zrodlo) ||
           zrodlo->hasFormat(QStringLiteral("text/plain;charset=utf-8"));
}

void PoleTekstowe::insertFromMimeData(const QMimeData* zrodlo)
{
    if (zrodlo == nullptr || !canInsertFromMimeData(zrodlo)) {
        return;
    }
    QTextCursor kursor = textCursor();
    kursor.beginEditBlock();
    kursor.removeSelectedText();
    wstaw(kursor, jobs::tekstZeSchowka(*zrodlo));
    kursor.endEditBlock();
    setTextCursor(kursor);
    ensureCursorVisible();
}

// Inserts a text with its own line breaks, one paragraph at a time.
void PoleTekstowe::wstaw(QTextCursor& kursor, const QString& tekst)
{
    qsizetype poczatek = 0;
    for (qsizetype i = 0; i < tekst.size(); ++i) {
        const auto [rodzaj, dlugosc] = podzialW(tekst, i);
        if (dlugosc == 0) {
            continue;
        }
        kursor.insertText(tekst.mid(poczatek, i - poczatek));
        kursor.insertBlock(zPodzialem(kursor.blockFormat(), rodzaj));
        i += dlugosc - 1;
        poczatek = i + 1;
    }
    kursor.insertText(tekst.mid(poczatek));
}

}  // namespace ui
