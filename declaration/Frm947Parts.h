#pragma once

// What more than one of the declaration window's source files needs; for those files only.

namespace ret::frm947 {

constexpr int kBackspace = 8;

// The keys the period and the boxes take: digits and Backspace.
inline bool isEditKey(int key) {
    return (key >= '0' && key <= '9') || key == kBackspace;
}

} // namespace ret::frm947
