// Velmorin's file and drawing work against what a user would run instead,
// and against the limit of this machine: each pair runs in this one process
// on the same files, so the ratio is what counts.
//
//   velmorin_bench [Google Benchmark options]   (the corpus: $VELMORIN_CORPUS_DIR)
#define GL_GLEXT_PROTOTYPES
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <benchmark/benchmark.h>
#include <commctrl.h>
#include <windows.h>

#include <GL/gl.h>
#include <GL/glext.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/md2.h"
#include "formats/pcx.h"
#include "formats/screenshot_files.h"
#include "gltf_export.h"
#include "gltf_import.h"
#include "headless/headless.h"
#include "render/frame_drawing.h"
#include "render/scene.h"
#include "state/viewer_state.h"
#include "stb/stb_image_write.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Files(const std::string& folder, const char* extension) {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.path().extension() == extension) files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string Name(const std::string& path) { return fs::path(path).filename().string(); }

// --- MD2 loading ---

void LoadMd2(benchmark::State& state, std::string path) {
    for (auto _ : state) {
        Md2Model model{};
        if (!LoadMD2(path.c_str(), &model)) state.SkipWithError("refused");
        ReleaseModel(&model);
    }
}

void AssimpMd2(benchmark::State& state, std::string path) {
    for (auto _ : state) {
        Assimp::Importer importer;
        if (!importer.ReadFile(path, 0)) state.SkipWithError("assimp refused");
    }
}

void BareRead(benchmark::State& state, std::string path) {
    const size_t size = fs::file_size(path);
    for (auto _ : state) {
        std::vector<unsigned char> bytes(size);
        FILE* file = std::fopen(path.c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(bytes.data(), 1, size, file));
        std::fclose(file);
    }
}

// --- PCX decoding ---

void LoadPcx(benchmark::State& state, std::string path) {
    for (auto _ : state) {
        RgbImage image{};
        if (!LoadPCX(path.c_str(), &image)) state.SkipWithError("refused");
        std::free(image.pixels);
    }
}

// SDL2_image's reader, then the conversion to packed 24-bit RGB the viewer needs.
void SdlImagePcx(benchmark::State& state, std::string path) {
    for (auto _ : state) {
        SDL_Surface* surface = IMG_Load(path.c_str());
        SDL_Surface* rgb = surface ? SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGB24, 0) : nullptr;
        if (!rgb) state.SkipWithError("SDL2_image refused");
        std::vector<unsigned char> packed(size_t(rgb ? rgb->w * rgb->h * 3 : 0));
        for (int y = 0; rgb && y < rgb->h; y++)
            std::memcpy(&packed[size_t(y) * rgb->w * 3], static_cast<unsigned char*>(rgb->pixels) + y * rgb->pitch,
                        size_t(rgb->w) * 3);
        SDL_FreeSurface(rgb);
        SDL_FreeSurface(surface);
    }
}

// --- BMP and TGA writing: a capture-sized picture into tmpfs ---

const int kCaptureWidth = 400, kCaptureHeight = 424;

std::vector<unsigned char> CapturePixels() {
    std::vector<unsigned char> pixels(size_t(kCaptureWidth) * kCaptureHeight * 3);
    for (size_t i = 0; i < pixels.size(); i++) pixels[i] = (unsigned char)(i * 7 / 3);
    return pixels;
}

std::string TmpfsPath(const char* name) { return std::string("/dev/shm/velmorin-bench-") + name; }

void WriteBmp(benchmark::State& state) {
    std::vector<unsigned char> pixels = CapturePixels();
    for (auto _ : state) WriteBMP(TmpfsPath("ours.bmp").c_str(), {kCaptureWidth, kCaptureHeight, pixels.data()});
}

void StbWriteBmp(benchmark::State& state) {
    std::vector<unsigned char> pixels = CapturePixels();
    for (auto _ : state) stbi_write_bmp(TmpfsPath("stb.bmp").c_str(), kCaptureWidth, kCaptureHeight, 3, pixels.data());
}

void WriteTga(benchmark::State& state) {
    std::vector<unsigned char> pixels = CapturePixels();
    for (auto _ : state) WriteTGA(TmpfsPath("ours.tga").c_str(), {kCaptureWidth, kCaptureHeight, pixels.data()});
}

void StbWriteTga(benchmark::State& state) {
    std::vector<unsigned char> pixels = CapturePixels();
    stbi_write_tga_with_rle = 0;
    for (auto _ : state) stbi_write_tga(TmpfsPath("stb.tga").c_str(), kCaptureWidth, kCaptureHeight, 3, pixels.data());
}

// --- Drawing: the viewer's immediate mode against one vertex buffer ---

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window, context and projection as the viewer makes them, with `path` loaded.
bool StartViewer(const std::string& path) {
    headless::Reset();
    viewer = ViewerState{};
    viewer.gamma = 0.7f;
    viewer.eye = Vec3{100, 0, 0};
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PlainProc;
    windowClass.lpszClassName = "Bench";
    RegisterClassA(&windowClass);
    viewer.hWnd = CreateWindowExA(0, "Bench", "Velmorin", 0x06CF0000, 0, 0, 400, 500, nullptr, nullptr, nullptr,
                                  nullptr);
    viewer.hDC = GetDC(viewer.hWnd);
    if (!SetupPixelFormat(viewer.hDC)) return false;
    InitGL(viewer.hDC, &viewer.hGLRC);
    ResizeGL();
    return LoadMD2(path.c_str(), &viewer.model) == 1;
}

void StopViewer() {
    ReleaseModel(&viewer.model);
    ReleaseGL();
    headless::Reset();
}

