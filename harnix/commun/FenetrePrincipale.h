#pragma once
// The main window as the windows below it reach it, to enable it again when they close and to
// take its size: the main window installs the way to find it when it is made, so that the
// subsystems' libraries need not link it.

#include "platform/forms/Form.h"

#include <functional>

namespace FenetrePrincipale {

namespace detail {
inline std::function<forms::Form*()> trouver;
} // namespace detail

// The main window when it is loaded; null otherwise. Never creates it.
inline forms::Form* Chargee()
{
    return detail::trouver ? detail::trouver() : nullptr;
}

inline void Definir(std::function<forms::Form*()> trouver)
{
    detail::trouver = std::move(trouver);
}

} // namespace FenetrePrincipale
