#pragma once

#include <QApplication>
#include <QElapsedTimer>

#include <functional>

// Waiting in the tests of players, with the event loop running so that the player's windows and
// timers work meanwhile.
namespace testmedia {

// How long playback may take to get going: generous, for a machine busy with other tests.
inline constexpr int LoadedMachine = 10000;

// Runs the event loop until the condition holds or the time is up; whether it holds.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs the event loop for a while.
inline void Pause(int ms)
{
    WaitUntil([] { return false; }, ms);
}

} // namespace testmedia
