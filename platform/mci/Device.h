#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

struct mpv_handle;
struct mpv_render_context;

namespace mci {

class VideoWindow;

// One open media device: an mpv player with its video drawn, through the
// software render API, into a child window of the device's parent widget.
// All members are called from the thread that owns the parent widget.
class Device
{
public:
    // Opens the file stopped at its start. On failure returns an error code
    // of Mci.h and leaves device empty.
    static int Open(const std::string& path, QWidget* parent, std::unique_ptr<Device>& device);
    ~Device();

    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    void Play();
    void PlayFrom(long ms);
    void Stop();
    void Seek(long ms);

    long Length();
    // The position; at the end of the media it is the length, whatever the
    // time of the last frame shown.
    long Position();

    void SetSpeed(long permille);
    long Speed();
    void SetAudio(bool on);
    bool Audio();
    void SetVolume(long level);
    long Volume();

    void PutWindow(const QRect& rect);
    void PutDestination(const QRect& rect);
    QRect Destination() const { return destination_; }

private:
    Device() = default;
    void ProcessEvents();
    double DoubleProperty(const char* name);
    void SeekTo(long ms);
    void StartRenderer();
    void StopRenderer();
    void RenderLoop();
    static void OnRenderUpdate(void* context);

    mpv_handle* mpv_ = nullptr;
    mpv_render_context* render_ = nullptr;
    QPointer<VideoWindow> window_;
    QRect destination_;

    // A seek is queued in the player until it reports the restart of
    // playback; meanwhile its target is the position.
    bool seeking_ = false;
    long seekTarget_ = 0;
    // A stopped device stands where it was opened or seeked to, whatever the
    // time of the frame shown there.
    std::optional<long> heldPosition_;

    // Renderer thread: it alone calls the render functions, so that the
    // player's core never waits on this thread's other calls.
    std::thread renderThread_;
    std::mutex renderMutex_;
    std::condition_variable renderWake_;
    bool renderPending_ = false;
    bool renderQuit_ = false;
    QSize renderSize_;
};

} // namespace mci
