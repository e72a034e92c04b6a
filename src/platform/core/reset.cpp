#include "internal.h"

void ResetPlatformCore() {
    ResetContexts();
    ResetWindows();
    ResetMessages();
    ResetModals();
    ResetResources();
    SetLastError(0);
}
