// MinModal.h: TMinModal, the minimizer of a modally shown form.
//
// Dropped on a form, TMinModal changes three things about it:
//   - minimising the form minimises the whole application;
//   - activating the form shows the application normally again;
//   - maximising the form (maximise button, or a double click on the caption when the form has
//     a maximise button) makes it fill its monitor instead: the work area of the primary
//     monitor or of monitor 0, the full bounds of any other, as a plain move and resize.
//
// How each effect is obtained with Qt on Linux. There is no window procedure to replace, so the
// component installs itself as an event filter on the form (once, at construction) and removes
// itself once, when the form or the component goes, whichever comes first.
//   - Minimise: the window manager owns the title bar; Qt reports its minimise as a
//     QEvent::WindowStateChange to minimised. There is no hidden application window owning the
//     forms either, so "the application" is every visible top-level window of the program: each
//     other one is minimised too, without being activated, after OnMinimize has run. The form,
//     already iconified by the window manager, goes with them (hiding a modal form instead
//     would end its modal showing).
//   - Activation: QEvent::WindowActivate on the form restores every visible minimised
//     top-level window, then the form handles the activation as usual. Hidden windows (the main
//     window while it is being created) stay hidden.
//   - Maximise: a QEvent::WindowStateChange to maximised is undone at once and followed by
//     SetMax, so the form never stays in the maximised state. A double click on the caption
//     arrives as QEvent::NonClientAreaMouseButtonDblClick only where Qt draws or reports the
//     frame itself (not under X11, where the window manager turns it into a maximise); it is
//     taken when it falls above the client area and the form has the maximise button, and
//     passed on otherwise.
#ifndef BREVANTIS_APP_IDENTIFICATION_MINMODAL_H
#define BREVANTIS_APP_IDENTIFICATION_MINMODAL_H

#include <QObject>
#include <QString>
#include <functional>

class QEvent;
class QWidget;

// A handler taking the sender, as the component's events expect.
using TNotifyEvent = std::function<void(QObject* Sender)>;

class TMinModal : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString About READ About WRITE SetAbout STORED false)

  public:
    // Serves the first window found up AOwner's parent chain (AOwner included); without one the
    // component stays inert. The component is owned by AOwner.
    explicit TMinModal(QObject* AOwner);
    ~TMinModal() override;

    // The form served, or nullptr when inert or once the form has gone.
    QWidget* form() const { return Form; }
    bool installed() const { return installed_; }

    // The one-line description of the component. SetAbout never changes it.
    QString About() const { return FAbout; }
    void SetAbout(const QString& Value);

    // Called with the component as sender when the form is minimised.
    const TNotifyEvent& OnMinimize() const { return FOnMinimize; }
    void SetOnMinimize(TNotifyEvent handler) { FOnMinimize = std::move(handler); }

    // Moves and resizes Sender (its frame included) to fill the monitor nearest to the
    // reference form: SenderOwner when given, else the active window, else Sender. The work
    // area for the primary monitor or monitor 0, the full bounds otherwise. Sender's window
    // state is left as it is. REQUIRES: Sender is a window.
    void SetMax(QWidget* Sender, QWidget* SenderOwner);

    // Installations and removals of the event filter by every instance of the process; each
    // installed component is removed exactly once.
    static int installCount();
    static int uninstallCount();

  protected:
    // Handles one event of the form; true when the event must not reach the form.
    virtual bool ModalWndProc(QEvent* Message);
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void install();
    void uninstall();

    QWidget* Form = nullptr;
    bool installed_ = false;        // the filter is on Form
    bool undoingMaximize_ = false;  // inside the state change that takes a maximise back
    QString FAbout;
    TNotifyEvent FOnMinimize;
};

#endif  // BREVANTIS_APP_IDENTIFICATION_MINMODAL_H
