#include "platform/vb/Error.h"
#include "platform/vb/Convert.h"
#include "platform/vb/ResumeNext.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vb;

namespace {

TEST(Error, KeepsNumberDescriptionAndSource)
{
    const Error e(ErrDatabaseRefused, "Index en double", "ado");
    EXPECT_EQ(e.Number(), -2147217900);
    EXPECT_EQ(e.Description(), "Index en double");
    EXPECT_STREQ(e.what(), "Index en double");
    EXPECT_EQ(e.Source(), "ado");
    EXPECT_EQ(ErrUnspecified, -2147467259);

    try {
        Raise(ErrOverflow, "LireIniInteger");
        FAIL();
    } catch (const Error& raised) {
        EXPECT_EQ(raised.Number(), 6);
        EXPECT_EQ(raised.Description(), "Dépassement de capacité");
        EXPECT_EQ(raised.Source(), "LireIniInteger");
    }
    // The runtime's texts read as on a French installation.
    EXPECT_EQ(ErrorDescription(ErrTypeMismatch), "Incompatibilité de type");
    EXPECT_EQ(ErrorDescription(ErrSubscript), "L'indice n'appartient pas à la sélection");
    EXPECT_EQ(ErrorDescription(26001), "");
}

TEST(ResumeNext, SkipsFailingStatementsAndKeepsTheLastError)
{
    std::vector<int> ran;
    ResumeNext span;
    EXPECT_TRUE(span([&] { ran.push_back(1); }));
    EXPECT_EQ(span.Number(), 0);

    span.Run([&] { ran.push_back(2); },
             [&] {
                 CInt(40000);
                 ran.push_back(-1); // never reached: the rest of the statement is skipped
             },
             [&] { ran.push_back(3); },
             [&] { throw Error(ErrNoCurrentRecord, "pas d'enregistrement", "Recordset"); },
             [&] { ran.push_back(4); });
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(span.Number(), ErrNoCurrentRecord);
    EXPECT_EQ(span.Description(), "pas d'enregistrement");
    EXPECT_EQ(span.Source(), "Recordset");

    // A later success keeps the error, as the language's Err does, until Clear.
    EXPECT_TRUE(span([] {}));
    EXPECT_EQ(span.Number(), ErrNoCurrentRecord);
    EXPECT_EQ(span.LastError().Number(), ErrNoCurrentRecord);
    span.Clear();
    EXPECT_EQ(span.Number(), 0);
    EXPECT_EQ(span.Description(), "");

    EXPECT_FALSE(span([] { throw std::runtime_error("disque plein"); }));
    EXPECT_EQ(span.Number(), ErrUnspecified);
    EXPECT_EQ(span.Description(), "disque plein");
}

} // namespace
