#include "platform/vb/Error.h"

namespace vb {

Error::Error(int32_t number, std::string description, std::string source)
    : std::runtime_error(description), number_(number), description_(std::move(description)),
      source_(std::move(source))
{
}

std::string ErrorDescription(int32_t number)
{
    switch (number) {
    case ErrInvalidCall:
        return "Argument ou appel de procédure incorrect";
    case ErrOverflow:
        return "Dépassement de capacité";
    case ErrOutOfMemory:
        return "Mémoire insuffisante";
    case ErrSubscript:
        return "L'indice n'appartient pas à la sélection";
    case ErrDivisionByZero:
        return "Division par zéro";
    case ErrTypeMismatch:
        return "Incompatibilité de type";
    case ErrInternal:
        return "Erreur interne";
    case ErrPathFileAccess:
        return "Erreur d'accès au chemin/fichier";
    case ErrInvalidUseOfNull:
        return "Utilisation incorrecte de Null";
    case ErrInvalidPropertyValue:
        return "Valeur de propriété non valide";
    case ErrNoCurrentRecord:
        return "BOF ou EOF est égal à True, ou l'enregistrement actuel a été supprimé. Les "
               "opérations demandées nécessitent un enregistrement actuel.";
    default:
        return {};
    }
}

void Raise(int32_t number, std::string source)
{
    throw Error(number, ErrorDescription(number), std::move(source));
}

} // namespace vb
