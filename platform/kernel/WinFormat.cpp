#include "platform/WinFormat.h"

#include "platform/WideText.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <limits>
#include <optional>
#include <string_view>

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

namespace zx {
namespace {

constexpr int kMaxField = 100000;
constexpr size_t kNoLimit = std::numeric_limits<size_t>::max();

// ---------------------------------------------------------------------------
// Reading a text whose pointer may be wrong, without faulting: the bytes are
// copied by the kernel (process_vm_readv on our own process), one page at a
// time, which fails with EFAULT instead of raising a signal.

std::atomic<bool> g_vmReadDenied{false}; // process_vm_readv refused by a filter

size_t PageSize() {
    static const size_t size = [] {
        const long s = sysconf(_SC_PAGESIZE);
        return s > 0 ? static_cast<size_t>(s) : size_t{4096};
    }();
    return size;
}

// Copies n bytes of our own memory, false where they cannot be read.
// Where the kernel copy is not permitted (a seccomp filter), the bytes take a
// pipe instead: write() reports EFAULT as well.
bool CopyThroughPipe(void* dst, std::uintptr_t src, size_t n) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const ssize_t put = write(fds[1], reinterpret_cast<const void*>(src), n);
    const ssize_t got = put == static_cast<ssize_t>(n) ? read(fds[0], dst, n) : -1;
    close(fds[0]);
    close(fds[1]);
    return got == static_cast<ssize_t>(n);
}

bool CopyFromSelf(void* dst, std::uintptr_t src, size_t n) {
    if (g_vmReadDenied.load(std::memory_order_relaxed))
        return CopyThroughPipe(dst, src, n);
    iovec local{dst, n};
    iovec remote{reinterpret_cast<void*>(src), n};
    const ssize_t got = process_vm_readv(getpid(), &local, 1, &remote, 1, 0);
    if (got == static_cast<ssize_t>(n))
        return true;
    if (got < 0 && (errno == ENOSYS || errno == EPERM)) {
        g_vmReadDenied.store(true, std::memory_order_relaxed);
        return CopyThroughPipe(dst, src, n);
    }
    return false;
}

// Length in units (1 or 4 bytes) of the text at p, up to maxUnits, or nothing
// when some of it cannot be read.
std::optional<size_t> GuardedLength(const void* p, size_t unit, size_t maxUnits) {
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    if (start % unit != 0)
        return std::nullopt;
    const size_t page = PageSize();
    alignas(8) unsigned char buf[1024];
    std::uintptr_t at = start;
    size_t units = 0;
    size_t want = 128; // most texts are short: copy little first
    while (units < maxUnits) {
        size_t chunk = std::min(want, page - at % page);
        want = sizeof buf;
        if (maxUnits - units < chunk / unit)
            chunk = (maxUnits - units) * unit;
        if (!CopyFromSelf(buf, at, chunk))
            return std::nullopt;
        // Chunks start aligned and hold whole units: the page size and the
        // buffer are multiples of the unit.
        for (size_t k = 0; k < chunk / unit; ++k) {
            bool zero = true;
            for (size_t b = 0; b < unit; ++b)
                zero = zero && buf[k * unit + b] == 0;
            if (zero)
                return units + k;
        }
        units += chunk / unit;
        at += chunk;
    }
    return maxUnits;
}

// ---------------------------------------------------------------------------
// Argument sources: the one formatting engine reads its arguments through
// one of these.

class VaSource {
public:
    explicit VaSource(va_list args) { va_copy(m_args, args); }
    ~VaSource() { va_end(m_args); }
    VaSource(const VaSource&) = delete;
    VaSource& operator=(const VaSource&) = delete;

    static constexpr bool kGuarded = false;
    bool Int32(std::uint32_t& v) {
        v = va_arg(m_args, unsigned int);
        return true;
    }
    bool Int64(std::uint64_t& v) {
        v = va_arg(m_args, unsigned long long);
        return true;
    }
    bool Double(double& v) {
        v = va_arg(m_args, double);
        return true;
    }
    bool LongDouble(long double& v) {
        v = va_arg(m_args, long double);
        return true;
    }
    bool Pointer(const void*& v) {
        v = va_arg(m_args, const void*);
        return true;
    }

private:
    va_list m_args;
};

template <bool Guarded> class ArraySource {
public:
    ArraySource(const std::uintptr_t* args, size_t count)
        : m_args(args), m_count(args ? count : 0) {}

    static constexpr bool kGuarded = Guarded;
    bool Int32(std::uint32_t& v) {
        std::uint64_t w;
        if (!Take(w))
            return false;
        v = static_cast<std::uint32_t>(w);
        return true;
    }
    bool Int64(std::uint64_t& v) { return Take(v); }
    bool Double(double& v) {
        std::uint64_t w;
        if (!Take(w))
            return false;
        v = std::bit_cast<double>(w);
        return true;
    }
    bool LongDouble(long double& v) {
        double d;
        if (!Double(d))
            return false;
        v = d;
        return true;
    }
    bool Pointer(const void*& v) {
        std::uint64_t w;
        if (!Take(w))
            return false;
        v = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(w));
        return true;
    }

private:
    bool Take(std::uint64_t& v) {
        if (m_next >= m_count)
            return false;
        v = m_args[m_next++];
        return true;
    }
    const std::uintptr_t* m_args;
    size_t m_count;
    size_t m_next = 0;
};

