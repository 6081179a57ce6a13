#include "harnix/magasin/CodeBadge.h"

#include "platform/barcode/CheckDigit.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Strings.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace CodeBadge {

namespace {

// The value of the character at a position from 1; 0 past the end or for a non-digit.
int Chiffre(const std::string& code, long position)
{
    const std::string c = vb::Mid(code, position, 1);
    return c.size() == 1 && c[0] >= '0' && c[0] <= '9' ? c[0] - '0' : 0;
}

// The sets of d2 to d7 by the first digit: 'A' or 'B' (the left half's parity).
constexpr const char* Parites[10] = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                     "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};

// The value of a badge number made only of digits; nothing for any other text.
std::optional<long long> NumeroEntier(const std::string& badge)
{
    if (badge.empty() || badge.size() > 18)
        return std::nullopt;
    long long valeur = 0;
    const auto [fin, erreur] = std::from_chars(badge.data(), badge.data() + badge.size(), valeur);
    if (erreur != std::errc() || fin != badge.data() + badge.size() || badge[0] == '-')
        return std::nullopt;
    return valeur;
}

} // namespace

std::string NumeroSuivant(const std::vector<vb::Variant>& badges, const std::string& premier)
{
    std::optional<long long> plusGrand;
    for (const vb::Variant& badge : badges) {
        if (badge.IsNull())
            continue;
        if (const auto valeur = NumeroEntier(vb::CStr(badge)))
            plusGrand = plusGrand ? std::max(*plusGrand, *valeur) : *valeur;
    }
    return plusGrand ? std::to_string(*plusGrand + 1) : premier;
}

void Completer12(std::string& code)
{
    const long longueur = vb::Len(code);
    if (longueur < 12)
        code += std::string(size_t(12 - longueur), '0');
}

std::string CalculChecksumEAN13(std::string& code)
{
    std::string douze;
    for (long position = 1; position <= 12; ++position)
        douze += char('0' + Chiffre(code, position));
    code += char('0' + barcode::Ean13CheckDigit(douze));
    return code;
}

std::string EAN13(std::string& code)
{
    if (vb::Len(code) > 12)
        return {};
    Completer12(code);
    for (char c : code) {
        if (c < '0' || c > '9')
            return {};
    }
    CalculChecksumEAN13(code);

    std::string texte;
    texte += code[0];
    const char* parite = Parites[code[0] - '0'];
    for (int i = 1; i <= 6; ++i)
        texte += char((parite[i - 1] == 'A' ? 'A' : 'K') + (code[size_t(i)] - '0'));
    texte += '*';
    for (int i = 7; i <= 12; ++i)
        texte += char('a' + (code[size_t(i)] - '0'));
    texte += '+';
    return texte;
}

} // namespace CodeBadge
