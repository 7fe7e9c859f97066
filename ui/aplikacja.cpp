#include "ui/aplikacja.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QStyleFactory>
#include <QTranslator>
#include <QWidget>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "ui/znakomat.xpm"

namespace ui {

void przygotujAplikacje(QApplication& aplikacja)
{
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    przetlumaczQt(aplikacja);

    // The layout is fixed in pixels; a fixed style and a face narrow enough for the
    // longest captions keep every text whole on any desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont czcionka(QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                               QStringLiteral("DejaVu Sans")});
    czcionka.setPointSizeF(7.5);
    QApplication::setFont(czcionka);
    // Frame captions sit on the frame's top line, so the controls inside keep their place.
    aplikacja.setStyleSheet(
        QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
                       "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                       " left: 6px; padding: 0px 2px; }"));

    // Qt's file dialogs keep their last folder, history and view in the user's settings
    // and read them back on the next run. The program keeps no state between runs, so
    // Qt's settings go where no file can be made or found.
    for (const auto zasieg : {QSettings::UserScope, QSettings::SystemScope}) {
        QSettings::setPath(QSettings::NativeFormat, zasieg, QStringLiteral("/dev/null"));
    }

    QCoreApplication::setApplicationVersion(QStringLiteral(ZNAKOMAT_WERSJA));
    QApplication::setWindowIcon(ikonaZnakomatu());
    // On Wayland the compositor finds the menu entry (and its icon) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(ZNAKOMAT_ID));
}

void przetlumaczQt(QCoreApplication& aplikacja)
{
    // Whatever the user's locale: the program speaks Polish only.
    auto* tlumaczenie = new QTranslator(&aplikacja);
    if (tlumaczenie->load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(tlumaczenie);
    }
}

QIcon ikonaZnakomatu()
{
    // At higher scales each pixel of the picture becomes a square block, as in the installed
    // icons; Qt would otherwise enlarge the 32-pixel picture smoothly and blur it.
    const QPixmap obrazek(ikona_znakomat);
    QIcon ikona(obrazek);
    for (const int skala : {2, 3, 4}) {
        ikona.addPixmap(
            obrazek.scaled(obrazek.size() * skala, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
    return ikona;
}

void wysrodkuj(QWidget& okno)
{
    const QScreen* ekran = okno.screen();
    if (ekran == nullptr) {
        return;
    }
    QRect ramka = okno.frameGeometry();
    ramka.moveCenter(ekran->availableGeometry().center());
    okno.move(ramka.topLeft());
}

namespace {

// The options QApplication takes out of the command line for itself (those of X11 too), with
// a value or without one; Qt accepts them after one dash or two.
// clang-format off
constexpr std::array OPCJE_QT_Z_WARTOSCIA = {
    "platform", "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon", "qwindowtitle", "session",
    "display", "geometry", "name", "title", "icon", "visual",
    "style", "stylesheet", "qmljsdebugger"};
constexpr std::array OPCJE_QT_BEZ_WARTOSCI = {"reverse", "widgetcount", "nograb", "dograb", "testability"};
// clang-format on

void bledneUzycie(const QString& blad)
{
    std::fprintf(stderr,
                 "znakomat: %s\nSposób użycia: znakomat [opcje] [plik]   (opis opcji: znakomat --help)\n",
                 qPrintable(blad));
}

}  // namespace

std::optional<QString> plikZWierszaPolecen(const QStringList& argumenty)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char* nazwa : OPCJE_QT_Z_WARTOSCIA) {
        QCommandLineOption opcja(QString::fromLatin1(nazwa), QString(), QStringLiteral("wartość"));
        opcja.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(opcja);
    }
    for (const char* nazwa : OPCJE_QT_BEZ_WARTOSCI) {
        QCommandLineOption opcja(QString::fromLatin1(nazwa));
        opcja.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(opcja);
    }
    parser.setApplicationDescription(
        QStringLiteral("Zamienia polskie litery tekstu między osiemnastoma standardami kodowania."));
    parser.addPositionalArgument(QStringLiteral("plik"),
                                 QStringLiteral("plik wejściowy; okno otwiera się wtedy w trybie konwersji "
                                                "pliku tekstowego"),
                                 QStringLiteral("[plik]"));
    // Qt's own help option has no Polish description.
    const QCommandLineOption pomoc({QStringLiteral("h"), QStringLiteral("help")},
                                   QStringLiteral("Wyświetla ten opis."));
    parser.addOption(pomoc);
    // -V as znakomat-cli has it, -v as Qt's own option.
    const QCommandLineOption wersja({QStringLiteral("V"), QStringLiteral("v"), QStringLiteral("version")},
                                    QStringLiteral("Wypisuje numer wersji."));
    parser.addOption(wersja);
    // Help and version are answered even beside options meant for Qt's window, which
    // are not known here when no window is made.
    const bool poprawny = parser.parse(argumenty);
    if (parser.isSet(pomoc)) {
        parser.showHelp(0);
    }
    if (parser.isSet(wersja)) {
        std::printf("%s %s\n", "znakomat", ZNAKOMAT_WERSJA);
        std::exit(0);
    }
    if (!poprawny) {
        bledneUzycie(parser.errorText());
        return std::nullopt;
    }
    const QStringList pliki = parser.positionalArguments();
    if (pliki.size() > 1) {
        bledneUzycie(QStringLiteral("podaj najwyżej jeden plik wejściowy"));
        return std::nullopt;
    }
    return pliki.value(0);
}

QString zadanaPlatforma(int argc, const char* const argv[])
{
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            break;
        }
        if (argument == "-platform" || argument == "--platform") {
            return QString::fromLocal8Bit(argv[i + 1]);
        }
    }
    return qEnvironmentVariable("QT_QPA_PLATFORM");
}

