#pragma once
// libvardex.so registered by the registration command in a fresh registry store for each test,
// as a client finds it. VardexApartmentFixture also joins the test's thread to the multithreaded
// apartment. The test target defines REGSVR and VARDEX_LIBRARY.

#include "platform/com/Atl.h"
#include "tests/platform/registry/RegistryFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

class VardexRegistryFixture : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        ASSERT_EQ(RunRegistrationCommand(), 0);
    }

    // The registration command's exit status on the library; "-u" unregisters it.
    static int RunRegistrationCommand(const std::string& option = {})
    {
        std::string command = "'" + std::string(REGSVR) + "' ";
        if (!option.empty())
            command += option + " ";
        command += "'" + std::string(VARDEX_LIBRARY) + "' > /dev/null";
        return std::system(command.c_str());
    }
};

class VardexApartmentFixture : public VardexRegistryFixture
{
protected:
    void SetUp() override
    {
        VardexRegistryFixture::SetUp();
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    }
    void TearDown() override
    {
        CoUninitialize();
        VardexRegistryFixture::TearDown();
    }
};
