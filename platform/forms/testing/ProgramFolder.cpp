#include "platform/forms/testing/ProgramFolder.h"

#include "platform/win/Clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace forms::testing {

ProgramFolder::ProgramFolder()
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary program folder");
}

QString ProgramFolder::FilePath(const QString& name) const
{
    QString relative = name;
    relative.replace('\\', '/');
    return dir_.filePath(relative);
}

QString ProgramFolder::Write(const QString& name, const QByteArray& content) const
{
    const QString path = FilePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        throw std::runtime_error("cannot write " + path.toStdString());
    return path;
}

FrozenClock::FrozenClock()
{
    win::Clock::Freeze();
}

FrozenClock::~FrozenClock()
{
    win::Clock::Reset();
}

void FrozenClock::Advance(std::chrono::milliseconds step)
{
    win::Clock::Advance(step);
}

} // namespace forms::testing
