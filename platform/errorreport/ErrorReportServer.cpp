// The error-report component: an in-process server with one class. It renders the caller's
// message list (read in place) and the supplementary batch information as text and makes it
// the calling thread's error information: the description is each message as its identifier
// with its arguments in parentheses, one message a line; the source is the reporting class
// and the GUID the failing interface.

#include "platform/com/Atl.h"
#include "platform/errorreport/ErrorReport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Entry = MessageListView::Entry;

// The message at p and its arguments, "id(argument, ...)"; p moves past them. The arguments
// are walked with a stack of their counts, not by recursion: a list may nest without limit.
std::string RenderMessage(const Entry*& p, const Entry* end)
{
    std::string text;
    std::vector<int> open; // the arguments still to come of each message begun
    for (;;) {
        const Entry& entry = *p++;
        if (entry.kind == 1) {
            text += entry.Text();
        } else {
            text += std::to_string(entry.msgId);
            if (entry.numStrings > 0 && p < end) {
                text += '(';
                open.push_back(entry.numStrings);
                continue;
            }
        }
        // An argument is complete: the next one follows, or its message ends.
        while (!open.empty()) {
            if (--open.back() > 0 && p < end) {
                text += ", ";
                break;
            }
            text += ')';
            open.pop_back();
        }
        if (open.empty())
            return text;
    }
}

std::string RenderList(const MessageListHandle* handle)
{
    if (!handle || handle->kind != MessageListHandle::kKind ||
        handle->signature != MessageListHandle::kSignature || !handle->list)
        return {};
    const auto* list = static_cast<const MessageListView*>(handle->list);
    std::string text;
    for (const Entry* p = list->first; p < list->end;) {
        if (!text.empty())
            text += '\n';
        text += RenderMessage(p, list->end);
    }
    return text;
}

// One line of a batch list: its title and the numbers of the VARIANT array in element.
std::string RenderItems(const char* title, const VARIANT& element, bool hex)
{
    std::string line = title;
    if (element.vt != (VT_ARRAY | VT_VARIANT) || !element.parray)
        return line;
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(element.parray, 1, &lower);
    SafeArrayGetUBound(element.parray, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
        CComVariant item;
        if (FAILED(SafeArrayGetElement(element.parray, &i, &item)) || item.vt != VT_I4)
            continue;
        char number[16];
        if (hex)
            std::snprintf(number, sizeof number, " %08X", unsigned(item.lVal));
        else
            std::snprintf(number, sizeof number, " %d", int(item.lVal));
        line += number;
    }
    return line;
}

std::string RenderBatch(const VARIANT& data)
{
    if (data.vt != (VT_ARRAY | VT_VARIANT) || !data.parray)
        return {};
    const char* titles[] = {"failed items:", "failure codes:", "untried items:"};
    std::string text;
    LONG lower = 0;
    SafeArrayGetLBound(data.parray, 1, &lower);
    for (LONG i = 0; i < 3; ++i) {
        CComVariant element;
        LONG index = lower + i;
        if (FAILED(SafeArrayGetElement(data.parray, &index, &element)))
            break;
        text += '\n';
        text += RenderItems(titles[i], element, i == 1);
    }
    return text;
}

} // namespace

class CErrorReport : public CComObjectRootEx<CComMultiThreadModel>,
                     public CComCoClass<CErrorReport, &CLSID_ErrorReport>,
                     public IErrorReport
{
public:
    using _CreatorClass = CComNotAggregatable<CErrorReport>;

    static const _ATL_INTMAP_ENTRY* _GetEntries()
    {
        static constexpr _ATL_INTMAP_ENTRY entries[] = {
            com::interfaceEntry<CErrorReport, IErrorReport>(), com::interfaceMapEnd()};
        return entries;
    }

    static const char* registryScript()
    {
        return R"(
HKCR
{
    NoRemove CLSID
    {
        ForceRemove {0D1D15C2-C958-11D3-9C02-00902719148B} = s 'Error Report Class'
        {
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Both'
            }
        }
    }
}
)";
    }

    HRESULT ReportError(const CLSID* clsid, const IID* iid, MessageListHandle* messages, HRESULT hr,
                        LONG supplState, VARIANT supplData) override
    {
        std::string description = RenderList(messages);
        if (supplState == 2)
            description += RenderBatch(supplData);
        ICreateErrorInfo* create = nullptr;
        if (SUCCEEDED(CreateErrorInfo(&create))) {
            create->SetGUID(iid ? *iid : GUID{});
            std::u16string source = com::utf16FromUtf8(com::guidToString(clsid ? *clsid : GUID{}));
            std::u16string text = com::utf16FromUtf8(description);
            create->SetSource(source.data());
            create->SetDescription(text.data());
            IErrorInfo* info = nullptr;
            if (SUCCEEDED(
                    create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
                SetErrorInfo(0, info);
                info->Release();
            }
            create->Release();
        }
        return hr == S_OK ? DISP_E_EXCEPTION : hr;
    }
};

namespace {

CComModule g_module;
_ATL_OBJMAP_ENTRY g_objectMap[] = {com::objectEntry<CErrorReport>(), com::objectMapEnd()};

struct ModuleInit
{
    ModuleInit() { g_module.Init(g_objectMap); }
} g_moduleInit;

} // namespace

COM_MODULE_EXPORTS(g_module, nullptr)
