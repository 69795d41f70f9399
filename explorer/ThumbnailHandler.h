// Explorer's thumbnail handler for scenario files: an in-process COM server
// (tessel-thumbnails.dll) whose object Explorer, or any program, creates by
// its class id, hands a scenario as a stream (IInitializeWithStream) and
// asks for a square bitmap of a side (IThumbnailProvider). Its COM side is
// ThumbnailHandlerWindows.cpp; what it draws is ThumbnailPixels.h.
//
// The stream is read only up to the scenario size limit; a larger or
// damaged scenario, or a side below 1, gives a failing HRESULT and no
// bitmap, and no exception ever leaves a COM call. The bitmap is a 32-bit
// top-down DIB section, its colours without alpha (WTSAT_RGB). The archive
// and the unit display come from the desktop program's settings file, read
// only.
#pragma once

namespace tessel::explorer {

// The handler's class id.
inline constexpr const wchar_t* HandlerClassId = L"{34381d62-712a-4a60-a29d-d69ce8dfd656}";
inline constexpr const wchar_t* HandlerName = L"Tessel minimap thumbnails";

}  // namespace tessel::explorer
