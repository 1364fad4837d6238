// UFMotDePasse.h: TFMotDePasse, the identification window, and its caps-lock warning.
#ifndef BREVANTIS_APP_IDENTIFICATION_UFMOTDEPASSE_H
#define BREVANTIS_APP_IDENTIFICATION_UFMOTDEPASSE_H

#include <QDialog>

class GlyphButton;
class QLabel;
class QLineEdit;
class TMinModal;
namespace ui {
class Panel;
}
namespace ui::platform {
class BalloonHint;
}

// The password window: a masked edit of at most 10 characters, a validate button (the default
// one, ending the modal showing with Accepted) and a cancel button (Escape; Rejected, like the
// close box). A balloon warns while caps lock is on. Every control's object name is its name.
class TFMotDePasse : public QDialog {
    Q_OBJECT
  public:
    explicit TFMotDePasse(QWidget* AOwner = nullptr);

    ui::Panel* Panel2;
    QLabel* Label4;
    QLabel* Label1;
    QLabel* Image1;
    ui::Panel* Panel1;
    QLabel* Label3;
    QLineEdit* EditMotPasse;
    GlyphButton* BitBtn1;
    GlyphButton* BitBtn2;
    ui::platform::BalloonHint* BalloonHint1;
    TMinModal* MinModal1;

    // Closes the window, which ends its modal showing as cancelled.
    void BitBtn2Click();
    // The edit got the focus: the balloon shows when caps lock is on and its key is up.
    void EditMotPasseEnter();
    // A key went down in the edit: for the caps-lock key only, the balloon shows when this
    // press has just switched caps lock on and hides otherwise.
    void EditMotPasseKeyDown(int Key);
    // The edit lost the focus: the balloon hides.
    void EditMotPasseExit();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void buildHeader();
    void buildPasswordPanel();
    void showBalloon();
};

// The identification window while the gate runs; nullptr otherwise.
extern TFMotDePasse* FMotDePasse;

#endif  // BREVANTIS_APP_IDENTIFICATION_UFMOTDEPASSE_H
