#pragma once
// Makes the calling thread known to the thread library for one COM call: a thread the library
// does not know (a client's own thread) is adopted until the guard goes.

#include "platform/jtc/Thread.h"

#include <memory>

class SafeAdopter
{
public:
    SafeAdopter();
    ~SafeAdopter();
    SafeAdopter(const SafeAdopter&) = delete;
    SafeAdopter& operator=(const SafeAdopter&) = delete;

    bool Adopted() const { return m_adopter != nullptr; }

private:
    std::unique_ptr<JTCAdoptCurrentThread> m_adopter;
};
