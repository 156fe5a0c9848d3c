#include "app/widgets/frmAcercade.h"

#include "app/About.h"
#include "common/widgets/FormHelpers.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace ret {
namespace {

QLabel* text(const QString& content, const char* name, QWidget* parent) {
    auto* label = new QLabel(content, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

} // namespace

frmAcercade::frmAcercade(const QWidget* main, QWidget* parent) : QDialog(parent) {
    const AboutTexts t;
    setWindowTitle(t.caption);
    workButtonsFromKeyboard(*this);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));

    auto* texts = new QVBoxLayout;
    QFont big = font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    QLabel* product = text(t.product, "Text3", this);
    product->setFont(big);
    texts->addWidget(product);
    texts->addWidget(text(t.module, "Text1", this));
    texts->addWidget(text(t.version, "txtVersion", this));

    auto* head = new QHBoxLayout;
    head->addWidget(image, 0, Qt::AlignTop);
    head->addLayout(texts, 1);

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* accept = new QPushButton(t.accept, this);
    accept->setObjectName(QStringLiteral("cmdAceptar"));
    accept->setDefault(true);
    connect(accept, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(line);
    layout->addWidget(text(t.origin, "Text4", this));
    layout->addLayout(buttons);

    resize(420, sizeHint().height());
    CentraFormulario(main, *this);
}

} // namespace ret
