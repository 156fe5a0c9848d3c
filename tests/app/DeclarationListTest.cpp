#include "tests/app/AppEnvironment.h"

#include "app/DeclarationList.h"

using namespace ret;
using namespace ret::test;

namespace {

class DeclarationListTest : public AppEnvironment {
protected:
    // The list's rows by the given columns, "|" between them.
    static QStringList shown(const DeclarationList& list, std::initializer_list<int> columns) {
        QStringList out;
        for (int r = 0; r < list.rowCount(); ++r) {
            QStringList cells;
            for (int c : columns)
                cells << list.displayText(r, c);
            out << cells.join('|');
        }
        return out;
    }
    static QStringList rucs(const DeclarationList& list) { return shown(list, {0}); }
};

} // namespace

TEST_F(DeclarationListTest, RegisteredListShowsTheUsersDeclarationsNewestFirst) {
    addDeclaration(kAndina, "200206");
    addDeclaration(kAndina, "200312");
    addDeclaration(kPenaloza, "200208");
    addDeclaration(kOthers, "200210");           // another user's contributor
    addDeclaration(kTextiles, "200209", "0621"); // another form
    session.config.currentUser = "contador";     // texts match without regard to case
    session.OperationMode = 1;

    DeclarationList list(session, ListKind::Registered);
    list.load();

    EXPECT_EQ(shown(list, {0, 2, 3}),
              QStringList({kAndina + "|12/2003|0947", kPenaloza + "|08/2002|0947",
                           kAndina + "|06/2002|0947"}));
    EXPECT_EQ(list.row(0)[DeclarationList::Period], "122003"); // handed on as mmyyyy
    EXPECT_EQ(list.displayText(1, 1), "CONSTRUCTORA PEÑALOZA & HIJOS S.A.C.");
    EXPECT_EQ(shown(list, {4, 5}).first(), "0|0");
    EXPECT_TRUE(list.gridEnabled());
    EXPECT_EQ(list.currentRow(), 0);

    QStringList captions;
    for (const GridColumn& c : list.columns())
        captions << c.caption;
    EXPECT_EQ(captions,
              QStringList({"RUC", "Razón Social", "Periodo", "Formulario", "", "rectifica"}));
}

TEST_F(DeclarationListTest, OnlyTheRucAndNameHeadersSortTheRegisteredList) {
    addDeclaration(kTextiles, "200207");
    addDeclaration(kAndina, "200206");
    addDeclaration(kPenaloza, "200208");
    DeclarationList list(session, ListKind::Registered);
    list.load();
    const QStringList byPeriod = {kPenaloza, kTextiles, kAndina};
    ASSERT_EQ(rucs(list), byPeriod);

    struct Case {
        int column;
        QStringList expected;
    };
    // a name that sorts apart from its RUC and its period
    db->execute("UPDATE CONT SET nombre='AAA TEXTILES' WHERE doc_id_d=?", {kTextiles});
    for (const Case& c :
         {Case{0, {kAndina, kPenaloza, kTextiles}}, Case{1, {kTextiles, kPenaloza, kAndina}},
          Case{2, byPeriod}, Case{3, byPeriod}, Case{5, byPeriod}}) {
        SCOPED_TRACE(c.column);
        list.activate(); // back to the default order
        list.headerClicked(c.column);
        EXPECT_EQ(rucs(list), c.expected);
        EXPECT_EQ(list.currentRow(), 0);
    }

    addSentCopy(kTextiles, "200207", "001");
    addSentCopy(kAndina, "200206", "001");
    DeclarationList sent(session, ListKind::Sent);
    sent.load();
    sent.headerClicked(1);
    EXPECT_EQ(rucs(sent), QStringList({kAndina, kTextiles}));
}

TEST_F(DeclarationListTest, SentListShowsEveryCopyByRucAndPeriodWithItsSendingData) {
    addSentCopy(kPenaloza, "200206", "001", "11111111", "00000007");
    addSentCopy(kAndina, "200207", "001");
    addSentCopy(kAndina, "200206", "002", "22222222", "00000009");
    addSentCopy(kAndina, "200206", "001");
    addSentCopy(kOthers, "200206", "001");
    session.OperationMode = 3;

    DeclarationList list(session, ListKind::Sent);
    list.load();

    QStringList sameDeclaration = shown(list, {0, 2, 4, 5, 6}).mid(0, 2);
    sameDeclaration.sort(); // the two copies of one declaration come in either order
    EXPECT_EQ(sameDeclaration, QStringList({kAndina + "|06/2002|12345678|15/07/2002|00000042",
                                            kAndina + "|06/2002|22222222|15/07/2002|00000009"}));
    EXPECT_EQ(shown(list, {0, 2, 7}).mid(2),
              QStringList({kAndina + "|07/2002|001", kPenaloza + "|06/2002|001"}));
    ASSERT_EQ(list.columns().size(), 9u);
    for (size_t i = 0; i < list.columns().size(); ++i)
        EXPECT_EQ(list.columns()[i].hidden, i == 7) << i;
    EXPECT_EQ(list.columns()[5].caption, "Fecha Env.");
}

