// The thumbnail handler's COM object, its class factory and the exports
// that COM looks for in an in-process server.
#include "ThumbnailHandler.h"

#include "base/Exceptions.h"
#include "scenario/ScenarioChunks.h"
#include "settings/Settings.h"
#include "system/FileLayer.h"
#include "system/WidePaths.h"
#include "ThumbnailPixels.h"

#include <atomic>
#include <cstring>
#include <new>
#include <vector>
#include <windows.h>
#include <shlwapi.h>
#include <thumbcache.h>

namespace tessel::explorer {

namespace {

std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

// The scenario's bytes, read to the end: a stream longer than the size
// limit is refused before more than one byte past the limit is read.
HRESULT ReadScenario(IStream* stream, std::vector<uint8_t>& bytes)
{
    const std::size_t limit = static_cast<std::size_t>(MaximumScenarioSize);
    bytes.clear();
    std::size_t filled = 0;
    for (;;) {
        const std::size_t room = std::min<std::size_t>(64 * 1024, limit + 1 - filled);
        bytes.resize(filled + room);
        ULONG got = 0;
        const HRESULT result = stream->Read(bytes.data() + filled, static_cast<ULONG>(room), &got);
        if (FAILED(result))
            return result;
        filled += got;
        if (filled > limit)
            return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
        if (got == 0 || result == S_FALSE)
            break;
    }
    bytes.resize(filled);
    return S_OK;
}

// A file for the scenario reader, which reads files: in the user's folder
// for temporary files, removed by the system when the handle closes, also
// when the process ends without closing it.
class ScratchScenario {
public:
    explicit ScratchScenario(const std::vector<uint8_t>& bytes)
    {
        wchar_t folder[MAX_PATH + 1];
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
        if (length == 0 || length > MAX_PATH)
            throw EInOutError(io_error::InvalidFilename);
        static std::atomic<unsigned> counter{0};
        path_ = TextOfWide(folder) + "tessel-thumbnail-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(counter.fetch_add(1)) + ".pud";
        handle_ = ::CreateFileW(WidePath(path_).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE)
            throw EInOutError(io_error::AccessDenied);
        DWORD written = 0;
        if (!bytes.empty() && (!::WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
                               written != bytes.size()))
            throw EInOutError(io_error::DiskFull);
    }
    ~ScratchScenario()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
    }
    ScratchScenario(const ScratchScenario&) = delete;
    ScratchScenario& operator=(const ScratchScenario&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

HBITMAP MakeBitmap(const ThumbnailPixels& thumbnail)
{
    BITMAPINFO information{};
    information.bmiHeader.biSize = sizeof information.bmiHeader;
    information.bmiHeader.biWidth = thumbnail.Side;
    information.bmiHeader.biHeight = -thumbnail.Side;  // top-down
    information.bmiHeader.biPlanes = 1;
    information.bmiHeader.biBitCount = 32;
    information.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &information, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap)
            ::DeleteObject(bitmap);
        return nullptr;
    }
    std::memcpy(bits, thumbnail.Pixels.data(), thumbnail.Pixels.size() * sizeof(uint32_t));
    return bitmap;
}

class ThumbnailProvider : public IThumbnailProvider, public IInitializeWithStream {
public:
    ThumbnailProvider() { ++liveObjects; }
    virtual ~ThumbnailProvider()
    {
        if (stream_)
            stream_->Release();
        --liveObjects;
    }
    ThumbnailProvider(const ThumbnailProvider&) = delete;
    ThumbnailProvider& operator=(const ThumbnailProvider&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, __uuidof(IThumbnailProvider))) {
            *object = static_cast<IThumbnailProvider*>(this);
        } else if (IsEqualIID(id, __uuidof(IInitializeWithStream))) {
            *object = static_cast<IInitializeWithStream*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const long left = --references_;
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE Initialize(IStream* stream, DWORD) override
    {
        if (!stream)
            return E_INVALIDARG;
        if (stream_)
            return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
        stream->AddRef();
        stream_ = stream;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetThumbnail(UINT side, HBITMAP* bitmap, WTS_ALPHATYPE* alpha) override
    {
        if (!bitmap || !alpha)
            return E_POINTER;
        *bitmap = nullptr;
        *alpha = WTSAT_UNKNOWN;
        if (!stream_)
            return E_UNEXPECTED;
        if (side == 0)
            return E_INVALIDARG;
        try {
            std::vector<uint8_t> bytes;
            if (const HRESULT read = ReadScenario(stream_, bytes); FAILED(read))
                return read;
            const ScratchScenario scenario(bytes);
            const int32_t asked = static_cast<int32_t>(std::min<UINT>(side, LargestThumbnailSide));
            const ThumbnailPixels thumbnail = RenderThumbnailPixels(scenario.Path(), asked, DesktopSettingsFile());
            *bitmap = MakeBitmap(thumbnail);
            if (!*bitmap)
                return E_OUTOFMEMORY;
            *alpha = WTSAT_RGB;
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (const EOutOfMemory&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            // A damaged scenario and every other failure: no thumbnail.
            return E_FAIL;
        }
    }

private:
    std::atomic<long> references_{1};
    IStream* stream_ = nullptr;
};

class ClassFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // One factory for the process's lifetime, counted through the server's locks.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* provider = new (std::nothrow) ThumbnailProvider;
        if (!provider)
            return E_OUTOFMEMORY;
        const HRESULT result = provider->QueryInterface(id, object);
        provider->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock)
            ++serverLocks;
        else
            --serverLocks;
        return S_OK;
    }
};

ClassFactory factory;

}  // namespace

}  // namespace tessel::explorer

// Exported through tessel-thumbnails.def.
STDAPI DllGetClassObject(REFCLSID classId, REFIID id, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    CLSID handler{};
    if (FAILED(::CLSIDFromString(tessel::explorer::HandlerClassId, &handler)) || !IsEqualCLSID(classId, handler))
        return CLASS_E_CLASSNOTAVAILABLE;
    return tessel::explorer::factory.QueryInterface(id, object);
}

STDAPI DllCanUnloadNow()
{
    return tessel::explorer::liveObjects == 0 && tessel::explorer::serverLocks == 0 ? S_OK : S_FALSE;
}
