#include "kestrix/single_instance.h"

namespace kestrix {

bool is_first_copy(bool created, uint32_t last_error) {
    if (created) return last_error != kErrorAlreadyExists;
    return last_error != kErrorAccessDenied;
}

}  // namespace kestrix
