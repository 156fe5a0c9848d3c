#pragma once

#include "detail/widgets/VoucherEntry.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <functional>

namespace ret::voucher {

// Focus that comes and goes with a message box or a menu is not the user leaving the field.
inline bool userMove(const QEvent& event) {
    const auto reason = static_cast<const QFocusEvent&>(event).reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

// The keys and focus changes of a voucher dialog's serie, number, amount and date fields,
// handed to its rules class. `Model` is FrmDetAgeRet or frmRetDet; the amount field is the
// amount each of them has (the base paid, the payment voucher's total).
template <typename Model> class VoucherFieldFilter {
public:
    struct Amount {
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
