#include "ui/opensave.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>

namespace ui {

namespace OpenSave {

namespace {

// Spaces only: any other white space belongs to the name.
QString bezSpacjiNaKoncu(QString tekst)
{
    while (tekst.endsWith(QLatin1Char(' '))) {
        tekst.chop(1);
    }
    return tekst;
}

QString bezSpacji(QString tekst)
{
    tekst = bezSpacjiNaKoncu(tekst);
    while (tekst.startsWith(QLatin1Char(' '))) {
        tekst.remove(0, 1);
    }
    return tekst;
}

// The file list formats sizes and dates in the system's locale, which may not be
// Polish; the rest of the dialog is. These two columns are written in Polish here.
class PolskieKolumny : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& indeks, int rola) const override
    {
        const auto* pliki = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (rola != Qt::DisplayRole || pliki == nullptr) {
            return QIdentityProxyModel::data(indeks, rola);
        }
        const QModelIndex zrodlowy = mapToSource(indeks);
        const QLocale polski(QLocale::Polish, QLocale::Poland);
        switch (indeks.column()) {
            case 1:
                return pliki->isDir(zrodlowy) ? QString() : polski.formattedDataSize(pliki->size(zrodlowy));
            case 3:
                return polski.toString(pliki->lastModified(zrodlowy), QLocale::ShortFormat);
            default:
                return QIdentityProxyModel::data(indeks, rola);
        }
    }
};

class DialogPlikow : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

protected:
    void accept() override
    {
        // The path comes back without trailing spaces, so the checks and questions must
        // be about that file: "wynik.txt " would otherwise replace wynik.txt unasked.
        if (auto* nazwa = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            const QString tekst = bezSpacjiNaKoncu(nazwa->text());
            if (tekst.isEmpty() && !nazwa->text().isEmpty()) {
                return;
            }
            if (tekst != nazwa->text()) {
                nazwa->setText(tekst);
            }
        }

        // Qt asks before replacing a file; this asks before creating one.
        const QString wybrany = selectedFiles().value(0);
        const QFileInfo plik(wybrany);
        if (acceptMode() == AcceptSave && !wybrany.isEmpty() && !plik.exists()) {
            const auto odpowiedz = QMessageBox::question(
                this, windowTitle(),
                QStringLiteral("Plik %1 nie istnieje.\nCzy chcesz go utworzyć?").arg(plik.fileName()),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
            if (odpowiedz != QMessageBox::Yes) {
                return;
            }
        }
        QFileDialog::accept();
    }
};

// Qt's own dialog rather than the desktop's, so it speaks Polish and behaves the same
// everywhere. Chosen before anything else is set: the other settings then go to it.
void przygotuj(QFileDialog& dialog, const QString& filtr, const QString& tytul, const QString& folder)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new PolskieKolumny(&dialog));
    dialog.setWindowTitle(tytul);
    // Without a folder the dialog opens where the last one was left.
    if (!folder.isEmpty()) {
        dialog.setDirectory(folder);
    }
    dialog.setNameFilters(filtryDialogu(filtr));
    // The list shows the filters' names as given; the patterns stay behind them.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
}

QString pokaz(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return bezSpacji(dialog.selectedFiles().value(0));
}

}  // namespace

QStringList filtryDialogu(const QString& filtr)
{
    QString pelny = filtr;
    if (!pelny.endsWith(QLatin1Char('|'))) {
        pelny += QLatin1Char('|');
    }
    QStringList elementy = pelny.split(QLatin1Char('|'));
    elementy.removeLast();
    QStringList filtry;
    for (qsizetype i = 0; i < elementy.size(); i += 2) {
        const QString nazwa = elementy.at(i).trimmed();
        QString wzorzec = i + 1 < elementy.size() ? elementy.at(i + 1).trimmed() : QString();
        if (nazwa.isEmpty() && wzorzec.isEmpty()) {
            continue;
        }
        // A name without a pattern lists every file.
        if (wzorzec.isEmpty()) {
            wzorzec = QStringLiteral("*");
        }
        // Patterns may be listed with semicolons; Qt separates them with spaces. "*.*"
        // means every file, also one without a dot in its name, as users know it.
        QStringList wzorce = wzorzec.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& jeden : wzorce) {
            jeden = jeden.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : jeden.trimmed();
        }
        wzorzec = wzorce.join(QLatin1Char(' '));
        filtry << QStringLiteral("%1 (%2)").arg(nazwa.isEmpty() ? wzorzec : nazwa, wzorzec);
    }
    return filtry;
}

namespace {

QString wybierz(QWidget* wlasciciel, const QString& filtr, const QString& tytul, const QString& folder,
                QFileDialog::AcceptMode tryb, QFileDialog::FileMode pliki)
{
    DialogPlikow dialog(wlasciciel);
    przygotuj(dialog, filtr, tytul, folder);
    dialog.setAcceptMode(tryb);
    dialog.setFileMode(pliki);
    return pokaz(dialog);
}

}  // namespace

QString ShowOpen(QWidget* wlasciciel, const QString& filtr, const QString& tytul, const QString& folder)
{
    return wybierz(wlasciciel, filtr, tytul, folder, QFileDialog::AcceptOpen, QFileDialog::ExistingFile);
}

QString ShowSave(QWidget* wlasciciel, const QString& filtr, const QString& tytul, const QString& folder)
{
    return wybierz(wlasciciel, filtr, tytul, folder, QFileDialog::AcceptSave, QFileDialog::AnyFile);
}

}  // namespace OpenSave

}  // namespace ui
