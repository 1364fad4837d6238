// messages.cpp: message dialogs, plain boxes and the default error display, or their
// recording while a MessageRecorder is alive.
#include "ui/messages.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

namespace ui {
namespace {

MessageRecorder* gRecorder = nullptr;

QString captionOf(DialogKind kind) {
    switch (kind) {
        case DialogKind::Warning:
            return QStringLiteral("Avertissement");
        case DialogKind::Error:
            return QStringLiteral("Erreur");
        case DialogKind::Information:
            break;
    }
    return QStringLiteral("Informations");
}

QMessageBox::Icon iconOf(DialogKind kind) {
    switch (kind) {
        case DialogKind::Warning:
            return QMessageBox::Warning;
        case DialogKind::Error:
            return QMessageBox::Critical;
        case DialogKind::Information:
            break;
    }
    return QMessageBox::Information;
}

// Records the message when a recorder is alive; otherwise shows a modal box with one "OK".
void deliver(ShownMessage message, QMessageBox::Icon icon) {
    if (gRecorder != nullptr) {
        gRecorder->record(std::move(message));
        return;
    }
    QMessageBox box(icon, message.caption, message.text, QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

}  // namespace

void messageDialog(DialogKind kind, const QString& text) {
    deliver({ShownMessage::Form::Dialog, kind, captionOf(kind), text}, iconOf(kind));
}

void plainMessage(const QString& text) {
    deliver({ShownMessage::Form::Plain, DialogKind::Information, applicationTitle(), text},
            QMessageBox::NoIcon);
}

QString defaultErrorText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') return message + u'.';
    return message;
}

void showDefaultError(const QString& message) {
    deliver({ShownMessage::Form::DefaultError, DialogKind::Error, applicationTitle(),
             defaultErrorText(message)},
            QMessageBox::Critical);
}

QString applicationTitle() {
    QString path = QCoreApplication::instance() != nullptr
                       ? QCoreApplication::applicationFilePath()
                       : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return titleFromFileName(QFileInfo(path).fileName());
}

QString titleFromFileName(const QString& fileName) {
    QString name = fileName.section(u'.', 0, 0);
    return name.left(1) + name.mid(1).toLower();
}

void installFrenchTranslator() {
    static QTranslator* translator = nullptr;
    if (translator != nullptr || QCoreApplication::instance() == nullptr) return;
    auto* candidate = new QTranslator(QCoreApplication::instance());
    if (candidate->load(QStringLiteral("qtbase_fr"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(candidate);
        translator = candidate;
    } else {
        delete candidate;
    }
}

MessageRecorder::MessageRecorder() : previous_(gRecorder) {
    gRecorder = this;
}

MessageRecorder::~MessageRecorder() {
    gRecorder = previous_;
}

MessageRecorder* MessageRecorder::current() {
    return gRecorder;
}

}  // namespace ui
