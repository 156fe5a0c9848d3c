// Two people on one declaration: no save undoes another's, and every change has its entry in
// the record of changes, on both engines.
#include "tests/support/SampleDeclaration.h"
#include "tests/support/SampleEnvironment.h"

#include "common/ChangeRecord.h"
#include "common/Connection.h"
#include "declaration/DeclarationHistory.h"
#include "declaration/Frm947.h"
#include "tools/hub/Sending.h"

#include <QSysInfo>

namespace ret::test {
namespace {

const QString kRuc = QStringLiteral("20100070970");
const QString kPeriod = QStringLiteral("201007");

// Another program of the main program on the same database: its own session, connection (with
// its own staging tables) and messages.
struct Desk {
    ScriptedMessages messages;
    FakeWindows windows;
    FieldRules rules{messages};
    Session session;
    std::unique_ptr<Database> db;

    Desk(const QString& profilePath, const QString& program) {
        const Profile profile(profilePath);
        session.config = ReadConfiguration(Deliverable::MainProgram, profile);
        db = OpenSharedDatabase(Deliverable::MainProgram, session.config, profile, messages);
        session.db = db.get();
        session.messages = &messages;
        session.rules = &rules;
        session.windows = &windows;
        session.program = program;
    }

    // The declaration window on the registered declaration, as the list opens it.
    std::unique_ptr<Frm947> open() {
        session.OperationMode = 1;
        session.SentMode = false;
        session.listRow = {kRuc, QString(), kPeriod.mid(4, 2) + kPeriod.left(4)};
        auto w = std::make_unique<Frm947>(session);
        w->load();
        return w;
    }

    QString lastText() const {
        return messages.shown.empty() ? QString() : messages.shown.back().text;
    }
};

class SharedDeclarationTest : public OnEachEngine<SampleEnvironmentTest> {
protected:
    void SetUp() override {
        SampleEnvironmentTest::SetUp();
        if (!ready())
            return;
        sample.emplace(*db);
    }

    std::unique_ptr<Desk> desk(const QString& program) {
        auto d = std::make_unique<Desk>(environment->profilePath(), program);
        EXPECT_NE(d->db, nullptr);
        return d;
    }

    QString storedBox(const char* code) {
        const auto v = db->scalar("SELECT i_valor FROM DET WHERE doc_id_d = ? AND periodo = ? AND "
                                  "casilla = ?",
                                  {kRuc, kPeriod, QString(code)});
        return v ? v->toString() : QString();
    }

    std::vector<RecordEntry> history() { return declarationHistory(*db, kRuc, kPeriod, "0947"); }

