#pragma once

#include "declaration/DeclarationStore.h"
#include "declaration/PaymentForm.h"
#include "declaration/Period.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

namespace ret {

struct Session;

// The declaration window: its state, its checks and its database work. The widget shows this
// state and forwards the user's actions; messages and other windows go through the session.
class Frm947 {
public:
    enum Tab { TabIdentificacion = 0, TabRetencion = 1, TabDeuda = 2 };
    enum class Focus { None, Contributor, Period, Box402, OrderNumber, Verifier };

    struct Contributor {
        QString entry; // RUC, 7 blanks, name, 10 blanks
        QString ruc() const { return entry.left(11).trimmed(); }
        QString name() const { return entry.mid(15, 50).trimmed(); }
    };
    struct Modality {
        QString entry; // description, 50 blanks, class, 50 blanks, code
        QString description() const { return entry.left(40).trimmed(); }
        QString modalityClass() const { return entry.mid(90, 1); }
        QString code() const { return entry.right(2); }
    };

    static constexpr int kBoxes[] = {401, 402, 403, 404, 405, 410};
    static inline const QString kCaption = QString::fromUtf8("0947 Agentes de Retención");

    explicit Frm947(Session& session, std::function<QDate()> today = QDate::currentDate);

    // --- the window's life
    void load();
    void activate();
    // "&Salir": true when the window closes.
    bool salir();

    // --- header
    const std::vector<Contributor>& contributors() const { return contributors_; }
    const std::vector<Modality>& modalities() const { return modalities_; }
    int contributorIndex() const { return contributor_; }
    int modalityIndex() const { return modality_; }
    void chooseContributor(int index);
    void chooseModality(int index);
    const QString& periodText() const { return period_; }
    // Every change of the period text (as the masked field shows it, "_" for the prompt).
    void setPeriodText(const QString& text);
    // A key typed in the period: true when it reaches the field (digits and Backspace).
    bool periodKey(int key);
    void setRectification(bool si);
    void setAgentRetention(bool si);
    bool ValidaContForm1();
    bool ValidaPeriodo();

    QString ruc() const;
    QString name() const { return name_; }
    QString period() const { return periodFromText(period_); }
    const QString& rectification() const { return rectification_; }
    bool agentRetention() const { return agentRetention_; }

    // --- tabs
    int tab() const { return tab_; }
    // The user selects a tab; returns the tab shown afterwards (0 when a check refused it).
    int selectTab(int tab);
    int helpContext() const { return helpContext_; }

    // --- boxes
    QString box(int code) const;
    void setBox(int code, const QString& text); // typed or set: runs the chain
    QString boxFocusIn(int code);               // the text shown while typing
    void boxFocusOut(int code);
    bool boxKey(int key); // digits and Backspace only; every key counts as an edit
    int boxMaxLength(int code, bool focused) const;
    bool boxesEnabled() const { return boxesEnabled_; }
    const PaymentForm& payment() const { return payment_; }
    void setPayment(const PaymentForm& p);

    // --- subject list
    const std::vector<SubjectRow>& subjects() const { return subjects_; }
    int currentSubject() const { return currentSubject_; }
    void setCurrentSubject(int row);
    QString totalBase() const { return totalBase_; }
    QString totalRetention() const { return totalRetention_; }
    QString countCaption() const { return countCaption_; }
    QString countTag() const { return countTag_; }
    void nuevo();
    void modificar();
    void eliminar();
    void importar();

    // --- validation and saving
    void validar();
    // The inconsistency lines of the last validation (also written to Mens.txt).
    const QString& inconsistencyFile() const { return inconsistencyFile_; }
    bool grabar();
    // The batch import saves through this window: its record entry says so, and a save that
    // another program's change stopped asks nothing.
    void markBatchImport() { batchImport_ = true; }
    // The last save (or order number) stopped because another program had changed the
    // declaration; nothing was written.
    bool lastSaveConflicted() const { return conflicted_; }

    // --- sent declarations
    bool sent() const { return sent_; }
    bool isNew() const { return isNew_; }
    QString controlNumber() const;
    const QString& orderNumber() const { return orderNumber_; }
    const QString& verifier() const { return verifier_; }
    void setOrderNumber(const QString& text);
    void setVerifier(const QString& text);
    bool registrar();

    // --- state the widget shows
    bool changed() const { return changed_; }
    void markChanged() { changed_ = true; }
    bool headerLocked() const { return headerLocked_; }
    bool periodEnabled() const { return isNew_ && !headerLocked_ && !periodSaved_; }
    bool contributorEnabled() const { return isNew_ && !headerLocked_ && !periodSaved_; }
    bool modalityEnabled() const { return isNew_ && !headerLocked_ && agentRetention_; }
    bool retentionTabEnabled() const { return agentRetention_; }
    Focus takeFocusRequest();
    std::function<void()> onChange; // the widget re-reads the state

private:
    DeclarationId id() const;
    void notify();
    void error(const QString& text);
    void periodHandler();
    void runPeriodHandler(); // the handler, with a database failure shown
    bool duplicate();
    void lookUpRate();
    void fillContributors();
    void fillModalities();
    // A stored declaration (or sent copy): its boxes, payment data and detail, and its version.
    void openStored();
    void showStagedList();
    void muestraCasilla(const QString& code, const QString& value);
    void calcular403();
    void calcular405();
    void calcularTotal();
    void refreshList();
    void refreshTotals();
    void refreshCount();
    void loadDetailAndList();
    bool readOnlyChain() const { return sent_; }
    bool runSave();
    // Another program changed the declaration since it was loaded: tell who, keep what was
    // typed, and offer to load the stored declaration instead.
    void saveConflict(const ConflictError& e);
    void reloadStored();
    Actor actor() const;
    bool refusesRucOf8();
    bool closeSent();
    void setBoxRaw(int code, const QString& text);
    QString restingBox(int code) const; // the box as it shows without the focus

    Session& session_;
    std::function<QDate()> today_;
    bool isNew_ = true;
    bool sent_ = false;
    bool changed_ = false;
    bool headerLocked_ = false;
    bool periodSaved_ = false;
    bool agentRetention_ = true;
    bool boxesEnabled_ = true;
    int tab_ = TabIdentificacion;
    int helpContext_ = 1020;
    Focus focus_ = Focus::None;

    std::vector<Contributor> contributors_;
    std::vector<Modality> modalities_;
    int contributor_ = -1;
    int modality_ = -1;
    QString fixedRuc_; // an existing declaration's RUC
    QString name_;
    QString period_ = kEmptyPeriod;
    QString rectification_;

    std::map<int, QString> boxes_;
    int typing_ = 0; // the box that has the focus and shows its plain digits; 0 for none
    PaymentForm payment_;

    std::vector<SubjectRow> subjects_;
    int currentSubject_ = -1;
    QString totalBase_;
    QString totalRetention_;
    QString countCaption_;
    QString countTag_;

    LoadedVersion loaded_; // the stored state this window's changes start from
    bool batchImport_ = false;
    bool conflicted_ = false;

    QString inconsistencyFile_;
    QString orderNumber_;
    QString verifier_;
};

} // namespace ret
