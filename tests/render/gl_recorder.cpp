#include "gl_recorder.h"

#include <dlfcn.h>

namespace {

bool recording = false;
std::vector<GlCall> calls;

template <typename Function>
Function Real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

void Record(const char* name, GLenum mode, float a = 0, float b = 0, float c = 0) {
    if (!recording) return;
    GlCall call;
    call.name = name;
    call.mode = mode;
    call.values[0] = a, call.values[1] = b, call.values[2] = c;
    calls.push_back(call);
}

}  // namespace

void StartRecordingGl() {
    calls.clear();
    recording = true;
}

std::vector<GlCall> StopRecordingGl() {
    recording = false;
    return calls;
}

extern "C" {

void glBegin(GLenum mode) {
    Record("begin", mode);
    static auto real = Real<void (*)(GLenum)>("glBegin");
    real(mode);
}

void glEnd() {
    Record("end", 0);
    static auto real = Real<void (*)()>("glEnd");
    real();
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    Record("texcoord", 0, s, t);
    static auto real = Real<void (*)(GLfloat, GLfloat)>("glTexCoord2f");
    real(s, t);
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    Record("vertex", 0, x, y, z);
    static auto real = Real<void (*)(GLfloat, GLfloat, GLfloat)>("glVertex3f");
    real(x, y, z);
}

void glClear(GLbitfield mask) {
    Record("clear", mask);
    static auto real = Real<void (*)(GLbitfield)>("glClear");
    real(mask);
}

void glFlush() {
    Record("flush", 0);
    static auto real = Real<void (*)()>("glFlush");
    real();
}
}
