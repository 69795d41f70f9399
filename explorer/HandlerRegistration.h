// Where the thumbnail handler is registered, machine-wide (HKEY_CLASSES_ROOT,
// that is HKEY_LOCAL_MACHINE\Software\Classes): its class with the DLL's path
// as in-process server, and the scenario extension's thumbnail key naming the
// class. DllRegisterServer writes these keys, DllUnregisterServer removes
// them and the extension's keys that were left empty
// (HandlerRegistrationWindows.cpp); the installer does both through them.
#pragma once

namespace tessel::explorer {

// The shell's interface id under which an extension names its thumbnail
// provider.
inline constexpr const wchar_t* ThumbnailProviderKey = L".pud\\ShellEx\\{e357fccd-a995-4576-b01f-234630154e96}";

}  // namespace tessel::explorer