void PreferujXNaWaylandzie(int argc, const char* const argv[])
{
    if (!zadanaPlatforma(argc, argv).isEmpty() || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        qEnvironmentVariableIsEmpty("DISPLAY")) {
        return;
    }
    qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

namespace {

struct StanStartu {
    QString platforma;
    QtMessageHandler poprzedni = nullptr;
    QList<std::pair<QtMsgType, QString>> wstrzymane;
};

StanStartu* stanStartu = nullptr;

QString zmienna(const char* nazwa)
{
    const QString wartosc = qEnvironmentVariable(nazwa);
    return QStringLiteral("%1=%2").arg(QLatin1String(nazwa),
                                       wartosc.isEmpty() ? QStringLiteral("(brak)") : wartosc);
}

QString szczegolyQt(const QStringList& szczegoly)
{
    if (szczegoly.isEmpty()) {
        return {};
    }
    return QStringLiteral("Szczegóły od biblioteki Qt:\n  ") + szczegoly.join(QStringLiteral("\n  ")) +
           QLatin1Char('\n');
}

// What the user is told about a display the window cannot use: which one was tried, what to
// check, and Qt's own words as the details.
QString brakPolaczenia(const QString& co, const QString& platforma, const QStringList& szczegoly)
{
    return QStringLiteral(
               "znakomat: %1 z ekranem graficznym (%2, %3%4).\n"
               "Sprawdź, czy pulpit działa i czy ten użytkownik może się z nim łączyć.\n")
               .arg(co, zmienna("DISPLAY"), zmienna("WAYLAND_DISPLAY"),
                    platforma.isEmpty() ? QString() : QStringLiteral(", QT_QPA_PLATFORM=") + platforma) +
           szczegolyQt(szczegoly);
}

[[noreturn]] void zakonczZKomunikatem(const QString& komunikat)
{
    std::fputs(komunikat.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    // Qt would end the program at once as well; nothing is left that an exit could save.
    std::_Exit(1);
}

[[noreturn]] void zakonczBezEkranu(const QString& przyczyna)
{
    // Qt's last word only tells the user to reinstall; what went wrong was said before it.
    QStringList szczegoly;
    for (const auto& [rodzaj, tekst] : stanStartu->wstrzymane) {
        szczegoly << tekst;
    }
    if (!przyczyna.contains(QLatin1String("no Qt platform plugin could be initialized"))) {
        szczegoly << przyczyna;
    }
    if (szczegoly.filter(QLatin1String("Could not find the Qt platform plugin")).isEmpty()) {
        zakonczZKomunikatem(brakPolaczenia(QStringLiteral("nie mogę otworzyć okna: brak połączenia"),
                                           stanStartu->platforma, szczegoly));
    }
    QString komunikat = QStringLiteral(
                            "znakomat: brak wtyczki Qt dla platformy graficznej „%1”.\n"
                            "Zainstaluj pakiet qt6-qpa-plugins (dla Waylanda także qt6-wayland) albo wybierz "
                            "inną platformę w zmiennej QT_QPA_PLATFORM.\n")
                            .arg(stanStartu->platforma.section(QLatin1Char(':'), 0, 0));
    zakonczZKomunikatem(komunikat + szczegolyQt(szczegoly));
}

void obsluzKomunikatStartu(QtMsgType rodzaj, const QMessageLogContext& kontekst, const QString& tekst)
{
    if (rodzaj == QtFatalMsg) {
        zakonczBezEkranu(tekst);
    }
    if (rodzaj == QtDebugMsg) {
        stanStartu->poprzedni(rodzaj, kontekst, tekst);
        return;
    }
    stanStartu->wstrzymane.append({rodzaj, tekst});
}

QtMessageHandler przedUtrataEkranu = nullptr;

void obsluzKomunikatOkna(QtMsgType rodzaj, const QMessageLogContext& kontekst, const QString& tekst)
{
    if (const std::optional<QString> komunikat = komunikatUtratyEkranu(tekst)) {
        zakonczZKomunikatem(*komunikat);
    }
    przedUtrataEkranu(rodzaj, kontekst, tekst);
}

}  // namespace

std::optional<QString> komunikatUtratyEkranu(const QString& komunikatQt)
{
    // Qt's warnings just before it ends the program, by its X11 and its Wayland plugin.
    static const std::array poczatki = {
        QStringLiteral("The X11 connection broke"),
        QStringLiteral("The Wayland connection broke"),
        QStringLiteral("The Wayland connection experienced a fatal error"),
    };
    for (const QString& poczatek : poczatki) {
        if (komunikatQt.startsWith(poczatek)) {
            return brakPolaczenia(QStringLiteral("okno zostało zamknięte: utracono połączenie"),
                                  qEnvironmentVariable("QT_QPA_PLATFORM"), {komunikatQt});
        }
    }
    return std::nullopt;
}

void ZglaszajUtrateEkranu()
{
    przedUtrataEkranu = qInstallMessageHandler(obsluzKomunikatOkna);
}

StartEkranu::StartEkranu(QString platforma)
{
    stanStartu = new StanStartu{std::move(platforma), nullptr, {}};
    stanStartu->poprzedni = qInstallMessageHandler(obsluzKomunikatStartu);
}

StartEkranu::~StartEkranu()
{
    qInstallMessageHandler(stanStartu->poprzedni);
    for (const auto& [rodzaj, tekst] : stanStartu->wstrzymane) {
        stanStartu->poprzedni(rodzaj, QMessageLogContext(), tekst);
    }
    delete stanStartu;
    stanStartu = nullptr;
}

}  // namespace ui
