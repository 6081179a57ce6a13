#include "vardex/support/scodepage.h"

#include "vardex/support/sheap.h"

#include "platform/com/Bstr.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsUtf8(int codePage)
{
    return codePage == -1 || codePage == 0 || codePage == 1 || codePage == 3 || codePage == 65001;
}

// The iconv name of a Windows code page number.
std::string IconvName(int codePage)
{
    if (codePage == 20127)
        return "ASCII";
    if (codePage >= 28591 && codePage <= 28599)
        return "ISO-8859-" + std::to_string(codePage - 28590);
    if (codePage == 28603)
        return "ISO-8859-13";
    if (codePage == 28605)
        return "ISO-8859-15";
    if (codePage == 20866)
        return "KOI8-R";
    if (codePage == 21866)
        return "KOI8-U";
    if (codePage == 51932 || codePage == 20932)
        return "EUC-JP";
    if (codePage == 51949)
        return "EUC-KR";
    if (codePage == 54936)
        return "GB18030";
    return "CP" + std::to_string(codePage);
}

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr const char* kUtf16 = "UTF-16LE";
#else
constexpr const char* kUtf16 = "UTF-16BE";
#endif

// Collects output units, counting only when there is no target.
template <class Unit> class Sink
{
public:
    Sink(Unit* out, int32_t outSize) : m_out(out), m_size(outSize) {}
    void put(Unit u)
    {
        if (m_out && m_count < m_size)
            m_out[m_count] = u;
        ++m_count;
    }
    int32_t result() const { return m_out && m_count > m_size ? -1 : m_count; }

private:
    Unit* m_out;
    int32_t m_size;
    int32_t m_count = 0;
};

int32_t Utf8ToWide(const char* in, int32_t n, char16_t* out, int32_t outSize)
{
    Sink<char16_t> sink(out, outSize);
    const std::string_view text(in, std::size_t(n > 0 ? n : 0));
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = com::decodeUtf8(text, i);
        if (c >= 0x10000) {
            c -= 0x10000;
            sink.put(char16_t(0xD800 + (c >> 10)));
            sink.put(char16_t(0xDC00 + (c & 0x3FF)));
        } else {
            sink.put(char16_t(c));
        }
    }
    return sink.result();
}

int32_t WideToUtf8(const char16_t* in, int32_t n, char* out, int32_t outSize)
{
    Sink<char> sink(out, outSize);
    for (int32_t i = 0; i < n; ++i) {
        char32_t c = in[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (in[++i] - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = kReplacement; // a lone surrogate
        char bytes[4];
        const int count = com::encodeUtf8(c, bytes);
        for (int k = 0; k < count; ++k)
            sink.put(bytes[k]);
    }
    return sink.result();
}

// Runs iconv over the whole input; an input unit it cannot convert is skipped
// (`skip` tells how many bytes) and `replacement` written in its place.
template <class In, class Out>
bool IconvConvert(const char* to, const char* from, const In* in, int32_t n,
                  std::vector<Out, SHeapAllocator<Out>>& result, Out replacement,
                  std::size_t (*skip)(const In*, std::size_t))
{
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return false;
    std::vector<char, SHeapAllocator<char>> chunk(4096);
    auto inPtr = const_cast<char*>(reinterpret_cast<const char*>(in));
    std::size_t inLeft = std::size_t(n) * sizeof(In);
    while (inLeft > 0) {
        char* outPtr = chunk.data();
        std::size_t outLeft = chunk.size();
        std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        int error = rc == std::size_t(-1) ? errno : 0;
        const Out* produced = reinterpret_cast<const Out*>(chunk.data());
        result.insert(result.end(), produced, produced + (chunk.size() - outLeft) / sizeof(Out));
        if (error == EILSEQ || error == EINVAL) {
            std::size_t bytes = skip(reinterpret_cast<const In*>(inPtr), inLeft / sizeof(In));
            inPtr += bytes * sizeof(In);
            inLeft -= bytes * sizeof(In);
            result.push_back(replacement);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        } else if (error != 0 && error != E2BIG) {
            iconv_close(cd);
            return false;
        }
    }
    iconv_close(cd);
    return true;
}

std::size_t SkipByte(const char*, std::size_t)
{
    return 1;
}

std::size_t SkipWideChar(const char16_t* in, std::size_t left)
{
    return left >= 2 && in[0] >= 0xD800 && in[0] <= 0xDBFF && in[1] >= 0xDC00 && in[1] <= 0xDFFF
               ? 2
               : 1;
}

template <class Unit>
int32_t Deliver(const std::vector<Unit, SHeapAllocator<Unit>>& result, Unit* out, int32_t outSize)
{
    Sink<Unit> sink(out, outSize);
    for (Unit u : result)
        sink.put(u);
    return sink.result();
}

} // namespace

int32_t SMultiByteToWide(int codePage, const char* in, int32_t inBytes, char16_t* out,
                         int32_t outSize)
{
    if (inBytes == -1 && in)
        inBytes = int32_t(std::strlen(in)) + 1; // zero-terminated: the zero is converted too
    else if (inBytes < 0)
        return -1;
    if (IsUtf8(codePage))
        return Utf8ToWide(in, inBytes, out, outSize);
    std::vector<char16_t, SHeapAllocator<char16_t>> result;
    if (!IconvConvert(kUtf16, IconvName(codePage).c_str(), in, inBytes, result, char16_t(0xFFFD),
                      &SkipByte))
        return -1;
    return Deliver(result, out, outSize);
}

int32_t SWideToMultiByte(int codePage, const char16_t* in, int32_t inUnits, char* out,
                         int32_t outSize)
{
    if (inUnits == -1 && in)
        inUnits = SWideLength(in) + 1;
    else if (inUnits < 0)
        return -1;
    if (IsUtf8(codePage))
        return WideToUtf8(in, inUnits, out, outSize);
    std::vector<char, SHeapAllocator<char>> result;
    if (!IconvConvert(IconvName(codePage).c_str(), kUtf16, in, inUnits, result, '?', &SkipWideChar))
        return -1;
    return Deliver(result, out, outSize);
}

int32_t SWideLength(const char16_t* text)
{
    int32_t n = 0;
    while (text[n])
        ++n;
    return n;
}
