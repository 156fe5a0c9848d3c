#pragma once

#include <QString>

namespace ret {

// The check digits of an order number assigned to a sent declaration.

// t (trimmed, at most 17 characters) followed by its modulus-11 check digit; empty for an
// empty t.
QString DigitoVerificador(const QString& t);
// The two-character verifier of order number `orden` for control number `control`.
QString CalculaVerificador(const QString& control, const QString& orden);
bool ValidaVerificador(const QString& control, const QString& orden, const QString& typed);

} // namespace ret
