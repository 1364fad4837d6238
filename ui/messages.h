// messages.h: the one entry point for every message box the tool shows.
//
// Message dialogs, plain message boxes and the default error display all pass through here,
// so that a test can record them (MessageRecorder) instead of blocking on a modal box, and so
// that no exception ever leaves an event handler (guarded).
#ifndef BREVANTIS_UI_MESSAGES_H
#define BREVANTIS_UI_MESSAGES_H

#include <QString>
#include <exception>
#include <vector>

#include "rtl/exception.h"

namespace ui {

// The three kinds of message dialog; each gives its caption and icon.
enum class DialogKind { Warning, Error, Information };

// Shows a modal dialog captioned "Avertissement", "Erreur" or "Informations" with the kind's
// icon, `text` and a single "OK" button; returns when the user closes it.
void messageDialog(DialogKind kind, const QString& text);

// Shows a modal box captioned with applicationTitle(), `text` and a single "OK" button.
void plainMessage(const QString& text);

// Shows an error that escaped a handler: stop icon, applicationTitle(), a single "OK".
// A "." is appended when `message` is not empty and its last character's code is above
// that of ".".
void showDefaultError(const QString& message);

// The text showDefaultError displays for `message` (the "." rule applied).
QString defaultErrorText(const QString& message);

// The executable's file name up to its first dot, every letter after the first in lower
// case ("Brevantis").
QString applicationTitle();

// The title rule applied to a file name: up to its first dot, letters after the first lower.
QString titleFromFileName(const QString& fileName);

// Installs Qt's French translator for the standard buttons when it is present.
// REQUIRES: a QCoreApplication exists. Safe to call more than once.
void installFrenchTranslator();

// One message as it would have been shown.
struct ShownMessage {
    enum class Form { Dialog, Plain, DefaultError } form;
    DialogKind kind;  // meaningful for Form::Dialog; Error for DefaultError
    QString caption;
    QString text;
};

// While an instance is alive, every message is appended to it instead of being shown.
// Recorders nest: the most recent one receives the messages.
class MessageRecorder {
  public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<ShownMessage>& messages() const { return messages_; }
    void clear() { messages_.clear(); }

    // Internal: called by the message functions.
    void record(ShownMessage message) { messages_.push_back(std::move(message)); }
    static MessageRecorder* current();

  private:
    std::vector<ShownMessage> messages_;
    MessageRecorder* previous_;
};

// Runs `handler`; an rtl::Exception or std::exception that escapes it is shown with
// showDefaultError, and anything else with a generic text. Nothing crosses a Qt frame.
template <class F>
void guarded(F&& handler) {
    try {
        handler();
    } catch (const rtl::Exception& e) {
        showDefaultError(e.message());
    } catch (const std::exception& e) {
        showDefaultError(QString::fromUtf8(e.what()));
    } catch (...) {
        showDefaultError(QStringLiteral("Erreur inconnue"));
    }
}

}  // namespace ui

#endif  // BREVANTIS_UI_MESSAGES_H
