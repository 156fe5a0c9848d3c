#include "tests/app/AppEnvironment.h"

#include "app/DeclarationList.h"

using namespace ret;
using namespace ret::test;

namespace {

const QStringList kRegisteredTables = {"DET", "CAB", "F947RPDETDET", "F947RPDET", "F947RPCAB"};
const QStringList kSentTables = {"HDET", "HCAB", "HF947RPDETDET", "HF947RPDET", "HF947RPCAB"};

class DeclarationDeleteTest : public AppEnvironment {
protected:
    // Rows per table of one declaration (or one sent copy).
    std::vector<int> rowsOf(const QStringList& tables, const QString& ruc, const QString& periodo,
                            const QString& correl = {}) {
        std::vector<int> out;
        for (const QString& t : tables)
            out.push_back(correl.isEmpty() ? count(t, ruc, periodo)
                                           : countCopy(t, ruc, periodo, correl));
        return out;
    }
    // Opens the list in delete mode and acts on the row whose RUC and shown period are given.
    DeclarationList& deleteRow(ListKind kind, const QString& ruc, const QString& shownPeriod,
                               const QString& correl = {}) {
        session.OperationMode = 3;
        session.SentMode = kind == ListKind::Sent;
        list.emplace(session, kind);
        list->load();
        for (int r = 0; r < list->rowCount(); ++r) {
            if (list->displayText(r, 0) == ruc && list->displayText(r, 2) == shownPeriod &&
                (correl.isEmpty() || list->row(r)[DeclarationList::Correl] == correl))
                list->setCurrentRow(r);
        }
        list->act();
        return *list;
    }
    std::optional<DeclarationList> list;
};

} // namespace

TEST_F(DeclarationDeleteTest, DeletingARegisteredDeclarationRemovesItsRowsOnly) {
    addDeclaration(kAndina, "200206");
    addDeclaration(kAndina, "200207");
    addDeclaration(kPenaloza, "200206");
    addDeclaration(kAndina, "200206", "0621"); // same RUC and period, another form
    messages.answers = {MsgAnswer::Yes};

    const DeclarationList& l = deleteRow(ListKind::Registered, kAndina, "06/2002");

    ASSERT_EQ(messages.shown.size(), 1u);
    const Message& q = messages.shown[0];
    EXPECT_EQ(q.text, "¿Confirma que va a eliminar la declaración seleccionada?");
    EXPECT_EQ(q.title, "Eliminar Declaraciones");
    EXPECT_EQ(q.icon, MsgIcon::Question);
    EXPECT_EQ(q.buttons, MsgButtons::YesNo);
    EXPECT_EQ(q.defaultAnswer, MsgAnswer::No);

    EXPECT_EQ(rowsOf(kRegisteredTables, kAndina, "200206"), std::vector<int>({2, 1, 1, 1, 1}))
        << "only the other form's declaration is left of that RUC and period";
    EXPECT_EQ(db->scalar("SELECT count(*) FROM CAB WHERE doc_id_d=? AND periodo='200206' AND "
                         "formulario='0621'",
                         {kAndina})
                  ->toInt(),
              1);
    EXPECT_EQ(rowsOf(kRegisteredTables, kAndina, "200207"), std::vector<int>({2, 1, 1, 1, 1}));
    EXPECT_EQ(rowsOf(kRegisteredTables, kPenaloza, "200206"), std::vector<int>({2, 1, 1, 1, 1}));
    EXPECT_EQ(l.rowCount(), 2);
}

TEST_F(DeclarationDeleteTest, AnythingButYesKeepsTheDeclaration) {
    for (const std::deque<MsgAnswer>& answers :
         {std::deque<MsgAnswer>{MsgAnswer::No}, std::deque<MsgAnswer>{}}) {
        addDeclaration(kAndina, "200206");
        addSentCopy(kAndina, "200206", "001");
        messages.answers = answers;
        deleteRow(ListKind::Registered, kAndina, "06/2002");
        deleteRow(ListKind::Sent, kAndina, "06/2002");
        EXPECT_EQ(rowsOf(kRegisteredTables, kAndina, "200206"), std::vector<int>({2, 1, 1, 1, 1}));
        EXPECT_EQ(rowsOf(kSentTables, kAndina, "200206"), std::vector<int>({1, 1, 1, 1, 1}));
        EXPECT_EQ(messages.shown.back().title, "Eliminar Declaraciones Enviadas");
        for (const QString& t : kRegisteredTables + kSentTables)
            db->execute(db->dialect().deleteAll(t));
    }
}

