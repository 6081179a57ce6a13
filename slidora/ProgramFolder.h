#pragma once

#include <QString>

namespace slidora {

// The folder of the running program, where zad.wmv and fourcc.txt lie.
QString ProgramFolder();

// Makes another folder the program folder (tests run the window in a folder of their own).
void SetProgramFolder(const QString& folder);

} // namespace slidora
