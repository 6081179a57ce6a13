#include "harnix/catalogue/ArticleKeys.h"

#include "platform/forms/Keys.h"

namespace PrixArticles {

int FiltreTouche(int index, int keyAscii, const std::string& separateurDecimal)
{
    switch (index) {
    case 1:
        return forms::UpperCaseKey(keyAscii);
    case 2:
    case 6:
    case 7:
    case 8:
    case 9:
        keyAscii = forms::AcceptKey(keyAscii, "0123456789.,");
        if ((keyAscii == ',' || keyAscii == '.') &&
            (separateurDecimal == "," || separateurDecimal == "."))
            keyAscii = separateurDecimal[0];
        return keyAscii;
    case 3:
        return forms::AcceptKey(keyAscii, "-0123456789");
    case 4:
    case 5:
    case 18:
        return forms::AcceptKey(keyAscii, "0123456789");
    default:
        return keyAscii;
    }
}

} // namespace PrixArticles
