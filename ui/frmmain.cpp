#include "ui/frmmain.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDropEvent>
#include <QEventLoopLocker>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "engine/standardy.h"
#include "jobs/konwertuj.h"
#include "ui/opensave.h"
#include "ui/poletekstowe.h"
#include "ui/rozpoznanie_w_oknie.h"
#include "ui/uklad_okna.h"

#ifndef ZNAKOMAT_DOKUMENTY
#error "ZNAKOMAT_DOKUMENTY must name the documentation folder relative to the program's"
#endif

namespace ui {

namespace {

// A control where the window's layout puts it.
template <class Kontrolka>
Kontrolka* utworz(QWidget* rodzic, const char* nazwa)
{
    const auto wiersz = std::ranges::find(UKLAD_OKNA, std::string_view(nazwa), &UkladKontrolki::nazwa);
    if (wiersz == UKLAD_OKNA.end()) {
        qFatal("No place for the control %s in the window's layout", nazwa);
    }
    auto* kontrolka = new Kontrolka(rodzic);
    kontrolka->setObjectName(QString::fromLatin1(nazwa));
    kontrolka->setGeometry(wiersz->piksele());
    return kontrolka;
}

QLabel* etykieta(QWidget* rodzic, const char* nazwa, const QString& tekst)
{
    auto* label = utworz<QLabel>(rodzic, nazwa);
    label->setText(tekst);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// Return and Enter press the focused button, as Space does.
class Przycisk : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* zdarzenie) override
    {
        const bool zatwierdzenie = zdarzenie->key() == Qt::Key_Return || zdarzenie->key() == Qt::Key_Enter;
        if (zatwierdzenie && !zdarzenie->isAutoRepeat() &&
            (zdarzenie->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            click();
            return;
        }
        QPushButton::keyPressEvent(zdarzenie);
    }
};

QPushButton* przycisk(QWidget* rodzic, const char* nazwa, const QString& tekst)
{
    QPushButton* button = utworz<Przycisk>(rodzic, nazwa);
    button->setText(tekst);
    button->setAutoDefault(false);
    return button;
}

QGroupBox* ramka(QWidget* rodzic, const char* nazwa, const QString& tytul)
{
    auto* frame = utworz<QGroupBox>(rodzic, nazwa);
    frame->setTitle(tytul);
    return frame;
}

// The one local file, not a folder, that a drag carries; otherwise an empty string.
QString przeciaganyPlik(const QMimeData* dane)
{
    if (dane == nullptr || !dane->hasUrls()) {
        return {};
    }
    const QList<QUrl> adresy = dane->urls();
    if (adresy.size() != 1 || !adresy.first().isLocalFile()) {
        return {};
    }
    const QString sciezka = adresy.first().toLocalFile();
    return QFileInfo(sciezka).isDir() ? QString() : sciezka;
}

// The users' page where the program runs from: installed, or in its build folder.
QString stronaUzytkownikow()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/" ZNAKOMAT_DOKUMENTY "/znakomat.html"));
}

QFont czcionkaEtykiety(const QFont& podstawowa, qreal punkty, bool pogrubiona)
{
    QFont czcionka = podstawowa;
    czcionka.setPointSizeF(punkty);
    czcionka.setBold(pogrubiona);
    return czcionka;
}

}  // namespace

frmMain::frmMain(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Znakomat  v 1.2"));
    setFixedSize(ROZMIAR_OKNA);
    utworzKontrolki();
    ustawKolejnoscTabulacji();
    zaladuj();
    rozpoznanie_ =
        std::make_unique<RozpoznanieWOknie>(Combo1, Text2, Text1, [this] { return konwersjaTrwa_; });
    // A file dropped anywhere on the window, also on the boxes that take dropped text.
    setAcceptDrops(true);
    for (QWidget* cel : {static_cast<QWidget*>(this), Text1->viewport(), static_cast<QWidget*>(Text2),
                         static_cast<QWidget*>(Text3)}) {
        cel->installEventFilter(this);
    }
}

frmMain::~frmMain() = default;

