#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <chrono>

namespace forms::testing {

// A temporary program folder, removed with the object.
class ProgramFolder
{
public:
    ProgramFolder();

    QString Path() const { return dir_.path(); }
    // The full path of a file of the folder ("/" or "\" separate sub-folders).
    QString FilePath(const QString& name) const;
    // Writes a file (creating its sub-folders) and returns its full path.
    QString Write(const QString& name, const QByteArray& content = {}) const;

private:
    QTemporaryDir dir_;
};

// The program's clock frozen for the object's life; time moves only through Advance.
class FrozenClock
{
public:
    FrozenClock();
    ~FrozenClock();
    FrozenClock(const FrozenClock&) = delete;
    FrozenClock& operator=(const FrozenClock&) = delete;

    void Advance(std::chrono::milliseconds step);
    // Moves the clock to that day and hour, local time.
    void SetLocal(int year, int month, int day, int hour);
};

} // namespace forms::testing
