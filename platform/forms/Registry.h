#pragma once

#include "platform/forms/Form.h"

#include <functional>
#include <type_traits>
#include <typeindex>
#include <typeinfo>

// One instance of each window, created and loaded on first use and shared by every caller.
namespace forms {

namespace detail {
// The registered instance of a form type, or null.
Form* Find(std::type_index type);
// Registers a new instance, loads it, and returns it; an exception from Form_Load unregisters it.
Form* Create(std::type_index type, const std::function<Form*()>& make);
// Forgets an instance (the form does this when it unloads).
void Forget(Form* form);
} // namespace detail

// The one instance of T, created and loaded (Form_Load) when there is none.
template <class T> T& form()
{
    static_assert(std::is_base_of_v<Form, T>, "form<T>() needs a Form");
    if (Form* existing = detail::Find(typeid(T)))
        return static_cast<T&>(*existing);
    return static_cast<T&>(*detail::Create(typeid(T), [] { return new T; }));
}

// Whether an instance of T is loaded; never creates one.
template <class T> bool IsLoaded()
{
    return detail::Find(typeid(T)) != nullptr;
}

// Unloads every form without asking them (end of the program, end of a test).
void UnloadAll();

} // namespace forms
