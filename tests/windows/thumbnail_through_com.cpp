// Loads Velmorin's thumbnail handler as Explorer does: CoCreateInstance of
// the registered class, IInitializeWithStream on SHCreateStreamOnFileEx,
// IThumbnailProvider::GetThumbnail. Writes the bitmap as a PAM file (RGBA,
// premultiplied as the handler gives it) and prints the alpha type and the
// milliseconds the two calls took.
//   thumbnail_through_com.exe FILE SIZE OUT.pam     (exit 1: no thumbnail)
#include <windows.h>
#include <propsys.h>
#include <shlwapi.h>
#include <thumbcache.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CLSID clsid;
    CLSIDFromString(L"{7D3C9B52-4E1A-4F86-A2D7-93B5E0C18F64}", &clsid);
    IInitializeWithStream* initialize = nullptr;
    HRESULT result = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IInitializeWithStream),
                                      reinterpret_cast<void**>(&initialize));
    if (FAILED(result)) return std::fprintf(stderr, "CoCreateInstance: %08lx\n", static_cast<unsigned long>(result)), 2;
    IStream* stream = nullptr;
    result = SHCreateStreamOnFileEx(argv[1], STGM_READ | STGM_SHARE_DENY_WRITE, FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &stream);
    if (FAILED(result)) return std::fprintf(stderr, "SHCreateStreamOnFileEx: %08lx\n", static_cast<unsigned long>(result)), 2;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    IThumbnailProvider* provider = nullptr;
    HBITMAP bitmap = nullptr;
    WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
    result = initialize->Initialize(stream, STGM_READ);
    if (SUCCEEDED(result))
        result = initialize->QueryInterface(__uuidof(IThumbnailProvider), reinterpret_cast<void**>(&provider));
    if (SUCCEEDED(result)) result = provider->GetThumbnail(UINT(_wtoi(argv[2])), &bitmap, &alpha);
    QueryPerformanceCounter(&end);
    if (FAILED(result)) return std::printf("no thumbnail: %08lx\n", static_cast<unsigned long>(result)), 1;
    BITMAP info;
    GetObject(bitmap, sizeof info, &info);
    std::vector<unsigned char> bgra(size_t(info.bmWidth) * size_t(info.bmHeight) * 4);
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, UINT(info.bmHeight), bgra.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    FILE* out = _wfopen(argv[3], L"wb");
    std::fprintf(out, "P7\nWIDTH %ld\nHEIGHT %ld\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", info.bmWidth, info.bmHeight);
    for (size_t p = 0; p < bgra.size(); p += 4) {
        const unsigned char rgba[4] = {bgra[p + 2], bgra[p + 1], bgra[p], bgra[p + 3]};
        std::fwrite(rgba, 1, 4, out);
    }
    std::fclose(out);
    std::printf("%s %.1f ms\n", alpha == WTSAT_ARGB ? "argb" : alpha == WTSAT_RGB ? "rgb" : "unknown",
                double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart));
    return 0;
}
