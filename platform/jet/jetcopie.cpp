// jetcopie SOURCE DESTINATION: copies the Access file SOURCE into a new database file
// DESTINATION (see jet::CopyToDatabase). The reader of outside files runs in this process of its
// own, so that a damaged file can only end this process. Exit 0 only when DESTINATION is
// complete; otherwise a message on the error output, and DESTINATION is not left behind.
#include "platform/jet/Jet.h"

#include "platform/vb/Error.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: jetcopie SOURCE DESTINATION\n");
        return 2;
    }
    try {
        jet::CopyToDatabase(argv[1], argv[2]);
    } catch (const vb::Error& erreur) {
        std::fprintf(stderr, "jetcopie: %s\n", erreur.Description().c_str());
        return 1;
    }
    return 0;
}