void SetMode(bool textured) {
    SetRenderMode(textured ? RENDER_NEAREST : RENDER_WIREFRAME);
    const unsigned char white[3] = {255, 255, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, white);
}

void DrawImmediate(benchmark::State& state, std::string path, bool textured) {
    if (!StartViewer(path)) state.SkipWithError("no GL or model");
    SetMode(textured);
    ApplyProjection();
    for (auto _ : state) {
        DrawFrame(viewer.model, 0);
        glFinish();
    }
    StopViewer();
}

// The same triangles, decoded once into one buffer and drawn with one call.
void DrawVertexBuffer(benchmark::State& state, std::string path, bool textured) {
    if (!StartViewer(path)) state.SkipWithError("no GL or model");
    SetMode(textured);
    ApplyProjection();
    std::vector<Md2Vertex> triangles;
    const unsigned char* frame = Md2FrameData(viewer.model, 0);
    int32_t cursor = 0;
    Md2Command command;
    while (NextMd2Command(viewer.model, &cursor, &command))
        for (int32_t n = 2; n < command.vertexCount; n++) {
            const int32_t a = command.isFan ? 0 : n - 2 + (n % 2), b = command.isFan ? n - 1 : n - 1 - (n % 2);
            for (int32_t k : {a, b, n}) triangles.push_back(DecodeMd2Vertex(frame, command, k));
        }
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(triangles.size() * sizeof(Md2Vertex)), triangles.data(), GL_STATIC_DRAW);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Md2Vertex), nullptr);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Md2Vertex), reinterpret_cast<void*>(3 * sizeof(float)));
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(triangles.size()));
        glFinish();
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDeleteBuffers(1, &buffer);
    StopViewer();
}

// --- glTF: the way in against the way out, on the same model ---

std::string TempFile(const char* name) { return (fs::temp_directory_path() / name).string(); }

void ExportGltf(benchmark::State& state, std::string model) {
    ExportRequest request;
    request.model = model;
    request.output = TempFile("velmorin_bench_export.glb");
    for (auto _ : state)
        if (!ExportModel(request).empty()) state.SkipWithError("export failed");
}

void ImportGltf(benchmark::State& state, std::string glb) {
    ImportRequest request;
    request.input = glb;
    request.output = TempFile("velmorin_bench_import.md2");
    ImportReport report;
    for (auto _ : state)
        if (!ImportModel(request, &report).empty()) state.SkipWithError("import failed");
}

}  // namespace

int main(int argc, char** argv) {
    const char* corpus = std::getenv("VELMORIN_CORPUS_DIR");
    const std::string root = corpus ? corpus : std::string(std::getenv("HOME") ? std::getenv("HOME") : "") +
                                                   "/.cache/velmorin/corpus";
    const std::vector<std::string> models = Files(root + "/md2", ".md2");
    std::vector<std::string> images;
    for (const std::string& path : Files(root + "/pcx", ".pcx")) {
        RgbImage image{};
        if (LoadPCX(path.c_str(), &image)) images.push_back(path);  // the 8-bit, one-plane ones
        std::free(image.pixels);
    }
    if (models.empty() || images.empty()) {
        std::fprintf(stderr, "velmorin_bench: no corpus in %s (scripts/fetch-corpus.sh)\n", root.c_str());
        return 1;
    }
    for (const std::string& model : models) {
        benchmark::RegisterBenchmark(("LoadMD2/" + Name(model)).c_str(), LoadMd2, model);
        benchmark::RegisterBenchmark(("AssimpMD2/" + Name(model)).c_str(), AssimpMd2, model);
        benchmark::RegisterBenchmark(("BareRead/" + Name(model)).c_str(), BareRead, model);
    }
    // The smallest, middle and largest of the 8-bit images.
    std::sort(images.begin(), images.end(), [](const std::string& a, const std::string& b) {
        return fs::file_size(a) < fs::file_size(b);
    });
    for (const std::string& image : {images.front(), images[images.size() / 2], images.back()}) {
        benchmark::RegisterBenchmark(("LoadPCX/" + Name(image)).c_str(), LoadPcx, image);
        benchmark::RegisterBenchmark(("SdlImagePCX/" + Name(image)).c_str(), SdlImagePcx, image);
    }
    benchmark::RegisterBenchmark("WriteBMP/400x424", WriteBmp);
    benchmark::RegisterBenchmark("StbWriteBMP/400x424", StbWriteBmp);
    benchmark::RegisterBenchmark("WriteTGA/400x424", WriteTga);
    benchmark::RegisterBenchmark("StbWriteTGA/400x424", StbWriteTga);
    std::string largest = models.front();
    for (const std::string& model : models)
        if (fs::file_size(model) > fs::file_size(largest)) largest = model;
    for (bool textured : {false, true}) {
        const std::string mode = textured ? "textured/" : "wireframe/";
        benchmark::RegisterBenchmark(("DrawFrame/" + mode + Name(largest)).c_str(), DrawImmediate, largest, textured);
        benchmark::RegisterBenchmark(("VertexBuffer/" + mode + Name(largest)).c_str(), DrawVertexBuffer, largest,
                                     textured);
    }
    // Import reads what export of the same model wrote.
    ExportRequest exported;
    exported.model = largest;
    exported.output = TempFile("velmorin_bench_model.glb");
    if (ExportModel(exported).empty()) {
        benchmark::RegisterBenchmark(("Export/" + Name(largest)).c_str(), ExportGltf, largest);
        benchmark::RegisterBenchmark(("Import/" + Name(largest)).c_str(), ImportGltf, exported.output);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
