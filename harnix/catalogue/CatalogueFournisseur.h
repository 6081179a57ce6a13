#pragma once
// The supplier's catalogue fichiervalmora.MDB of the program folder. A supplier sends a real
// Access file, which Linux cannot write: the operations then work on a copy beside it,
// fichiervalmora.copie.MDB, made from it with its tables and rows by the program jetcopie. The
// copy records the size and times of the file it was made from and is made again when the
// supplier's file differs from that; the prepared rows of the work table FICHIERARTICLE4 pass
// from the former copy into the new one. A catalogue that is already a database file of this system
// is used as it stands.

#include "harnix/magasin/CatalogueArticles.h"

#include <string>

namespace CatalogueFournisseur {

inline constexpr const char* NomCatalogue = "fichiervalmora.MDB";
inline constexpr const char* NomCopie = "fichiervalmora.copie.MDB";
inline constexpr const char* TableDeTravail = CatalogueArticles::TableDeTravail;

// The file the operations work on, for a folder that holds the catalogue. Raises vb::Error
// 0x80004005 when there is none or it cannot be copied.
std::string FichierDeTravail(const std::string& dossier);

// The connection string of a catalogue file: no password.
std::string ChaineConnexion(const std::string& fichier);

} // namespace CatalogueFournisseur
