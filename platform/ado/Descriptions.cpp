#include "platform/ado/Descriptions.h"

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace ado::detail {
namespace {

// English wording and French text; %1 and %2 stand for the names and messages the text holds.
constexpr std::array<std::pair<std::string_view, std::string_view>, 39> Texts{{
    // The provider's own errors.
    {"Operation is not allowed when the object is closed.",
     "Cette opération n'est pas autorisée si l'objet est fermé."},
    {"Operation is not allowed when the object is open.",
     "Cette opération n'est pas autorisée si l'objet est ouvert."},
    {"Either BOF or EOF is True, or the current record has been deleted. Requested operation "
     "requires a current record.",
     "BOF ou EOF est égal à True, ou l'enregistrement actuel a été supprimé. Les opérations "
     "demandées nécessitent un enregistrement actuel."},
    {"Item cannot be found in the collection corresponding to the requested name or ordinal%1",
     "Impossible de trouver l'élément dans la collection correspondant au nom ou à la référence "
     "ordinale demandé%1"},
    {"Current Recordset does not support updating%1",
     "Le jeu d'enregistrements actuel ne prend pas en charge la mise à jour. Cela peut être dû à "
     "une limitation du fournisseur ou du type de verrou sélectionné."},
    {"Field '%1' cannot be updated.", "Le champ '%1' ne peut pas être mis à jour."},
    {"Multiple-step operation generated errors. Check each status value.",
     "L'opération en plusieurs étapes a généré des erreurs. Vérifiez chaque valeur d'état."},
    {"Row cannot be located for updating. Some values may have been changed since it was last "
     "read.",
     "Impossible de trouver la ligne pour la mise à jour. Certaines valeurs ont peut-être été "
     "modifiées depuis la dernière lecture."},
    {"Row cannot be located for deletion.", "Impossible de trouver la ligne pour la suppression."},
    {"The connection cannot be used to perform this operation%1",
     "La connexion ne peut pas être utilisée pour effectuer cette opération. Elle est fermée ou "
     "n'est pas valide dans ce contexte."},
    {"Arguments are of the wrong type, are out of acceptable range, or are in conflict with one "
     "another.",
     "Les arguments sont de type incorrect, en dehors des limites autorisées ou en conflit les "
     "uns avec les autres."},
    {"No transaction is active.",
     "Vous avez tenté de valider ou d'annuler une transaction sans l'avoir commencée."},
    {"No value given for one or more required parameters.",
     "Aucune valeur donnée pour un ou plusieurs des paramètres requis."},
    {"Cannot find the input table or query '%1'.",
     "Impossible de trouver la table ou la requête source '%1'. Assurez-vous qu'elle existe et "
     "que son nom est correctement orthographié."},
    {"Could not find file '%1'.", "Fichier '%1' introuvable."},
    {"Not a valid password.", "Mot de passe non valide."},
    {"Cannot open the file '%1': %2", "Impossible d'ouvrir le fichier '%1' : %2"},
    {"The file '%1' already exists.", "Le fichier '%1' existe déjà."},
    {"Cannot create the file '%1': %2", "Impossible de créer le fichier '%1' : %2"},
    {"The field is too small to accept the amount of data you attempted to add%1",
     "Le champ est trop petit pour accepter le volume de données que vous avez tenté d'ajouter. "
     "Essayez d'insérer ou de coller moins de données."},
    // SQLite's messages, given the text of the same refusal in an Access database.
    {"attempt to write a readonly database",
     "Mise à jour impossible ; base de données ou objet en lecture seule."},
    {"UNIQUE constraint failed%1",
     "Les modifications que vous avez demandées n'ont pas pu être effectuées correctement car "
     "elles créeraient des valeurs en double dans l'index, dans la clé primaire ou dans la "
     "relation. Modifiez les données dans le ou les champs qui contiennent des valeurs en double, "
     "supprimez l'index ou redéfinissez-le pour permettre les entrées en double et réessayez."},
    {"FOREIGN KEY constraint failed",
     "Impossible d'ajouter, de modifier ou de supprimer l'enregistrement : un enregistrement "
     "connexe est requis dans une autre table, ou une autre table comprend des enregistrements "
     "connexes."},
    {"NOT NULL constraint failed: %1",
     "Le champ '%1' ne peut pas contenir de valeur Null car la propriété Required de ce champ "
     "est True. Entrez une valeur dans ce champ."},
    {"no such table: %1",
     "Impossible de trouver la table ou la requête source '%1'. Assurez-vous qu'elle existe et "
     "que son nom est correctement orthographié."},
    {"no such column: %1", "Aucune valeur donnée pour un ou plusieurs des paramètres requis."},
    {"near %1: syntax error", "Erreur de syntaxe près de %1."},
    {"incomplete input", "Erreur de syntaxe : instruction incomplète."},
    {"database is locked", "Mise à jour impossible ; actuellement verrouillé."},
    {"database or disk is full",
     "Espace insuffisant sur le disque : libérez de la place, puis recommencez l'opération."},
    {"disk I/O error", "Erreur de lecture ou d'écriture sur le disque ou le réseau."},
    {"access permission denied", "Accès au fichier de base de données refusé."},
    {"out of memory", "Mémoire insuffisante."},
    {"malformed database schema%1",
     "La base de données est endommagée ou n'est pas un fichier de base de données."},
    {"database table is locked", "Mise à jour impossible ; actuellement verrouillé."},
    {"file is not a database", "Format de base de données non reconnu."},
    {"unable to open database file", "Impossible d'ouvrir le fichier de base de données."},
    {"database disk image is malformed",
     "La base de données est endommagée ou n'est pas un fichier de base de données."},
    {"datatype mismatch", "Type de données incompatible dans l'expression du critère."},
}};

// The parts of the text that stand for %1 and %2 when the text has the pattern's wording.
std::optional<std::vector<std::string>> Match(std::string_view pattern, std::string_view text)
{
    std::vector<std::string> parts;
    size_t p = 0;
    size_t t = 0;
    while (p < pattern.size()) {
        const size_t mark = pattern.find('%', p);
        const std::string_view literal = pattern.substr(p, mark - p);
        if (text.substr(t, literal.size()) != literal) {
            return std::nullopt;
        }
        t += literal.size();
        if (mark == std::string_view::npos) {
            break;
        }
        p = mark + 2;
        // The part ends where the next literal starts; the last part takes the rest.
        const size_t next = pattern.find('%', p);
        const std::string_view following = pattern.substr(p, next - p);
        const size_t end = following.empty()                ? text.size()
                           : next == std::string_view::npos ? text.rfind(following)
                                                            : text.find(following, t);
        if (end == std::string_view::npos || end < t) {
            return std::nullopt;
        }
        parts.emplace_back(text.substr(t, end - t));
        t = end;
    }
    if (t != text.size()) {
        return std::nullopt;
    }
    return parts;
}

std::string Fill(std::string_view french, const std::vector<std::string>& parts)
{
    std::string out;
    for (size_t i = 0; i < french.size(); ++i) {
        if (french[i] == '%' && i + 1 < french.size() && french[i + 1] >= '1' &&
            french[i + 1] <= '9') {
            const size_t index = static_cast<size_t>(french[i + 1] - '1');
            if (index < parts.size()) {
                // A message inside a message ("Cannot open the file 'x': <SQLite's message>").
                out += index == 0 ? parts[index] : FrenchDescription(parts[index]);
            }
            ++i;
        } else {
            out += french[i];
        }
    }
    return out;
}

} // namespace

std::string FrenchDescription(std::string_view description)
{
    for (const auto& [english, french] : Texts) {
        if (auto parts = Match(english, description)) {
            return Fill(french, *parts);
        }
    }
    return std::string(description);
}

} // namespace ado::detail
