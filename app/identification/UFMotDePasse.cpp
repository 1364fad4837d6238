// UFMotDePasse.cpp: layout of the identification window and its caps-lock balloon.
#include "app/identification/UFMotDePasse.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProxyStyle>
#include <QScreen>

#include "app/identification/MinModal.h"
#include "app/identification/glyph_button.h"
#include "app/identification/identification_art.h"
#include "ui/panel.h"
#include "ui/platform/balloon_hint.h"
#include "ui/platform/key_state.h"

TFMotDePasse* FMotDePasse = nullptr;

namespace {

constexpr int kClientWidth = 351;
constexpr int kClientHeight = 226;
constexpr int kGlyphMargin = 12;
constexpr std::int16_t kCapsOnKeyUp = ui::platform::kKeyToggled;                          // 1
constexpr std::int16_t kCapsJustOn = ui::platform::kKeyHeld | ui::platform::kKeyToggled;  // -127
const QColor kHeading(24, 48, 104);

// Masks the password with '*' whatever the platform style would use.
class StarPasswordStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QFont sansSerif(int pixels, bool bold) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* makeLabel(const QString& name, const QString& caption, QWidget* parent, QRect bounds) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(bounds);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);  // a taller fallback face clips at the foot
    return label;
}

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// A panel without bevel, in the button-face colour rather than the window's white.
ui::Panel* makePanel(const QString& name, QWidget* parent, QRect bounds) {
    auto* panel = new ui::Panel(parent);
    panel->setObjectName(name);
    panel->setBevel(false);
    panel->setGeometry(bounds);
    setColour(panel, QPalette::Window, QApplication::palette().color(QPalette::Button));
    return panel;
}

GlyphButton* makeGlyphButton(const QString& name, const QString& tip, const QIcon& glyph,
                             QSize glyphSize, QWidget* parent, QRect bounds) {
    auto* button = new GlyphButton(QStringLiteral(" "), parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setIcon(glyph);
    button->setIconSize(glyphSize);
    button->setGlyphMargin(kGlyphMargin);
    button->setGeometry(bounds);
    return button;
}

}  // namespace

TFMotDePasse::TFMotDePasse(QWidget* AOwner)
    : QDialog(AOwner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FMotDePasse"));
    setWindowTitle(QStringLiteral("Identification"));
    setFont(sansSerif(11, false));
    setColour(this, QPalette::Window, Qt::white);
    setAutoFillBackground(true);
    resize(kClientWidth, kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }

    buildHeader();
    buildPasswordPanel();
    BalloonHint1 = new ui::platform::BalloonHint(this);
    BalloonHint1->setObjectName(QStringLiteral("BalloonHint1"));
    MinModal1 = new TMinModal(this);
    MinModal1->setObjectName(QStringLiteral("MinModal1"));
}

void TFMotDePasse::buildHeader() {
    Panel2 = makePanel(QStringLiteral("Panel2"), this, QRect(0, 0, kClientWidth, 49));
    Label4 = makeLabel(QStringLiteral("Label4"), QStringLiteral("Brevantis"), Panel2,
                       QRect(122, 13, 107, 24));
    Label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label4->setFont(sansSerif(19, true));
    setColour(Label4, QPalette::WindowText, QColor(192, 192, 192));

    Label1 = makeLabel(QStringLiteral("Label1"), QStringLiteral("Un produit de :"), this,
                       QRect(35, 82, 86, 13));
    Label1->setFont(sansSerif(12, true));
    setColour(Label1, QPalette::WindowText, kHeading);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap::fromImage(identification::drawLogo()));
    Image1->setGeometry(127, 61, 188, 56);
}

void TFMotDePasse::buildPasswordPanel() {
    // Taller than the space left below it: its lower part lies past the client area.
    Panel1 = makePanel(QStringLiteral("Panel1"), this, QRect(0, 123, kClientWidth, 130));
    Label3 = makeLabel(QStringLiteral("Label3"), QStringLiteral("Mot de passe"), Panel1,
                       QRect(78, 27, 77, 13));
    Label3->setFont(Label1->font());
    setColour(Label3, QPalette::WindowText, kHeading);

    EditMotPasse = new QLineEdit(Panel1);
    EditMotPasse->setObjectName(QStringLiteral("EditMotPasse"));
    EditMotPasse->setGeometry(173, 23, 119, 21);
    EditMotPasse->setFont(sansSerif(12, true));
    setColour(EditMotPasse, QPalette::Base, Qt::white);
    setColour(EditMotPasse, QPalette::Text, Qt::red);
    EditMotPasse->setMaxLength(10);
    auto* mask = new StarPasswordStyle;
    EditMotPasse->setStyle(mask);
    mask->setParent(EditMotPasse);
    EditMotPasse->setEchoMode(QLineEdit::Password);
    EditMotPasse->installEventFilter(this);
    Label3->setBuddy(EditMotPasse);

    BitBtn1 = makeGlyphButton(QStringLiteral("BitBtn1"), QStringLiteral("Valider"),
                              identification::drawCheckGlyph(), QSize(18, 20), Panel1,
                              QRect(109, 64, 45, 30));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    BitBtn2 = makeGlyphButton(QStringLiteral("BitBtn2"), QStringLiteral("Annuler"),
                              identification::drawCancelGlyph(), QSize(16, 16), Panel1,
                              QRect(198, 65, 45, 29));
    connect(BitBtn2, &QPushButton::clicked, this, &TFMotDePasse::BitBtn2Click);

    setTabOrder(EditMotPasse, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    EditMotPasse->setFocus();
}

void TFMotDePasse::BitBtn2Click() {
    close();
}

void TFMotDePasse::showBalloon() {
    BalloonHint1->setText(QStringLiteral("Touche de verrouillage des majuscules actif"));
    QRect bounds = EditMotPasse->geometry();
    QWidget* panel = EditMotPasse->parentWidget();
    // The buttons lie just below the edit: the balloon must not hide them or take their clicks.
    QList<QRect> buttons;
    for (const QAbstractButton* button : findChildren<QAbstractButton*>())
        buttons << QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
    BalloonHint1->showAt(
        QRect(panel->mapToGlobal(bounds.topLeft()), panel->mapToGlobal(bounds.bottomRight())),
        buttons);
}

void TFMotDePasse::EditMotPasseEnter() {
    if (ui::platform::keyStateProvider().capsLockState() == kCapsOnKeyUp) showBalloon();
}

void TFMotDePasse::EditMotPasseKeyDown(int Key) {
    if (Key != Qt::Key_CapsLock) return;
    if (ui::platform::keyStateProvider().capsLockState() == kCapsJustOn) {
        showBalloon();
    } else {
        BalloonHint1->hide();
    }
}

void TFMotDePasse::EditMotPasseExit() {
    BalloonHint1->hide();
}

bool TFMotDePasse::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EditMotPasse) {
        switch (event->type()) {
            case QEvent::FocusIn:
                EditMotPasseEnter();
                break;
            case QEvent::FocusOut:
                EditMotPasseExit();
                break;
            case QEvent::KeyPress:
                EditMotPasseKeyDown(static_cast<QKeyEvent*>(event)->key());
                break;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFMotDePasse::resizeEvent(QResizeEvent* event) {
    Panel2->resize(width(), Panel2->height());  // aligned to the top: follows the width
    QDialog::resizeEvent(event);
}

void TFMotDePasse::hideEvent(QHideEvent* event) {
    // The balloon is a window of its own; it must not outlive the window it warns about.
    BalloonHint1->hide();
    QDialog::hideEvent(event);
}
