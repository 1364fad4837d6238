// exception.h: the root of the tool's error objects.
//
// Every error that the runtime, the dataset framework or the data-access layer raises
// derives from rtl::Exception, which carries the message text the user finally sees and
// the class name that some windows show ("EADSDatabaseError Erreur trouvé.").
#ifndef BREVANTIS_RTL_EXCEPTION_H
#define BREVANTIS_RTL_EXCEPTION_H

#include <QByteArray>
#include <QString>
#include <exception>

namespace rtl {

class Exception : public std::exception {
  public:
    explicit Exception(QString message) : message_(std::move(message)) {}
    ~Exception() override = default;

    const QString& message() const { return message_; }
    void setMessage(QString message) {
        message_ = std::move(message);
        what_.clear();
    }
    // The class name as the user sees it, e.g. "EADSDatabaseError".
    virtual QString className() const { return QStringLiteral("Exception"); }

    const char* what() const noexcept override {
        if (what_.isEmpty()) what_ = message_.toUtf8();
        return what_.constData();
    }

  private:
    QString message_;
    mutable QByteArray what_;
};

// A text that is not a valid integer (the runtime's integer conversion).
class EConvertError : public Exception {
  public:
    using Exception::Exception;
    QString className() const override { return QStringLiteral("EConvertError"); }
};

}  // namespace rtl

#endif  // BREVANTIS_RTL_EXCEPTION_H