TEST_F(DeclarationListTest, CaptionsFollowTheOperationMode) {
    struct Case {
        ListKind kind;
        int mode;
        DeclarationList::Captions expected;
    };
    const QString del = "Seleccione la Declaración que desea eliminar :";
    const Case cases[] = {
        {ListKind::Registered,
         1,
         {"Modificar Declaraciones", "Seleccione la Declaración que desea modificar :",
          "&Modificar", "Declaraciones Registradas"}},
        {ListKind::Registered,
         3,
         {"Eliminar Declaraciones", del, "&Eliminar", "Declaraciones Registradas"}},
        {ListKind::Sent,
         1,
         {"Registrar número de orden",
          "Seleccione la Declaración en la que desea registrar el número de orden asignado por "
          "KORVA :",
          "&Registrar", "Declaraciones Enviadas"}},
        {ListKind::Sent,
         3,
         {"Eliminar Declaraciones Enviadas", del, "&Eliminar", "Declaraciones Enviadas"}},
    };
    for (const Case& c : cases) {
        session.OperationMode = c.mode;
        const DeclarationList::Captions got = DeclarationList(session, c.kind).captions();
        SCOPED_TRACE(got.window.toStdString());
        EXPECT_EQ(got.window, c.expected.window);
        EXPECT_EQ(got.label, c.expected.label);
        EXPECT_EQ(got.action, c.expected.action);
        EXPECT_EQ(got.frame, c.expected.frame);
    }
}

TEST_F(DeclarationListTest, ModifyHandsOverTheRowAndComesBackToItWithFreshData) {
    addDeclaration(kAndina, "200206");
    addDeclaration(kPenaloza, "200207");
    addDeclaration(kTextiles, "200208");
    session.OperationMode = 1;
    DeclarationList list(session, ListKind::Registered);
    list.load();
    list.setCurrentRow(1);

    StatusTexts whileOpen;
    windows.play[Window::Frm947] = [&] {
        EXPECT_EQ(session.listRow.ruc, kPenaloza);
        EXPECT_EQ(session.listRow.name, "CONSTRUCTORA PEÑALOZA & HIJOS S.A.C.");
        EXPECT_EQ(session.listRow.period, "072002");
        // what the declaration window saves shows in the list afterwards
        session.setStatus({kPenaloza, "EN EDICIÓN", "0947", "07/2002"});
        db->execute("UPDATE CAB SET rectifica='1' WHERE doc_id_d=?", {kPenaloza});
        list.setCurrentRow(2); // the list window is disabled: its status texts wait
        whileOpen = session.status;
    };
    list.act();

    ASSERT_EQ(windows.opened.size(), 1u);
    EXPECT_EQ(windows.opened[0].window, Window::Frm947);
    EXPECT_EQ(whileOpen.name, "EN EDICIÓN");
    EXPECT_EQ(list.currentRow(), 1);
    EXPECT_EQ(list.displayText(1, 5), "1");
    EXPECT_EQ(session.status.ruc, kPenaloza);
    EXPECT_EQ(session.status.name, "CONSTRUCTORA PEÑALOZA & HIJOS S.A.C.");

    // the remembered position outlives a sort: the list comes back in its default order
    list.headerClicked(0);
    list.setCurrentRow(2);
    windows.play.clear();
    list.act();
    EXPECT_EQ(list.order(), kOrderByPeriodDesc);
    EXPECT_EQ(list.currentRow(), 2);
    EXPECT_EQ(session.listRow.ruc, kTextiles);
    EXPECT_EQ(list.row(2)[0], kAndina);
}

TEST_F(DeclarationListTest, RegisteringAnOrderNumberHandsOverTheSendingOfTheRow) {
    addSentCopy(kAndina, "200206", "001", "11111111", "00000007");
    addSentCopy(kAndina, "200207", "002", "22222222", "00000009");
    session.OperationMode = 1;
    session.SentMode = true;
    DeclarationList list(session, ListKind::Sent);
    list.load();
    list.setCurrentRow(1);
    list.act();

    ASSERT_EQ(windows.opened.size(), 1u);
    EXPECT_EQ(windows.opened[0].window, Window::Frm947);
    EXPECT_EQ(session.SelectedOrderNumber, "22222222");
    EXPECT_EQ(session.SelectedControlNumber, "00000009");
    EXPECT_EQ(session.SelectedCorrel, "002");
    EXPECT_EQ(session.listRow.period, "072002");
    EXPECT_EQ(list.currentRow(), 1);
}

