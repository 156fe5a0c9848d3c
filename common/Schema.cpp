#include "common/Schema.h"

#include <QDate>
#include <QDateTime>

#include <cstdio>
#include <stdexcept>

namespace ret {
namespace {

ColumnDef byte(const char* n) {
    return {QLatin1String(n), ColumnType::Byte};
}
ColumnDef integer(const char* n) {
    return {QLatin1String(n), ColumnType::Integer};
}
ColumnDef long32(const char* n) {
    return {QLatin1String(n), ColumnType::Long};
}
ColumnDef date(const char* n) {
    return {QLatin1String(n), ColumnType::Date};
}
ColumnDef text(const char* n, int w) {
    return {QLatin1String(n), ColumnType::Text, w};
}

QStringList names(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* n : list)
        out << QLatin1String(n);
    return out;
}

std::vector<ColumnDef> concatColumns(std::vector<ColumnDef> a, const std::vector<ColumnDef>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<ColumnDef> kKey = {byte("tip_doc_d"), text("doc_id_d", 15), text("periodo", 6),
                                     text("formulario", 4)};
const std::vector<ColumnDef> kSentKey = concatColumns(kKey, {text("correl", 3)});

const std::vector<ColumnDef> kSubject = {text("tip_retencion", 1),
                                         byte("tip_doc_ret"),
                                         text("num_doc_ret", 15),
                                         text("des_razon", 40),
                                         text("des_apellido_p", 20),
                                         text("des_apellido_m", 20),
                                         text("des_nombres", 20),
                                         integer("ctd_docs"),
                                         text("mto_base_rp", 15),
                                         text("mto_imp_rp", 15),
                                         byte("ind_ruc")};
const std::vector<ColumnDef> kVoucher = {
    text("tip_retencion", 1), byte("tip_doc_ret"),    text("num_doc_ret", 15),
    text("num_serie_cp", 4),  text("num_cp", 8),      date("fec_emision_cp"),
    text("mto_base_rp", 15),  text("por_tasa_cr", 6), text("mto_imp_rp", 15)};
const std::vector<ColumnDef> kPayment = {text("num_doc_ret", 15),  text("num_serie_cp", 4),
                                         text("num_cp", 8),        text("tip_cp_det", 2),
                                         text("num_serie_det", 4), text("num_cp_det", 15),
                                         date("fec_emis_det"),     text("mto_cp_det", 15)};
const ColumnDef kCheck = text("cnumero", 6);

const QStringList kKeyNames = names({"tip_doc_d", "doc_id_d", "periodo", "Formulario"});
const QStringList kSubjectKey = names({"tip_retencion", "tip_doc_ret", "num_doc_ret"});
const QStringList kVoucherKey = kSubjectKey + names({"num_serie_cp", "num_cp"});
const QStringList kPaymentKey =
    names({"num_doc_ret", "num_serie_cp", "num_cp", "tip_cp_det", "num_serie_det", "num_cp_det"});

TableDef working(const char* name, const std::vector<ColumnDef>& detail, const QStringList& key) {
    auto cols = concatColumns(kKey, detail);
    cols.push_back(kCheck);
    return {QLatin1String(name), cols, kKeyNames + key, int(kKey.size() + key.size())};
}

TableDef history(const char* name, const std::vector<ColumnDef>& detail, const QStringList& key,
                 const QStringList& sentKey) {
    auto cols = concatColumns(kSentKey, detail);
    cols.push_back(kCheck);
    return {QLatin1String(name), cols, sentKey + key, int(sentKey.size() + key.size())};
}

std::vector<TableDef> buildModuleTables() {
    const QStringList sent = kKeyNames + names({"correl"});
    // the history payment vouchers are keyed without the document type
    const QStringList sentNoType = names({"doc_id_d", "periodo", "formulario", "correl"});
    return {
        working("F947RPCAB", kSubject, kSubjectKey),
        history("HF947RPCAB", kSubject, kSubjectKey, sent),
        {QStringLiteral("TMPF947RPCAB"), kSubject, kSubjectKey, 0},
        working("F947RPDET", kVoucher, kVoucherKey),
        history("HF947RPDET", kVoucher, kVoucherKey, sent),
        {QStringLiteral("TMPF947RPDET"), kVoucher, kVoucherKey, 0},
        working("F947RPDETDET", kPayment, kPaymentKey),
        history("HF947RPDETDET", kPayment, kPaymentKey, sentNoType),
        {QStringLiteral("TMPF947RPDETDET"), kPayment, kPaymentKey, 0},
    };
}

// The integrator's own tables. Their layout belongs to the integrator; this one starts with the
// declaration key and ends with the check column, so that the check values come out as the
// integrator's do.
std::vector<TableDef> buildIntegratorTables() {
    const std::vector<ColumnDef> header = {
        integer("estado"),     text("rectifica", 1), text("fec_pro", 10), text("bcolibrad", 2),
        text("nrocheque", 15), text("cheque", 15),   text("efectivo", 15)};
    const std::vector<ColumnDef> box = {text("casilla", 3), long32("semana"), text("i_valor", 30),
                                        text("idcasilla", 2)};
    const ColumnDef check = text("cNumero", 6);

    auto cab = concatColumns(kKey, header);
    cab.push_back(check);
    auto hcab = concatColumns(concatColumns(kSentKey, header),
                              {text("norden", 15), date("fec_env"), text("control", 8)});
    hcab.push_back(check);
    auto det = concatColumns(kKey, box);
    det.push_back(check);
    auto hdet = concatColumns(kSentKey, box);
    hdet.push_back(check);

    const QStringList sentKey = kKeyNames + names({"correl"});
    return {
        {QStringLiteral("CAB"), cab, kKeyNames, 5},
        {QStringLiteral("DET"), det, kKeyNames + names({"casilla"}), 6},
        {QStringLiteral("HCAB"), hcab, sentKey, 6},
        {QStringLiteral("HDET"), hdet, sentKey + names({"casilla"}), 7},
        {QStringLiteral("CONT"),
         {byte("tip_doc_d"), text("doc_id_d", 15), text("usuario", 20), text("nombre", 100)},
         names({"tip_doc_d", "doc_id_d"}),
         0},
        {QStringLiteral("PARAM"),
         {text("numero", 3), text("argumento", 30), text("funcion", 255), text("correl_param", 10)},
         names({"numero", "argumento"}),
         0},
        {QStringLiteral("CLAVES"), {text("usuario", 20), text("tipo", 1)}, names({"usuario"}), 0},
        {QStringLiteral("ERROR"),
         {text("CodError", 4), text("DescError", 255)},
         names({"CodError"}),
         0},
        {QStringLiteral("SPOOL"),
         {text("CodRep", 6), text("Secuencia", 6), text("Archivo", 12), date("Fecha"),
          text("Usuario", 20), byte("Tip_doc_d"), text("Doc_id_d", 15)},
         names({"CodRep", "Secuencia"}),
         0},
        {QStringLiteral("reportes"),
         {text("codrep", 6), text("desrep", 60), integer("nivel")},
         names({"codrep"}),
         0},
        {QStringLiteral("envio_t"),
         {text("formulario", 4), text("tabla_o", 30), text("tabla_d", 30), text("tabla_ext", 30),
          byte("indice"), byte("obliga"), byte("c_tip_doc_d"), long32("c_doc_id_d"),
          long32("c_Formulario"), long32("c_periodo"), long32("c_estado"), long32("c_envio"),
          long32("c_semana")},
         names({"formulario", "tabla_o"}),
         0},
    };
}

// The version of each declaration and sent copy, which every change raises, and the record of
// every change, which is only ever added to.
std::vector<TableDef> buildRecordTables() {
    // the registered declaration has an empty correl
    const QStringList versionKey = kKeyNames + names({"correl"});
    return {
        {QStringLiteral("F947VERSION"), concatColumns(kSentKey, {long32("version")}), versionKey,
         0},
        {QStringLiteral("F947BITACORA"),
         concatColumns({long32("num_entrada"), date("fec_hora"), text("usuario", 20),
                        text("equipo", 64), text("programa", 30), text("accion", 60)},
                       concatColumns(kSentKey, {long32("version"), text("digest_antes", 64),
                                                text("digest_despues", 64)})),
         names({"num_entrada"}), 0},
    };
}

} // namespace

int TableDef::indexOf(const QString& column) const {
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].name.compare(column, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QStringList TableDef::columnNames() const {
    QStringList out;
    for (const auto& c : columns)
        out << c.name;
    return out;
}

const std::vector<TableDef>& moduleTables() {
    static const std::vector<TableDef> tables = buildModuleTables();
    return tables;
}

const std::vector<TableDef>& recordTables() {
    static const std::vector<TableDef> tables = buildRecordTables();
    return tables;
}

const TableDef& schemaVersionTable() {
    static const TableDef table{QStringLiteral("F947ESQUEMA"), {long32("version")}, {}, 0};
    return table;
}

const std::vector<TableDef>& stagingTables() {
    static const std::vector<TableDef> tables = [] {
        std::vector<TableDef> out;
        for (const TableDef& t : moduleTables()) {
            if (t.name.startsWith(QLatin1String("TMP")))
                out.push_back(t);
        }
        return out;
    }();
    return tables;
}

const std::vector<TableDef>& integratorTables() {
    static const std::vector<TableDef> tables = buildIntegratorTables();
    return tables;
}

const TableDef& tableDef(const QString& name) {
    for (const auto* list : {&moduleTables(), &recordTables(), &integratorTables()}) {
        for (const auto& t : *list) {
            if (t.name.compare(name, Qt::CaseInsensitive) == 0)
                return t;
        }
    }
    if (schemaVersionTable().name.compare(name, Qt::CaseInsensitive) == 0)
        return schemaVersionTable();
    throw std::out_of_range("unknown table " + name.toStdString());
}

QVariant storedValue(ColumnType type, const QVariant& value) {
    if (type != ColumnType::Date || value.isNull())
        return value;
    if (value.typeId() == QMetaType::QDate) {
        // written by hand: large imports store hundreds of thousands of dates
        const QDate d = value.toDate();
        if (!d.isValid())
            return QVariant();
        char text[11];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year(), d.month(), d.day());
        return QString::fromLatin1(text, 10);
    }
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        if (dt.time() == QTime(0, 0))
            return dt.date().toString(Qt::ISODate);
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    return value;
}

QVariant dateFromStored(const QVariant& stored) {
    if (stored.isNull())
        return stored;
    // the server keeps dates in a timestamp column: one without a time is a date, as the
    // file's "yyyy-MM-dd" is
    if (stored.typeId() == QMetaType::QDateTime) {
        const QDateTime dt = stored.toDateTime();
        if (dt.time() == QTime(0, 0))
            return dt.date();
        return QDateTime(dt.date(), dt.time());
    }
    if (stored.typeId() == QMetaType::QDate)
        return stored;
    const QString s = stored.toString();
    if (s.size() == 10) {
        const QDate d = QDate::fromString(s, Qt::ISODate);
        if (d.isValid())
            return d;
    } else if (s.size() == 19) {
        const QDateTime dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (dt.isValid())
            return dt;
    }
    return stored;
}

QString canonicalValue(const QVariant& v) {
    if (v.isNull())
        return QStringLiteral("NULL");
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate);
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return v.toString();
}

QVariantList typedRow(const TableDef& table, const QSqlRecord& record) {
    QVariantList row;
    row.reserve(qsizetype(table.columns.size()));
    for (const auto& col : table.columns) {
        const QVariant v = record.value(col.name);
        switch (col.type) {
        case ColumnType::Date:
            row << dateFromStored(v);
            break;
        case ColumnType::Text:
            row << (v.isNull() ? v : QVariant(v.toString()));
            break;
        default:
            row << (v.isNull() ? v : QVariant(v.toLongLong()));
            break;
        }
    }
    return row;
}

} // namespace ret
