// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/core/subclass_registry.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace pathwick {

namespace {

std::string KeyOf(WindowHandle window) {
    return std::to_string(window);
}

}  // namespace

std::string SubclassErrorText(WindowHandle window, long errorNumber, const std::string& description) {
    char hex[32];
    std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(window));
    return std::string("Error subclassing window &H") + hex + "\r\n\r\nErr# " + std::to_string(errorNumber) +
           ": " + description;
}

bool SubclassRegistry::Contains(WindowHandle window) const {
    return m_windows.count(KeyOf(window)) != 0;
}

bool SubclassRegistry::Register(WindowPropertyPort& port, WindowHandle window) {
    m_windows.emplace(KeyOf(window), window);  // already present: nothing changes
    if (m_propName) return true;
    size_t bytes = std::strlen(OldProcPropName) + 1;
    m_propName = port.AllocZeroed(bytes);
    if (!m_propName) return false;
    std::memcpy(m_propName, OldProcPropName, bytes);
    return true;
}

// Drops the registration; the name copy goes with the last one.
void SubclassRegistry::Forget(WindowPropertyPort& port, WindowHandle window) {
    m_windows.erase(KeyOf(window));
    if (m_windows.empty() && m_propName) {
        port.FreeBlock(m_propName);
        m_propName = nullptr;
    }
}

bool SubclassRegistry::Install(WindowPropertyPort& port, WindowHandle window, uintptr_t procedure,
                               uintptr_t object, uintptr_t& replaced) {
    replaced = port.ReplaceProc(window, procedure);
    if (!replaced) return false;
    bool ok = port.WriteProperty(window, OldProcPropName, replaced);
    if (object) ok = port.WriteProperty(window, ObjectPropName, object) && ok;
    return ok;
}

bool SubclassRegistry::SubclassWindow(WindowPropertyPort& port, WindowHandle window, uintptr_t procedure,
                                      uintptr_t object) {
    if (port.ReadProperty(window, OldProcPropName)) return true;
    uintptr_t replaced = 0;
    long errorNumber = 0;
    std::string description;
    try {
        if (Register(port, window) && Install(port, window, procedure, object, replaced)) return true;
    } catch (const std::bad_alloc&) {
        errorNumber = 7;
        description = "Out of memory";
    }
    if (replaced) port.ReplaceProc(window, replaced);
    port.RemoveProperty(window, OldProcPropName);
    port.RemoveProperty(window, ObjectPropName);
    // A failed attempt leaves no registration behind, so the name copy can still be freed.
    Forget(port, window);
    port.ShowWarning(SubclassErrorText(window, errorNumber, description));
    return false;
}

bool SubclassRegistry::UnsubclassWindow(WindowPropertyPort& port, WindowHandle window) {
    uintptr_t previous = port.ReadProperty(window, OldProcPropName);
    if (!previous) return false;
    if (!port.ReplaceProc(window, previous)) return false;
    port.RemoveProperty(window, OldProcPropName);
    port.RemoveProperty(window, ObjectPropName);
    Forget(port, window);
    return true;
}

}  // namespace pathwick
