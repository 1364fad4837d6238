// combo_box.h: an editable drop-down list with an item index that only list choices and the
// program move, a change signal on every text change and a close-up signal after it.
#ifndef BREVANTIS_UI_COMBO_BOX_H
#define BREVANTIS_UI_COMBO_BOX_H

#include <QComboBox>

namespace ui {

// The user may choose an item or type any text; typed text is never completed, inserted or
// altered. itemIndex() is the index of the item last chosen from the list or selected by
// selectItem(), -1 at the start; typing and clearing the text or the items leave it as is.
// changed() is raised on every change of the text (typing, a list choice, the program) and
// only when the text differs; closedUp() is raised when the list closes, after the changed()
// of the choice that closed it.
class ComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit ComboBox(QWidget* parent = nullptr);

    int itemIndex() const { return itemIndex_; }
    // Selects item `index` and sets the text to it. REQUIRES: 0 <= index < count().
    void selectItem(int index);

    // Appends an item; unlike QComboBox::addItem, the text stays as it is.
    void addItem(const QString& text);
    void addItems(const QStringList& texts);
    // Removes every item; the typed text and itemIndex() stay.
    void clearItems();
    QString text() const { return currentText(); }
    void setText(const QString& text);
    // How many rows the dropped-down list shows.
    void setRowsVisible(int rows) { setMaxVisibleItems(rows); }

    void hidePopup() override;

  signals:
    void changed();
    void closedUp();

  private:
    // Runs `change` on the list while the text is kept and no change is reported.
    template <class F>
    void keepingText(F&& change);

    int itemIndex_ = -1;
};

}  // namespace ui

#endif  // BREVANTIS_UI_COMBO_BOX_H
