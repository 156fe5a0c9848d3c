#include "tools/hub/SampleData.h"

#include "common/Cp1252.h"

namespace ret::hub {
namespace {

QString fixed(const QString& text, int width) {
    return text.left(width).leftJustified(width, QLatin1Char(' '));
}

QString u(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

QString documentTypeRecord(const QString& description, const QString& abbreviation, int length,
                           bool digitsOnly, bool exactLength) {
    QString r = fixed(description, 30) + QLatin1Char(' ') + fixed(abbreviation, 12);
    r += QStringLiteral("  ") + QStringLiteral("%1").arg(length, 2, 10, QLatin1Char('0'));
    r = fixed(r, 125);
    r += QStringLiteral("0 ") + (digitsOnly ? QLatin1Char('1') : QLatin1Char('0')) +
         QLatin1Char(' ') + (exactLength ? QLatin1Char('1') : QLatin1Char('0'));
    return r; // 130 characters: length at 46-47, flags at 128 and 130
}

QString bankRecord(const QString& name, const QString& shortName) {
    return fixed(name, 36) + QLatin1Char(' ') + fixed(shortName, 12);
}

std::vector<SampleRow> sampleRows(const QString& user) {
    std::vector<SampleRow> rows;
    const auto param = [&](const char* numero, const char* arg, const QString& funcion) {
        rows.push_back({QStringLiteral("PARAM"),
                        {QLatin1String(numero), QLatin1String(arg), funcion, QString()}});
    };
    // banks; "00" stands for "no bank" and is never listed
    param("004", "00", bankRecord(QStringLiteral("NINGUNO"), QStringLiteral("NINGUNO")));
    param("004", "01", bankRecord(u("BANCO DE LA NACIÓN ANDINA"), QStringLiteral("BNA")));
    param("004", "02", bankRecord(u("BANCO DE CRÉDITO DEL SUR"), QStringLiteral("BCS")));
    param("004", "03",
          bankRecord(QStringLiteral("BANCO INTERAMERICANO DEL PACIFICO"), QStringLiteral("BIP")));
    param("004", "11",
          bankRecord(QStringLiteral("BANCO CONTINENTAL DEL NORTE"), QStringLiteral("BCN")));
    param("004", "41", bankRecord(u("CAJA MUNICIPAL DE AHORRO Y CRÉDITO"), QStringLiteral("CMAC")));
    // identity documents
    param("044", "1", documentTypeRecord(u("DOC. NACIONAL DE IDENTIDAD"), "DNI", 8, true, true));
    param("044", "4",
          documentTypeRecord(u("CARNET DE EXTRANJERÍA"), "CARNET EXT.", 12, false, false));
    param("044", "6", documentTypeRecord(u("REG. UNICO DE CONTRIBUYENTES"), "RUC", 11, true, true));
    param("044", "7",
          documentTypeRecord(QStringLiteral("PASAPORTE"), "PASAPORTE", 12, false, false));
    // general sales-tax rate by the period from which it applies
    param("998", "0304020199601", QStringLiteral("000.180000 IGV"));
    param("998", "0304020200308", QStringLiteral("000.190000 IGV"));
    param("998", "0304020201103", QStringLiteral("000.180000 IGV"));

    rows.push_back({QStringLiteral("CLAVES"), {user, QStringLiteral("1")}});
    rows.push_back({QStringLiteral("CLAVES"), {QStringLiteral("SUPERVISOR"), QStringLiteral("0")}});

    const auto cont = [&](const char* ruc, const QString& owner, const QString& name) {
        rows.push_back(
            {QStringLiteral("CONT"), {QStringLiteral("6"), QLatin1String(ruc), owner, name}});
    };
    cont("20100070970", user, u("DISTRIBUIDORA ANDINA DEL PERÚ S.A."));
    cont("20512345671", user, u("CONSTRUCTORA PEÑALOZA & HIJOS S.A.C."));
    cont("20601112222", user, u("TEXTILES O'HIGGINS; ALGODÓN S.R.L."));
    cont("20456789014", QStringLiteral("SUPERVISOR"),
         QStringLiteral("SERVICIOS GENERALES DEL SUR S.A."));

    const auto error = [&](const char* code, const char* text) {
        rows.push_back({QStringLiteral("ERROR"), {QLatin1String(code), u(text)}});
    };
    error("0151", "La declaración ha sido grabada satisfactoriamente.");
    error("0152", "La declaración ha sido grabada, pero tiene datos incompletos o inconsistentes; "
                  "revísela antes de enviarla.");
    error("0001", "El número de RUC no es válido");
    error("0221", "El RUC del sujeto de retención no puede ser el RUC del declarante");
    error("0003", "Debe ingresar una razón social válida");
    error("0853", "Debe ingresar un apellido paterno válido");
    error("0854", "Debe ingresar un apellido materno válido");
    error("0855", "Debe ingresar nombres válidos");
    error("0239", "El nombre contiene caracteres no permitidos");
    error("0857", "El número de serie no es válido");
    error("0859", "La fecha de emisión no es válida");
    error("0868", "La fecha de emisión del comprobante origen es posterior al periodo declarado");
    error("0228", "El registro ya existe en la declaración");
    return rows;
}

QByteArray sendingCatalogue() {
    // form | source | destination | external | index | mandatory | column numbers of
    // tip_doc_d, doc_id_d, formulario, periodo, estado, sending mark, week
    const QString text =
        QStringLiteral("0947|CAB|HCAB|CAB|1|1|1|2|4|3|5|0|0|\r\n"
                       "0947|DET|HDET|DET|1|1|1|2|4|3|0|0|6|\r\n"
                       "0947|F947RPCAB|HF947RPCAB|F947RPCAB|1|1|1|2|4|3|0|0|0|\r\n"
                       "0947|F947RPDET|HF947RPDET|F947RPDET|1|0|1|2|4|3|0|0|0|\r\n"
                       "0947|F947RPDETDET|HF947RPDETDET|F947RPDETDET|1|0|1|2|4|3|0|0|0|\r\n");
    return cp1252::encode(text);
}

QByteArray sampleImportFile() {
    const char* lines[] = {
        "20512345671|CONSTRUCTORA PENALOZA E HIJOS SAC||||E001|1|20/07/2010|1000|01|F001|11|"
        "20/07/2010|700.00|",
        "20512345671|CONSTRUCTORA PENALOZA E HIJOS SAC||||E001|1|20/07/2010|1000|01|F001|12|"
        "20/07/2010|300.00|",
        "10412345679||PEREZ|GOMEZ|JUAN|E001|2|21/07/2010|500|01|F002|7|21/07/2010|500.00|",
        "20601112222|TEXTILES OHIGGINS SRL||||E001|3|22/07/2010|2500|01|F003|101|22/07/2010|"
        "2500.00|",
        "20601112222|TEXTILES OHIGGINS SRL||||E001|4|23/07/2010|200|07|F003|15|23/07/2010|"
        "200.00|",
        // refused: a RUC whose check digit is wrong, a base of 0, a voucher of another month
        "20512345672|EMPRESA MAL DIGITADA SAC||||E001|5|24/07/2010|100|01|F009|1|24/07/2010|"
        "100.00|",
        "20512345671|CONSTRUCTORA PENALOZA E HIJOS SAC||||E001|6|25/07/2010|0|01|F001|14|"
        "25/07/2010|10.00|",
        "10412345679||PEREZ|GOMEZ|JUAN|E001|7|05/08/2010|300|01|F002|8|05/08/2010|300.00|",
    };
    QByteArray out;
    for (const char* l : lines)
        out += QByteArray(l) + "\r\n";
    return out;
}

} // namespace ret::hub
