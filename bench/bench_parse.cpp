// Cost of ParseCommand per token, in this process, for command lines of 1,000, 10,000 and
// 100,000 tokens with a handful of switches: the token rules alone and the whole member
// (switch list read from the parameter array, Collection filled), against the baseline
// of merely walking the line for its delimiters. A cost that stays flat across the sizes
// shows the work is linear. Then a line of words only (every token an item), and the
// cost of one Collection.Item by position and by key in the collections it gives.
#include "automation/bstr.h"
#include "automation/com_ptr.h"
#include "automation/variant.h"
#include "cmdline/command_parser.h"
#include "global/global.h"

#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>

using namespace ondrik;

namespace {

const wchar_t* const kSwitches[] = {L"/U", L"/D", L"/A", L"/P", L"/L"};
const size_t kSizes[] = {1000, 10000, 100000};

// Ten leading words, then words with a switch every `every` tokens (written in another
// case, the five of them coming back again and again); every = 0 gives words only.
std::u16string makeLine(size_t tokens, size_t every) {
    std::u16string line;
    for (size_t i = 0; i < tokens; ++i) {
        if (i) line += u' ';
        if (every && i >= 10 && i % every == 0) {
            std::wstring s = kSwitches[(i / every) % 5];
            s[1] = wchar_t(towlower(s[1]));
            line.append(s.begin(), s.end());
        } else {
            std::string digits = std::to_string(i);
            line += u'w';
            line.append(digits.begin(), digits.end());
        }
    }
    return line;
}

double now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(f.QuadPart);
}

// Nanoseconds per unit of body() (which handles `units`), best of three rounds.
template <class Body> double perUnit(size_t units, Body&& body) {
    int reps = int(300000 / units);
    if (reps < 2) reps = 2;
    body(); // warm up
    double best = 1e30;
    for (int round = 0; round < 3; ++round) {
        double start = now();
        for (int r = 0; r < reps; ++r) body();
        double t = (now() - start) / reps;
        if (t < best) best = t;
    }
    return best * 1e9 / double(units);
}

VARIANT position(long i) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = i;
    return v;
}

} // namespace

int main() {
    CoInitialize(nullptr);
    ComPtr<ondrik::Global> g = ondrik::Global::create(ondrik::ProcessState::make());
    SAFEARRAY* flags = SafeArrayCreateVector(VT_VARIANT, 0, 5);
    cmdline::SwitchList switchTexts;
    for (LONG i = 0; i < 5; ++i) {
        Variant v;
        V_VT(v.get()) = VT_BSTR;
        V_BSTR(v.get()) = SysAllocString(kSwitches[i]);
        SafeArrayPutElement(flags, &i, v.get());
        switchTexts.push_back(std::u16string(reinterpret_cast<const char16_t*>(kSwitches[i])));
    }
    SAFEARRAY* noFlags = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    Bstr space(L" ");
    size_t sink = 0;
    auto parse = [&](const Bstr& line, SAFEARRAY* with) {
        ComPtr<_Collection> result;
        g->ParseCommand(line.get(), space.get(), with, result.put());
        return result;
    };

    printf("ns per token, 5 switches (1 token in 50)  %10s %10s %10s\n", "1,000", "10,000", "100,000");
    const char* names[] = {"walk the line (baseline)", "token rules", "ParseCommand"};
    for (int what = 0; what < 3; ++what) {
        printf("  %-41s", names[what]);
        for (size_t tokens : kSizes) {
            std::u16string line = makeLine(tokens, 50);
            Bstr b(line);
            double ns = perUnit(tokens, [&] {
                if (what == 0)
                    cmdline::forEachToken(line, u" ", [&](std::u16string_view t) { sink += t.size(); });
                else if (what == 1)
                    sink += cmdline::parseCommand(line, u" ", switchTexts).size();
                else
                    sink += parse(b, flags) ? 1 : 0;
            });
            printf(" %10.1f", ns);
        }
        printf("\n");
    }

    printf("ns per token, words only (each an item)   %10s %10s %10s\n", "1,000", "10,000", "100,000");
    printf("  %-41s", "ParseCommand");
    for (size_t tokens : kSizes) {
        Bstr b(makeLine(tokens, 0));
        printf(" %10.1f", perUnit(tokens, [&] { sink += parse(b, noFlags) ? 1 : 0; }));
    }
    printf("\nns per call, in a collection of that size  %10s %10s %10s\n", "1,000", "10,000", "100,000");
    const char* lookups[] = {"Item by position, in order", "Item by position, scattered",
                             "Item by key (one keyed item)"};
    for (int kind = 0; kind < 3; ++kind) {
        printf("  %-41s", lookups[kind]);
        for (size_t tokens : kSizes) {
            // For the key: one switch, "/d", as the line's last but one token.
            ComPtr<_Collection> c = parse(Bstr(makeLine(tokens, kind == 2 ? tokens - 2 : 0)), flags);
            long n = 0;
            c->Count(&n);
            const size_t calls = 20000;
            Variant key;
            V_VT(key.get()) = VT_BSTR;
            V_BSTR(key.get()) = SysAllocString(L"/D");
            printf(" %10.1f", perUnit(calls, [&] {
                       for (size_t k = 0; k < calls; ++k) {
                           Variant out;
                           size_t at = kind == 0 ? k : k * 7919;
                           c->Item(kind == 2 ? *key.get() : position(long(1 + at % size_t(n))), out.get());
                           sink += V_VT(out.get());
                       }
                   }));
        }
        printf("\n");
    }
    printf("(%zu)\n", sink % 10);
    SafeArrayDestroy(flags);
    SafeArrayDestroy(noFlags);
    g.reset();
    CoUninitialize();
    return 0;
}
