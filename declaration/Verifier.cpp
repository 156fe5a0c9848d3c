#include "declaration/Verifier.h"

namespace ret {

QString DigitoVerificador(const QString& t) {
    const QString text = t.left(17).trimmed();
    if (text.isEmpty())
        return {};
    static constexpr int kWeights[] = {2, 3, 4, 5, 6, 7, 2, 3, 4, 5, 6, 7, 2, 3, 4, 5, 6};
    int sum = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(text.size() - 1 - i); // weights run from the right end
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            sum += (c.unicode() - '0') * kWeights[i];
    }
    int d = 11 - sum % 11;
    if (d == 11)
        d = 1;
    else if (d == 10)
        d = 0;
    return text + QString::number(d);
}

QString CalculaVerificador(const QString& control, const QString& orden) {
    const QString d1 = DigitoVerificador(control).mid(8, 1);
    const QString d2 = DigitoVerificador(control + orden + d1).right(1);
    return d1 + d2;
}

bool ValidaVerificador(const QString& control, const QString& orden, const QString& typed) {
    return CalculaVerificador(control, orden) == typed;
}

} // namespace ret
