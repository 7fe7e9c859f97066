#pragma once

#include <QElapsedTimer>

#include "engine/postep.h"
#include "jobs/okno_konwersji.h"

namespace zadania {

// A job's progress in the window's caption, a window that keeps painting, and a close
// request that stops a file job.
class PostepOkna final : public znakomat::Postep {
public:
    explicit PostepOkna(OknoZadania& okno);

    void przedKrokiem(int krok) override;
    void poKroku() override;
    void wTrakcie() override;
    void przedZatwierdzeniem() override;
    bool przerwac() override;
    int odstepOczekiwania() const override;

private:
    OknoZadania& okno_;
    QElapsedTimer odOdswiezenia_;
};

}  // namespace zadania
