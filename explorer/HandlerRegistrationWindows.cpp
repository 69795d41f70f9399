#include "HandlerRegistration.h"

#include "ThumbnailHandler.h"

#include <string>
#include <windows.h>

namespace tessel::explorer {

namespace {

// This DLL's own module, found through an address inside it.
HMODULE ThisModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

std::wstring ClassKey() { return std::wstring(L"CLSID\\") + HandlerClassId; }

LSTATUS SetText(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY opened = nullptr;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    status = ::RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(opened);
    return status;
}

std::wstring DefaultText(const std::wstring& key)
{
    wchar_t value[64] = L"";
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, value,
                       &size) != ERROR_SUCCESS)
        return {};
    return value;
}

// Removes key when it holds neither values nor keys: one that this DLL made
// for its own key, and that no other program uses.
void RemoveIfEmpty(const std::wstring& key)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return;
    DWORD keys = 0;
    DWORD values = 0;
    const bool read = ::RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr,
                                         nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(opened);
    if (read && keys == 0 && values == 0)
        ::RegDeleteKeyExW(HKEY_CLASSES_ROOT, key.c_str(), KEY_WOW64_64KEY, 0);
}

HRESULT FromStatus(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

}  // namespace

}  // namespace tessel::explorer

using namespace tessel::explorer;

STDAPI DllRegisterServer()
{
    wchar_t path[MAX_PATH * 4];
    const DWORD length = ::GetModuleFileNameW(ThisModule(), path, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4)
        return E_FAIL;
    const std::wstring classKey = ClassKey();
    for (const LSTATUS status : {
             SetText(classKey, nullptr, HandlerName),
             SetText(classKey + L"\\InprocServer32", nullptr, path),
             // COM calls it on the thread that made it: no locks needed inside.
             SetText(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"),
             SetText(ThumbnailProviderKey, nullptr, HandlerClassId),
         }) {
        if (status != ERROR_SUCCESS)
            return FromStatus(status);
    }
    return S_OK;
}

STDAPI DllUnregisterServer()
{
    // Another handler that took over the extension's thumbnails keeps them.
    if (DefaultText(ThumbnailProviderKey) == HandlerClassId)
        ::RegDeleteKeyExW(HKEY_CLASSES_ROOT, ThumbnailProviderKey, KEY_WOW64_64KEY, 0);
    RemoveIfEmpty(L".pud\\ShellEx");
    RemoveIfEmpty(L".pud");
    const LSTATUS status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKey().c_str());
    return status == ERROR_FILE_NOT_FOUND ? S_OK : FromStatus(status);
}
