#include "vardex/support/refcount.h"

#include "AssertRecorder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <type_traits>
#include <vector>

namespace {

class Counted : public CRefCount
{
public:
    explicit Counted(int* deleted = nullptr) : m_deleted(deleted) {}
    ~Counted() override
    {
        if (m_deleted)
            ++*m_deleted;
    }
    int value = 7;

private:
    int* m_deleted;
};

const std::string kAdoptAssert = "!p || (p && !((CRefCount*)(p))->IsStackObject())";
const std::string kDestroyAssert = "m_lRefCount == ((m_IsStackObject) ? 1 : 0)";

TEST(CRefCount, PointerCopiesShareOneObjectDeletedOnce)
{
    AssertRecorder asserts;
    int deleted = 0;
    {
        CRefCountPtr<Counted> first(new Counted(&deleted));
        EXPECT_EQ(first->AddRef(), 2);
        EXPECT_EQ(first->Release(), 1);
        CRefCountPtr<Counted> second = first;
        EXPECT_EQ(first->AddRef(), 3);
        first->Release();
        CRefCountPtr<Counted> third;
        third = second;
        third = third; // self-assignment keeps the count
        EXPECT_EQ(third->AddRef(), 4);
        third->Release();
        CRefCountPtr<Counted> moved = std::move(third);
        EXPECT_EQ(third.get(), nullptr);
        EXPECT_EQ(moved->value, 7);
    }
    EXPECT_EQ(deleted, 1);
    EXPECT_TRUE(asserts.Reports().empty());
}

// A raw pointer is never adopted or handed out without saying so: `base = derived;` would
// otherwise adopt a reference nobody gave and release the object once too often.
struct Derived : Counted
{
};
static_assert(!std::is_convertible_v<Counted*, CRefCountPtr<Counted>>);
static_assert(!std::is_assignable_v<CRefCountPtr<Counted>&, Derived*>);
static_assert(!std::is_convertible_v<CRefCountPtr<Counted>, Counted*>);

TEST(CRefCount, AdoptingRawPointersReleasesTheOldObject)
{
    AssertRecorder asserts;
    int deletedA = 0, deletedB = 0;
    CRefCountPtr<Counted> p(new Counted(&deletedA));
    p.Adopt(new Counted(&deletedB));
    EXPECT_EQ(deletedA, 1);
    EXPECT_EQ(deletedB, 0);
    // Adopting the pointer already held must not release it.
    p.Adopt(p.get());
    EXPECT_EQ(deletedB, 0);
    EXPECT_EQ(p->value, 7);
    p = nullptr;
    EXPECT_EQ(deletedB, 1);
    EXPECT_TRUE(asserts.Reports().empty());
}

TEST(CRefCount, StackObjectIsReportedWhenAdoptedAndKept)
{
    AssertRecorder asserts;
    Counted onStack;
    onStack.SetStackObject(true);
    EXPECT_TRUE(onStack.IsStackObject());
    {
        CRefCountPtr<Counted> p(&onStack);
        EXPECT_EQ(p.get(), &onStack);
        ASSERT_EQ(asserts.Reports().size(), 1u);
        EXPECT_EQ(asserts.Reports()[0].expression, kAdoptAssert);
        EXPECT_EQ(asserts.Reports()[0].file, "refcount");
        p->AddRef(); // the pointer's Release at scope end brings it back to 1
    }
    asserts.Clear();
    // Destroyed at scope end with count 1: no report for a stack object.
}

TEST(CRefCount, DestroyingWithAWrongCountIsReportedAndStillDestroys)
{
    AssertRecorder asserts;
    int deleted = 0;
    struct Case
    {
        bool stackObject;
        int extraRefs; // on top of the count of 1 after construction
        bool reported;
    };
    for (const Case& c :
         {Case{false, 0, true}, Case{false, 2, true}, Case{true, 0, false}, Case{true, 1, true}}) {
        asserts.Clear();
        auto* object = new Counted(&deleted);
        object->SetStackObject(c.stackObject);
        for (int i = 0; i < c.extraRefs; ++i)
            object->AddRef();
        delete object;
        EXPECT_EQ(asserts.Expressions(), c.reported ? std::vector<std::string>{kDestroyAssert}
                                                    : std::vector<std::string>{})
            << "stack " << c.stackObject << " extra " << c.extraRefs;
    }
    EXPECT_EQ(deleted, 4);

    // Released to 0: no report.
    asserts.Clear();
    (new Counted(&deleted))->Release();
    EXPECT_EQ(deleted, 5);
    EXPECT_TRUE(asserts.Reports().empty());
}

TEST(CRefCount, NullDereferenceIsReportedAndRefused)
{
    AssertRecorder asserts;
    CRefCountPtr<Counted> none;
    EXPECT_THROW((void)none->value, std::logic_error);
    EXPECT_THROW((void)(*none).value, std::logic_error);
    EXPECT_EQ(asserts.Expressions(), (std::vector<std::string>{"m_p!=0", "m_p!=0"}));
}

TEST(CRefCount, CountsStayExactAcrossThreads)
{
    int deleted = 0;
    CRefCountPtr<Counted> shared(new Counted(&deleted));
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([shared] {
            for (int i = 0; i < 10000; ++i) {
                CRefCountPtr<Counted> copy = shared;
                CRefCountPtr<Counted> another(copy);
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(shared->AddRef(), 2);
    shared->Release();
    shared = nullptr;
    EXPECT_EQ(deleted, 1);
}

} // namespace
