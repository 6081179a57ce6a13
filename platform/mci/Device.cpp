#include "platform/mci/Device.h"

#include "platform/mci/Mci.h"
#include "platform/mci/VideoWindow.h"

#include <QGuiApplication>
#include <QImage>
#include <QMetaObject>
#include <QScreen>

#include <mpv/client.h>
#include <mpv/render.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>

namespace mci {

namespace {

// Time allowed for a file to open before the open fails.
constexpr double kOpenTimeoutSeconds = 10.0;

long RoundMs(double seconds)
{
    return std::lround(seconds * 1000.0);
}

// The destination no larger than the screens can show: the picture is drawn at its size, and a
// size past the screens would only take memory (gigabytes for a very large window).
QRect OnScreen(QRect rect)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize limit = screen != nullptr ? screen->virtualSize() : QSize(3840, 2160);
    rect.setWidth(std::clamp(rect.width(), 0, limit.width()));
    rect.setHeight(std::clamp(rect.height(), 0, limit.height()));
    return rect;
}

} // namespace

int Device::Open(const std::string& path, QWidget* parent, std::unique_ptr<Device>& device)
{
    device.reset();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return ErrFileNotFound;

    std::unique_ptr<Device> d(new Device);
    d->mpv_ = mpv_create();
    if (!d->mpv_)
        return ErrCannotLoadDriver;

    // Opened devices stand stopped at the start; at the end they hold the
    // last frame, as a media device does, instead of unloading the file.
    const char* options[][2] = {
        {"vo", "libmpv"},        {"pause", "yes"},     {"keep-open", "yes"},
        {"idle", "yes"},         {"keepaspect", "no"}, {"hr-seek", "yes"},
        {"audio-display", "no"}, {"osc", "no"},        {"input-default-bindings", "no"},
        {"load-scripts", "no"},  {"ytdl", "no"},       {"sub-auto", "no"},
        {"hwdec", "no"},         {"terminal", "no"},
    };
    for (const auto& option : options)
        mpv_set_option_string(d->mpv_, option[0], option[1]);
    if (mpv_initialize(d->mpv_) < 0)
        return ErrCannotLoadDriver;

    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&d->render_, d->mpv_, params) < 0)
        return ErrCannotLoadDriver;

    const char* load[] = {"loadfile", path.c_str(), nullptr};
    if (mpv_command(d->mpv_, load) < 0)
        return ErrFileNotFound;

    bool loaded = false;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(kOpenTimeoutSeconds);
    while (!loaded) {
        const double left =
            std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return ErrHardware;
        mpv_event* event = mpv_wait_event(d->mpv_, left);
        if (event->event_id == MPV_EVENT_FILE_LOADED)
            loaded = true;
        else if (event->event_id == MPV_EVENT_END_FILE)
            return ErrInvalidFile;
    }

    int64_t width = 0;
    int64_t height = 0;
    mpv_get_property(d->mpv_, "current-tracks/video/demux-w", MPV_FORMAT_INT64, &width);
    mpv_get_property(d->mpv_, "current-tracks/video/demux-h", MPV_FORMAT_INT64, &height);
    d->destination_ = QRect(0, 0, int(width), int(height));

    if (parent && width > 0 && height > 0) {
        d->window_ = new VideoWindow(parent);
        d->window_->setGeometry(0, 0, int(width), int(height));
        d->window_->SetDestination(d->destination_);
        d->window_->show();
    }
    d->heldPosition_ = 0;
    d->StartRenderer();
    device = std::move(d);
    return NoError;
}

Device::~Device()
{
    StopRenderer();
    if (render_)
        mpv_render_context_free(render_);
    if (mpv_)
        mpv_terminate_destroy(mpv_);
    delete window_.data();
}

void Device::ProcessEvents()
{
    for (;;) {
        mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        if (event->event_id == MPV_EVENT_PLAYBACK_RESTART)
            seeking_ = false;
    }
}

double Device::DoubleProperty(const char* name)
{
    double value = 0;
    if (mpv_get_property(mpv_, name, MPV_FORMAT_DOUBLE, &value) < 0)
        return 0;
    return value;
}

void Device::SeekTo(long ms)
{
    const std::string seconds = std::to_string(double(ms) / 1000.0);
    const char* seek[] = {"seek", seconds.c_str(), "absolute+exact", nullptr};
    if (mpv_command(mpv_, seek) >= 0) {
        seeking_ = true;
        seekTarget_ = ms;
    }
}

void Device::Play()
{
    heldPosition_.reset();
    mpv_set_property_string(mpv_, "pause", "no");
}

void Device::PlayFrom(long ms)
{
    SeekTo(ms);
    Play();
}

