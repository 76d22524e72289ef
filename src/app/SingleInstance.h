#pragma once
// Tells whether another copy of Kestrin already runs in this session.

#include "Handles.h"

namespace kestrin {

class SingleInstance {
public:
    SingleInstance();
    // False also when the question cannot be answered: then this copy steps aside.
    bool IsOnlyCopy() const noexcept { return isOnlyCopy_; }

private:
    UniqueKernelHandle mutex_;
    bool isOnlyCopy_ = false;
};

}  // namespace kestrin
