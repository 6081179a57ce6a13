#pragma once
// The report a click shows in the viewer, written to a PDF file.

#include "harnix/reports/FenVeltrixRep.h"
#include "platform/forms/testing/Drive.h"
#include "platform/report/Report.h"
#include "tests/platform/report/PdfTools.h"

#include <QAbstractButton>
#include <QString>

#include <functional>

namespace reports::testing {

// Runs the click; the viewer it shows modally writes its report to pdf, lire (when given) reads
// the viewer, and the viewer is closed. False when the click showed no viewer.
inline bool ImprimerVue(const std::function<void()>& clic, const QString& pdf,
                        const std::function<void(FenVeltrixRep&)>& lire = {})
{
    bool vue = false;
    forms::testing::OnNextModal([&](forms::Form& modale) {
        auto& v = dynamic_cast<FenVeltrixRep&>(modale);
        v.Rapport()->WritePdf(pdf);
        if (lire)
            lire(v);
        v.Unload();
        vue = true;
    });
    clic();
    forms::testing::DropModalActions(); // no viewer: nothing waits for the next one
    return vue;
}

// The text of the report that clicking the button shows, simplified; empty when it showed no
// viewer. The button is clicked as code does, whether the window shows or not.
inline QString TexteVu(QAbstractButton& bouton, const QString& pdf)
{
    return ImprimerVue([&] { bouton.click(); }, pdf) ? report::testing::PdfText(pdf).simplified()
                                                     : QString();
}

} // namespace reports::testing
