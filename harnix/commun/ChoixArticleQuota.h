#pragma once
// The profiles window's side of the article picker: the member into which the article window's
// select button writes the picked article.

#include "harnix/commun/Acces.h"

#include <cstdint>

class ChoixArticleQuota : public Acces<ChoixArticleQuota>
{
public:
    // The article picked in the article window.
    int32_t ReferenceZAD = 0;
};
