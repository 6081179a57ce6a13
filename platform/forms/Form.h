#pragma once

#include "platform/forms/ErrorBoundary.h"

#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>

class QEventLoop;

namespace forms {

// How Show displays a form: modeless returns at once, modal returns when the form hides or unloads.
enum ShowMode { Modeless = 0, Modal = 1 };

// Why a form is being unloaded, as QueryUnload reports it.
enum UnloadMode { FormControlMenu = 0, FormCode = 1, AppWindows = 2, AppTaskManager = 3 };

// Shift states of KeyDown and KeyUp.
enum ShiftMask { ShiftMaskShift = 1, ShiftMaskCtrl = 2, ShiftMaskAlt = 4 };

// The base of every window. A form is created and loaded on first use through form<T>()
// (Registry.h), which hands the same instance to every caller until the form is unloaded.
class Form : public QWidget
{
    Q_OBJECT

public:
    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    // Runs Form_Load once; form<T>() calls it, Show calls it for a form not yet loaded.
    void Load();
    bool Loaded() const { return loaded_; }

    void Show(ShowMode mode = Modeless, QWidget* owner = nullptr);
    void Hide();
    // QueryUnload and Unload may cancel; returns whether the form was unloaded.
    bool Unload(UnloadMode mode = FormCode);
    bool IsModalShown() const { return modalLoop_ != nullptr && isVisible(); }

    QString Caption() const;
    void SetCaption(const QString& caption);

    // Outer position and size in twips, as the window's frame has them.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetWidth(int twips);
    void SetHeight(int twips);
    // A width or height below zero keeps the current one.
    void Move(int leftTwips, int topTwips, int widthTwips = -1, int heightTwips = -1);
    // Inner (client) size in twips.
    int ScaleWidth() const;
    int ScaleHeight() const;

    // With key preview on, the form's key handlers see each key before the focused control.
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool on) { keyPreview_ = on; }

    // Event procedures. They are public so that tests and other windows may call them directly,
    // as activation is not left to the window manager.
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_QueryUnload(int& cancel, int unloadMode)
    {
        (void)cancel;
        (void)unloadMode;
    }
    virtual void Form_Unload(int& cancel) { (void)cancel; }
    virtual void Form_Resize() {}
    virtual void Form_KeyDown(int& keyCode, int shift)
    {
        (void)keyCode;
        (void)shift;
    }
    virtual void Form_KeyUp(int& keyCode, int shift)
    {
        (void)keyCode;
        (void)shift;
    }
    virtual void Form_KeyPress(int& keyAscii) { (void)keyAscii; }

    // The program's form that is active now (null when none is).
    static Form* ActiveForm();
    // The innermost form shown modally now (null when none is).
    static Form* ModalForm();

protected:
    // The windows connect their event procedures to their controls' signals with these: the
    // procedure then runs inside the error boundary. They take the place of QObject's for the
    // forms (a slot is a callable or a member function of the receiver).
    template <class Signal, class Receiver, class Slot>
    static QMetaObject::Connection
    connect(const typename QtPrivate::FunctionPointer<Signal>::Object* sender, Signal signal,
            const Receiver* receiver, Slot slot, Qt::ConnectionType type = Qt::AutoConnection)
    {
        return QObject::connect(sender, signal, receiver,
                                Guard(const_cast<Receiver*>(receiver), std::move(slot)), type);
    }
    template <class Signal, class Slot>
    static QMetaObject::Connection
    connect(const typename QtPrivate::FunctionPointer<Signal>::Object* sender, Signal signal,
            Slot slot)
    {
        return connect(sender, signal, sender, std::move(slot));
    }

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Fires Form_Activate when this form takes over from another form of the program.
    void BecomeActive();
    void ShowActive();
    void QuitModalLoop();

    bool loaded_ = false;
    bool unloaded_ = false;
    bool keyPreview_ = false;
    QEventLoop* modalLoop_ = nullptr;
    // The outer geometry in twips asked for before the frame's size was known.
    std::optional<QRect> pendingOuter_;
};

} // namespace forms
