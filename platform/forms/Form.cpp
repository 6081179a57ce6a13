#include "platform/forms/Form.h"

#include "platform/forms/Registry.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWindow>

namespace forms {

namespace {

QPointer<Form> activeForm;

int ToPixels(int twips)
{
    return twips / 15;
}

int ToTwips(int pixels)
{
    return pixels * 15;
}

} // namespace

Form::Form(QWidget* parent) : QWidget(parent, Qt::Window) {}

Form::~Form()
{
    QuitModalLoop();
    detail::Forget(this);
}

Form* Form::ActiveForm()
{
    return activeForm.data();
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
        setWindowModality(Qt::ApplicationModal);
        show();
        raise();
        activateWindow();
        BecomeActive();
        QEventLoop loop;
        modalLoop_ = &loop;
        loop.exec(QEventLoop::DialogExec);
        modalLoop_ = nullptr;
        return;
    }
    show();
    raise();
    activateWindow();
    BecomeActive();
}

void Form::Hide()
{
    hide();
    setWindowModality(Qt::NonModal);
    if (activeForm == this)
        activeForm = nullptr;
    QuitModalLoop();
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
    unloaded_ = true;
    Hide();
    detail::Forget(this);
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
    return ToTwips(frameGeometry().x());
}

int Form::Top() const
{
    return ToTwips(frameGeometry().y());
}

int Form::Width() const
{
    return ToTwips(frameGeometry().width());
}

int Form::Height() const
{
    return ToTwips(frameGeometry().height());
}

void Form::SetLeft(int twips)
{
    Move(twips, Top());
}

void Form::SetTop(int twips)
{
    Move(Left(), twips);
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
    move(ToPixels(leftTwips), ToPixels(topTwips));
    const int w = widthTwips < 0 ? inner.width() : ToPixels(widthTwips) - extraW;
    const int h = heightTwips < 0 ? inner.height() : ToPixels(heightTwips) - extraH;
    resize(qMax(0, w), qMax(0, h));
}

int Form::ScaleWidth() const
{
    return ToTwips(width());
}

int Form::ScaleHeight() const
{
    return ToTwips(height());
}

bool Form::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        BecomeActive();
    return QWidget::event(event);
}

void Form::closeEvent(QCloseEvent* event)
{
    // Closing from the window's frame unloads, unless QueryUnload or Unload cancels.
    if (!unloaded_ && !Unload(FormControlMenu))
        event->ignore();
    else
        event->accept();
}

void Form::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (loaded_)
        Form_Resize();
}

void Form::BecomeActive()
{
    if (activeForm == this || unloaded_)
        return;
    activeForm = this;
    Form_Activate();
}

void Form::QuitModalLoop()
{
    if (modalLoop_)
        modalLoop_->quit();
}

} // namespace forms
