#pragma once

#include <vector>

namespace ret::import {

// A code the import leaves on a refused line, the fields that raise it and its text.
struct ImportCode {
    const char* code;
    const char* fields; // the line's fields that raise it, 1-based ("1", "6 y 11"); "" the line
    const char* when;   // when it is raised, as the help tells the user
    const char* text;   // the module's own text; nullptr when the integrator's error table's
};

// Every code of the import, in the order of the fields; the codes whose text the module
// carries but no check raises come last, with neither fields nor `when`. The help's table of
// the import file is generated from this one at build time.
const std::vector<ImportCode>& importCodes();

} // namespace ret::import
