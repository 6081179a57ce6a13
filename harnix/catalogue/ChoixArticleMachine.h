#pragma once
// The machine configuration window's side of the article picker: the members into which the
// article window's select button writes the picked article. That window derives from this class
// and installs, once, the way to reach its one instance.

#include <cstdint>
#include <functional>
#include <string>

class ChoixArticleMachine
{
public:
    virtual ~ChoixArticleMachine() = default;

    int32_t CodeArticleChoisi = 0;
    int32_t ReferenceChoisie = 0;
    std::string DesignationChoisie;

    // The machine configuration window, loaded when it is not; null until one is installed.
    static ChoixArticleMachine* Fenetre() { return acces_ ? &acces_() : nullptr; }
    static void DefinirFenetre(std::function<ChoixArticleMachine&()> acces)
    {
        acces_ = std::move(acces);
    }

private:
    inline static std::function<ChoixArticleMachine&()> acces_;
};
