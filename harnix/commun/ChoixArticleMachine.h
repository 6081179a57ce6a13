#pragma once
// The machine configuration window's side of the article picker: the members into which the
// article window's select button writes the picked article.

#include "harnix/commun/Acces.h"

#include <cstdint>
#include <string>

class ChoixArticleMachine : public Acces<ChoixArticleMachine>
{
public:
    int32_t CodeArticleChoisi = 0;
    int32_t ReferenceChoisie = 0;
    std::string DesignationChoisie;
};
