// panel.h: a container with a raised one-pixel bevel and an optional centred caption.
#ifndef BREVANTIS_UI_PANEL_H
#define BREVANTIS_UI_PANEL_H

#include <QFrame>

class QLabel;

namespace ui {

// The caption is painted centred behind the panel's children; empty by default.
class Panel : public QFrame {
    Q_OBJECT
  public:
    explicit Panel(QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    QString caption() const;
    // Whether the raised bevel is drawn.
    void setBevel(bool raised);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QLabel* caption_;
};

}  // namespace ui

#endif  // BREVANTIS_UI_PANEL_H
