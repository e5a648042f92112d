// SPDX-License-Identifier: BSD-3-Clause
// Bookkeeping of window subclassing through window properties: the replaced
// procedure lives in the window's "OldWndProc" property, the subclassed windows
// in a collection keyed by the decimal text of their handle, and one narrow copy
// of the property name is kept for the window procedures while any window is
// subclassed. The window calls themselves go through WindowPropertyPort.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace pathwick {

using WindowHandle = uintptr_t;

constexpr const char* OldProcPropName = "OldWndProc";
constexpr const char* ObjectPropName = "ObjectPtr";

class WindowPropertyPort {
public:
    virtual ~WindowPropertyPort() = default;
    virtual uintptr_t ReadProperty(WindowHandle window, const char* name) = 0;
    virtual bool WriteProperty(WindowHandle window, const char* name, uintptr_t value) = 0;
    virtual void RemoveProperty(WindowHandle window, const char* name) = 0;
    // Installs `procedure` and returns the one it replaced, 0 on failure.
    virtual uintptr_t ReplaceProc(WindowHandle window, uintptr_t procedure) = 0;
    virtual char* AllocZeroed(size_t bytes) = 0;  // local memory; null on failure
    virtual void FreeBlock(char* block) = 0;
    virtual void ShowWarning(const std::string& text) = 0;
};

// "Error subclassing window &H1A2B\r\n\r\nErr# 0: "
std::string SubclassErrorText(WindowHandle window, long errorNumber, const std::string& description);

class SubclassRegistry {
public:
    bool SubclassWindow(WindowPropertyPort& port, WindowHandle window, uintptr_t procedure, uintptr_t object);
    bool UnsubclassWindow(WindowPropertyPort& port, WindowHandle window);

    // The shared narrow copy of "OldWndProc"; null while no window is subclassed.
    const char* PropName() const { return m_propName; }
    size_t Count() const { return m_windows.size(); }
    bool Contains(WindowHandle window) const;

private:
    bool Register(WindowPropertyPort& port, WindowHandle window);
    void Forget(WindowPropertyPort& port, WindowHandle window);
    bool Install(WindowPropertyPort& port, WindowHandle window, uintptr_t procedure, uintptr_t object,
                 uintptr_t& replaced);

    std::map<std::string, WindowHandle> m_windows;
    char* m_propName = nullptr;
};

}  // namespace pathwick
