// The declaration window's validation, saving and closing, and the order number of a sent
// declaration.
#include "declaration/Frm947.h"

#include "common/Configuration.h"
#include "common/Cp1252.h"
#include "common/Database.h"
#include "common/Lookups.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/WholeFile.h"
#include "common/Windows.h"
#include "declaration/Completeness.h"
#include "declaration/Verifier.h"

namespace ret {

// ----------------------------------------------------------------------- validate and save

void Frm947::validar() {
    if (!ValidaContForm1())
        return;
    for (const QString& m : amountMessages(box(405), box(410)))
        session_.messages->inform(MsgIcon::Information, m, kCaption);
    const QStringList lines = inconsistencies({box(401), box(405), box(410), payment_});
    inconsistencyFile_.clear();
    for (const QString& l : lines)
        inconsistencyFile_ += l + QStringLiteral("\r\n");
    if (const auto failed =
            writeWholeFile(joinPath(session_.config.systemDirectory, QStringLiteral("Mens.txt")),
                           cp1252::encode(inconsistencyFile_))) {
        // the window would show the lines of an earlier validation
        error(failed->message());
        notify();
        return;
    }
    if (lines.isEmpty())
        session_.messages->inform(MsgIcon::Exclamation,
                                  QStringLiteral("La declaración no presenta inconsistencias."),
                                  kCaption);
    else {
        session_.Inconsistencies = inconsistencyFile_;
        session_.windows->open(Window::FrmConsist);
    }
    notify();
}

// An 8-digit RUC is refused, registered or sent: it must first become an 11-digit one.
bool Frm947::refusesRucOf8() {
    if (ruc().size() != 8)
        return false;
    session_.messages->inform(
        MsgIcon::Information,
        QStringLiteral("No puede grabar declaraciones con RUC de 8, modifique el RUC de 8 a 11 "
                       "en el Modulo de Registro de Declarantes."),
        kCaption);
    return true;
}

bool Frm947::grabar() {
    if (sent_)
        return registrar();
    if (!ValidaContForm1())
        return false;
    if (refusesRucOf8())
        return false;
    return runSave();
}

bool Frm947::runSave() {
    SaveInput in;
    in.id = id();
    // a save from the keyboard leaves the focus in the box typed last: store what it holds,
    // not the plain digits it shows while typed in (402 would lose its sign)
    for (int code : kBoxes)
        in.boxes[code] = restingBox(code);
    in.payment = payment_;
    in.rectification = rectification_;
    in.modalityCode = modality_ >= 0 ? modalities_[size_t(modality_)].code() : QString();
    in.retentionRate = session_.RetentionRate;
    in.subjectCount = countTag_;
    in.totalBase = totalBase_;
    in.totalRetention = totalRetention_;
    in.loaded = loaded_;
    in.actor = actor();
    in.imported = batchImport_;
    int estado = 0;
    conflicted_ = false;
    try {
        const SaveResult saved = saveDeclaration(*session_.db, in, today_());
        estado = saved.estado;
        loaded_ = saved.stored;
    } catch (const ConflictError& e) {
        saveConflict(e);
        return false;
    } catch (const DbError& e) {
        // nothing was stored; what was typed stays in the window
        session_.messages->inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
        return false;
    }
    if (isNew_)
        periodSaved_ = true;
    for (const QString& m : amountMessages(box(405), box(410)))
        session_.messages->inform(MsgIcon::Information, m, kCaption);
    QString outcome;
    try {
        outcome = DescripcionError(*session_.db, estado == 9 ? 152 : 151);
    } catch (const DbError& e) {
        outcome = e.text();
    }
    session_.messages->inform(MsgIcon::Exclamation, outcome, kCaption);
    changed_ = false;
    notify();
    return true;
}

Actor Frm947::actor() const {
    return Actor::here(session_.config.currentUser, session_.program);
}

void Frm947::saveConflict(const ConflictError& e) {
    conflicted_ = true;
    const QString told =
        conflictMessage(e) + QString::fromUtf8("\nNo se grabó nada; lo que usted escribió sigue "
                                               "en esta ventana.");
    if (batchImport_ || e.kind() == ConflictError::Kind::Deleted) {
        session_.messages->inform(
            MsgIcon::Critical,
            batchImport_ ? conflictMessage(e) + QString::fromUtf8("\nNo se grabó nada.")
                         : told + QStringLiteral("\nPuede cerrar la ventana."),
            kCaption);
        notify();
        return;
    }
    if (session_.messages->askYesNo(
            MsgIcon::Question,
            told + QString::fromUtf8("\n¿Desea cargar la declaración grabada? Se descartarán "
                                     "los cambios de esta ventana."),
            kCaption, MsgAnswer::No)) {
        try {
            reloadStored();
        } catch (const DbError& failed) {
            session_.messages->inform(MsgIcon::None, failed.text(), QStringLiteral("Error"));
        }
    }
    notify();
}

void Frm947::reloadStored() {
    if (isNew_) {
        // the declaration another program registered is this one from now on
        fixedRuc_ = ruc();
        isNew_ = false;
        periodSaved_ = true;
    }
    boxes_.clear();
    typing_ = 0;
    payment_ = PaymentForm{};
    rectification_.clear();
    modality_ = -1;
    openStored();
    lookUpRate();
    changed_ = false;
}

bool Frm947::salir() {
    if (sent_)
        return closeSent();
    if (changed_ && session_.messages->askYesNo(
                        MsgIcon::Question,
                        QString::fromUtf8("¿El formulario ha sido modificado, desea guardar los "
                                          "cambios?"),
                        kCaption, MsgAnswer::Yes)) {
        // a save that stops keeps the window open with what was typed
        if (!grabar())
            return false;
    }
    session_.setStatusRuc(QString());
    return true;
}

// ------------------------------------------------------------------------- sent declarations

void Frm947::setOrderNumber(const QString& text) {
    if (text == orderNumber_)
        return;
    orderNumber_ = text;
    changed_ = true;
    notify();
}

void Frm947::setVerifier(const QString& text) {
    if (text == verifier_)
        return;
    verifier_ = text;
    changed_ = true;
    notify();
}

bool Frm947::registrar() {
    if (refusesRucOf8())
        return false;
    if (orderNumber_.size() < 8) {
        error(QString::fromUtf8("     El número de orden no es válido"));
        focus_ = Focus::Verifier;
        notify();
        return false;
    }
    if (!ValidaVerificador(session_.SelectedControlNumber, orderNumber_, verifier_)) {
        error(QStringLiteral("     El digito Verificador es incorrecto"));
        focus_ = Focus::Verifier;
        notify();
        return false;
    }
    conflicted_ = false;
    try {
        if (const auto stored =
                registerOrderNumber(*session_.db, id(), orderNumber_, loaded_, actor()))
            loaded_ = *stored;
        session_.messages->inform(MsgIcon::Exclamation, DescripcionError(*session_.db, 151),
                                  kCaption);
    } catch (const ConflictError& e) {
        conflicted_ = true;
        session_.messages->inform(MsgIcon::Critical,
                                  conflictMessage(e) +
                                      QString::fromUtf8("\nNo se registró el número de orden; "
                                                        "cierre la ventana y ábrala de nuevo."),
                                  kCaption);
        return false;
    } catch (const DbError& e) {
        session_.messages->inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
        return false;
    }
    changed_ = false;
    notify();
    return true;
}

bool Frm947::closeSent() {
    if (changed_ && session_.messages->askYesNo(
                        MsgIcon::Question,
                        QString::fromUtf8(" El número de orden ha cambiado. ¿Desea guardar los "
                                          "cambios?"),
                        kCaption, MsgAnswer::Yes)) {
        if (orderNumber_.size() < 8) {
            error(QString::fromUtf8("El número de orden es incorrecto"));
            return false;
        }
        if (!ValidaVerificador(session_.SelectedControlNumber, orderNumber_, verifier_)) {
            error(QStringLiteral("Digito verificador incorrecto"));
            return false;
        }
        if (!registrar())
            return false;
    }
    session_.setStatusRuc(QString());
    return true;
}

} // namespace ret
