#include "platform/forms/testing/ProgramFolder.h"

#include "platform/win/Clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <ctime>
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

void FrozenClock::SetLocal(int year, int month, int day, int hour)
{
    std::tm moment{};
    moment.tm_year = year - 1900;
    moment.tm_mon = month - 1;
    moment.tm_mday = day;
    moment.tm_hour = hour;
    moment.tm_isdst = -1;
    const auto cible = std::chrono::system_clock::from_time_t(std::mktime(&moment));
    win::Clock::Advance(
        std::chrono::duration_cast<std::chrono::milliseconds>(cible - win::Clock::Now()));
}

} // namespace forms::testing
