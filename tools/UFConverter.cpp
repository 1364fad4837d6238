// UFConverter.cpp: layout and handlers of the converter window.
#include "tools/UFConverter.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "rtl/ansi.h"
#include "rtl/int_conv.h"
#include "tools/codec.h"
#include "ui/dialog_keys.h"
#include "ui/fonts.h"
#include "ui/layout.h"
#include "ui/messages.h"
#include "ui/panel.h"

namespace {

using ui::placed;

QFont tahoma(int pixels, bool bold = false) {
    return ui::pixelFont(QStringLiteral("Tahoma"), pixels, bold);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, const QRect& r) {
    return ui::makeLabel(parent, name, caption, r, tahoma(13, true));
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QRect& r) {
    auto* button = placed(new QPushButton(caption, parent), name, r);
    // Return in an edit must not press a button behind the user's back.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

// An ordinary sizeable frame: system menu, minimise and maximise buttons.
TFConverter::TFConverter(QWidget* owner)
    : QDialog(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FConverter"));
    setWindowTitle(QStringLiteral("Convertisseur"));
    setFont(tahoma(11));
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    resize(443, 216);
    ui::keepOpenOnEscape(this);

    Panel1 = placed(new ui::Panel(this), "Panel1", {8, 4, 425, 97});
    Label1 = makeLabel(Panel1, "Label1", QStringLiteral("LockedRecNo"), {26, 27, 85, 16});
    Label2 = makeLabel(Panel1, "Label2", QStringLiteral("Base64"), {334, 27, 47, 16});
    EditDecimal = placed(new QLineEdit(Panel1), "EditDecimal", {21, 49, 96, 21});
    BtnDecimaToBase64 = makeButton(Panel1, "BtnDecimaToBase64", QStringLiteral("Décimal à Base 64"),
                                   {148, 45, 129, 25});
    EditBase64 = placed(new QLineEdit(Panel1), "EditBase64", {309, 49, 96, 21});

    Panel2 = placed(new ui::Panel(this), "Panel2", {8, 107, 425, 97});
    Label3 = makeLabel(Panel2, "Label3", QStringLiteral("Base64"), {47, 21, 47, 16});
    Label4 = makeLabel(Panel2, "Label4", QStringLiteral("LockedRecNo"), {314, 21, 85, 16});
    EditBase64_2 = placed(new QLineEdit(Panel2), "EditBase64_2", {21, 40, 96, 21});
    EditBase64_2->setMaxLength(6);
    BtnBase64ToDecimal = makeButton(Panel2, "BtnBase64ToDecimal",
                                    QStringLiteral("Base 64 à Décimal"), {148, 36, 129, 25});
    EditDecimal_2 = placed(new QLineEdit(Panel2), "EditDecimal_2", {309, 40, 96, 21});

    setTabOrder(BtnDecimaToBase64, EditBase64);
    setTabOrder(EditBase64, EditDecimal);
    setTabOrder(EditDecimal, BtnBase64ToDecimal);
    setTabOrder(BtnBase64ToDecimal, EditBase64_2);
    setTabOrder(EditBase64_2, EditDecimal_2);
    BtnDecimaToBase64->setFocus();

    EditDecimal->installEventFilter(this);
    EditBase64_2->installEventFilter(this);
    ui::connectGuarded(BtnDecimaToBase64, &QPushButton::clicked, this,
                       [this] { BtnDecimaToBase64Click(); });
    ui::connectGuarded(BtnBase64ToDecimal, &QPushButton::clicked, this,
                       [this] { BtnBase64ToDecimalClick(); });

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
}

bool TFConverter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        // Getting the window back or closing a context menu is no entry into the edit.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == EditDecimal) ui::guarded([this] { EditDecimalEnter(); });
            if (watched == EditBase64_2) ui::guarded([this] { EditBase64_2Enter(); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFConverter::EditDecimalEnter() {
    EditBase64->clear();
}

void TFConverter::BtnDecimaToBase64Click() {
    const int32_t recNo = rtl::strToInt(EditDecimal->text());
    EditBase64->setText(Encode64(recNo));
}

void TFConverter::EditBase64_2Enter() {
    EditDecimal_2->clear();
}

void TFConverter::BtnBase64ToDecimalClick() {
    const QString sixChars = rtl::fromAnsi(rtl::toAnsi(EditBase64_2->text()).left(6));
    EditDecimal_2->setText(QString::number(TrouverRecNo(sixChars, RecNoForm::SixChars)));
}
