#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QStringView>

#include <optional>

// The editor turns every line break (CR LF, CR, LF, U+2029 and the two frame marks
// U+FDD0, U+FDD1) into one paragraph break of its own, so the text it gives back is not
// the text it was given. These functions keep the exact text beside it.
namespace wiersze {

// The text as the editor stores it: each line break replaced by U+2029.
QString surowy(QStringView dokladny);

// The kind of line break new lines get: the text's first one, or LF.
QString rodzajPodzialu(QStringView dokladny);

// Where the editor says an edit happened: `usuniete` stored characters from `pozycja`
// were replaced by `dodane` new ones.
struct Zmiana {
    qsizetype pozycja = 0;
    qsizetype usuniete = 0;
    qsizetype dodane = 0;
};

// Applies to the exact text the edit that turned `staryRaw`, its stored form, into
// `nowyRaw`. Everything outside the edit keeps its characters and line breaks; breaks
// typed in the edit get `nowyPodzial`. Without a reported place, or with one that does
// not fit the two texts, the edit is found by comparing them.
QString zastosujZmiane(const QString& dokladny, QStringView staryRaw, QStringView nowyRaw,
                       QStringView nowyPodzial, std::optional<Zmiana> zgloszona = std::nullopt);

}  // namespace wiersze

// A plain text editor that gives back exactly the text it was given, line breaks,
// no-break spaces and control characters included, and keeps that text's line breaks
// when the user edits it.
class PoleTekstowe : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit PoleTekstowe(QWidget* parent = nullptr);

    QString tekst() const { return dokladny_; }
    void ustawTekst(const QString& tekst);

private:
    void dokumentZmieniony(int pozycja, int usuniete, int dodane);

    QString dokladny_;
    QString surowy_;
    QString podzial_ = QStringLiteral("\n");
    bool ustawianie_ = false;
};
