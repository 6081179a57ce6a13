#include "tests/platform/com/Counter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

LONG moduleLocks()
{
    return com::atlModule().GetLockCount();
}

// Arguments for IDispatch::Invoke, given first to last.
class Arguments
{
public:
    Arguments(std::initializer_list<CComVariant> args) : m_args(args.begin(), args.end())
    {
        std::reverse(m_args.begin(), m_args.end());
    }
    DISPPARAMS* params()
    {
        m_params = {m_args.empty() ? nullptr : m_args.data(), nullptr,
                    static_cast<UINT>(m_args.size()), 0};
        return &m_params;
    }
    DISPPARAMS* put()
    {
        params();
        m_params.rgdispidNamedArgs = &m_putId;
        m_params.cNamedArgs = 1;
        return &m_params;
    }

private:
    std::vector<CComVariant> m_args;
    DISPPARAMS m_params{};
    DISPID m_putId = DISPID_PROPERTYPUT;
};

class Framework : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_locks = moduleLocks();
        ASSERT_EQ(CComObject<CCounter>::CreateInstance(&m_counter), S_OK);
        m_counter->AddRef();
        m_dispatch = static_cast<ICounter*>(m_counter);
    }
    void TearDown() override
    {
        m_dispatch.Release();
        m_counter->Release();
        EXPECT_EQ(moduleLocks(), m_locks);
    }

    DISPID idOf(const char16_t* name)
    {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = 12345;
        EXPECT_EQ(m_dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        return id;
    }
    HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excep = nullptr, UINT* argErr = nullptr)
    {
        return m_dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, params, result, excep,
                                  argErr);
    }

    LONG m_locks = 0;
    CComObject<CCounter>* m_counter = nullptr;
    CComPtr<IDispatch> m_dispatch;
};

TEST_F(Framework, ObjectsCountInTheModuleWhileTheyLive)
{
    EXPECT_EQ(moduleLocks(), m_locks + 1);
    CComObject<CCounter>* second = nullptr;
    ASSERT_EQ(CComObject<CCounter>::CreateInstance(&second), S_OK);
    EXPECT_EQ(second->m_dwRef, 0);
    EXPECT_EQ(moduleLocks(), m_locks + 2);
    second->AddRef();
    EXPECT_EQ(second->Release(), 0u);
    EXPECT_EQ(moduleLocks(), m_locks + 1);
}