    std::optional<SampleDeclaration> sample;
};

TEST_P(SharedDeclarationTest, TheSecondOfTwoWindowsIsToldAndWritesNothingAndKeepsWhatWasTyped) {
    if (!ready())
        return;
    const auto first = desk("primero");
    const auto second = desk("segundo");
    const auto a = first->open();
    const auto b = second->open();
    a->setBox(404, "5");
    b->setBox(404, "7");
    b->markChanged(); // as typing does

    ASSERT_TRUE(a->grabar()) << first->lastText().toStdString();
    const QString digestAfterFirst = storedDigest(*db, {kRuc, kPeriod});
    second->messages.answers = {MsgAnswer::No}; // keep this window's changes
    EXPECT_FALSE(b->grabar());

    EXPECT_TRUE(b->lastSaveConflicted());
    EXPECT_EQ(storedBox("404"), "5");
    EXPECT_EQ(storedDigest(*db, {kRuc, kPeriod}), digestAfterFirst);
    EXPECT_EQ(b->box(404), "7");
    EXPECT_TRUE(b->changed());
    const Message& told = second->messages.shown.back();
    EXPECT_EQ(told.title, Frm947::kCaption);
    EXPECT_TRUE(told.text.startsWith(QString::fromUtf8("Otro programa grabó esta declaración.")))
        << told.text.toStdString();
    for (const QString& part : {QStringLiteral("CONTADOR"), QSysInfo::machineHostName(),
                                QStringLiteral("(primero)"), QString::fromUtf8("No se grabó nada"),
                                QString::fromUtf8("¿Desea cargar la declaración grabada?")})
        EXPECT_TRUE(told.text.contains(part))
            << part.toStdString() << " in " << told.text.toStdString();
    EXPECT_EQ(told.defaultAnswer, MsgAnswer::No);

    // the same save again is refused again; loading the stored one lets this window go on
    second->messages.answers = {MsgAnswer::Yes};
    EXPECT_FALSE(b->grabar());
    EXPECT_EQ(b->box(404), "5");
    EXPECT_FALSE(b->changed());
    b->setBox(404, "9");
    ASSERT_TRUE(b->grabar()) << second->lastText().toStdString();
    EXPECT_EQ(storedBox("404"), "9");

    const auto entries = history();
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(entries[0].actor.program, "segundo");
    EXPECT_EQ(entries[1].actor.program, "primero");
    EXPECT_EQ(entries[0].version, entries[1].version + 1);
}

TEST_P(SharedDeclarationTest, ADeclarationDeletedMeanwhileIsNotWrittenBack) {
    if (!ready())
        return;
    const auto other = desk("otro");
    const auto w = other->open();
    w->setBox(404, "5");
    {
        Transaction tx(*db);
        RecordedChange change(*db, {kRuc, kPeriod}, Actor::here("SUPERVISOR", "borrador"),
                              action::kEliminada, std::nullopt);
        for (const char* t : {"DET", "CAB", "F947RPDETDET", "F947RPDET", "F947RPCAB"})
            db->execute(QStringLiteral("DELETE FROM %1 WHERE doc_id_d = ?").arg(t), {kRuc});
        change.record();
        tx.commit();
    }
    EXPECT_FALSE(w->grabar());
    EXPECT_EQ(count("SELECT count(*) FROM CAB WHERE doc_id_d = ?", {kRuc}), 0);
    EXPECT_EQ(count("SELECT count(*) FROM F947RPDET WHERE doc_id_d = ?", {kRuc}), 0);
    EXPECT_TRUE(other->lastText().startsWith(QString::fromUtf8("Otro programa eliminó")))
        << other->lastText().toStdString();
    EXPECT_TRUE(other->lastText().contains("SUPERVISOR"));
}

TEST_P(SharedDeclarationTest, ANewDeclarationThatAnotherRegisteredMeanwhileIsNeverSavedTwice) {
    if (!ready())
        return;
    SaveInput in;
    in.id.ruc = QStringLiteral("20512345671");
    in.id.period = kPeriod;
    in.modalityCode = QStringLiteral("01");
    in.actor = Actor::here("CONTADOR", "uno");
    ASSERT_FALSE(in.loaded.registered);
    const SaveResult first = saveDeclaration(*db, in, QDate(2010, 8, 5));
    EXPECT_TRUE(first.stored.registered);
    in.boxes[404] = QStringLiteral("3");
    try {
        saveDeclaration(*db, in, QDate(2010, 8, 5));
        FAIL() << "the second new declaration was saved";
    } catch (const ConflictError& e) {
        EXPECT_EQ(e.kind(), ConflictError::Kind::Registered);
        ASSERT_TRUE(e.last().has_value());
        EXPECT_EQ(e.last()->actor.program, "uno");
        EXPECT_EQ(e.last()->action, action::kNueva);
    }
    EXPECT_EQ(count("SELECT count(*) FROM CAB WHERE doc_id_d = ?", {in.id.ruc}), 1);
    EXPECT_EQ(count("SELECT count(*) FROM DET WHERE doc_id_d = ? AND casilla = '404'", {in.id.ruc}),
              0);
}

// A new declaration's window whose declaration another program registered meanwhile writes
// nothing over it: the header's check finds it registered (and, should the other program
// register it between that check and the save, the save's own check under the write lock).
TEST_P(SharedDeclarationTest, ANewWindowNeverOverwritesTheDeclarationAnotherRegisteredMeanwhile) {
    if (!ready())
        return;
    const QString ruc = QStringLiteral("20512345671");
    const auto d = desk("nueva");
    d->session.OperationMode = 0;
    Frm947 w(d->session);
    w.load();
    for (size_t i = 0; i < w.contributors().size(); ++i) {
        if (w.contributors()[i].ruc() == ruc)
            w.chooseContributor(int(i));
    }
    w.chooseModality(0);
    w.setPeriodText("07/2010");
    w.setRectification(false);
    ASSERT_EQ(w.ruc(), ruc);
    w.setBox(404, "7");

    SaveInput other;
    other.id.ruc = ruc;
    other.id.period = kPeriod;
    other.boxes[404] = QStringLiteral("3");
    other.actor = Actor::here("SUPERVISOR", "otra");
    saveDeclaration(*db, other, QDate(2010, 8, 5));

    EXPECT_FALSE(w.grabar());
    EXPECT_EQ(d->lastText(), QString::fromUtf8("La declaración ya ha sido registrada."));
    EXPECT_EQ(w.box(404), "7");
    EXPECT_EQ(count("SELECT count(*) FROM CAB WHERE doc_id_d = ?", {ruc}), 1);
    EXPECT_EQ(count("SELECT count(*) FROM DET WHERE doc_id_d = ? AND casilla = '404' AND "
                    "i_valor = '3'",
                    {ruc}),
              1);
    EXPECT_EQ(declarationHistory(*db, ruc, kPeriod, "0947").size(), 1u);
}

// Every kind of change, in order, each with one entry whose state before is the state the
// entry before it left.
TEST_P(SharedDeclarationTest, EveryChangeHasOneEntryThatChainsTheStoredStates) {
    if (!ready())
        return;
    const auto d = desk("retdecl");
    const auto w = d->open();
    w->setBox(404, "5");
    ASSERT_TRUE(w->grabar()) << d->lastText().toStdString();
    const hub::SendResult sent = hub::sendDeclaration(*db, kRuc, kPeriod, QDate(2010, 8, 10),
                                                      Actor::here("CONTADOR", "hub"));
    ASSERT_TRUE(sent.ok) << sent.error.toStdString();
    DeclarationId copy;
    copy.ruc = kRuc;
    copy.period = kPeriod;
    copy.sent = true;
    copy.correl = sent.correl;
    const LoadedVersion copied = openDeclaration(*db, copy).version;
    ASSERT_TRUE(registerOrderNumber(*db, copy, "1234567890", copied, Actor::here("CONTADOR", "x"))
                    .has_value());
    // a second order number from the copy as it was first opened would undo the first
    EXPECT_THROW(registerOrderNumber(*db, copy, "1234567899", copied, Actor::here("B", "y")),
                 ConflictError);

    const auto entries = history();
    const std::vector<QString> actions = {action::kNumeroOrden, action::kEnviada,
                                          action::kModificada, action::kNueva};
    ASSERT_EQ(entries.size(), actions.size());
    for (size_t i = 0; i < actions.size(); ++i)
        EXPECT_EQ(entries[i].action, actions[i]) << i;
    EXPECT_EQ(entries[3].version, 1);
    EXPECT_TRUE(entries[3].digestBefore.isEmpty());
    EXPECT_EQ(entries[2].version, 2);
    EXPECT_EQ(entries[2].digestBefore, entries[3].digestAfter);
    EXPECT_NE(entries[2].digestAfter, entries[2].digestBefore);
    EXPECT_EQ(entries[1].key.correl, sent.correl);
    EXPECT_EQ(entries[1].version, 1);
    EXPECT_TRUE(entries[1].digestBefore.isEmpty());
    EXPECT_EQ(entries[0].version, 2);
    EXPECT_EQ(entries[0].digestBefore, entries[1].digestAfter);
    EXPECT_EQ(entries[0].actor.user, "CONTADOR");
    EXPECT_EQ(entries[0].actor.host, QSysInfo::machineHostName());
    for (size_t i = 1; i < entries.size(); ++i)
        EXPECT_GT(entries[i - 1].number, entries[i].number);
    EXPECT_NE(storedDigest(*db, {kRuc, kPeriod}), storedDigest(*db, recordKey(copy)));
    EXPECT_EQ(storedDigest(*db, {kRuc, kPeriod}), entries[2].digestAfter);

    const QString text = historyText(kRuc, kPeriod, entries);
    EXPECT_TRUE(text.startsWith(QString::fromUtf8(
        "Historial de cambios de la declaración del RUC 20100070970, período 07/2010")));
    EXPECT_LT(text.indexOf(action::kNumeroOrden), text.indexOf(action::kEnviada));
}

TEST_P(SharedDeclarationTest, ASaveThatFailsPartWayLeavesNoEntryAndTheVersionAsItWas) {
    if (!ready())
        return;
    const auto other = desk("retdecl");
    const auto w = other->open();
    w->setBox(404, "5");
    const size_t entries = history().size();
    const LoadedVersion version = storedVersion(*db, {kRuc, kPeriod});
    // the entry is the save's last write: everything else of the save is written before it fails
    db->execute("ALTER TABLE F947BITACORA RENAME TO F947BITACORA_APARTE");
    EXPECT_FALSE(w->grabar());
    db->execute("ALTER TABLE F947BITACORA_APARTE RENAME TO F947BITACORA");
    EXPECT_FALSE(w->lastSaveConflicted());
    EXPECT_EQ(history().size(), entries);
    EXPECT_EQ(storedVersion(*db, {kRuc, kPeriod}).version, version.version);
    EXPECT_EQ(storedBox("404"), QString());
    // nothing of it stayed: the next save goes on from the version it loaded
    ASSERT_TRUE(w->grabar()) << other->lastText().toStdString();
    EXPECT_EQ(storedBox("404"), "5");
    EXPECT_EQ(history().size(), entries + 1);
}

TEST_P(SharedDeclarationTest, TheRecordRefusesEveryUpdateAndDelete) {
    if (!ready())
        return;
    ASSERT_FALSE(history().empty());
    const QString refusal = setup::kRecordRefusal;
    for (const char* sql :
         {"UPDATE F947BITACORA SET usuario = 'OTRO'", "DELETE FROM F947BITACORA"}) {
        try {
            db->execute(QString::fromLatin1(sql));
            ADD_FAILURE() << sql << " was not refused";
        } catch (const DbError& e) {
            EXPECT_EQ(e.description(), refusal) << sql;
        }
    }
    const auto entries = history();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries.front().actor.user, "OTRO");
}

TEST_P(SharedDeclarationTest, TheHistoryCommandPrintsTheUsersDeclarationsRecordOnly) {
    if (!ready())
        return;
    QString output;
    QTextStream out(&output);
    const Profile profile(environment->profilePath());
    EXPECT_EQ(runHistoryCommand({kRuc, kPeriod}, profile, messages, out), 0);
    out.flush();
    EXPECT_TRUE(output.contains(action::kNueva + " (versión 1)")) << output.toStdString();
    EXPECT_TRUE(output.contains("Filas antes:   (nada grabado)")) << output.toStdString();

    messages.shown.clear();
    // a contributor of the other user of the sample
    EXPECT_EQ(runHistoryCommand({"20456789014", kPeriod}, profile, messages, out), 2);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(
        messages.shown[0].text,
        QString::fromUtf8("El contribuyente 20456789014 no está registrado para el usuario."));
    EXPECT_EQ(runHistoryCommand({kRuc}, profile, messages, out), 2);
}

INSTANTIATE_TEST_SUITE_P(Engines, SharedDeclarationTest,
                         ::testing::Values(Engine::Sqlite, Engine::Postgres), engineName);

} // namespace
} // namespace ret::test
