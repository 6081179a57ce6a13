#pragma once
// A window that takes an article picked in the article window, reached through a small class of
// its own: the window derives from it and installs, once, the way to reach its one instance, so
// that the article window needs no link to it.

#include <functional>

template <class Choix> class ChoixArticle
{
public:
    virtual ~ChoixArticle() = default;

    // The window, loaded when it is not; null until one is installed.
    static Choix* Fenetre() { return acces_ ? &acces_() : nullptr; }
    static void DefinirFenetre(std::function<Choix&()> acces) { acces_ = std::move(acces); }

private:
    inline static std::function<Choix&()> acces_;
};