TEST_F(Framework, QueryInterfaceFollowsTheMap)
{
    CComPtr<IUnknown> fromCounter;
    CComPtr<IUnknown> fromDispatch;
    ASSERT_EQ(m_counter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromCounter)),
              S_OK);
    ASSERT_EQ(m_dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromDispatch)),
              S_OK);
    EXPECT_EQ(fromCounter.p, fromDispatch.p);
    EXPECT_TRUE(m_dispatch.IsEqualObject(fromCounter));

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(m_counter->QueryInterface(IID_IEnumVARIANT, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(m_counter->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    CComQIPtr<ISupportErrorInfo> support(static_cast<IUnknown*>(m_dispatch.p));
    ASSERT_TRUE(support);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(ICounter::iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    CComQIPtr<IEnumVARIANT> notThere(static_cast<IUnknown*>(m_dispatch.p));
    EXPECT_FALSE(notThere);

    LONG before = m_counter->m_dwRef;
    {
        CComPtr<ICounter> a(m_counter);
        CComPtr<ICounter> b = a;
        CComPtr<ICounter> c = std::move(b);
        EXPECT_EQ(m_counter->m_dwRef, before + 2);
        EXPECT_EQ(b.p, nullptr);
    }
    EXPECT_EQ(m_counter->m_dwRef, before);
}

struct FailingConstruction : CCounter
{
    static inline int released = 0;
    HRESULT FinalConstruct() { return E_OUTOFMEMORY; }
    void FinalRelease() { ++released; }
};

TEST_F(Framework, FailedFinalConstructDestroysTheObject)
{
    FailingConstruction::released = 0;
    CComObject<FailingConstruction>* object = nullptr;
    EXPECT_EQ(CComObject<FailingConstruction>::CreateInstance(&object), E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(FailingConstruction::released, 1);
    EXPECT_EQ(moduleLocks(), m_locks + 1);
}

TEST_F(Framework, DispatchNamesIgnoreCase)
{
    EXPECT_EQ(idOf(u"value"), DISPID_VALUE);
    EXPECT_EQ(idOf(u"ADD"), 0x60020002);
    EXPECT_EQ(idOf(u"Name"), 0x60020003);
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"Missing")};
    DISPID id = 0;
    EXPECT_EQ(m_dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    EXPECT_EQ(m_dispatch->GetIDsOfNames(IID_IDispatch, names, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
    // Argument names are not known to the table.
    LPOLESTR withArgument[] = {const_cast<LPOLESTR>(u"Add"), const_cast<LPOLESTR>(u"amount")};
    DISPID ids[2];
    EXPECT_EQ(m_dispatch->GetIDsOfNames(IID_NULL, withArgument, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 0x60020002);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);

    UINT count = 0;
    EXPECT_EQ(m_dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    CComPtr<ITypeInfo> info;
    ASSERT_EQ(m_dispatch->GetTypeInfo(0, 0, &info), S_OK);
    CComBSTR name;
    CComBSTR doc;
    ASSERT_EQ(info->GetDocumentation(-1, &name, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(name.toUtf8(), "ICounter");
    EXPECT_EQ(doc.toUtf8(), "Counter Interface");
    name.Empty();
    doc.Empty();
    ASSERT_EQ(info->GetDocumentation(0x60020002, &name, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(name.toUtf8(), "Add");
    EXPECT_EQ(info->GetDocumentation(99, &name, nullptr, nullptr, nullptr), TYPE_E_ELEMENTNOTFOUND);
    CComPtr<ITypeInfo> other;
    EXPECT_EQ(m_dispatch->GetTypeInfo(1, 0, &other), DISP_E_BADINDEX);
    // The standard type information, with the member flags under the runtime's own interface.
    constexpr IID standardTypeInfo{0x00020401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    void* standard = nullptr;
    EXPECT_EQ(info->QueryInterface(standardTypeInfo, &standard), S_OK);
    EXPECT_EQ(standard, static_cast<void*>(info.p));
    CComQIPtr<ITypeInfoFlags> flags(info);
    ASSERT_TRUE(flags);
    WORD memberFlags = 1;
    EXPECT_EQ(flags->GetFuncFlags(0x60020002, &memberFlags), S_OK);
    EXPECT_EQ(memberFlags, 0);
    EXPECT_EQ(flags->GetFuncFlags(99, &memberFlags), TYPE_E_ELEMENTNOTFOUND);
}

TEST_F(Framework, InvokeConvertsArgumentsAndReturnsTheResult)
{
    Arguments put{CComVariant("41")}; // text converted to the long parameter
    ASSERT_EQ(invoke(DISPID_VALUE, DISPATCH_PROPERTYPUT, put.put(), nullptr), S_OK);
    EXPECT_EQ(m_counter->m_value, 41);

    Arguments add{CComVariant(SHORT{1})};
    CComVariant total;
    ASSERT_EQ(invoke(0x60020002, DISPATCH_METHOD, add.params(), &total), S_OK);
    EXPECT_EQ(total.vt, VT_I4);
    EXPECT_EQ(total.lVal, 42);

    CComVariant value;
    ASSERT_EQ(
        invoke(DISPID_VALUE, DISPATCH_PROPERTYGET | DISPATCH_METHOD, Arguments{}.params(), &value),
        S_OK);
    EXPECT_EQ(value.lVal, 42);

    Arguments name{CComVariant("Entrepôt")};
    ASSERT_EQ(invoke(0x60020003, DISPATCH_PROPERTYPUT, name.put(), nullptr), S_OK);
    CComVariant got;
    ASSERT_EQ(invoke(0x60020003, DISPATCH_PROPERTYGET, Arguments{}.params(), &got), S_OK);
    EXPECT_EQ(got.vt, VT_BSTR);
    EXPECT_EQ(com::utf8FromUtf16(com::bstrView(got.bstrVal)), "Entrepôt");

    CComVariant self;
    ASSERT_EQ(invoke(0x60020006, DISPATCH_PROPERTYGET, Arguments{}.params(), &self), S_OK);
    EXPECT_EQ(self.vt, VT_DISPATCH);
    EXPECT_EQ(self.pdispVal, m_dispatch.p);

    // An omitted trailing VARIANT arrives as "parameter not found".
    CComVariant described;
    Arguments one{CComVariant(LONG{3})};
    ASSERT_EQ(invoke(0x60020007, DISPATCH_METHOD, one.params(), &described), S_OK);
    EXPECT_EQ(com::utf8FromUtf16(com::bstrView(described.bstrVal)), "3/missing");
    Arguments two{CComVariant(LONG{3}), CComVariant("x")};
    ASSERT_EQ(invoke(0x60020007, DISPATCH_METHOD, two.params(), &described), S_OK);
    EXPECT_EQ(com::utf8FromUtf16(com::bstrView(described.bstrVal)), "3/8");
}

TEST_F(Framework, InvokeRefusesBadCalls)
{
    UINT argErr = 99;
    CComVariant result;
    Arguments bad{CComVariant("many")};
    EXPECT_EQ(invoke(0x60020002, DISPATCH_METHOD, bad.params(), &result, nullptr, &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    Arguments two{CComVariant(LONG{3}), CComVariant("many")};
    EXPECT_EQ(invoke(0x60020007, DISPATCH_METHOD, two.params(), &result), S_OK);
    Arguments shortOverflow{CComVariant(LONG{70000}), CComVariant()};
    EXPECT_EQ(
        invoke(0x60020007, DISPATCH_METHOD, shortOverflow.params(), &result, nullptr, &argErr),
        DISP_E_OVERFLOW);
    EXPECT_EQ(argErr, 1u); // the first argument sits last in the array
    EXPECT_EQ(invoke(0x60020002, DISPATCH_METHOD, Arguments{}.params(), &result),
              DISP_E_PARAMNOTOPTIONAL);
    Arguments tooMany{CComVariant(LONG{1}), CComVariant(LONG{2})};
    EXPECT_EQ(invoke(0x60020002, DISPATCH_METHOD, tooMany.params(), &result), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(invoke(0x7777, DISPATCH_METHOD, Arguments{}.params(), &result),
              DISP_E_MEMBERNOTFOUND);
    Arguments value{CComVariant(LONG{1})};
    EXPECT_EQ(invoke(0x60020002, DISPATCH_PROPERTYPUT, value.put(), nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(invoke(DISPID_VALUE, DISPATCH_PROPERTYPUT, value.params(), nullptr),
              DISP_E_PARAMNOTFOUND); // a put names its value
    DISPPARAMS* named = value.put();
    EXPECT_EQ(invoke(0x60020002, DISPATCH_METHOD, named, &result), DISP_E_NONAMEDARGS);
    EXPECT_EQ(m_dispatch->Invoke(0x60020002, IID_IDispatch, 0, DISPATCH_METHOD, value.params(),
                                 &result, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(m_counter->m_value, 0);
}

TEST_F(Framework, FailingMembersRaiseAnExceptionWithTheirErrorInformation)
{
    EXCEPINFO excep{};
    CComVariant result;
    ASSERT_EQ(invoke(0x60020005, DISPATCH_METHOD, Arguments{}.params(), &result, &excep),
              DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, com::hr(0x80042A37));
    EXPECT_EQ(com::utf8FromUtf16(com::bstrView(excep.bstrDescription)), "counter failed");
    EXPECT_EQ(com::utf8FromUtf16(com::bstrView(excep.bstrSource)), "Test.Counter");
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrHelpFile);
    IErrorInfo* left = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &left), S_FALSE); // taken by the dispatcher
    // A direct vtable call returns the member's own result.
    CComQIPtr<ICounter> counter(static_cast<IUnknown*>(m_dispatch.p));
    EXPECT_EQ(counter->Fail(), com::hr(0x80042A37));
    SetErrorInfo(0, nullptr);
}

TEST_F(Framework, ByReferenceArgumentsAreWrittenBack)
{
    m_counter->m_value = 5;
    LONG other = 9;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &other;
    DISPPARAMS params{&ref, nullptr, 1, 0};
    CComVariant old;
    ASSERT_EQ(invoke(0x60020008, DISPATCH_METHOD, &params, &old), S_OK);
    EXPECT_EQ(old.lVal, 5);
    EXPECT_EQ(other, 5);
    EXPECT_EQ(m_counter->m_value, 9);
    Arguments byValue{CComVariant(LONG{1})};
    EXPECT_EQ(invoke(0x60020008, DISPATCH_METHOD, byValue.params(), &old), DISP_E_TYPEMISMATCH);
}

// An outer object that aggregates an inner one and counts its own references.
class Outer : public IUnknown
{
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return inner->QueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return ++count; }
    ULONG Release() override { return --count; }
    ULONG count = 1;
    IUnknown* inner = nullptr;
};

struct Aggregatable : CCounter
{
    using _CreatorClass = CComAggregatable<Aggregatable>;
};

TEST_F(Framework, AggregationDelegatesToTheOuterObject)
{
    Outer outer;
    LONG locks = moduleLocks();
    ASSERT_EQ(Aggregatable::_CreatorClass::CreateInstance(&outer, IID_IUnknown,
                                                          reinterpret_cast<void**>(&outer.inner)),
              S_OK);
    EXPECT_EQ(moduleLocks(), locks + 1);
    EXPECT_EQ(outer.count, 1u); // the inner IUnknown counts for itself

    ICounter* counter = nullptr;
    ASSERT_EQ(outer.QueryInterface(ICounter::iid, reinterpret_cast<void**>(&counter)), S_OK);
    EXPECT_EQ(outer.count, 2u);
    IUnknown* identity = nullptr;
    ASSERT_EQ(counter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
    identity->Release();
    counter->Release();
    EXPECT_EQ(outer.count, 1u);

    EXPECT_EQ(outer.inner->Release(), 0u);
    EXPECT_EQ(moduleLocks(), locks);

    // Asking for anything but IUnknown with an outer object fails, as does a class that refuses
    // aggregation.
    void* p = nullptr;
    CComObjectNoLock<CComClassFactory> factory;
    factory.SetVoid(reinterpret_cast<void*>(&Aggregatable::_CreatorClass::CreateInstance));
    EXPECT_EQ(factory.CreateInstance(&outer, ICounter::iid, &p), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CCounter::_CreatorClass::CreateInstance(&outer, IID_IUnknown, &p),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(p, nullptr);
}

TEST_F(Framework, ModuleHandsOutOneCachedFactoryAndCountsServerLocks)
{
    static _ATL_OBJMAP_ENTRY map[] = {com::objectEntry<CCounter>(), com::objectMapEnd()};
    CComModule module;
    module.Init(map);
    LONG locks = module.GetLockCount();

    CComPtr<IClassFactory> first;
    CComPtr<IClassFactory> second;
    ASSERT_EQ(
        module.GetClassObject(CLSID_Counter, IID_IClassFactory, reinterpret_cast<void**>(&first)),
        S_OK);
    ASSERT_EQ(
        module.GetClassObject(CLSID_Counter, IID_IClassFactory, reinterpret_cast<void**>(&second)),
        S_OK);
    EXPECT_EQ(first.p, second.p);
    EXPECT_EQ(module.GetLockCount(), locks); // factories do not hold the module
    void* none = nullptr;
    EXPECT_EQ(module.GetClassObject(ICounter::iid, IID_IClassFactory, &none),
              CLASS_E_CLASSNOTAVAILABLE);

    EXPECT_EQ(module.DllCanUnloadNow(), locks == 0 ? S_OK : S_FALSE);
    first->LockServer(TRUE);
    EXPECT_EQ(module.DllCanUnloadNow(), S_FALSE);
    first->LockServer(FALSE);

    CComPtr<ICounter> counter;
    ASSERT_EQ(first->CreateInstance(nullptr, ICounter::iid, reinterpret_cast<void**>(&counter)),
              S_OK);
    EXPECT_EQ(module.GetLockCount(), locks + 1);
    EXPECT_EQ(module.DllCanUnloadNow(), S_FALSE);
    counter.Release();
    EXPECT_EQ(module.GetLockCount(), locks);
    Outer outer;
    EXPECT_EQ(first->CreateInstance(&outer, IID_IUnknown, &none), CLASS_E_NOAGGREGATION);
    first.Release();
    second.Release();
    module.Term();
}

TEST(EnumVariant, IsASnapshotWithItsOwnCursor)
{
    CComVariant items[] = {CComVariant(LONG{1}), CComVariant("two"), CComVariant(3.0)};
    CComObject<CComEnumVariant>* object = nullptr;
    ASSERT_EQ(CComObject<CComEnumVariant>::CreateInstance(&object), S_OK);
    CComPtr<IEnumVARIANT> enumerator(object);
    ASSERT_EQ(object->Init(items, items + 3, nullptr), S_OK);
    items[1] = CComVariant("changed"); // later changes do not reach the snapshot

    VARIANT out[2];
    ULONG fetched = 0;
    ASSERT_EQ(enumerator->Next(2, out, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(out[0].lVal, 1);
    EXPECT_EQ(com::bstrView(out[1].bstrVal), u"two");
    VariantClear(&out[0]);
    VariantClear(&out[1]);

    CComPtr<IEnumVARIANT> clone;
    ASSERT_EQ(enumerator->Clone(&clone), S_OK);
    EXPECT_EQ(enumerator->Next(2, out, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(out[0].dblVal, 3.0);
    VariantClear(&out[0]);
    EXPECT_EQ(enumerator->Next(1, out, nullptr), S_FALSE);
    EXPECT_EQ(enumerator->Next(2, out, nullptr), E_POINTER);

    // The clone kept the position at the time of cloning.
    ASSERT_EQ(clone->Next(1, out, nullptr), S_OK);
    EXPECT_EQ(out[0].dblVal, 3.0);
    VariantClear(&out[0]);

    EXPECT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(enumerator->Skip(3), S_OK);
    EXPECT_EQ(enumerator->Skip(1), S_FALSE);
    enumerator->Reset();
    EXPECT_EQ(enumerator->Skip(5), S_FALSE);
}

} // namespace
