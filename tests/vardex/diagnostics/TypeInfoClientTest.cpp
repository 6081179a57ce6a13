// A scripting client's view of the library's type information. It is compiled apart from the
// component runtime: it declares the platform's interfaces itself, in their standard layout,
// loads libvardex.so with dlopen and calls the type information by vtable slot only.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

namespace {

using HRESULT = std::int32_t;
using BSTR = char16_t*;

struct Guid
{
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
    bool operator==(const Guid& other) const
    {
        return std::memcmp(this, &other, sizeof *this) == 0;
    }
};

constexpr Guid IidUnknown{0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr Guid IidClassFactory{1, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr Guid IidTypeInfo{0x00020401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr Guid ClsidTopics{
    0x76FD994A, 0xC9E8, 0x11D3, {0x9B, 0xEE, 0x00, 0x90, 0x27, 0x43, 0xCC, 0x7A}};
constexpr Guid IidTopics{
    0x76FD9949, 0xC9E8, 0x11D3, {0x9B, 0xEE, 0x00, 0x90, 0x27, 0x43, 0xCC, 0x7A}};

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001);
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = HRESULT(0x8002802B);

struct Variant
{
    std::uint16_t vt;
    std::uint16_t reserved[3];
    union {
        std::int32_t lVal;
        void* pointer;
        unsigned char bytes[16];
    };
};
static_assert(sizeof(Variant) == 24);

struct DispParams
{
    Variant* rgvarg;
    std::int32_t* rgdispidNamedArgs;
    std::uint32_t cArgs;
    std::uint32_t cNamedArgs;
};

struct TypeDesc
{
    void* inner;
    std::uint16_t vt;
};
struct ElemDesc
{
    TypeDesc tdesc;
    std::uintptr_t reserved;
    std::uint16_t flags;
};
static_assert(sizeof(ElemDesc) == 32);

struct TypeAttr
{
    Guid guid;
    std::uint32_t lcid;
    std::uint32_t dwReserved;
    std::int32_t memidConstructor;
    std::int32_t memidDestructor;
    char16_t* lpstrSchema;
    std::uint32_t cbSizeInstance;
    std::int32_t typekind;
    std::uint16_t cFuncs, cVars, cImplTypes, cbSizeVft, cbAlignment, wTypeFlags, wMajorVerNum,
        wMinorVerNum;
    TypeDesc tdescAlias;
    std::uintptr_t idlReserved;
    std::uint16_t idlFlags;
};

struct FuncDesc
{
    std::int32_t memid;
    std::int32_t* lprgscode;
    ElemDesc* lprgelemdescParam;
    std::int32_t funckind;
    std::int32_t invkind;
    std::int32_t callconv;
    std::int16_t cParams, cParamsOpt, oVft, cScodes;
    ElemDesc elemdescFunc;
    std::uint16_t wFuncFlags;
};

// An interface pointer called by slot number: slot 0 is QueryInterface.
template <class R, class... Args> R CallSlot(void* object, int slot, Args... args)
{
    using Function = R (*)(void*, Args...);
    void** vtable = *static_cast<void***>(object);
    return reinterpret_cast<Function>(vtable[slot])(object, args...);
}

void Release(void* object)
{
    CallSlot<std::uint32_t>(object, 2);
}

class TypeInfoClient : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_library = ::dlopen(VARDEX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_library, nullptr) << ::dlerror();
        auto getClassObject = reinterpret_cast<HRESULT (*)(const Guid&, const Guid&, void**)>(
            ::dlsym(m_library, "DllGetClassObject"));
        // The runtime that the library's BSTRs come from.
        m_freeString = reinterpret_cast<void (*)(BSTR)>(::dlsym(m_library, "SysFreeString"));
        ASSERT_TRUE(getClassObject && m_freeString);
        void* factory = nullptr;
        ASSERT_EQ(getClassObject(ClsidTopics, IidClassFactory, &factory), S_OK);
        // IClassFactory::CreateInstance
        ASSERT_EQ(
            (CallSlot<HRESULT>(factory, 3, static_cast<void*>(nullptr), &IidTopics, &m_topics)),
            S_OK);
        Release(factory);
        // IDispatch::GetTypeInfoCount and GetTypeInfo
        std::uint32_t count = 0;
        ASSERT_EQ(CallSlot<HRESULT>(m_topics, 3, &count), S_OK);
        ASSERT_EQ(count, 1u);
        ASSERT_EQ((CallSlot<HRESULT>(m_topics, 4, 0u, 0u, &m_info)), S_OK);
    }
    void TearDown() override
    {
        if (m_info)
            Release(m_info);
        if (m_topics)
            Release(m_topics);
        // The library stays mapped (it is built not to unload).
    }

    std::string Text(BSTR text)
    {
        std::string out;
        for (const char16_t* c = text; c && *c; ++c)
            out += char(*c);
        m_freeString(text);
        return out;
    }

    void* m_library = nullptr;
    void (*m_freeString)(BSTR) = nullptr;
    void* m_topics = nullptr;
    void* m_info = nullptr;
};

TEST_F(TypeInfoClient, AnswersUnderTheStandardIdentifier)
{
    void* standard = nullptr;
    ASSERT_EQ(CallSlot<HRESULT>(m_info, 0, &IidTypeInfo, &standard), S_OK);
    EXPECT_EQ(standard, m_info);
    Release(standard);
}

TEST_F(TypeInfoClient, DescribesTheInterfaceAndEachFunctionBySlot)
{
    TypeAttr* attributes = nullptr;
    ASSERT_EQ(CallSlot<HRESULT>(m_info, 3, &attributes), S_OK); // GetTypeAttr
    ASSERT_NE(attributes, nullptr);
    EXPECT_EQ(attributes->guid, IidTopics);
    EXPECT_EQ(attributes->typekind, 4); // TKIND_DISPATCH
    EXPECT_EQ(attributes->cFuncs, 9);
    EXPECT_EQ(attributes->cVars, 0);
    const unsigned functions = attributes->cFuncs;
    CallSlot<void>(m_info, 19, attributes); // ReleaseTypeAttr

    struct Seen
    {
        int invkind;
        int params;
        std::uint16_t result;
        std::uint16_t flags;
    };
    std::map<std::string, Seen> seen;
    std::map<std::string, std::int32_t> ids;
    for (unsigned i = 0; i < functions; ++i) {
        FuncDesc* description = nullptr;
        ASSERT_EQ(CallSlot<HRESULT>(m_info, 5, i, &description), S_OK); // GetFuncDesc
        BSTR name = nullptr;
        std::uint32_t names = 0;
        ASSERT_EQ((CallSlot<HRESULT>(m_info, 7, description->memid, &name, 1u, &names)),
                  S_OK); // GetNames
        EXPECT_EQ(names, 1u);
        std::string text = Text(name);
        EXPECT_EQ(description->funckind, 4); // FUNC_DISPATCH
        seen[text] = {description->invkind, description->cParams,
                      description->elemdescFunc.tdesc.vt, description->wFuncFlags};
        if (text == "Add") {
            ASSERT_EQ(description->cParams, 2);
            EXPECT_EQ(description->lprgelemdescParam[0].tdesc.vt, 8); // VT_BSTR
            EXPECT_EQ(description->lprgelemdescParam[1].tdesc.vt, 2); // VT_I2
        }
        ids[text] = description->memid;
        CallSlot<void>(m_info, 20, description); // ReleaseFuncDesc
    }
    FuncDesc* past = reinterpret_cast<FuncDesc*>(1);
    EXPECT_EQ(CallSlot<HRESULT>(m_info, 5, functions, &past), TYPE_E_ELEMENTNOTFOUND);

    EXPECT_EQ(seen["Count"].invkind, 2); // INVOKE_PROPERTYGET
    EXPECT_EQ(seen["Count"].result, 3);  // VT_I4
    EXPECT_EQ(seen["Item"].params, 1);
    EXPECT_EQ(seen["Item"].result, 9);    // VT_DISPATCH
    EXPECT_EQ(seen["Reset"].result, 24);  // VT_VOID
    EXPECT_EQ(seen["_NewEnum"].flags, 1); // FUNCFLAG_FRESTRICTED
    EXPECT_EQ(ids["_NewEnum"], -4);
    EXPECT_EQ(seen["Delete"].invkind, 1); // INVOKE_FUNC

    // GetIDsOfNames (slot 10) and GetDocumentation (slot 12).
    const char16_t* count = u"count";
    std::int32_t id = 0;
    ASSERT_EQ((CallSlot<HRESULT>(m_info, 10, &count, 1u, &id)), S_OK);
    EXPECT_EQ(id, ids["Count"]);
    BSTR help = nullptr;
    ASSERT_EQ(
        (CallSlot<HRESULT>(m_info, 12, ids["Add"], static_cast<BSTR*>(nullptr), &help,
                           static_cast<std::uint32_t*>(nullptr), static_cast<BSTR*>(nullptr))),
        S_OK);
    EXPECT_EQ(Text(help), "Add a new pair");
}

TEST_F(TypeInfoClient, InvokesThroughTheInterfacePointer)
{
    // Add("SQL", 3) then Count, both through ITypeInfo::Invoke (slot 11).
    Variant arguments[2]{};
    arguments[0].vt = 2; // VT_I2, the last argument first
    arguments[0].lVal = 3;
    BSTR(*allocString)
    (const char16_t*) =
        reinterpret_cast<BSTR (*)(const char16_t*)>(::dlsym(m_library, "SysAllocString"));
    ASSERT_TRUE(allocString);
    arguments[1].vt = 8; // VT_BSTR
    arguments[1].pointer = allocString(u"SQL");
    DispParams params{arguments, nullptr, 2, 0};
    Variant result{};
    std::uint32_t argError = 0;
    EXPECT_EQ((CallSlot<HRESULT>(m_info, 11, m_topics, std::int32_t(0x60020007), std::uint16_t(1),
                                 &params, &result, static_cast<void*>(nullptr), &argError)),
              S_OK);
    m_freeString(static_cast<BSTR>(arguments[1].pointer));
    DispParams none{nullptr, nullptr, 0, 0};
    ASSERT_EQ((CallSlot<HRESULT>(m_info, 11, m_topics, std::int32_t(0x60020004), std::uint16_t(2),
                                 &none, &result, static_cast<void*>(nullptr), &argError)),
              S_OK);
    EXPECT_EQ(result.vt, 3);
    EXPECT_EQ(result.lVal, 1);
}

TEST_F(TypeInfoClient, MembersItCannotAnswerSayNotImplemented)
{
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CallSlot<HRESULT>(m_info, 4, &out), E_NOTIMPL); // GetTypeComp
    EXPECT_EQ(out, nullptr);
    std::uint32_t index = 0;
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CallSlot<HRESULT>(m_info, 18, &out, &index), E_NOTIMPL); // GetContainingTypeLib
    EXPECT_EQ(out, nullptr);
    for (int slot : {8, 9}) // GetRefTypeOfImplType, GetImplTypeFlags
        EXPECT_EQ(CallSlot<HRESULT>(m_info, slot, 0u, &index), E_NOTIMPL);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CallSlot<HRESULT>(m_info, 16, static_cast<void*>(nullptr), &IidUnknown, &out),
              E_NOTIMPL); // CreateInstance
    EXPECT_EQ(out, nullptr);
}

} // namespace
