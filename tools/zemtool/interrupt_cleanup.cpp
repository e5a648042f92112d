#include "tools/zemtool/interrupt_cleanup.h"

#include "tools/zemtool/native_file.h"

#ifdef _WIN32
#include "tools/zemtool/file_names.h"

#include <windows.h>
#else
#include <csignal>
#include <cstring>
#include <pthread.h>
#endif

namespace zemtool {
namespace {

#ifdef _WIN32
wchar_t g_path[32768];
volatile LONG g_armed = 0;

// Runs on a thread of its own; returning FALSE lets the process end as usual.
BOOL WINAPI OnConsoleEvent(DWORD) {
    if (g_armed)
        RemoveFromHandler(g_path);
    return FALSE;
}

void Install() {
    static bool installed = false;
    if (!installed)
        installed = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
}

bool Arm(const std::string& path) {
    const std::wstring wide(LibraryPath(path).c_str());
    if (wide.size() >= sizeof g_path / sizeof g_path[0])
        return false;
    g_armed = 0;
    wide.copy(g_path, wide.size());
    g_path[wide.size()] = 0;
    return true;
}
#else
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
char g_path[8192];
volatile sig_atomic_t g_armed = 0;

extern "C" void OnInterrupt(int signal) {
    if (g_armed)
        RemoveFromHandler(g_path);
    // The signal stays blocked until the handler returns, then ends the process as usual.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void Install() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    struct sigaction ours = {};
    ours.sa_handler = OnInterrupt;
    sigemptyset(&ours.sa_mask);
    for (int signal : kSignals)
        sigaddset(&ours.sa_mask, signal);
    for (int signal : kSignals) {
        struct sigaction old = {};
        // A signal ignored from the start (nohup) stays ignored.
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
            sigaction(signal, &ours, nullptr);
    }
}

bool Arm(const std::string& path) {
    if (path.size() >= sizeof g_path)
        return false;
    g_armed = 0;
    std::memcpy(g_path, path.c_str(), path.size() + 1);
    return true;
}

sigset_t InterruptSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kSignals)
        sigaddset(&set, signal);
    return set;
}
#endif

}  // namespace

void RemoveOnInterrupt(const std::string& path) {
    InterruptsHeld held;
    Install();
    if (Arm(path))
        g_armed = 1;
}

void KeepOnInterrupt() { g_armed = 0; }

#ifdef _WIN32
InterruptsHeld::InterruptsHeld() {}
InterruptsHeld::~InterruptsHeld() {}
#else
InterruptsHeld::InterruptsHeld() {
    const sigset_t set = InterruptSet();
    pthread_sigmask(SIG_BLOCK, &set, &m_before);
}

InterruptsHeld::~InterruptsHeld() { pthread_sigmask(SIG_SETMASK, &m_before, nullptr); }
#endif

}  // namespace zemtool
