// What the benchmarks on a large company's database share: the application and settings
// start-up, the program's connection, the bare floor of a statement and a window opened once.
// HARNIX_LARGE_DB names the program folder holding zad.MDB (harnix-dbtool create <folder>
// --large); some actions write (the work tables, the thresholds): point it at a copy.

#pragma once

#include "platform/ado/Connection.h"
#include "platform/forms/Registry.h"

#include <benchmark/benchmark.h>

#include <string>

namespace grande {

// The application and the settings start-up reads, once for the run; false (and the benchmark
// skipped) when HARNIX_LARGE_DB names no folder holding zad.MDB.
bool Preparer(benchmark::State& state);

// The program's picture folder holding one picture per picture name of the articles, as a
// large company's would; made once (the pictures already there are kept).
void RemplirImages();

// A connection of the run to the large database.
ado::Connection& Connexion();

// Steps the statement bare after the project's translator, reading every column of every row,
// as the floor of an action; returns the rows read.
long Nue(const std::string& sql);

// The window opened and activated once for the run, as the menu opens it.
template <class Fenetre> Fenetre& Ouverte()
{
    static Fenetre& f = []() -> Fenetre& {
        Fenetre& ouverte = forms::form<Fenetre>();
        ouverte.Show();
        ouverte.Form_Activate();
        return ouverte;
    }();
    return f;
}

} // namespace grande
