// radio_group.h: a captioned group of radio items whose selection by the program notifies
// like a click.
#ifndef BREVANTIS_UI_RADIO_GROUP_H
#define BREVANTIS_UI_RADIO_GROUP_H

#include <QGroupBox>
#include <QStringList>
#include <vector>

class QButtonGroup;
class QRadioButton;

namespace ui {

// Items are laid out in one column, spread evenly over the group's height. ItemIndex is the
// selected item, -1 for none (the start). itemClicked() is raised whenever the selection
// moves to another item, by the user or by setItemIndex; choosing the item that is already
// selected raises nothing but itemReselected(), and only when the user does it.
class RadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    explicit RadioGroup(QWidget* parent = nullptr);

    // Appends an item showing `text`; `tag` is the caller's value for it (e.g. a list index).
    void addItem(const QString& text, int tag = -1);
    // Removes every item; ItemIndex becomes -1 without a notification.
    void clearItems();
    int count() const { return static_cast<int>(buttons_.size()); }
    QString itemText(int index) const;
    // REQUIRES: 0 <= index < count().
    int itemTag(int index) const { return tags_.at(index); }

    int itemIndex() const;
    // Selects item `index` (-1 clears the selection, without a notification). Raises
    // itemClicked() when the selection changes to an item.
    void setItemIndex(int index);

  signals:
    void itemClicked();
    // The user clicked (or pressed space on) the item that was already selected.
    void itemReselected();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void arrange();

    QButtonGroup* group_;
    std::vector<QRadioButton*> buttons_;
    std::vector<int> tags_;
    bool toggledByClick_ = false;  // the click under way moved the selection
};

}  // namespace ui

#endif  // BREVANTIS_UI_RADIO_GROUP_H
