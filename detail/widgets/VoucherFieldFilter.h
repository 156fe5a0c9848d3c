#pragma once

#include "detail/widgets/VoucherEntry.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <functional>
#include <optional>

namespace ret::voucher {

// Focus that comes and goes with a message box or a menu is not the user leaving the field.
inline bool userMove(const QEvent& event) {
    const auto reason = static_cast<const QFocusEvent&>(event).reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

// The serie, number, amount and date fields of a voucher dialog: what is typed in them, their
// keys and focus changes handed to its rules class, and the rules' state shown back. `Model` is
// FrmDetAgeRet or frmRetDet; the amount field is the amount each of them has (the base paid, the
// payment voucher's total).
template <typename Model> class VoucherFieldFilter {
public:
    struct Amount {
        const QString& (Model::*text)() const;
        void (Model::*set)(const QString&);
        int (Model::*key)(int);
        int (Model::*maxLength)() const;
        void (Model::*focusIn)();
        void (Model::*focusOut)();
    };
    struct Fields {
        QLineEdit* serie;
        QLineEdit* numero;
        QLineEdit* amount;
        QLineEdit* date;
    };

    // `moveOn` moves the focus to the next field; `dateKey` hears a key typed in the date.
    VoucherFieldFilter(Model& model, Fields fields, Amount amount, std::function<void()> moveOn,
                       std::function<void()> dateKey = {})
        : model_(model), f_(fields), amount_(amount), moveOn_(std::move(moveOn)),
          dateKey_(std::move(dateKey)) {}

    // What the user types reaches the rules; the date's text while `syncing` is the rules' own.
    void forwardEdits(QObject* context, const bool& syncing) {
        QObject::connect(f_.serie, &QLineEdit::textEdited, context,
                         [this](const QString& t) { model_.setSerie(t); });
        QObject::connect(f_.numero, &QLineEdit::textEdited, context,
                         [this](const QString& t) { model_.setNumero(t); });
        QObject::connect(f_.amount, &QLineEdit::textEdited, context,
                         [this](const QString& t) { (model_.*amount_.set)(t); });
        QObject::connect(f_.date, &QLineEdit::textChanged, context, [this, &syncing] {
            if (!syncing)
                model_.setFecha(f_.date->displayText());
        });
    }

    // The rules' texts; the serie and number editable while the keys are, the date and amount
    // while the window is not read-only.
    void show() {
        setText(*f_.serie, model_.serie());
        setText(*f_.numero, model_.numero());
        setDateText(*f_.date, model_.fecha());
        setText(*f_.amount, (model_.*amount_.text)());
        const bool keys = model_.keyEnabled();
        const bool editable = !model_.readOnly();
        for (QLineEdit* e : {f_.serie, f_.numero}) {
            e->setEnabled(keys);
            e->setStyleSheet(greyStyle(keys));
        }
        for (QLineEdit* e : {f_.date, f_.amount}) {
            e->setEnabled(editable);
            e->setStyleSheet(greyStyle(editable));
        }
    }

    // An event of one of the fields: whether it was taken, or nothing when the dialog's own
    // filter should hear it (a right click, once the clipboard is emptied; focus changes).
    std::optional<bool> filter(QObject* watched, QEvent& event) {
        if (clearsClipboard(event))
            return std::nullopt;
        switch (event.type()) {
        case QEvent::KeyPress:
            return key(watched, static_cast<const QKeyEvent&>(event));
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            focus(watched, event);
            break;
        default:
            break;
        }
        return std::nullopt;
    }

    // A key pressed in one of the fields; true when it was taken.
    bool key(QObject* watched, const QKeyEvent& key) {
        if (isPaste(key)) {
            QApplication::clipboard()->clear();
            return true;
        }
        const int code = keyCode(key);
        if (code < 0)
            return false;
        bool taken = false;
        if (watched == f_.serie) {
            const int r =
                model_.serieKey(code, f_.serie->cursorPosition(), f_.serie->hasSelectedText());
            taken = applyKey(*f_.serie, code, r);
        } else if (watched == f_.numero) {
            taken = applyKey(*f_.numero, code, model_.numeroKey(code));
        } else if (watched == f_.amount) {
            const int r = (model_.*amount_.key)(code);
            setLimit(*f_.amount, (model_.*amount_.maxLength)());
            taken = applyKey(*f_.amount, code, r);
        } else if (watched == f_.date) {
            if (code == 13) {
                moveOn_(); // Enter moves on like Tab
                return true;
            }
            if (dateKey_)
                dateKey_();
            return false; // the mask takes digits only
        }
        if (model_.takeMoveOn())
            moveOn_();
        return taken;
    }

    // The focus entering or leaving one of the fields.
    void focus(QObject* watched, const QEvent& event) {
        if (!userMove(event))
            return;
        if (event.type() == QEvent::FocusIn) {
            if (watched == f_.amount) {
                (model_.*amount_.focusIn)();
                setLimit(*f_.amount, (model_.*amount_.maxLength)());
            }
            return;
        }
        if (watched == f_.serie) {
            model_.serieFocusOut();
        } else if (watched == f_.numero) {
            model_.numeroFocusOut();
        } else if (watched == f_.amount) {
            (model_.*amount_.focusOut)();
            setLimit(*f_.amount, (model_.*amount_.maxLength)());
        }
    }

private:
    Model& model_;
    Fields f_;
    Amount amount_;
    std::function<void()> moveOn_;
    std::function<void()> dateKey_;
};

} // namespace ret::voucher
