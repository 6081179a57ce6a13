#pragma once
// A window as the windows of other subsystems reach it: the window derives from a small class
// I of its own (I derives from Acces<I>), and whoever links both sides installs, once, the way
// to reach the window's one instance, so that the libraries that use I need not link the
// window's library.

#include "platform/forms/Registry.h"

#include <functional>

template <class I> class Acces
{
public:
    virtual ~Acces() = default;

    // The window, loaded when it is not; null until one is installed.
    static I* Fenetre() { return fenetre_ ? &fenetre_() : nullptr; }
    // The window when it is loaded; null otherwise. Never loads it.
    static I* Chargee() { return chargee_ ? chargee_() : nullptr; }

    static void DefinirFenetre(std::function<I&()> fenetre, std::function<I*()> chargee = {})
    {
        fenetre_ = std::move(fenetre);
        chargee_ = std::move(chargee);
    }
    // The one instance of the window F, as forms::form and forms::IsLoaded find it.
    template <class F> static void DefinirFenetre()
    {
        DefinirFenetre([]() -> I& { return forms::form<F>(); },
                       []() -> I* { return forms::IsLoaded<F>() ? &forms::form<F>() : nullptr; });
    }

private:
    inline static std::function<I&()> fenetre_;
    inline static std::function<I*()> chargee_;
};
