#pragma once

#include "common/DbError.h"

#include <functional>

namespace ret::test {

// The number of the database error that `f` throws; 0 when it throws none.
inline int errorNumberOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const DbError& e) {
        return e.number();
    }
    return 0;
}

} // namespace ret::test