TEST_F(DeclarationDeleteTest, DeletingASentCopyRemovesThatCorrelOnly) {
    addSentCopy(kAndina, "200206", "001");
    addSentCopy(kAndina, "200206", "002");
    addSentCopy(kPenaloza, "200206", "001");
    // the integrator may leave the document type of a copied payment voucher empty; that
    // table's key has none, so the row goes with its copy
    insert("HF947RPDETDET", {{"doc_id_d", kAndina},
                             {"periodo", "200206"},
                             {"formulario", "0947"},
                             {"correl", "001"},
                             {"num_doc_ret", "20100113610"},
                             {"num_serie_cp", "0001"},
                             {"num_cp", "00000002"},
                             {"tip_cp_det", "01"},
                             {"num_serie_det", "0001"},
                             {"num_cp_det", "00000010"}});
    messages.answers = {MsgAnswer::Yes};

    const DeclarationList& l = deleteRow(ListKind::Sent, kAndina, "06/2002", "001");

    EXPECT_EQ(session.SelectedCorrel, "001");
    EXPECT_EQ(rowsOf(kSentTables, kAndina, "200206", "001"), std::vector<int>({0, 0, 0, 0, 0}));
    EXPECT_EQ(rowsOf(kSentTables, kAndina, "200206", "002"), std::vector<int>({1, 1, 1, 1, 1}));
    EXPECT_EQ(rowsOf(kSentTables, kPenaloza, "200206", "001"), std::vector<int>({1, 1, 1, 1, 1}));
    ASSERT_EQ(l.rowCount(), 2);
    EXPECT_EQ(l.row(0)[DeclarationList::Correl], "002");
    const auto entries = declarationHistory(*db, kAndina, "200206", "0947");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].action, action::kEliminadaEnviada);
    EXPECT_EQ(entries[0].key.correl, "001");
    EXPECT_EQ(entries[0].actor.user, kUser);
}

TEST_F(DeclarationDeleteTest, ADeleteThatFailsPartWayChangesNothingAndSaysWhy) {
    addDeclaration(kAndina, "200206");
    addSentCopy(kAndina, "200206", "001");
    // the fourth statement of each delete fails, after three have run
    db->execute("CREATE TRIGGER keep_vouchers BEFORE DELETE ON F947RPDET "
                "BEGIN SELECT RAISE(ABORT, 'comprobantes protegidos'); END");
    db->execute("DROP TABLE HF947RPDET");

    messages.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
    const DeclarationList& registered = deleteRow(ListKind::Registered, kAndina, "06/2002");
    EXPECT_EQ(rowsOf(kRegisteredTables, kAndina, "200206"), std::vector<int>({2, 1, 1, 1, 1}));
    EXPECT_EQ(registered.rowCount(), 1);
    const DeclarationList& sent = deleteRow(ListKind::Sent, kAndina, "06/2002");
    EXPECT_EQ(
        rowsOf(QStringList({"HDET", "HCAB", "HF947RPDETDET", "HF947RPCAB"}), kAndina, "200206"),
        std::vector<int>({1, 1, 1, 1}));
    EXPECT_EQ(sent.rowCount(), 1);

    ASSERT_EQ(messages.shown.size(), 4u);
    for (const size_t i : {size_t(1), size_t(3)}) {
        const Message& m = messages.shown[i];
        EXPECT_EQ(m.title, "Error");
        EXPECT_EQ(m.icon, MsgIcon::None);
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
        EXPECT_EQ(m.text.count('\n'), 1) << m.text.toStdString();
    }
    EXPECT_TRUE(messages.shown[1].text.startsWith("comprobantes protegidos"))
        << messages.shown[1].text.toStdString();
    EXPECT_TRUE(messages.shown[3].text.contains("HF947RPDET"))
        << messages.shown[3].text.toStdString();
    EXPECT_FALSE(db->inTransaction());
}

// A declaration that another program saved after the list was read is not deleted: the user is
// told who saved it, the list is read again, and a second deletion from it goes through, with
// its entry in the record.
TEST_F(DeclarationDeleteTest, ADeclarationSavedSinceItWasListedIsNotDeleted) {
    addDeclaration(kAndina, "200206");
    session.OperationMode = 3;
    session.SentMode = false;
    list.emplace(session, ListKind::Registered);
    list->load();
    ASSERT_EQ(list->rowCount(), 1);
    {
        Transaction tx(*db);
        RecordedChange(*db, {kAndina, "200206"}, Actor::here("OTRA", "retdecl"),
                       action::kModificada, std::nullopt)
            .record();
        tx.commit();
    }
    messages.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
    list->act();
    EXPECT_EQ(rowsOf(kRegisteredTables, kAndina, "200206"), std::vector<int>({2, 1, 1, 1, 1}));
    ASSERT_EQ(messages.shown.size(), 2u);
    const Message& told = messages.shown[1];
    EXPECT_EQ(told.title, "Eliminar Declaraciones");
    EXPECT_TRUE(told.text.startsWith(QString::fromUtf8("Otro programa grabó esta declaración.")))
        << told.text.toStdString();
    EXPECT_TRUE(told.text.contains("OTRA")) << told.text.toStdString();
    EXPECT_TRUE(told.text.contains(QString::fromUtf8("No se eliminó la declaración")));

    list->act();
    EXPECT_EQ(rowsOf(kRegisteredTables, kAndina, "200206"), std::vector<int>({0, 0, 0, 0, 0}));
    const auto entries = declarationHistory(*db, kAndina, "200206", "0947");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].action, action::kEliminada);
    EXPECT_EQ(entries[0].version, 2);
    EXPECT_TRUE(entries[0].digestAfter.isEmpty());
    EXPECT_FALSE(entries[0].digestBefore.isEmpty());
}