void frmMain::utworzKontrolki()
{
    Frame1 = ramka(this, "Frame1", QStringLiteral("Opcje"));
    Combo1 = utworz<QComboBox>(Frame1, "Combo1");
    Combo2 = utworz<QComboBox>(Frame1, "Combo2");
    Command2 = przycisk(this, "Command2", QStringLiteral("Wklej ze schowka"));
    Command1 = przycisk(this, "Command1", QStringLiteral("Konwertuj"));
    Command3 = przycisk(this, "Command3", QStringLiteral("Kopiuj do schowka"));
    Command4 = przycisk(this, "Command4", QStringLiteral("WWW"));
    Command5 = przycisk(this, "Command5", QStringLiteral("Koniec"));
    Label2 = etykieta(Frame1, "Label2", QStringLiteral("chcę je przekonwertować na"));
    Label1 =
        etykieta(Frame1, "Label1", QStringLiteral("Konwertowany tekst ma ogonki zapisane w standardzie"));
    // The lists lie over the labels' right ends, as on the original form.
    Label1->lower();
    Label2->lower();

    Toolbar = new QButtonGroup(this);
    Toolbar->setObjectName(QStringLiteral("Toolbar"));
    Toolbar0 = przycisk(this, "Toolbar_0", QStringLiteral("Konwersja tekstu ze schowka"));
    Toolbar1 = przycisk(this, "Toolbar_1", QStringLiteral("Konwersja pliku tekstowego"));
    for (QPushButton* opcja : {Toolbar0, Toolbar1}) {
        opcja->setCheckable(true);
        // One choice of two: screen readers hear two radio buttons, the selected one
        // checked, and the arrows move between them.
        opcja->setAutoExclusive(true);
    }
    Toolbar->addButton(Toolbar0, 0);
    Toolbar->addButton(Toolbar1, 1);
    Toolbar->setExclusive(true);
    // Tab stops at the selected one only. Qt moves that stop when a button takes the focus,
    // not when the mode is chosen from code (a file given at start or dropped on the window).
    connect(Toolbar, &QButtonGroup::idToggled, this, [this] {
        for (QPushButton* opcja : {Toolbar0, Toolbar1}) {
            opcja->setFocusPolicy(opcja->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        }
    });
    Toolbar0->setChecked(true);
    connect(Toolbar, &QButtonGroup::idClicked, this, &frmMain::przelaczTryb);

    Label3 = etykieta(this, "Label3", QStringLiteral("Tryb działania programu"));
    Label3->setFont(czcionkaEtykiety(font(), 12, false));

    Frame2 = ramka(this, "Frame2", QStringLiteral("Tekst do konwersji"));
    Text1 = utworz<PoleTekstowe>(Frame2, "Text1");
    Text1->setLineWrapMode(PoleTekstowe::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setTabChangesFocus(true);

    Frame3 = ramka(this, "Frame3", QStringLiteral("Konwersja pliku tekstowego"));
    Label4 = etykieta(Frame3, "Label4", QStringLiteral("Plik wejściowy"));
    Text2 = utworz<QLineEdit>(Frame3, "Text2");
    Label5 = etykieta(Frame3, "Label5", QStringLiteral("Plik wyjściowy"));
    Text3 = utworz<QLineEdit>(Frame3, "Text3");
    Label6 = etykieta(Frame3, "Label6", QStringLiteral("Pomoc:"));
    Label6->setFont(czcionkaEtykiety(font(), 8.25, true));
    Label7 =
        etykieta(Frame3, "Label7",
                 QStringLiteral("Jako plik wejściowy podajesz nazwę pliku który chcesz przekonwertować. "
                                "Plik wyjściowy to plik wejściowy w którym zostaną przekonwertowane ogonki. "
                                "Ze względów bezpieczeństwa (lepiej zawsze jest mieć kopię konwertowanego "
                                "pliku) program nie pozwala aby plik wyjściowy miał taką samą nazwę jak plik "
                                "wejściowy"));
    Label7->setWordWrap(true);
    Command6 = przycisk(Frame3, "Command6", QStringLiteral("..."));
    Command7 = przycisk(Frame3, "Command7", QStringLiteral("..."));
    Frame3->hide();

    Label8 = etykieta(Frame2, "Label8", QStringLiteral("UWAGA:"));
    Label8->setFont(czcionkaEtykiety(font(), 8.25, true));
    Label9 = etykieta(
        Frame2, "Label9",
        QStringLiteral("Ze względu na ograniczenia windowsa do pola tekstowego możesz wkleić "
                       "maksymalnie około 32.000 znaków. Jeśli tekst który chcesz konwertować jest "
                       "dłuższy to będzie ucięty. \r\n\r\nDlatego przy dłuższych tekstach do konwersji "
                       "należy konwertować pliki tekstowe"));
    Label9->setWordWrap(true);
    opiszDlaCzytnikowEkranu();

    connect(Command1, &QPushButton::clicked, this, &frmMain::konwertuj);
    connect(Command2, &QPushButton::clicked, this, &frmMain::wklej);
    connect(Command3, &QPushButton::clicked, this, &frmMain::kopiuj);
    connect(Command6, &QPushButton::clicked, this, &frmMain::wybierzWejscie);
    connect(Command7, &QPushButton::clicked, this, &frmMain::wybierzWyjscie);
    connect(Command4, &QPushButton::clicked, this, &frmMain::otworzStroneDomowa);
    connect(Command5, &QPushButton::clicked, this, &frmMain::zakoncz);
}

void frmMain::ustawKolejnoscTabulacji()
{
    QWidget* poprzednia = nullptr;
    for (const std::string_view nazwa : KOLEJNOSC_TABULACJI) {
        auto* kontrolka = findChild<QWidget*>(QLatin1StringView(nazwa.data(), nazwa.size()));
        if (poprzednia != nullptr) {
            setTabOrder(poprzednia, kontrolka);
        }
        poprzednia = kontrolka;
    }
    Combo1->setFocus();
}

void frmMain::zaladuj()
{
    tag_ = windowTitle();
    for (int i = 0; i < engine::LICZBA_STANDARDOW; ++i) {
        const QString nazwa = QString::fromUtf8(engine::Standardy(i).Nazwa);
        Combo1->addItem(nazwa);
        Combo2->addItem(nazwa);
    }
    Combo1->setCurrentIndex(engine::WINDOWS_EE);
    Combo2->setCurrentIndex(engine::ISO_LATIN_2);
}

QString frmMain::tekstKroku(const QString& tytul, int krok)
{
    return tytul + QStringLiteral("  - krok ") + QString::number(krok) + QStringLiteral(" z 18");
}

bool frmMain::trybTekstowy() const
{
    return Toolbar0->isChecked();
}

void frmMain::przelaczTryb()
{
    const bool tekstowy = trybTekstowy();
    // During a conversion the mode buttons stay usable, but the clipboard buttons must
    // not come back before the job ends.
    Command2->setEnabled(tekstowy && !konwersjaTrwa_);
    Command3->setEnabled(tekstowy && !konwersjaTrwa_);
    Frame2->setVisible(tekstowy);
    Frame3->setVisible(!tekstowy);
    if (rozpoznanie_) {
        rozpoznanie_->zmienionoTryb(!tekstowy);
    }
}

void frmMain::otworzPlik(const QString& sciezka)
{
    Toolbar1->setChecked(true);
    przelaczTryb();
    Text2->setText(sciezka);
    rozpoznanie_->rozpoznajWejscie();
}

bool frmMain::eventFilter(QObject* obiekt, QEvent* zdarzenie)
{
    switch (zdarzenie->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* przeciaganie = static_cast<QDragMoveEvent*>(zdarzenie);
            if (!przeciaganyPlik(przeciaganie->mimeData()).isEmpty()) {
                przeciaganie->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop: {
            auto* upuszczenie = static_cast<QDropEvent*>(zdarzenie);
            const QString plik = przeciaganyPlik(upuszczenie->mimeData());
            if (!plik.isEmpty()) {
                upuszczenie->acceptProposedAction();
                // The output box takes the file as the output; anywhere else it is the input.
                if (obiekt == Text3) {
                    Text3->setText(plik);
                } else {
                    otworzPlik(plik);
                }
                return true;
            }
            break;
        }
        default:
            break;
    }
    return QWidget::eventFilter(obiekt, zdarzenie);
}

void frmMain::EnabledX(bool x)
{
    // Disabling the focused button moves the focus on, maybe to a mode button, where the
    // next Return would switch the mode: enabling gives it back where it was.
    if (!x) {
        fokusPrzedWylaczeniem_ = focusWidget();
    }
    Command1->setEnabled(x);
    Command2->setEnabled(x && trybTekstowy());
    Command3->setEnabled(x && trybTekstowy());
    Command4->setEnabled(x);
    Command5->setEnabled(x);
    Text1->setEnabled(x);
    Frame1->setEnabled(x);
    if (x && fokusPrzedWylaczeniem_ != nullptr) {
        if (fokusPrzedWylaczeniem_->isEnabled() && fokusPrzedWylaczeniem_->isVisible()) {
            fokusPrzedWylaczeniem_->setFocus(Qt::OtherFocusReason);
        }
        fokusPrzedWylaczeniem_ = nullptr;
    }
}

void frmMain::przywrocTytul()
{
    setWindowTitle(tag_);
}

void frmMain::pokazKrok(int krok)
{
    setWindowTitle(tekstKroku(tag_, krok));
}

void frmMain::otworzStroneDomowa()
{
    // Which browser opens is the desktop's business; that none can be started, or that
    // there is no page to show, is told, or the button would seem dead.
    const QString strona = stronaUzytkownikow();
    if (!QFileInfo(strona).isFile()) {
        ostrzezenie(QStringLiteral("Nie ma opisu programu tam, gdzie powinien być: ") + strona,
                    QStringLiteral("Zainstaluj program ponownie albo zbuduj go od nowa."));
    } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(strona))) {
        ostrzezenie(QStringLiteral("Nie mogę uruchomić przeglądarki, by pokazać opis programu: ") + strona,
                    QStringLiteral("Zainstaluj pakiet xdg-utils albo otwórz ten plik w przeglądarce."));
    }
    QCoreApplication::processEvents();
    if (trybTekstowy()) {
        Text1->setFocus();
    }
}

void frmMain::zakoncz()
{
    // At once: no confirmation and no close handling.
    QCoreApplication::exit(0);
}

int frmMain::pozycjaZrodla() const
{
    return Combo1->currentIndex();
}

int frmMain::pozycjaCelu() const
{
    return Combo2->currentIndex();
}

void frmMain::przetworzZdarzenia()
{
    QCoreApplication::processEvents();
}

void frmMain::ostrzezenie(const QString& tekst, const QString& przyczyna)
{
    QMessageBox okno(QMessageBox::Warning, QStringLiteral("Błąd"), tekst, QMessageBox::Ok, this);
    okno.setInformativeText(przyczyna);
    okno.exec();
}

bool frmMain::informacja(const QString& tytul, const QString& tekst, const QString& objasnienie,
                         const QString& dzialanie)
{
    QMessageBox okno(QMessageBox::Information, tytul, tekst, QMessageBox::Ok, this);
    okno.setInformativeText(objasnienie);
    QPushButton* przycisk = nullptr;
    if (!dzialanie.isEmpty()) {
        przycisk = okno.addButton(dzialanie, QMessageBox::ActionRole);
        // Return and Escape keep the usual result; the other one is chosen on purpose.
        okno.setDefaultButton(QMessageBox::Ok);
        okno.setEscapeButton(QMessageBox::Ok);
    }
    okno.exec();
    return przycisk != nullptr && okno.clickedButton() == przycisk;
}

QString frmMain::nazwaWejscia() const
{
    return Text2->text();
}

QString frmMain::nazwaWyjscia() const
{
    return Text3->text();
}

template <class Dzialanie>
void frmMain::bezpiecznie(Dzialanie&& dzialanie)
{
    try {
        dzialanie();
    } catch (const std::exception& blad) {
        // A fault must not take the user's window and text with it: report it and carry on.
        przywrocTytul();
        EnabledX(true);
        ostrzezenie(QStringLiteral("Wystąpił nieoczekiwany błąd: ") + QString::fromLocal8Bit(blad.what()));
    }
}

template <class Dzialanie>
void frmMain::jakoZadanie(Dzialanie&& dzialanie)
{
    // A click queued while a job was busy may arrive once its button is enabled again.
    if (konwersjaTrwa_) {
        return;
    }
    // A window closed meanwhile ends the program only once the job has returned.
    const QEventLoopLocker bezWyjscia;
    konwersjaTrwa_ = true;
    bezpiecznie(std::forward<Dzialanie>(dzialanie));
    konwersjaTrwa_ = false;
    zamknietoWTrakcie_ = false;
}

void frmMain::konwertuj()
{
    if (konwersjaTrwa_) {
        return;
    }
    // Before the job starts, so that a verdict taken now is applied, not kept for its end.
    bezpiecznie([this] { rozpoznanie_->przedKonwersja(!trybTekstowy()); });
    jakoZadanie([this] { jobs::KomendaKonwertuj(*this); });
    rozpoznanie_->poKonwersji();
}

void frmMain::wklej()
{
    jakoZadanie([this] {
        // The box lets the window's events run while it takes a long text: nothing else
        // may change or read it meanwhile.
        EnabledX(false);
        const QString wklejony = jobs::WklejZeSchowka(*Text1);
        EnabledX(true);
        rozpoznanie_->rozpoznajPole(wklejony);
    });
}

void frmMain::kopiuj()
{
    bezpiecznie([this] { jobs::KopiujDoSchowka(*Text1); });
}

jobs::PoleKonwersji& frmMain::pole()
{
    return *Text1;
}

void frmMain::closeEvent(QCloseEvent* zdarzenie)
{
    // The window closes at once, also during a job: a commit under way cannot be broken
    // off and may take seconds. The job is asked to stop; it leaves the output as it was
    // (or whole, once it is being replaced) and shows no box.
    zamknietoWTrakcie_ = konwersjaTrwa_;
    QWidget::closeEvent(zdarzenie);
}

namespace {
const QString filtrPlikow = QStringLiteral("Pliki tekstowe|*.txt|Wszystkie pliki|*.*");
}

QString frmMain::folderWejscia() const
{
    // The output usually goes beside its input; without an input, where the dialog is.
    const QString wejscie = Text2->text();
    if (wejscie.isEmpty()) {
        return {};
    }
    const QFileInfo plik(wejscie);
    return plik.absoluteDir().exists() ? plik.absolutePath() : QString();
}

void frmMain::wybierzWejscie()
{
    const QString sciezka =
        OpenSave::ShowOpen(this, filtrPlikow, QStringLiteral("Wybierz plik wejściowy"), QString());
    if (!sciezka.isEmpty()) {
        Text2->setText(sciezka);
        rozpoznanie_->rozpoznajWejscie();
        Text2->setFocus();
    }
}

void frmMain::wybierzWyjscie()
{
    const QString sciezka = OpenSave::ShowSave(
        this, filtrPlikow, QStringLiteral("Wybierz (lub utwórz nowy) plik wyjściowy"), folderWejscia());
    if (!sciezka.isEmpty()) {
        Text3->setText(sciezka);
        Text3->setFocus();
    }
}

}  // namespace ui

