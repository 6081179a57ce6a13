#pragma once
// The windows that the subsystems reach through the small classes of harnix/commun (the
// article picker, the reports), installed by the shell, which links every subsystem.

namespace Fenetres {

void Enregistrer();

} // namespace Fenetres