void Device::Stop()
{
    mpv_set_property_string(mpv_, "pause", "yes");
}

void Device::Seek(long ms)
{
    Stop();
    SeekTo(ms);
    heldPosition_ = ms;
}

long Device::Length()
{
    return RoundMs(DoubleProperty("duration"));
}

long Device::Position()
{
    ProcessEvents();
    if (heldPosition_)
        return *heldPosition_;
    if (seeking_)
        return seekTarget_;
    int eof = 0;
    mpv_get_property(mpv_, "eof-reached", MPV_FORMAT_FLAG, &eof);
    if (eof)
        return Length();
    return RoundMs(DoubleProperty("time-pos"));
}

void Device::SetSpeed(long permille)
{
    double speed = double(permille) / 1000.0;
    mpv_set_property(mpv_, "speed", MPV_FORMAT_DOUBLE, &speed);
}

long Device::Speed()
{
    return std::lround(DoubleProperty("speed") * 1000.0);
}

void Device::SetAudio(bool on)
{
    int mute = on ? 0 : 1;
    mpv_set_property(mpv_, "mute", MPV_FORMAT_FLAG, &mute);
}

bool Device::Audio()
{
    int mute = 0;
    mpv_get_property(mpv_, "mute", MPV_FORMAT_FLAG, &mute);
    return !mute;
}

void Device::SetVolume(long level)
{
    double volume = double(level) / 10.0;
    mpv_set_property(mpv_, "volume", MPV_FORMAT_DOUBLE, &volume);
}

long Device::Volume()
{
    return std::lround(DoubleProperty("volume") * 10.0);
}

void Device::PutWindow(const QRect& rect)
{
    if (window_)
        window_->setGeometry(rect);
}

void Device::PutDestination(const QRect& wanted)
{
    const QRect rect = OnScreen(wanted);
    destination_ = rect;
    if (window_)
        window_->SetDestination(rect);
    {
        std::lock_guard lock(renderMutex_);
        renderSize_ = rect.size();
        renderPending_ = true;
    }
    renderWake_.notify_one();
}

// The render functions are never called from two threads at once: the
// callback is set before the renderer thread starts and removed after it ended.
void Device::StartRenderer()
{
    renderSize_ = destination_.size();
    mpv_render_context_set_update_callback(render_, &Device::OnRenderUpdate, this);
    renderThread_ = std::thread([this] { RenderLoop(); });
}

void Device::StopRenderer()
{
    if (renderThread_.joinable()) {
        {
            std::lock_guard lock(renderMutex_);
            renderQuit_ = true;
        }
        renderWake_.notify_one();
        renderThread_.join();
    }
    if (render_)
        mpv_render_context_set_update_callback(render_, nullptr, nullptr);
}

void Device::OnRenderUpdate(void* context)
{
    auto* device = static_cast<Device*>(context);
    {
        std::lock_guard lock(device->renderMutex_);
        device->renderPending_ = true;
    }
    device->renderWake_.notify_one();
}

void Device::RenderLoop()
{
    // The window pointer is read here only; the window is deleted after this
    // thread has ended, so a frame posted to it never outlives it.
    VideoWindow* window = window_.data();
    QSize lastSize;
    for (;;) {
        QSize size;
        {
            std::unique_lock lock(renderMutex_);
            renderWake_.wait(lock, [this] { return renderPending_ || renderQuit_; });
            if (renderQuit_)
                return;
            renderPending_ = false;
            size = renderSize_;
        }
        const bool newFrame = mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME;
        if ((!newFrame && size == lastSize) || size.isEmpty())
            continue;
        lastSize = size;

        // QImage's RGB32 lies in memory as B, G, R, X on little-endian hosts.
        QImage frame(size, QImage::Format_RGB32);
        int sizeParam[2] = {size.width(), size.height()};
        size_t stride = size_t(frame.bytesPerLine());
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SW_SIZE, sizeParam},
            {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>("bgr0")},
            {MPV_RENDER_PARAM_SW_STRIDE, &stride},
            {MPV_RENDER_PARAM_SW_POINTER, frame.bits()},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        if (mpv_render_context_render(render_, params) < 0)
            continue;
        // The fourth byte is left undefined by the renderer; RGB32 wants it opaque.
        for (int y = 0; y < frame.height(); ++y) {
            auto* line = reinterpret_cast<quint32*>(frame.scanLine(y));
            for (int x = 0; x < frame.width(); ++x)
                line[x] |= 0xff000000u;
        }
        if (window)
            QMetaObject::invokeMethod(
                window, [window, frame] { window->SetFrame(frame); }, Qt::QueuedConnection);
    }
}

} // namespace mci
