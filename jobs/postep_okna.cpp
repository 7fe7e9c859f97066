#include "jobs/postep_okna.h"

namespace zadania {

namespace {

// Often enough to feel immediate, seldom enough to cost nothing beside the work.
constexpr int ODSTEP_MS = 20;

}  // namespace

PostepOkna::PostepOkna(OknoZadania& okno) : okno_(okno)
{
    odOdswiezenia_.start();
}

void PostepOkna::przedKrokiem(int krok)
{
    okno_.pokazKrok(krok);
    okno_.przetworzZdarzenia();
    odOdswiezenia_.restart();
}

void PostepOkna::poKroku()
{
    okno_.przetworzZdarzenia();
}

void PostepOkna::wTrakcie()
{
    if (odOdswiezenia_.elapsed() >= ODSTEP_MS) {
        okno_.przetworzZdarzenia();
        odOdswiezenia_.restart();
    }
}

// The text is whole: the caption is the window's own again while the output is replaced.
void PostepOkna::przedZatwierdzeniem()
{
    okno_.przywrocTytul();
    okno_.przetworzZdarzenia();
}

bool PostepOkna::przerwac()
{
    return okno_.zamkniecieZadane();
}

int PostepOkna::odstepOczekiwania() const
{
    return ODSTEP_MS;
}

}  // namespace zadania
