// What the component runtime's shared library shows a separately compiled client.

#include "tests/platform/com/Exports.h"

#include <gtest/gtest.h>

namespace {

using com::testing::ExportedNames;
using com::testing::IsStandardLibraryName;

TEST(ComExports, TheCInterfaceUnmangledAndNoStandardLibraryInstantiations)
{
    const std::set<std::string> names = ExportedNames(COM_LIBRARY);
    for (const char* name : {"CoCreateInstance", "CoGetClassObject", "SysAllocString",
                             "VariantClear", "SafeArrayCreate", "RegOpenKeyEx"})
        EXPECT_EQ(names.count(name), 1u) << name;
    for (const std::string& name : names)
        EXPECT_FALSE(IsStandardLibraryName(name)) << name;
}

TEST(ComExports, StandardLibraryNamesAreTold)
{
    EXPECT_TRUE(IsStandardLibraryName("_ZNSt8_Rb_treeIiiSt9_IdentityIiESt4lessIiESaIiEE4findERKi"));
    EXPECT_TRUE(
        IsStandardLibraryName("_ZNKSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEE4sizeEv"));
    EXPECT_TRUE(IsStandardLibraryName("_ZTISt16_Sp_counted_baseILN9__gnu_cxx12_Lock_policyE2EE"));
    EXPECT_TRUE(IsStandardLibraryName("_ZSt19piecewise_construct"));
    EXPECT_FALSE(IsStandardLibraryName(
        "_ZN3com13utf8FromUtf16B5cxx11ESt17basic_string_viewIDsSt11char_traitsIDsEE"));
    EXPECT_FALSE(IsStandardLibraryName("SysAllocString"));
}

} // namespace
