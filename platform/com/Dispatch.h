#pragma once
// IDispatch over a table of dispatch identifiers: table entries made from member functions, and
// IDispatchImpl for a dual interface.

#include "platform/com/Com.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

namespace com {

// The dispatch table of interface I: specialise with `static const DispatchTable& table();`.
template <class I> struct DispatchInfo;

namespace detail {

template <class T>
constexpr bool isInterfacePointer =
    std::is_pointer_v<T>&& std::is_base_of_v<IUnknown, std::remove_pointer_t<T>>;

template <class T>
constexpr bool isOutParameter = std::is_pointer_v<T> && !std::is_same_v<T, BSTR> &&
                                !std::is_same_v<T, LPCOLESTR> && !isInterfacePointer<T>;

template <class T> constexpr VARTYPE vartypeOf()
{
    if constexpr (std::is_same_v<T, SHORT>)
        return VT_I2;
    else if constexpr (std::is_same_v<T, LONG>)
        return VT_I4;
    else if constexpr (std::is_same_v<T, ULONG>)
        return VT_UI4;
    else if constexpr (std::is_same_v<T, USHORT>)
        return VT_UI2;
    else if constexpr (std::is_same_v<T, BYTE>)
        return VT_UI1;
    else if constexpr (std::is_same_v<T, CHAR>)
        return VT_I1;
    else if constexpr (std::is_same_v<T, LONGLONG>)
        return VT_I8;
    else if constexpr (std::is_same_v<T, ULONGLONG>)
        return VT_UI8;
    else if constexpr (std::is_same_v<T, FLOAT>)
        return VT_R4;
    else if constexpr (std::is_same_v<T, DOUBLE>)
        return VT_R8;
    else if constexpr (std::is_same_v<T, CY>)
        return VT_CY;
    else if constexpr (std::is_same_v<T, BSTR>)
        return VT_BSTR;
    else
        static_assert(sizeof(T) == 0, "type not supported in a dispatch table");
}

// The automation type of a value of T: a number or BSTR, a VARIANT or an interface pointer.
template <class T> constexpr VARTYPE automationTypeOf()
{
    if constexpr (std::is_same_v<T, VARIANT>)
        return VT_VARIANT;
    else if constexpr (isInterfacePointer<T>)
        return std::is_base_of_v<IDispatch, std::remove_pointer_t<T>> ? VT_DISPATCH : VT_UNKNOWN;
    else
        return vartypeOf<T>();
}

template <class T> T& variantField(VARIANT& v)
{
    if constexpr (std::is_same_v<T, SHORT>)
        return v.iVal;
    else if constexpr (std::is_same_v<T, LONG>)
        return v.lVal;
    else if constexpr (std::is_same_v<T, ULONG>)
        return v.ulVal;
    else if constexpr (std::is_same_v<T, USHORT>)
        return v.uiVal;
    else if constexpr (std::is_same_v<T, BYTE>)
        return v.bVal;
    else if constexpr (std::is_same_v<T, CHAR>)
        return v.cVal;
    else if constexpr (std::is_same_v<T, LONGLONG>)
        return v.llVal;
    else if constexpr (std::is_same_v<T, ULONGLONG>)
        return v.ullVal;
    else if constexpr (std::is_same_v<T, FLOAT>)
        return v.fltVal;
    else if constexpr (std::is_same_v<T, DOUBLE>)
        return v.dblVal;
    else if constexpr (std::is_same_v<T, CY>)
        return v.cyVal;
    else
        return v.bstrVal;
}

// An in-argument: converted from its VARIANT for the call, released after it.
template <class T> struct InArgument
{
    VARIANT holder{};
    T value{};
    InArgument() { VariantInit(&holder); }
    ~InArgument() { VariantClear(&holder); }
    InArgument(const InArgument&) = delete;
    InArgument& operator=(const InArgument&) = delete;

    // arg null: the argument was omitted.
    HRESULT load(VARIANT* arg)
    {
        if constexpr (std::is_same_v<T, VARIANT>) {
            if (!arg) {
                holder.vt = VT_ERROR;
                holder.scode = DISP_E_PARAMNOTFOUND;
                value = holder;
            } else {
                value = *arg; // the callee borrows the caller's VARIANT
            }
            return S_OK;
        } else if constexpr (isInterfacePointer<T>) {
            using I = std::remove_pointer_t<T>;
            if (!arg)
                return DISP_E_PARAMNOTOPTIONAL;
            VARIANT* v = arg;
            while (v->vt == (VT_BYREF | VT_VARIANT))
                v = v->pvarVal;
            IUnknown* unknown = nullptr;
            switch (v->vt) {
            case VT_EMPTY:
            case VT_NULL:
                return S_OK;
            case VT_UNKNOWN:
            case VT_DISPATCH:
                unknown = v->punkVal;
                break;
            case VT_UNKNOWN | VT_BYREF:
            case VT_DISPATCH | VT_BYREF:
                unknown = *v->ppunkVal;
                break;
            default:
                return DISP_E_TYPEMISMATCH;
            }
            if (!unknown)
                return S_OK;
            void* found = nullptr;
            if (FAILED(unknown->QueryInterface(uuidof<I>(), &found)))
                return DISP_E_TYPEMISMATCH;
            holder.vt = VT_UNKNOWN;
            holder.punkVal = static_cast<IUnknown*>(static_cast<I*>(found));
            value = static_cast<I*>(found);
            return S_OK;
        } else {
            if (!arg)
                return DISP_E_PARAMNOTOPTIONAL;
            HRESULT hr = VariantChangeType(&holder, arg, 0, vartypeOf<T>());
            if (FAILED(hr))
                return hr;
            value = variantField<T>(holder);
            return S_OK;
        }
    }
    T get() { return value; }
};

// An out-argument (a pointer parameter). As the last parameter it is the return value;
// elsewhere the caller passes it by reference.
template <class P> struct OutArgument
{
    using T = std::remove_pointer_t<P>;
    T storage{};
    T* target = &storage;

    OutArgument()
    {
        if constexpr (std::is_same_v<T, VARIANT>)
            VariantInit(&storage);
    }
    OutArgument(const OutArgument&) = delete;
    OutArgument& operator=(const OutArgument&) = delete;

    static constexpr VARTYPE type() { return automationTypeOf<T>(); }

    HRESULT load(VARIANT* arg)
    {
        if (!arg)
            return DISP_E_PARAMNOTOPTIONAL;
        if (arg->vt != (VT_BYREF | type()))
            return DISP_E_TYPEMISMATCH;
        target = static_cast<T*>(arg->byref);
        return S_OK;
    }
    P get() { return target; }

    // Hands the return value to result (or frees it when the caller wants none).
    void deliver(VARIANT* result, bool succeeded)
    {
        VARIANT v;
        VariantInit(&v);
        if constexpr (std::is_same_v<T, VARIANT>) {
            v = storage;
        } else if constexpr (isInterfacePointer<T>) {
            v.vt = type();
            if constexpr (std::is_base_of_v<IDispatch, std::remove_pointer_t<T>>)
                v.pdispVal = static_cast<IDispatch*>(storage);
            else
                v.punkVal = static_cast<IUnknown*>(storage);
        } else {
            v.vt = type();
            variantField<T>(v) = storage;
        }
        if (succeeded && result) {
            VariantClear(result);
            *result = v;
        } else {
            VariantClear(&v);
        }
    }
};

template <class T>
using ArgumentOf = std::conditional_t<isOutParameter<T>, OutArgument<T>, InArgument<T>>;

template <auto Member> struct Invoker;

template <class C, class... Args, HRESULT (C::*Member)(Args...)> struct Invoker<Member>
{
    static constexpr std::size_t count = sizeof...(Args);
    using Last = std::tuple_element_t<count == 0 ? 0 : count - 1, std::tuple<Args..., void>>;
    static constexpr bool hasReturn = count > 0 && isOutParameter<Last>;
    static constexpr std::size_t automationCount = hasReturn ? count - 1 : count;

    template <class A> static constexpr VARTYPE parameterType()
    {
        if constexpr (isOutParameter<A>)
            return VARTYPE(VT_BYREF | automationTypeOf<std::remove_pointer_t<A>>());
        else
            return automationTypeOf<A>();
    }
    // The automation parameters' types (one more, unused, so that none is an empty array).
    static constexpr VARTYPE parameterTypes[count + 1] = {parameterType<Args>()..., VT_EMPTY};
    static constexpr VARTYPE resultType()
    {
        if constexpr (hasReturn)
            return automationTypeOf<std::remove_pointer_t<Last>>();
        else
            return VT_VOID;
    }

    static HRESULT invoke(void* instance, DISPPARAMS* params, VARIANT* result, UINT* argErr,
                          HRESULT* callResult)
    {
        UINT given = params ? params->cArgs : 0;
        if (given > automationCount)
            return DISP_E_BADPARAMCOUNT;
        std::tuple<ArgumentOf<Args>...> arguments;
        HRESULT hr = load(arguments, params, given, argErr, std::index_sequence_for<Args...>{});
        if (FAILED(hr))
            return hr;
        hr = call(static_cast<C*>(instance), arguments, std::index_sequence_for<Args...>{});
        if constexpr (hasReturn)
            std::get<count - 1>(arguments).deliver(result, SUCCEEDED(hr));
        *callResult = hr;
        return S_OK;
    }

private:
    template <class Tuple, std::size_t... I>
    static HRESULT load(Tuple& arguments, DISPPARAMS* params, UINT given, UINT* argErr,
                        std::index_sequence<I...>)
    {
        HRESULT hr = S_OK;
        auto one = [&](auto& argument, std::size_t index) {
            if (FAILED(hr) || index >= automationCount)
                return;
            VARIANT* arg = index < given ? &params->rgvarg[given - 1 - index] : nullptr;
            hr = argument.load(arg);
            if (FAILED(hr) && argErr && arg)
                *argErr = static_cast<UINT>(given - 1 - index);
        };
        (one(std::get<I>(arguments), I), ...);
        (void)one; // a member without parameters
        return hr;
    }
    template <class Tuple, std::size_t... I>
    static HRESULT call(C* object, Tuple& arguments, std::index_sequence<I...>)
    {
        return (object->*Member)(std::get<I>(arguments).get()...);
    }
};

} // namespace detail

// A proxy that another apartment's thread calls in place of an object of a single-threaded
// apartment (made by the Global Interface Table).
struct ApartmentProxy;
// Runs call(context, target) on the thread of the proxy's apartment, target being the object's
// interface pointer; its result, or RPC_E_DISCONNECTED once the apartment has ended.
COM_VISIBLE HRESULT callInApartment(ApartmentProxy* proxy, HRESULT (*call)(void*, IUnknown*),
                                    void* context);

namespace detail {

// What a proxy puts in the member's vtable slot: the arguments go to the apartment's thread,
// which calls the object's member with them.
template <auto Member> struct ProxyThunk;
template <class C, class... Args, HRESULT (C::*Member)(Args...)> struct ProxyThunk<Member>
{
    static HRESULT call(ApartmentProxy* self, Args... args)
    {
        std::tuple<Args...> packed(args...);
        return callInApartment(
            self,
            [](void* context, IUnknown* target) -> HRESULT {
                return std::apply(
                    [target](Args... a) { return (static_cast<C*>(target)->*Member)(a...); },
                    *static_cast<std::tuple<Args...>*>(context));
            },
            &packed);
    }
};

// The vtable slot of a virtual member function (the Itanium C++ ABI stores one plus the
// slot's byte offset in the pointer's first word).
template <auto Member> int vtableSlot()
{
    static_assert(sizeof(Member) == 2 * sizeof(void*));
    auto member = Member;
    std::uintptr_t word = 0;
    std::memcpy(&word, &member, sizeof word);
    return (word & 1) ? int((word - 1) / sizeof(void*)) : -1;
}

template <class C, class R, class... Args> const std::type_info& ownerType(R (C::*)(Args...))
{
    return typeid(C);
}
template <auto Member> const std::type_info& ownerOf()
{
    return ownerType(Member);
}

template <auto Member> void* proxySlot()
{
    return reinterpret_cast<void*>(&ProxyThunk<Member>::call);
}

} // namespace detail

// A table entry for a member of a dispatch interface, e.g.
//   com::dispatchEntry<&ISTopic::get_Topic>(0x60020000, "Topic", DISPATCH_PROPERTYGET, "...")
// In-parameters are converted from the automation arguments (numbers, BSTR, VARIANT, interface
// pointers); a trailing pointer parameter is the return value; other pointer parameters are
// by-reference arguments. A 16-bit integer is VT_I2 (VARIANT_BOOL has the same C++ type).
template <auto Member>
DispatchEntry dispatchEntry(DISPID id, const char* name, WORD kind, const char* help = "",
                            WORD flags = 0)
{
    return {id,
            name,
            kind,
            &detail::Invoker<Member>::invoke,
            help,
            flags,
            detail::vtableSlot<Member>(),
            detail::proxySlot<Member>(),
            &detail::ownerOf<Member>(),
            detail::Invoker<Member>::parameterTypes,
            SHORT(detail::Invoker<Member>::automationCount),
            detail::Invoker<Member>::resultType()};
}

} // namespace com

// IDispatch for the dual interface I, through its table (com::DispatchInfo<I>).
template <class I> class IDispatchImpl : public I
{
public:
    HRESULT GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT index, LCID, ITypeInfo** ppTInfo) override
    {
        if (!ppTInfo)
            return E_POINTER;
        *ppTInfo = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        *ppTInfo = typeInfo();
        (*ppTInfo)->AddRef();
        return S_OK;
    }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        return typeInfo()->GetIDsOfNames(names, count, ids);
    }
    HRESULT Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        return typeInfo()->Invoke(static_cast<I*>(this), id, flags, params, result, excepInfo,
                                  argErr);
    }

private:
    static ITypeInfo* typeInfo() { return com::typeInfoFor(com::DispatchInfo<I>::table()); }
};
