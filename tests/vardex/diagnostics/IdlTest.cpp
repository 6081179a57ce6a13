// The repository identifiers that the generated stubs and TypeCodes carry: the server and the
// library match interfaces, types and exceptions by these texts.

#include "implserv.hh"
#include "norvel.hh"
#include "norveldiag.hh"
#include "norveli.hh"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Identifier
{
    const char* actual;
    const char* expected;
};

TEST(Idl, RepositoryIdentifiersCarryThePrefixAndVersions)
{
    using namespace Norvel;
    const Identifier table[] = {
        {Norveldiag::NorvelDiagnostics::_PD_repoId,
         "IDL:halvorn.com/Norvel/Norveldiag/NorvelDiagnostics:1.0"},
        {Norveldiag::NorvelDiagnosticsProbeListener::_PD_repoId,
         "IDL:halvorn.com/Norvel/Norveldiag/NorvelDiagnosticsProbeListener:1.0"},
        {Norveldiag::NorvelDiagnosticsListener::_PD_repoId,
         "IDL:halvorn.com/Norvel/Norveldiag/NorvelDiagnosticsListener:1.0"},
        {Norveldiag::_tc_topic_verbosity->id(),
         "IDL:halvorn.com/Norvel/Norveldiag/topic_verbosity:1.0"},
        {Norveldiag::_tc_topic_verbosity_TYPE->id(),
         "IDL:halvorn.com/Norvel/Norveldiag/topic_verbosity_TYPE:1.0"},
        {Norveldiag::_tc_SeqTopicVerbosity->id(),
         "IDL:halvorn.com/Norvel/Norveldiag/SeqTopicVerbosity:1.0"},
        {ImplServ::QuollFactory::_PD_repoId, "IDL:halvorn.com/ImplServ/QuollFactory:3.1"},
        {ImplServ::QuollFactory::_tc_connection_failure->id(),
         "IDL:halvorn.com/ImplServ/QuollFactory/connection_failure:1.0"},
        {ImplServ::QuollFactory::_tc_SeqObjects->id(),
         "IDL:halvorn.com/ImplServ/QuollFactory/SeqObjects:1.0"},
        {_tc_norvel_abuse->id(), "IDL:halvorn.com/Norvel/norvel_abuse:3.2"},
        {NorvelEvent::_PD_repoId, "IDL:halvorn.com/Norvel/NorvelEvent:3.2"},
        {_tc_message_union->id(), "IDL:halvorn.com/Norvel/message_union:1.0"},
        {_tc_MessageSeq->id(), "IDL:halvorn.com/Norvel/MessageSeq:1.0"},
        {_tc_SeqTypeCode->id(), "IDL:halvorn.com/Norvel/SeqTypeCode:1.0"},
        {_tc_dateTime_TYPE->id(), "IDL:halvorn.com/Norvel/dateTime_TYPE:1.0"},
        {Norveli::InfoCollectionListener::_PD_repoId,
         "IDL:Norvel/Norveli/InfoCollectionListener:3.0"},
        {Norveli::InfoStore::_PD_repoId, "IDL:Norvel/Norveli/InfoStore:3.0"},
        {Norveli::InfoStore::_tc_BatchError->id(), "IDL:Norvel/Norveli/InfoStore/BatchError:1.0"},
        {Norveli::_tc_UID->id(), "IDL:Norvel/Norveli/UID:1.0"},
        {Norveli::_tc_info_wire_ob->id(), "IDL:Norvel/Norveli/info_wire_ob:1.0"},
    };
    for (const auto& row : table)
        EXPECT_EQ(std::string(row.actual), row.expected);
}

TEST(Idl, BatchErrorGoesIntoAnAnyAndComesBackOnlyAsItself)
{
    auto* batch = new Norvel::Norveli::InfoStore::BatchError;
    batch->failedItems.length(2);
    batch->failedItems[0] = 4;
    batch->failedItems[1] = 9;
    CORBA::Any any;
    any <<= batch; // the Any takes the value

    const Norvel::Norveli::InfoStore::BatchError* out = nullptr;
    ASSERT_TRUE(any >>= out);
    EXPECT_EQ(out, batch);
    EXPECT_EQ(out->failedItems[1], 9);

    CORBA::Any other;
    other <<= CORBA::Long(3);
    const Norvel::Norveli::InfoStore::BatchError* none = nullptr;
    EXPECT_FALSE(other >>= none);
    CORBA::Long left = 0;
    EXPECT_TRUE(other >>= left);
    EXPECT_EQ(left, 3);
}

} // namespace
