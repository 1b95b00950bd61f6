// The one installed backend.
#include "backend.h"

namespace win32 {

namespace {

// Backends are never destroyed: threads of the program may still be parked in one when the
// process ends, as on Windows, where the end of the process stops them wherever they stand.
Backend *&installed()
{
    static Backend *current = nullptr;
    return current;
}

} // namespace

Backend &backend()
{
    return *installed();
}

bool backendInstalled()
{
    return installed() != nullptr;
}

void installBackend(std::unique_ptr<Backend> backend)
{
    installed() = backend.release();
}

} // namespace win32
