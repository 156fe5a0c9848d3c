#include "common/Schema.h"

#include "common/Database.h"

#include "tests/support/TempDir.h"

using namespace ret;

namespace {

struct TableInfo {
    QStringList columns;
    QStringList types;
    QStringList key;
};

TableInfo infoOf(Database& db, const QString& table) {
    TableInfo info;
    Cursor c = db.query("SELECT name, type, pk FROM pragma_table_info(?) ORDER BY cid", {table});
    std::map<int, QString> key;
    while (c.next()) {
        info.columns << c.text(0);
        info.types << c.text(1);
        if (c.value(2).toInt() > 0)
            key[c.value(2).toInt()] = c.text(0);
    }
    for (const auto& [_, n] : key)
        info.key << n.toLower();
    return info;
}

QStringList lower(QStringList l) {
    for (auto& s : l)
        s = s.toLower();
    return l;
}

} // namespace

class SchemaTest : public test::TempDirTest {};

TEST_F(SchemaTest, ModuleTablesAreCreatedExactly) {
    auto db = Database::create(path("s.db"));
    for (const TableDef& t : moduleTables())
        for (const QString& sql : db->dialect().createTable(t))
            db->execute(sql);

    const TableInfo pay = infoOf(*db, "HF947RPDETDET");
    EXPECT_EQ(pay.columns,
              QStringList({"tip_doc_d", "doc_id_d", "periodo", "formulario", "correl",
                           "num_doc_ret", "num_serie_cp", "num_cp", "tip_cp_det", "num_serie_det",
                           "num_cp_det", "fec_emis_det", "mto_cp_det", "cnumero"}));
    // the history payment vouchers are keyed without the document type
    EXPECT_EQ(pay.key,
              QStringList({"doc_id_d", "periodo", "formulario", "correl", "num_doc_ret",
                           "num_serie_cp", "num_cp", "tip_cp_det", "num_serie_det", "num_cp_det"}));
    const TableInfo sub = infoOf(*db, "F947RPCAB");
    EXPECT_EQ(sub.columns.size(), 16);
    EXPECT_EQ(sub.types.at(11), "SMALLINT"); // ctd_docs, 16-bit
    EXPECT_EQ(sub.types.at(7), "TEXT(40)");  // des_razon
    EXPECT_EQ(sub.key.size(), 7);
    const TableInfo stage = infoOf(*db, "TMPF947RPDET");
    EXPECT_EQ(stage.columns.first(), "tip_retencion");
    EXPECT_FALSE(stage.columns.contains("cnumero"));
    EXPECT_EQ(stage.types.at(5), "DATE");

    // every table's key is under its constraint name
    for (const TableDef& t : moduleTables()) {
        SCOPED_TRACE(t.name.toStdString());
        const QString sql =
            db->scalar("SELECT sql FROM sqlite_master WHERE name = ?", {t.name})->toString();
        EXPECT_TRUE(sql.contains("CONSTRAINT PK_" + t.name + " PRIMARY KEY")) << sql.toStdString();
        EXPECT_EQ(infoOf(*db, t.name).key, lower(t.primaryKey));
    }
}

TEST(Schema, CheckKeyLengthsAndIntegratorLayouts) {
    const std::pair<const char*, int> lengths[] = {
        {"CAB", 5},       {"DET", 6},           {"HCAB", 6},       {"F947RPCAB", 7},
        {"F947RPDET", 9}, {"F947RPDETDET", 10}, {"HF947RPCAB", 8}, {"HF947RPDETDET", 10}};
    for (const auto& [name, k] : lengths)
        EXPECT_EQ(tableDef(name).checkKeyLength, k) << name;

    for (const char* name : {"CAB", "DET", "HCAB", "HDET"}) {
        const TableDef& t = tableDef(name);
        EXPECT_EQ(t.columnNames().mid(0, 4),
                  QStringList({"tip_doc_d", "doc_id_d", "periodo", "formulario"}));
        EXPECT_EQ(t.columns.back().name, "cNumero") << name;
    }
    EXPECT_EQ(tableDef("HCAB").columns.at(4).name, "correl");
    EXPECT_EQ(tableDef("HDET").columns.at(5).name, "casilla");
    EXPECT_EQ(tableDef("cont").columns.at(1).name, "doc_id_d");
    EXPECT_EQ(tableDef("CONT").columns.at(3).name, "nombre");
    EXPECT_THROW(tableDef("NOPE"), std::out_of_range);
}
