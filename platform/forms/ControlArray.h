#pragma once

#include <QString>

#include <map>
#include <stdexcept>

// A control array: controls sharing one name, told apart by their index. Each element's Qt
// object name is the name followed by its index in brackets, as in Text2(3).
namespace forms {

template <class T> class ControlArray
{
public:
    explicit ControlArray(QString name) : name_(std::move(name)) {}

    const QString& Name() const { return name_; }
    static QString ElementName(const QString& name, int index)
    {
        return name + '(' + QString::number(index) + ')';
    }

    // Takes an element (owned by its Qt parent) and names it.
    T& Add(int index, T* control)
    {
        control->setObjectName(ElementName(name_, index));
        elements_[index] = control;
        return *control;
    }

    T& operator()(int index) const
    {
        auto found = elements_.find(index);
        if (found == elements_.end())
            throw std::out_of_range("control array " + name_.toStdString() + " has no element " +
                                    std::to_string(index));
        return *found->second;
    }
    bool Contains(int index) const { return elements_.count(index) != 0; }
    int Count() const { return int(elements_.size()); }
    int LBound() const { return elements_.empty() ? 0 : elements_.begin()->first; }
    int UBound() const { return elements_.empty() ? -1 : elements_.rbegin()->first; }

    // Calls f(index, control) for each element in index order, to connect event procedures.
    template <class F> void ForEach(F f) const
    {
        for (const auto& [index, control] : elements_)
            f(index, *control);
    }

private:
    QString name_;
    std::map<int, T*> elements_;
};

} // namespace forms
