// Measures how long the window of a title takes to answer a message while
// the benchmark works it: every 10 ms a WM_NULL through SendMessageTimeoutA
// (at most 5 s), until the stop file exists or the time limit passes.
//
//   bench_latency.exe WINDOW STOPFILE MAXSECONDS
//
// WINDOW is a handle in hex ("0x1a2b"), or else a title for FindWindowA;
// a handle is safer where a message box takes the same title.
//
// Prints one line:
//   samples=N worst_ms=X p99_ms=Y over100=K timeouts=T
// Exit code 0, 1 when no window of that title exists, 2 on bad arguments.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER freq{};
    ::QueryPerformanceFrequency(&freq);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_latency WINDOW STOPFILE MAXSECONDS\n");
        return 2;
    }
    HWND hWnd = std::strncmp(argv[1], "0x", 2) == 0
                    ? reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(argv[1] + 2, nullptr, 16)))
                    : ::FindWindowA(nullptr, argv[1]);
    if (!hWnd || !::IsWindow(hWnd)) {
        std::fprintf(stderr, "no window %s\n", argv[1]);
        return 1;
    }
    const double maxMs = 1000.0 * std::atof(argv[3]);
    std::vector<double> samples;
    long nTimeouts = 0;
    LARGE_INTEGER begin{};
    ::QueryPerformanceCounter(&begin);
    for (;;) {
        LARGE_INTEGER sent{}, answered{};
        ::QueryPerformanceCounter(&sent);
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) {
            if (!::IsWindow(hWnd)) break;
            ++nTimeouts;
        }
        ::QueryPerformanceCounter(&answered);
        samples.push_back(Milliseconds(sent, answered));
        if (::GetFileAttributesA(argv[2]) != INVALID_FILE_ATTRIBUTES) break;
        if (Milliseconds(begin, answered) > maxMs) break;
        ::Sleep(10);
    }
    std::sort(samples.begin(), samples.end());
    const double worst = samples.empty() ? 0.0 : samples.back();
    const double p99 = samples.empty() ? 0.0 : samples[samples.size() * 99 / 100];
    const long over100 = static_cast<long>(
        std::count_if(samples.begin(), samples.end(), [](double ms) { return ms >= 100.0; }));
    std::printf("samples=%lu worst_ms=%.1f p99_ms=%.1f over100=%ld timeouts=%ld\n",
                static_cast<unsigned long>(samples.size()), worst, p99, over100, nTimeouts);
    std::fflush(stdout);
    return 0;
}
