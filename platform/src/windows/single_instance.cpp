#include "single_instance.h"

namespace kestrix::win {

bool SingleInstance::claim() {
    if (mutex_) return true;  // already the first copy
    SetLastError(ERROR_SUCCESS);
    KernelHandle mutex(CreateMutexW(nullptr, TRUE, L"Local\\Kestrix.SingleInstance"));
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    // A mutex that cannot be created at all does not keep the user from starting Kestrix.
    if (!mutex) return true;
    if (existed) return false;  // `mutex` closes here
    mutex_ = std::move(mutex);
    return true;
}

}  // namespace kestrix::win
