#include "slidora/ProgramFolder.h"

#include <QCoreApplication>

namespace slidora {

namespace {
QString& Chosen()
{
    static QString folder;
    return folder;
}
} // namespace

QString ProgramFolder()
{
    return Chosen().isEmpty() ? QCoreApplication::applicationDirPath() : Chosen();
}

void SetProgramFolder(const QString& folder)
{
    Chosen() = folder;
}

} // namespace slidora
