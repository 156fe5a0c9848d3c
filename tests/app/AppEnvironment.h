#pragma once

#include "tests/app/RecordingWindows.h"
#include "tools/hub/Environment.h"

#include "common/Database.h"
#include "common/Schema.h"
#include "common/Session.h"

#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <QStringList>
#include <QTextStream>

namespace ret::test {

inline const QString kUser = QStringLiteral("CONTADOR");
// the sample contributors: three of the user's, one of another user's
inline const QString kAndina = QStringLiteral("20100070970");
inline const QString kPenaloza = QStringLiteral("20512345671");
inline const QString kTextiles = QStringLiteral("20601112222");
inline const QString kOthers = QStringLiteral("20456789014");

// An integrator environment with the module's tables, and a session on its database as the
// main program has it once loaded.
class AppEnvironment : public TempDirTest {
protected:
    void SetUp() override {
        ASSERT_EQ(hub::prepareSampleEnvironment(tmp.path(), kUser), QString());
        db = Database::open(path("velkar/HUB000.db"));
        for (const auto* tables : {&moduleTables(), &recordTables()}) {
            for (const TableDef& t : *tables) {
                for (const QString& sql : db->dialect().createTable(t))
                    db->execute(sql);
            }
        }
        session.db = db.get();
        session.messages = &messages;
        session.windows = &windows;
        session.config.currentUser = kUser;
    }

    // Inserts a row; the columns not named stay null.
    void insert(const QString& table, const QVariantMap& values) {
        QStringList marks;
        for (qsizetype i = 0; i < values.size(); ++i)
            marks << QStringLiteral("?");
        db->execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(table, values.keys().join(','), marks.join(',')),
                    values.values());
    }

    // A registered declaration with two boxes and one subject, voucher and payment voucher.
    void addDeclaration(const QString& ruc, const QString& periodo,
                        const QString& form = QStringLiteral("0947")) {
        const QVariantMap key{
            {"tip_doc_d", 6}, {"doc_id_d", ruc}, {"periodo", periodo}, {"formulario", form}};
        insert("CAB", with(key, {{"estado", 0}, {"rectifica", "0"}}));
        insert("DET", with(key, {{"casilla", "401"}, {"i_valor", "100"}}));
        insert("DET", with(key, {{"casilla", "410"}, {"i_valor", "6"}}));
        addDetail(QString(), key);
    }

    // A sent copy: HCAB, one HDET box and the three history levels.
    void addSentCopy(const QString& ruc, const QString& periodo, const QString& correl,
                     const QString& norden = QStringLiteral("12345678"),
                     const QString& control = QStringLiteral("00000042")) {
        const QVariantMap key{{"tip_doc_d", 6},
                              {"doc_id_d", ruc},
                              {"periodo", periodo},
                              {"formulario", "0947"},
                              {"correl", correl}};
        insert("HCAB", with(key, {{"estado", 0},
                                  {"rectifica", "0"},
                                  {"norden", norden},
                                  {"fec_env", QDate(2002, 7, 15)},
                                  {"control", control}}));
        insert("HDET", with(key, {{"casilla", "401"}, {"i_valor", "100"}}));
        addDetail(QStringLiteral("H"), key);
    }

    int count(const QString& table, const QString& ruc, const QString& periodo) {
        return db
            ->scalar(
                QStringLiteral("SELECT count(*) FROM %1 WHERE doc_id_d=? AND periodo=?").arg(table),
                {ruc, periodo})
            ->toInt();
    }
    int countCopy(const QString& table, const QString& ruc, const QString& periodo,
                  const QString& correl) {
        return db
            ->scalar(QStringLiteral(
                         "SELECT count(*) FROM %1 WHERE doc_id_d=? AND periodo=? AND correl=?")
                         .arg(table),
                     {ruc, periodo, correl})
            ->toInt();
    }

    std::unique_ptr<Database> db;
    ScriptedMessages messages;
    Session session;
    RecordingWindows windows{session};

private:
    static QVariantMap with(QVariantMap base, const QVariantMap& more) {
        base.insert(more);
        return base;
    }
    void addDetail(const QString& prefix, const QVariantMap& key) {
        const QVariantMap subject{
            {"tip_retencion", "R"}, {"tip_doc_ret", 6}, {"num_doc_ret", "20100113610"}};
        const QVariantMap voucher{{"num_serie_cp", "0001"}, {"num_cp", "00000001"}};
        insert(prefix + "F947RPCAB", with(with(key, subject), {{"des_razon", "PROVEEDOR"}}));
        insert(prefix + "F947RPDET",
               with(with(with(key, subject), voucher), {{"mto_base_rp", "100"}}));
        insert(prefix + "F947RPDETDET", with(with(key, voucher), {{"num_doc_ret", "20100113610"},
                                                                  {"tip_cp_det", "01"},
                                                                  {"num_serie_det", "0001"},
                                                                  {"num_cp_det", "00000009"}}));
    }
};

} // namespace ret::test
