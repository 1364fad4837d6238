// UFConverter.h: the converter window between record numbers and their six-character form.
#ifndef BREVANTIS_TOOLS_UFCONVERTER_H
#define BREVANTIS_TOOLS_UFCONVERTER_H

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {
class Panel;
}

// A small modal window with one panel per direction: a record number typed in decimal (or
// hexadecimal) to its six-character form, and six characters back to a record number.
// It touches no database and keeps nothing between showings. Every handler runs guarded:
// an error is shown by the default error display and the window stays open.
class TFConverter : public QDialog {
    Q_OBJECT
  public:
    // Builds the window, centred on the screen; `owner` may be null.
    explicit TFConverter(QWidget* owner = nullptr);

    // EditDecimal received the focus: clears EditBase64.
    void EditDecimalEnter();
    // "Décimal à Base 64": EditBase64 = Encode64(EditDecimal as an integer). A text that is
    // no integer is reported ("'<text>' n'est pas une valeur entière correcte.") and leaves
    // EditBase64 untouched. A negative number shows its 32-bit pattern's form (C or D first).
    void BtnDecimaToBase64Click();
    // EditBase64_2 received the focus: clears EditDecimal_2.
    void EditBase64_2Enter();
    // "Base 64 à Décimal": EditDecimal_2 = the signed decimal value of the first six
    // characters of EditBase64_2 taken through the 8-bit code page. Never fails.
    void BtnBase64ToDecimalClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    ui::Panel* Panel1;
    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* EditDecimal;
    QPushButton* BtnDecimaToBase64;
    QLineEdit* EditBase64;
    ui::Panel* Panel2;
    QLabel* Label3;
    QLabel* Label4;
    QLineEdit* EditBase64_2;
    QPushButton* BtnBase64ToDecimal;
    QLineEdit* EditDecimal_2;
};

#endif  // BREVANTIS_TOOLS_UFCONVERTER_H
