#include "common/Parameters.h"

namespace ret {

QString ParamFieldRaw(const QString& funcion, int position, int length) {
    if (position < 1 || position > funcion.size())
        return {};
    return funcion.mid(position - 1, length);
}

QString ParamField(const QString& funcion, int position, int length) {
    return ParamFieldRaw(funcion, position, length).trimmed();
}

const QString kDefaultRucRecord = QStringLiteral(
    "REG. UNICO DE CONTRIBUYENTES   RUC           11 000110 01 000001000001100111011111      "
    "                                     0 5 0");

const std::vector<ParamRow>& seededParameters() {
    static const std::vector<ParamRow> rows = {
        {"969", "010909120020601", "0 0.06 RETENCIONES", "001"},
        {"971", "01", "PROVEEDORES                             1", ""},
        {"996", "104", "F947RPCAB      R 1000   7", ""},
        {"996", "105", "HF947RPCAB     R 1000   8", ""},
        {"996", "106", "F947RPDET      R 1000   9", ""},
        {"996", "107", "HF947RPDET     R 1000  10", ""},
        {"996", "108", "F947RPDETDET   R 1000  10", ""},
        {"996", "109", "HF947RPDETDET  R 1000  10", ""},
        {"981", "0947", "969", "001"},
        {"233", "01", "FACTURA                                       10100 0 1 FACT 0111110", ""},
        {"233", "07", "NOTA DE CREDITO                               00001 1 1 CRED 1111011", ""},
        {"233", "08", "NOTA DE DEBITO                                10100 0 1 DEBI 0111110", ""},
        {"233", "12", "TICKET DE MAQUINA REGISTRADORA                10100 0 0 TICK 0111110", ""},
        {"233", "99", "OTROS                                         10100 0 0 OTRO 0111110", ""},
        {"856", "0947", "1.1 08/11/2010     790", "000"},
        {"992", "0947", "1", ""},
    };
    return rows;
}

const std::vector<ReportCode>& reportCodes() {
    static const std::vector<ReportCode> codes = {
        {"RYP001", QString::fromUtf8("Reporte de Errores de Transferencia - 0947")},
        {"RYP002", QString::fromUtf8("Reporte de Declaraciones - 0947")},
        {"RYP003", QString::fromUtf8("Reporte de Anexos - 0947")},
        {"RYP004", QString::fromUtf8("Reporte de Envío  -  0947")},
    };
    return codes;
}

} // namespace ret
