#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

#include "jobs/okno_konwersji.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {

class PoleTekstowe;
class RozpoznanieWOknie;

// The program's one window. Controls carry the names users and tests know them by.
class frmMain : public QWidget, public jobs::OknoKonwersji {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The caption at load time, the start of every progress caption.
    const QString& Tag() const { return tag_; }
    static QString tekstKroku(const QString& tytul, int krok);

    void EnabledX(bool x) override;
    bool trybTekstowy() const override;
    void pokazKrok(int krok) override;
    void przywrocTytul() override;

    int pozycjaZrodla() const override;
    int pozycjaCelu() const override;
    void przetworzZdarzenia() override;
    bool zamkniecieZadane() const override { return zamknietoWTrakcie_; }
    using jobs::OknoZadania::ostrzezenie;
    void ostrzezenie(const QString& tekst, const QString& przyczyna) override;
    bool informacja(const QString& tytul, const QString& tekst, const QString& objasnienie,
                    const QString& dzialanie) override;
    QString nazwaWejscia() const override;
    QString nazwaWyjscia() const override;
    jobs::PoleKonwersji& pole() override;

    bool konwersjaTrwa() const { return konwersjaTrwa_; }

    // The file mode with this file as the input: a file named on the command line or
    // dropped on the window.
    void otworzPlik(const QString& sciezka);

protected:
    void closeEvent(QCloseEvent* zdarzenie) override;
    bool eventFilter(QObject* obiekt, QEvent* zdarzenie) override;

private:
    void konwertuj();
    void wklej();
    void kopiuj();
    template <class Dzialanie>
    void bezpiecznie(Dzialanie&& dzialanie);
    // A job of the working controls: one at a time, and the program ends only after it.
    template <class Dzialanie>
    void jakoZadanie(Dzialanie&& dzialanie);
    void wybierzWejscie();
    void wybierzWyjscie();
    void utworzKontrolki();
    void ustawKolejnoscTabulacji();
    void zaladuj();
    void przelaczTryb();
    void opiszDlaCzytnikowEkranu();
    QString folderWejscia() const;
    void otworzStroneDomowa();
    void zakoncz();

    QString tag_;
    QPointer<QWidget> fokusPrzedWylaczeniem_;
    bool konwersjaTrwa_ = false;
    bool zamknietoWTrakcie_ = false;

    QGroupBox* Frame1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QButtonGroup* Toolbar = nullptr;
    QPushButton* Toolbar0 = nullptr;
    QPushButton* Toolbar1 = nullptr;
    QLabel* Label3 = nullptr;
    QGroupBox* Frame2 = nullptr;
    PoleTekstowe* Text1 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;

    // Destroyed before the controls it watches.
    std::unique_ptr<RozpoznanieWOknie> rozpoznanie_;
};

}  // namespace ui