// ---------------------------------------------------------------------------
// The engine.

enum class Len { None, HH, H, L, LL, LongDouble, Ptr, I32, W };

struct Spec {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alt = false;
    bool zero = false;
    int width = 0;
    int precision = -1; // -1: not given
    Len len = Len::None;
};

template <class Source> class Engine {
public:
    Engine(std::wstring& out, Source& src) : m_out(out), m_src(src) {}

    // False only when a guarded text read found unreadable memory.
    bool Run(const wchar_t* fmt) {
        const wchar_t* p = fmt;
        for (;;) {
            const wchar_t* q = p;
            while (*q != L'\0' && *q != L'%')
                ++q;
            m_out.append(p, static_cast<size_t>(q - p));
            if (*q == L'\0')
                return true;
            const wchar_t* directive = q++;
            if (*q == L'%') {
                m_out.push_back(L'%');
                p = q + 1;
                continue;
            }
            Spec s;
            q = ParseSpec(q, s);
            const wchar_t conv = *q;
            if (conv == L'\0') {
                m_out.append(directive);
                return true;
            }
            p = q + 1;
            if (!Convert(conv, s))
                m_out.append(directive, static_cast<size_t>(p - directive));
            if (m_fault)
                return false;
        }
    }

private:
    static int Clamp(long long v) { return static_cast<int>(std::min<long long>(v, kMaxField)); }

    const wchar_t* ParseSpec(const wchar_t* q, Spec& s) {
        for (;; ++q) {
            if (*q == L'-')
                s.left = true;
            else if (*q == L'+')
                s.plus = true;
            else if (*q == L' ')
                s.space = true;
            else if (*q == L'#')
                s.alt = true;
            else if (*q == L'0')
                s.zero = true;
            else
                break;
        }
        if (*q == L'*') {
            ++q;
            std::uint32_t w;
            if (m_src.Int32(w)) {
                long long v = static_cast<std::int32_t>(w);
                if (v < 0) {
                    s.left = true;
                    v = -v;
                }
                s.width = Clamp(v);
            }
        } else {
            long long v = 0;
            while (*q >= L'0' && *q <= L'9')
                v = std::min<long long>(v * 10 + (*q++ - L'0'), kMaxField);
            s.width = static_cast<int>(v);
        }
        if (*q == L'.') {
            ++q;
            if (*q == L'*') {
                ++q;
                std::uint32_t w;
                if (m_src.Int32(w)) {
                    const auto v = static_cast<std::int32_t>(w);
                    s.precision = v < 0 ? -1 : Clamp(v);
                }
            } else {
                long long v = 0;
                while (*q >= L'0' && *q <= L'9')
                    v = std::min<long long>(v * 10 + (*q++ - L'0'), kMaxField);
                s.precision = static_cast<int>(v);
            }
        }
        switch (*q) {
        case L'h':
            ++q;
            s.len = Len::H;
            if (*q == L'h') {
                ++q;
                s.len = Len::HH;
            }
            break;
        case L'l':
            ++q;
            s.len = Len::L;
            if (*q == L'l') {
                ++q;
                s.len = Len::LL;
            }
            break;
        case L'L':
            ++q;
            s.len = Len::LongDouble;
            break;
        case L'w':
            ++q;
            s.len = Len::W;
            break;
        case L'z':
        case L'j':
        case L't':
            ++q;
            s.len = Len::Ptr;
            break;
        case L'I':
            ++q;
            if (q[0] == L'6' && q[1] == L'4') {
                q += 2;
                s.len = Len::LL;
            } else if (q[0] == L'3' && q[1] == L'2') {
                q += 2;
                s.len = Len::I32;
            } else {
                s.len = Len::Ptr;
            }
            break;
        default:
            break;
        }
        return q;
    }

    // False for a conversion this formatter does not know.
    bool Convert(wchar_t conv, const Spec& s) {
        switch (conv) {
        case L'd':
        case L'i':
            Integer(s, 10, true, false);
            return true;
        case L'u':
            Integer(s, 10, false, false);
            return true;
        case L'o':
            Integer(s, 8, false, false);
            return true;
        case L'x':
            Integer(s, 16, false, false);
            return true;
        case L'X':
            Integer(s, 16, false, true);
            return true;
        case L'p':
            PointerValue(s);
            return true;
        case L'c':
            Char(s, s.len == Len::H || s.len == Len::HH);
            return true;
        case L'C':
            Char(s, !(s.len == Len::L || s.len == Len::W));
            return true;
        case L's':
            Text(s, s.len == Len::H || s.len == Len::HH);
            return true;
        case L'S':
            Text(s, !(s.len == Len::L || s.len == Len::W));
            return true;
        case L'f':
        case L'F':
        case L'e':
        case L'E':
        case L'g':
        case L'G':
        case L'a':
        case L'A':
            Float(s, conv);
            return true;
        case L'n': {
            const void* ignored;
            m_src.Pointer(ignored);
            return true;
        }
        default:
            return false;
        }
    }

    // Pads the field that starts at `start` of the output to the width.
    void FinishField(size_t start, const Spec& s) {
        const size_t len = m_out.size() - start;
        if (len >= static_cast<size_t>(s.width))
            return;
        const size_t pad = static_cast<size_t>(s.width) - len;
        if (s.left)
            m_out.append(pad, L' ');
        else
            m_out.insert(start, pad, s.zero ? L'0' : L' ');
    }

    bool ReadInteger(const Spec& s, bool isSigned, std::uint64_t& magnitude, bool& negative) {
        negative = false;
        const bool wide = s.len == Len::LL || s.len == Len::Ptr || s.len == Len::LongDouble;
        std::uint64_t v;
        if (wide) {
            if (!m_src.Int64(v))
                return false;
        } else {
            std::uint32_t w;
            if (!m_src.Int32(w))
                return false;
            v = w;
        }
        std::int64_t sv = 0;
        switch (s.len) {
        case Len::HH:
            v &= 0xFF;
            sv = static_cast<std::int8_t>(v);
            break;
        case Len::H:
            v &= 0xFFFF;
            sv = static_cast<std::int16_t>(v);
            break;
        case Len::LL:
        case Len::Ptr:
        case Len::LongDouble:
            sv = static_cast<std::int64_t>(v);
            break;
        default:
            sv = static_cast<std::int32_t>(v);
            break;
        }
        if (isSigned && sv < 0) {
            negative = true;
            magnitude = 0 - static_cast<std::uint64_t>(sv);
        } else {
            magnitude = v;
        }
        return true;
    }

    void Integer(const Spec& s, unsigned base, bool isSigned, bool upper) {
        std::uint64_t v;
        bool negative;
        if (!ReadInteger(s, isSigned, v, negative))
            return;
        wchar_t prefix[2];
        size_t prefixLen = 0;
        if (isSigned) {
            if (negative)
                prefix[prefixLen++] = L'-';
            else if (s.plus)
                prefix[prefixLen++] = L'+';
            else if (s.space)
                prefix[prefixLen++] = L' ';
        }
        // Windows writes the 0x of the alternate form even for zero.
        if (base == 16 && s.alt) {
            prefix[prefixLen++] = L'0';
            prefix[prefixLen++] = upper ? L'X' : L'x';
        }
        Digits(s, v, base, upper, prefix, prefixLen, s.precision);
    }

    void PointerValue(const Spec& s) {
        const void* ptr;
        if (!m_src.Pointer(ptr))
            return;
        wchar_t prefix[2] = {L'0', L'X'};
        Spec t = s;
        t.zero = false;
        Digits(t, reinterpret_cast<std::uintptr_t>(ptr), 16, true, prefix, s.alt ? 2 : 0,
               static_cast<int>(2 * sizeof(void*)));
    }

    void Digits(const Spec& s, std::uint64_t v, unsigned base, bool upper, const wchar_t* prefix,
                size_t prefixLen, int precision) {
        const wchar_t* digitChars = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
        wchar_t buf[24];
        wchar_t* end = buf + 24;
        wchar_t* d = end;
        while (v != 0) {
            *--d = digitChars[v % base];
            v /= base;
        }
        size_t nDigits = static_cast<size_t>(end - d);
        size_t minDigits = precision >= 0 ? static_cast<size_t>(precision) : 1;
        if (base == 8 && s.alt && minDigits <= nDigits)
            minDigits = nDigits + 1; // the alternate octal form starts with 0
        const size_t zeros = minDigits > nDigits ? minDigits - nDigits : 0;
        size_t body = prefixLen + zeros + nDigits;
        size_t width = static_cast<size_t>(s.width);
        size_t padZeros = 0, padSpaces = 0;
        if (width > body) {
            if (s.zero && !s.left && precision < 0)
                padZeros = width - body;
            else
                padSpaces = width - body;
        }
        if (!s.left)
            m_out.append(padSpaces, L' ');
        m_out.append(prefix, prefixLen);
        m_out.append(zeros + padZeros, L'0');
        m_out.append(d, nDigits);
        if (s.left)
            m_out.append(padSpaces, L' ');
    }

    void Char(const Spec& s, bool narrow) {
        std::uint32_t v;
        if (!m_src.Int32(v))
            return;
        const size_t start = m_out.size();
        m_out.push_back(narrow ? AnsiCharToWide(static_cast<unsigned char>(v))
                               : static_cast<wchar_t>(v));
        FinishField(start, s);
    }

    void Text(const Spec& s, bool narrow) {
        const void* ptr;
        if (!m_src.Pointer(ptr))
            return;
        const size_t limit = s.precision >= 0 ? static_cast<size_t>(s.precision) : kNoLimit;
        const size_t start = m_out.size();
        if (ptr == nullptr) {
            m_out.append(L"(null)", std::min<size_t>(6, limit));
        } else {
            std::optional<size_t> len;
            if constexpr (Source::kGuarded) {
                len = GuardedLength(ptr, narrow ? 1 : sizeof(wchar_t), limit);
                if (!len) {
                    m_fault = true;
                    return;
                }
            } else {
                len = narrow ? strnlen(static_cast<const char*>(ptr), limit)
                             : wcsnlen(static_cast<const wchar_t*>(ptr), limit);
            }
            if (narrow)
                AppendNarrowToWide(m_out, std::string_view(static_cast<const char*>(ptr), *len),
                                   kNoLimit);
            else
                m_out.append(static_cast<const wchar_t*>(ptr), *len);
        }
        FinishField(start, s);
    }

    void Float(const Spec& s, wchar_t conv) {
        const bool isLong = s.len == Len::LongDouble;
        long double ld = 0;
        double d = 0;
        if (isLong ? !m_src.LongDouble(ld) : !m_src.Double(d))
            return;
        // Digits of a floating-point value come from the C library, which
        // rounds exactly as Windows does; only the letters differ for
        // infinities and NaNs.
        char spec[32];
        char* p = spec;
        *p++ = '%';
        if (s.left)
            *p++ = '-';
        if (s.plus)
            *p++ = '+';
        if (s.space)
            *p++ = ' ';
        if (s.alt)
            *p++ = '#';
        if (s.zero)
            *p++ = '0';
        *p++ = '*';
        *p++ = '.';
        *p++ = '*';
        if (isLong)
            *p++ = 'L';
        *p++ = static_cast<char>(conv);
        *p = '\0';
        const int precision = s.precision; // negative: the conversion's default
        char small[256];
        const int n = isLong ? std::snprintf(small, sizeof small, spec, s.width, precision, ld)
                             : std::snprintf(small, sizeof small, spec, s.width, precision, d);
        if (n <= 0)
            return;
        const char* text = small;
        std::string big;
        if (static_cast<size_t>(n) >= sizeof small) {
            big.resize(static_cast<size_t>(n) + 1);
            if (isLong)
                std::snprintf(big.data(), big.size(), spec, s.width, precision, ld);
            else
                std::snprintf(big.data(), big.size(), spec, s.width, precision, d);
            text = big.data();
        }
        const size_t start = m_out.size();
        m_out.resize(start + static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            m_out[start + static_cast<size_t>(i)] = static_cast<unsigned char>(text[i]);
    }

    std::wstring& m_out;
    Source& m_src;
    bool m_fault = false;
};

template <class Source> bool Run(std::wstring& out, const wchar_t* fmt, Source& src) {
    if (fmt == nullptr)
        return true;
    Engine<Source> engine(out, src);
    return engine.Run(fmt);
}

} // namespace

void AppendFormatV(std::wstring& out, const wchar_t* fmt, va_list args) {
    if (fmt == nullptr)
        return;
    VaSource src(args);
    Run(out, fmt, src);
}

std::wstring FormatV(const wchar_t* fmt, va_list args) {
    std::wstring out;
    AppendFormatV(out, fmt, args);
    return out;
}

void AppendFormatArgs(std::wstring& out, const wchar_t* fmt, const std::uintptr_t* args,
                      size_t count) {
    ArraySource<false> src(args, count);
    Run(out, fmt, src);
}

std::wstring FormatArgs(const wchar_t* fmt, const std::uintptr_t* args, size_t count) {
    std::wstring out;
    AppendFormatArgs(out, fmt, args, count);
    return out;
}

bool TryAppendFormatArgs(std::wstring& out, const wchar_t* fmt, const std::uintptr_t* args,
                         size_t count) {
    const size_t before = out.size();
    ArraySource<true> src(args, count);
    if (Run(out, fmt, src))
        return true;
    out.resize(before);
    return false;
}

} // namespace zx
