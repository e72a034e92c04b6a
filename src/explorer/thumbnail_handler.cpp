// Explorer's thumbnails of MD2 models and 8-bit PCX skins: an in-process COM
// server whose thumbnail provider draws what `velmorin-cli thumbnail` draws,
// from the stream Explorer hands it (so a model is grey: a stream has no
// folder to find a skin in). The stream is read bounded, as any file a
// stranger made; a file that is refused gets Explorer's own icon.
//
// COM's interfaces are C++ classes with virtual functions, so this one file
// is written with classes, as the layer's backends are.
#include <windows.h>
#include <propsys.h>
#include <thumbcache.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <string>
#include <vector>

#include "formats/md2.h"
#include "formats/pcx.h"
#include "input_files.h"
#include "thumbnail.h"

namespace {

// {7D3C9B52-4E1A-4F86-A2D7-93B5E0C18F64}: the installer registers it for .md2 and .pcx.
const CLSID kThumbnailProvider = {0x7d3c9b52, 0x4e1a, 0x4f86, {0xa2, 0xd7, 0x93, 0xb5, 0xe0, 0xc1, 0x8f, 0x64}};

std::atomic<long> objects{0}, locks{0};

class ThumbnailProvider : public IThumbnailProvider, public IInitializeWithStream {
public:
    ThumbnailProvider() { objects++; }
    virtual ~ThumbnailProvider() { objects--; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == __uuidof(IThumbnailProvider)) *out = static_cast<IThumbnailProvider*>(this);
        else if (iid == __uuidof(IInitializeWithStream)) *out = static_cast<IInitializeWithStream*>(this);
        else return *out = nullptr, E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --references_;
        if (left == 0) delete this;
        return ULONG(left);
    }

    // The stream's bytes, refused unread when it is longer than any MD2 or PCX can need.
    HRESULT STDMETHODCALLTYPE Initialize(IStream* stream, DWORD) override {
        if (!stream) return E_INVALIDARG;
        STATSTG stat = {};
        if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return E_FAIL;
        if (stat.cbSize.QuadPart > std::max(kLargestMd2File, kLargestPcxFile)) return E_FAIL;
        bytes_.resize(size_t(stat.cbSize.QuadPart));
        size_t done = 0;
        while (done < bytes_.size()) {
            ULONG got = 0;
            const HRESULT read = stream->Read(bytes_.data() + done, ULONG(std::min<size_t>(bytes_.size() - done, 1u << 20)), &got);
            if (FAILED(read) || got == 0) break;
            done += got;
        }
        bytes_.resize(done);
        return S_OK;
    }

    // A 32-bit top-down bitmap of `side` pixels at most: a model's with
    // premultiplied alpha, as Explorer composes it; a skin's opaque.
    HRESULT STDMETHODCALLTYPE GetThumbnail(UINT side, HBITMAP* bitmap, WTS_ALPHATYPE* alphaType) override {
        if (!bitmap || !alphaType) return E_POINTER;
        ThumbnailPicture picture;
        std::string skin;
        if (!ThumbnailPixels(bytes_, "", int(std::clamp<UINT>(side, 1, kLargestThumbnail)), &picture, &skin).empty())
            return E_FAIL;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = picture.width;
        info.bmiHeader.biHeight = -picture.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        *bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!*bitmap) return E_OUTOFMEMORY;
        const size_t count = size_t(picture.width) * size_t(picture.height), channels = picture.alpha ? 4 : 3;
        unsigned char* out = static_cast<unsigned char*>(bits);
        for (size_t p = 0; p < count; p++) {
            const unsigned char* in = &picture.pixels[p * channels];
            const unsigned alpha = picture.alpha ? in[3] : 255;
            for (int c = 0; c < 3; c++) out[4 * p + size_t(c)] = (unsigned char)((in[2 - c] * alpha + 127) / 255);
            out[4 * p + 3] = (unsigned char)alpha;
        }
        *alphaType = picture.alpha ? WTSAT_ARGB : WTSAT_RGB;
        return S_OK;
    }

private:
    std::atomic<long> references_{1};
    std::vector<unsigned char> bytes_;
};

class ClassFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return *out = nullptr, E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // one factory, never freed
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* provider = new (std::nothrow) ThumbnailProvider;
        if (!provider) return E_OUTOFMEMORY;
        const HRESULT result = provider->QueryInterface(iid, out);
        provider->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        locks += lock ? 1 : -1;
        return S_OK;
    }
};

ClassFactory factory;

}  // namespace

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != kThumbnailProvider) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, out);
}

extern "C" HRESULT __stdcall DllCanUnloadNow() { return objects == 0 && locks == 0 ? S_OK : S_FALSE; }
