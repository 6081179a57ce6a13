#include "harnix/commun/Crypte.h"

#include "platform/vb/Convert.h"
#include "platform/vb/Strings.h"
#include "platform/win/Codepage.h"

namespace Crypte {

namespace {

constexpr std::string_view Cle = "wobrektu";

// 15 characters in the 8-bit character set.
constexpr char MotPasse[] = "\xC2\xE6\x9A\xC4\xDF\xD3\xAB\xC9\xE8\xA1\xCF\xC8\xC8\xA4\xC0";

// 2 characters in the 8-bit character set.
constexpr char MotPasseCourt[] = "\xE8\xE9";

} // namespace

std::string Decrypter(const vb::Variant& texte)
{
    const std::string source = vb::CStr(texte);
    std::string result;
    long k = 0;
    const long length = vb::Len(source);
    for (long i = 1; i <= length; ++i) {
        const int a = vb::Asc(vb::Mid(source, i, 1));
        k = k + 1;
        if (k > static_cast<long>(Cle.size()))
            k = 1;
        const int b = static_cast<unsigned char>(Cle[k - 1]);
        int d = a - b;
        if (d < 0)
            d = d + 255;
        result += vb::Chr(d);
    }
    return result;
}

std::string MotPasseCrypte()
{
    return win::Cp1252ToUtf8(MotPasse);
}

std::string MotPasseCourtCrypte()
{
    return win::Cp1252ToUtf8(MotPasseCourt);
}

} // namespace Crypte
