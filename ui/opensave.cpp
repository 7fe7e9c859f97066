#include "opensave.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace OpenSave {

namespace {

// The save dialog asks before replacing a file (Qt does that itself) and also before
// creating one that does not exist yet.
class DialogZapisu : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

protected:
    void accept() override
    {
        const QString wybrany = selectedFiles().value(0);
        const QFileInfo plik(wybrany);
        if (!wybrany.isEmpty() && !plik.exists()) {
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

QString pokaz(QFileDialog& dialog, const QString& filtr)
{
    // Qt's own dialog, so it speaks Polish and behaves the same on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(filtryDialogu(filtr));
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0).trimmed();
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
        // A name without a pattern lists every file.
        QString wzorzec = i + 1 < elementy.size() ? elementy[i + 1].trimmed() : QString();
        if (wzorzec.isEmpty()) {
            wzorzec = QStringLiteral("*");
        }
        filtry << QStringLiteral("%1 (%2)").arg(elementy[i],
                                                wzorzec.replace(QLatin1Char(';'), QLatin1Char(' ')));
    }
    return filtry;
}

QString ShowOpen(QWidget* wlasciciel, const QString& filtr, const QString& tytul, const QString& folder)
{
    QFileDialog dialog(wlasciciel, tytul, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    return pokaz(dialog, filtr);
}

QString ShowSave(QWidget* wlasciciel, const QString& filtr, const QString& tytul, const QString& folder)
{
    DialogZapisu dialog(wlasciciel, tytul, folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    return pokaz(dialog, filtr);
}

}  // namespace OpenSave
