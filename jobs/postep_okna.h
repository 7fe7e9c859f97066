#pragma once

#include <QElapsedTimer>

#include <functional>

#include "engine/postep.h"
#include "jobs/okno_konwersji.h"

namespace jobs {

// A job's progress in the window's caption, a window that keeps painting, and a close
// request that stops a file job.
class PostepOkna final : public engine::Postep {
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

// Runs `praca` on a thread of its own while this thread keeps the window's events turning,
// and returns when it has ended, throwing what it threw. Waits for a disk or a pipe, and
// the commit of a large output, which nothing may break off, so never freeze the window.
// Each step and the commit are shown in the window before the work goes on, and a close
// request asks the work to stop at its next check.
void WykonajWTle(OknoZadania& okno, const std::function<void(engine::Postep&)>& praca);

}  // namespace jobs
