#include "SingleInstance.h"

namespace kestrin {

SingleInstance::SingleInstance()
    : mutex_(CreateMutexW(nullptr, FALSE, L"Local\\Kestrin.PublicAddress.Running")) {
    isOnlyCopy_ = mutex_ && GetLastError() != ERROR_ALREADY_EXISTS;
}

}  // namespace kestrin
