// The pointer: where it is and the cursor it shows.
#include "backend.h"
#include "resources.h"

#include <mutex>

using namespace win32;

namespace {

std::mutex cursorMutex;
HCURSOR currentCursor;

} // namespace

// The cursor is the process's, as for a program whose windows all belong to one thread.
extern "C" HCURSOR WINAPI SetCursor(HCURSOR handle)
{
    auto cursor = handles().find<Cursor>(handle);
    std::lock_guard lock(cursorMutex);
    HCURSOR previous = currentCursor;
    currentCursor = cursor ? handle : nullptr;
    backend().setCursor(cursor.get());
    return previous;
}

extern "C" BOOL WINAPI GetCursorPos(LPPOINT point)
{
    if (!point)
        return FALSE;
    *point = backend().cursorPosition();
    return TRUE;
}
