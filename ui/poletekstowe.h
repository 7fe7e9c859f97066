#pragma once

#include <QPlainTextEdit>
#include <QString>

#include "jobs/okno_konwersji.h"

namespace ui {

// A plain text editor that gives back exactly the text it was given: line breaks of
// every kind (CR LF, CR, LF, U+2029 and the frame marks U+FDD0, U+FDD1), no-break
// spaces, line separators and control characters. The editor itself keeps only
// paragraphs, so each paragraph's format remembers the break that precedes it (or the
// first one's, the break most of them share); Qt keeps formats through edits, undo and
// redo, and a new line takes the break of the line it was split from.
class PoleTekstowe : public QPlainTextEdit, public jobs::PoleKonwersji {
    Q_OBJECT

public:
    explicit PoleTekstowe(QWidget* parent = nullptr);

    QString tekst() const override;
    // A new text, with the undo history gone.
    void ustawTekst(const QString& tekst);
    // The whole text replaced as one edit that Ctrl+Z takes back. Filling the box right
    // after emptying it this way, with no other change between, joins that same edit.
    void zastapTekst(const QString& tekst) override;
    jobs::Zaznaczenie zaznaczenie() const override;
    void zaznacz(jobs::Zaznaczenie zaznaczenie) override;
    void ustawFokus() override;

protected:
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* zrodlo) const override;
    void insertFromMimeData(const QMimeData* zrodlo) override;

private:
    QString fragment(int od, int doPozycji) const;
    QString podzialPrzed(const QTextBlock& akapit) const;
    void wstaw(QTextCursor& kursor, const QString& tekst);
    void oznaczPodzialy(QTextCursor& kursor, const QString& tekst);

    bool oproznione_ = false;
};

}  // namespace ui
