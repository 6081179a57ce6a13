// A second copy of the support library in the process, as another component would carry.
#include "vardex/support/sreshelper.h"

extern "C" __attribute__((visibility("default"))) uint32_t SecondCopyThreadKey()
{
    return SResHelper::ThreadKey();
}
