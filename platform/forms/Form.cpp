#include "platform/forms/Form.h"

#include "platform/forms/Keys.h"
#include "platform/forms/Registry.h"
#include "platform/win/Twips.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace forms {

namespace {

QPointer<Form> activeForm;
// Forms in the order they were last active, the latest last.
std::vector<QPointer<Form>> activationOrder;
// Forms in a modal loop, the innermost last.
std::vector<Form*> modalForms;

} // namespace

Form::Form(QWidget* parent) : QWidget(parent, Qt::Window)
{
    detail::EnsureKeyRouter();
}

Form::~Form()
{
    QuitModalLoop();
    modalForms.erase(std::remove(modalForms.begin(), modalForms.end(), this), modalForms.end());
    detail::Forget(this);
}

Form* Form::ActiveForm()
{
    return activeForm.data();
}

Form* Form::ModalForm()
{
    return modalForms.empty() ? nullptr : modalForms.back();
}

void Form::Load()
{
    if (loaded_)
        return;
    loaded_ = true;
    Form_Load();
}

void Form::Show(ShowMode mode, QWidget* owner)
{
    Load();
    if (unloaded_)
        return;
    if (owner) {
        winId();
        owner->winId();
        windowHandle()->setTransientParent(owner->window()->windowHandle());
    }
    if (mode == Modal) {
        // A window's modality takes effect when it is shown, so a form shown modeless is hidden
        // first.
        if (isVisible())
            hide();
        setWindowModality(Qt::ApplicationModal);
        ShowActive();
        QEventLoop loop;
        modalLoop_ = &loop;
        modalForms.push_back(this);
        // The form may be deleted while its loop runs (its destructor then leaves the loop).
        QPointer<Form> self = this;
        loop.exec(QEventLoop::DialogExec);
        if (!self)
            return;
        modalForms.erase(std::remove(modalForms.begin(), modalForms.end(), this), modalForms.end());
        modalLoop_ = nullptr;
        return;
    }
    ShowActive();
}

void Form::ShowActive()
{
    show();
    // The offscreen platform of the tests has no stacking order to change.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        raise();
    activateWindow();
    BecomeActive();
}

void Form::Hide()
{
    const bool wasActive = activeForm == this;
    hide();
    setWindowModality(Qt::NonModal);
    QuitModalLoop();
    if (!wasActive)
        return;
    // The form shown before this one becomes the active one again, as the window system does.
    activeForm = nullptr;
    for (auto it = activationOrder.rbegin(); it != activationOrder.rend(); ++it) {
        Form* previous = it->data();
        if (previous && previous != this && previous->isVisible()) {
            previous->activateWindow();
            previous->BecomeActive();
            return;
        }
    }
}

bool Form::Unload(UnloadMode mode)
{
    if (unloaded_)
        return true;
    int cancel = 0;
    Form_QueryUnload(cancel, mode);
    if (cancel != 0)
        return false;
    Form_Unload(cancel);
    if (cancel != 0)
        return false;
    // Forgotten before it hides, so that a form activated by the hiding no longer reaches it.
    unloaded_ = true;
    detail::Forget(this);
    Hide();
    deleteLater();
    return true;
}

QString Form::Caption() const
{
    return windowTitle();
}

void Form::SetCaption(const QString& caption)
{
    setWindowTitle(caption);
}

int Form::Left() const
{
    return win::PixelsToTwips(frameGeometry().x());
}

int Form::Top() const
{
    return win::PixelsToTwips(frameGeometry().y());
}

int Form::Width() const
{
    return win::PixelsToTwips(frameGeometry().width());
}

int Form::Height() const
{
    return win::PixelsToTwips(frameGeometry().height());
}

void Form::SetWidth(int twips)
{
    Move(Left(), Top(), twips);
}

void Form::SetHeight(int twips)
{
    Move(Left(), Top(), -1, twips);
}

void Form::Move(int leftTwips, int topTwips, int widthTwips, int heightTwips)
{
    // The frame's extra size, so that the given sizes are the outer ones.
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    const int extraW = frame.width() - inner.width();
    const int extraH = frame.height() - inner.height();
    const int w = widthTwips < 0 ? inner.width() : win::TwipsToPixels(widthTwips) - extraW;
    const int h = heightTwips < 0 ? inner.height() : win::TwipsToPixels(heightTwips) - extraH;
    move(win::TwipsToPixels(leftTwips), win::TwipsToPixels(topTwips));
    resize(qMax(0, w), qMax(0, h));
    // Before the first show the frame is not known yet: the request is applied again then.
    if (!isVisible()) {
        if (pendingOuter_ && widthTwips < 0)
            widthTwips = pendingOuter_->width();
        if (pendingOuter_ && heightTwips < 0)
            heightTwips = pendingOuter_->height();
        pendingOuter_ = QRect(leftTwips, topTwips, widthTwips, heightTwips);
    }
}

int Form::ScaleWidth() const
{
    return win::PixelsToTwips(width());
}

int Form::ScaleHeight() const
{
    return win::PixelsToTwips(height());
}

bool Form::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        RunEventProcedure([this] { BecomeActive(); });
    return QWidget::event(event);
}

void Form::closeEvent(QCloseEvent* event)
{
    // Closing from the window's frame unloads, unless QueryUnload or Unload cancels.
    bool unloaded = unloaded_;
    if (!unloaded)
        RunEventProcedure([&] { unloaded = Unload(FormControlMenu); });
    event->setAccepted(unloaded);
}

void Form::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (loaded_)
        RunEventProcedure([this] { Form_Resize(); });
}

void Form::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (pendingOuter_) {
        const QRect outer = *pendingOuter_;
        pendingOuter_.reset();
        Move(outer.x(), outer.y(), outer.width(), outer.height());
    }
}

void Form::BecomeActive()
{
    if (activeForm == this || unloaded_)
        return;
    activeForm = this;
    activationOrder.erase(std::remove(activationOrder.begin(), activationOrder.end(), this),
                          activationOrder.end());
    activationOrder.push_back(this);
    Form_Activate();
}

void Form::QuitModalLoop()
{
    if (modalLoop_)
        modalLoop_->quit();
}

} // namespace forms
