#include "platform/forms/Registry.h"

#include <QCoreApplication>

#include <cstdlib>
#include <cxxabi.h>

#include <map>
#include <vector>

namespace forms {

namespace {

std::map<std::type_index, Form*>& Instances()
{
    static std::map<std::type_index, Form*> instances;
    return instances;
}

// The class name without its namespaces, as the window's object name.
QString ClassName(std::type_index type)
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    QString name = QString::fromLatin1(status == 0 && demangled ? demangled : type.name());
    std::free(demangled);
    const qsizetype template_ = name.indexOf('<');
    const qsizetype scope = name.lastIndexOf("::", template_ < 0 ? -1 : template_);
    return scope < 0 ? name : name.mid(scope + 2);
}

} // namespace

namespace detail {

Form* Find(std::type_index type)
{
    auto found = Instances().find(type);
    return found == Instances().end() ? nullptr : found->second;
}

Form* Create(std::type_index type, const std::function<Form*()>& make)
{
    Form* created = make();
    if (created->objectName().isEmpty())
        created->setObjectName(ClassName(type));
    // Registered before Form_Load, so that the load code reaches this same instance.
    Instances()[type] = created;
    try {
        created->Load();
    } catch (...) {
        Forget(created);
        delete created;
        throw;
    }
    return created;
}

void Forget(Form* form)
{
    for (auto it = Instances().begin(); it != Instances().end(); ++it) {
        if (it->second == form) {
            Instances().erase(it);
            return;
        }
    }
}

} // namespace detail

void UnloadAll()
{
    std::vector<Form*> all;
    for (auto& [type, instance] : Instances())
        all.push_back(instance);
    Instances().clear();
    // Hidden first, while every form is still whole, then deleted.
    for (Form* instance : all)
        instance->hide();
    for (Form* instance : all)
        delete instance;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace forms
