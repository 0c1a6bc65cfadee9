#include "single_instance.h"

#include "kestrix/single_instance.h"

namespace kestrix::win {

bool SingleInstance::claim() {
    if (mutex_) return true;  // already the first copy
    SetLastError(ERROR_SUCCESS);
    KernelHandle mutex(CreateMutexW(nullptr, TRUE, L"Local\\Kestrix.SingleInstance"));
    const DWORD error = GetLastError();
    // An existing mutex, or one a copy running as administrator keeps from us.
    if (!is_first_copy(bool(mutex), uint32_t(error))) return false;  // `mutex` closes here
    if (mutex) mutex_ = std::move(mutex);
    return true;
}

}  // namespace kestrix::win
