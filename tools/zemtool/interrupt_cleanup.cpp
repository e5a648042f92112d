// SPDX-License-Identifier: BSD-3-Clause
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

#include <atomic>

namespace zemtool {
namespace {

// Every thread that writes an output (files run side by side with --jobs)
// arms a slot of its own; the handler removes the file of each armed slot.
constexpr int kSlots = 64;
std::atomic<int> g_owned[kSlots];
thread_local int t_slot = -1;

// The calling thread's slot, taken on first use; -1 when all are taken.
int SlotOfThread() {
    if (t_slot >= 0)
        return t_slot;
    for (int slot = 0; slot < kSlots; ++slot) {
        int free = 0;
        if (g_owned[slot].compare_exchange_strong(free, 1)) {
            t_slot = slot;
            return slot;
        }
    }
    return -1;
}

// Gives the slot back (the thread may end before the process does).
void ReleaseSlot() {
    if (t_slot >= 0)
        g_owned[t_slot].store(0);
    t_slot = -1;
}

#ifdef _WIN32
wchar_t g_path[kSlots][32768];
volatile LONG g_armed[kSlots] = {};

void RemoveArmed() {
    for (int slot = 0; slot < kSlots; ++slot)
        if (g_armed[slot])
            RemoveFromHandler(g_path[slot]);
}

// Runs on a thread of its own; returning FALSE lets the process end as usual.
BOOL WINAPI OnConsoleEvent(DWORD) {
    RemoveArmed();
    return FALSE;
}

void Install() {
    static bool installed = false;
    if (!installed)
        installed = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
}

bool Arm(int slot, const std::string& path) {
    const std::wstring wide(SystemPath(path).c_str());
    if (wide.size() >= sizeof g_path[0] / sizeof g_path[0][0])
        return false;
    g_armed[slot] = 0;
    wide.copy(g_path[slot], wide.size());
    g_path[slot][wide.size()] = 0;
    return true;
}
#else
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
char g_path[kSlots][4096];
volatile sig_atomic_t g_armed[kSlots] = {};

// Threads between creating a file and arming its removal (or renaming it
// and disarming): a signal blocked in one thread is still taken by another,
// so the handler leaves the ending to the last of them to finish.
std::atomic<int> g_inside{0};
std::atomic<int> g_pending{0};
static_assert(std::atomic<int>::is_always_lock_free, "used from a signal handler");

void RemoveArmedAndEnd(int signal) {
    for (int slot = 0; slot < kSlots; ++slot)
        if (g_armed[slot])
            RemoveFromHandler(g_path[slot]);
    // The signal stays blocked until the handler returns, then ends the process as usual.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

extern "C" void OnInterrupt(int signal) {
    if (g_inside.load() > 0) {
        g_pending.store(signal);
        // The last thread may have left before it could see the signal.
        if (g_inside.load() > 0)
            return;
        signal = g_pending.exchange(0);
        if (signal == 0)
            return;
    }
    RemoveArmedAndEnd(signal);
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

bool Arm(int slot, const std::string& path) {
    if (path.size() >= sizeof g_path[0])
        return false;
    g_armed[slot] = 0;
    std::memcpy(g_path[slot], path.c_str(), path.size() + 1);
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
    const int slot = SlotOfThread();
    if (slot >= 0 && Arm(slot, path))
        g_armed[slot] = 1;
}

void KeepOnInterrupt() {
    if (t_slot >= 0)
        g_armed[t_slot] = 0;
    ReleaseSlot();
}

#ifdef _WIN32
InterruptsHeld::InterruptsHeld() {}
InterruptsHeld::~InterruptsHeld() {}
#else
InterruptsHeld::InterruptsHeld() {
    const sigset_t set = InterruptSet();
    pthread_sigmask(SIG_BLOCK, &set, &m_before);
    g_inside.fetch_add(1);
}

InterruptsHeld::~InterruptsHeld() {
    // A signal that another thread took meanwhile is carried out here, once
    // the files of this thread are armed or gone.
    if (g_inside.fetch_sub(1) == 1) {
        if (const int signal = g_pending.exchange(0))
            RemoveArmedAndEnd(signal);
    }
    pthread_sigmask(SIG_SETMASK, &m_before, nullptr);
}
#endif

}  // namespace zemtool