TEST_F(DeclarationListTest, AnEmptyListIsDisabledAndItsActionDoesNothing) {
    addDeclaration(kOthers, "200206");
    addSentCopy(kOthers, "200206", "001");
    session.SelectedCorrel = "009";
    for (ListKind kind : {ListKind::Registered, ListKind::Sent}) {
        for (int mode : {1, 3}) {
            session.OperationMode = mode;
            DeclarationList list(session, kind);
            list.load();
            EXPECT_FALSE(list.gridEnabled());
            EXPECT_EQ(list.currentRow(), -1);
            list.act();
        }
    }
    EXPECT_TRUE(windows.opened.empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(session.SelectedCorrel, "009");
    EXPECT_EQ(count("CAB", kOthers, "200206") + count("HCAB", kOthers, "200206"), 2);
}

TEST_F(DeclarationListTest, StatusBarFollowsTheCurrentRowUntilTheListCloses) {
    insert("CONT", {{"tip_doc_d", 6},
                    {"doc_id_d", "20999999995"},
                    {"usuario", kUser},
                    {"nombre", "  NOMBRE CON BLANCOS  "}});
    addDeclaration("20999999995", "200301");
    addDeclaration(kAndina, "200206");
    session.OperationMode = 1;
    DeclarationList list(session, ListKind::Registered);
    list.load();
    EXPECT_EQ(session.status.ruc, "20999999995");
    EXPECT_EQ(session.status.name, "NOMBRE CON BLANCOS");
    EXPECT_EQ(session.status.form, "0947");
    EXPECT_EQ(session.status.period, "01/2003");

    int changes = 0;
    session.statusChanged = [&] { ++changes; };
    list.setCurrentRow(1);
    EXPECT_EQ(session.status.ruc, kAndina);
    EXPECT_EQ(session.status.period, "06/2002");
    list.setCurrentRow(1); // no move, nothing to show
    list.setCurrentRow(5); // no such row
    EXPECT_EQ(changes, 1);

    list.close();
    EXPECT_EQ(session.status.ruc, "");
    EXPECT_EQ(session.status.name, "");
    EXPECT_EQ(session.status.period, "");
    EXPECT_EQ(session.status.form, "0947");
}

TEST_F(DeclarationListTest, AFailedQueryIsReportedAndLeavesAnEmptyDisabledList) {
    addDeclaration(kAndina, "200206");
    db->execute("DROP TABLE CONT");
    DeclarationList list(session, ListKind::Registered);
    list.load();
    EXPECT_FALSE(list.gridEnabled());
    EXPECT_EQ(list.rowCount(), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::None);
    EXPECT_TRUE(messages.shown[0].text.contains("CONT")) << messages.shown[0].text.toStdString();
    EXPECT_TRUE(messages.shown[0].text.contains('\n'));
}

// "Historial..." shows the record of the chosen declaration only, newest first.
TEST_F(DeclarationListTest, TheHistoryShowsTheChosenDeclarationsChanges) {
    addDeclaration(kAndina, "200206");
    addDeclaration(kPenaloza, "200207");
    const auto change = [&](const QString& ruc, const QString& periodo, const QString& what) {
        Transaction tx(*db);
        RecordedChange(*db, {ruc, periodo}, Actor::here(kUser, "retdecl"), what, std::nullopt)
            .record();
        tx.commit();
    };
    change(kAndina, "200206", action::kNueva);
    change(kPenaloza, "200207", action::kNueva);
    change(kAndina, "200206", action::kModificada);
    session.OperationMode = 1;
    DeclarationList list(session, ListKind::Registered);
    list.load();
    for (int r = 0; r < list.rowCount(); ++r) {
        if (list.displayText(r, 0) == kAndina)
            list.setCurrentRow(r);
    }
    QString shown;
    windows.play[Window::FrmHistorial] = [&] { shown = session.History; };
    list.historial();

    ASSERT_EQ(windows.opened.size(), 1u);
    EXPECT_EQ(windows.opened[0].window, Window::FrmHistorial);
    EXPECT_TRUE(shown.startsWith(
        QString::fromUtf8("Historial de cambios de la declaración del RUC %1, período 06/2002")
            .arg(kAndina)))
        << shown.toStdString();
    const qsizetype modified = shown.indexOf(action::kModificada + " (versión 2)");
    const qsizetype created = shown.indexOf(action::kNueva + " (versión 1)");
    EXPECT_GE(modified, 0) << shown.toStdString();
    EXPECT_GT(created, modified) << "newest first";
    EXPECT_EQ(shown.count(QStringLiteral("Usuario: ") + kUser), 2);
}
