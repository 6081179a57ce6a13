#pragma once
// The article window with a picture folder of its own, an empty clipboard, and the scanners of
// SANE's test backend (SANE_CONFIG_DIR) chosen by the tests.

#include "FrmStockFixture.h"

#include "harnix/commun/Global.h"
#include "platform/scan/Twain.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>

namespace catalogue::testing {

class ImagesTest : public FrmStockTest
{
protected:
    void SetUp() override
    {
        FrmStockTest::SetUp();
        Global::CheminImages = zad.Folder().Path().string() + "/image";
        QDir().mkpath(Images());
        QGuiApplication::clipboard()->clear();
    }
    void TearDown() override
    {
        scan::SetSourceChooser(nullptr);
        scan::SetChosenSource({});
        FrmStockTest::TearDown();
    }

    QString Images() const { return QString::fromStdString(Global::CheminImages); }
    QString Image(const QString& nom) const { return Images() + "/" + nom; }
};

} // namespace catalogue::testing