namespace ui {

void frmMain::opiszDlaCzytnikowEkranu()
{
    // Without names a screen reader calls both file boxes by their frame's title and
    // both browse buttons "...". On Linux Qt gives a list's value as its name, so the
    // lists are also labelled by the texts before them.
    Label1->setBuddy(Combo1);
    Label2->setBuddy(Combo2);
    Label4->setBuddy(Text2);
    Label5->setBuddy(Text3);
    Text1->setAccessibleName(Frame2->title());
    Text2->setAccessibleName(Label4->text());
    Text3->setAccessibleName(Label5->text());
    Combo1->setAccessibleName(QStringLiteral("Standard źródłowy"));
    Combo1->setAccessibleDescription(QStringLiteral("Standard, w którym tekst ma zapisane polskie litery"));
    Combo2->setAccessibleName(QStringLiteral("Standard docelowy"));
    Combo2->setAccessibleDescription(QStringLiteral("Standard, na który zostaną zamienione polskie litery"));

    const auto opisz = [](QWidget* kontrolka, const QString& nazwa, const QString& opis) {
        kontrolka->setAccessibleName(nazwa);
        kontrolka->setAccessibleDescription(opis);
    };
    opisz(Command1, Command1->text(), QStringLiteral("Zamienia polskie litery tekstu albo pliku"));
    opisz(Command2, Command2->text(), QStringLiteral("Wstawia do pola tekst ze schowka"));
    opisz(Command3, Command3->text(), QStringLiteral("Kopiuje tekst z pola do schowka"));
    opisz(Command4, Command4->text(), QStringLiteral("Otwiera w przeglądarce opis programu"));
    opisz(Command5, Command5->text(), QStringLiteral("Zamyka program"));
    for (QPushButton* opcja : {Toolbar0, Toolbar1}) {
        opisz(opcja, opcja->text(), Label3->text());
    }
    opisz(Command6, QStringLiteral("Wybierz plik wejściowy"),
          QStringLiteral("Otwiera okno wyboru pliku wejściowego"));
    opisz(Command7, QStringLiteral("Wybierz plik wyjściowy"),
          QStringLiteral("Otwiera okno wyboru lub utworzenia pliku wyjściowego"));
    Command6->setToolTip(Command6->accessibleName());
    Command7->setToolTip(Command7->accessibleName());
}

}  // namespace ui
