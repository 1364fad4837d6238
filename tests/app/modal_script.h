// modal_script.h: answers the modal windows a window under test brings up, as a user would.
#ifndef BREVANTIS_TESTS_APP_MODAL_SCRIPT_H
#define BREVANTIS_TESTS_APP_MODAL_SCRIPT_H

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

// Answers modal windows as a user would: each time a modal window with the given object
// name comes up, the next scripted action runs on it.
class ModalScript : public QObject {
  public:
    using Action = std::function<void(QDialog*)>;

    ModalScript() {
        connect(&timer_, &QTimer::timeout, this, &ModalScript::poll);
        timer_.start(5);
    }
    void expect(const QString& objectName, Action action) {
        steps_.push_back({objectName, std::move(action)});
    }
    bool done() const { return steps_.empty(); }

  private:
    void poll() {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (modal == nullptr || !modal->isVisible() || steps_.empty() || modal == handled_) return;
        if (modal->objectName() != steps_.front().name) return;
        handled_ = modal;
        Action action = std::move(steps_.front().action);
        steps_.pop_front();
        action(modal);
        // The same window may come back (a wrong password): accept it again once hidden.
        QTimer::singleShot(0, this, [this] { handled_ = nullptr; });
    }

    struct Step {
        QString name;
        Action action;
    };
    std::deque<Step> steps_;
    QTimer timer_;
    QPointer<QDialog> handled_;
};

inline void typePassword(QDialog* gate, const QString& password) {
    auto* edit = gate->findChild<QLineEdit*>("EditMotPasse");
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, password);
    QTest::keyClick(edit, Qt::Key_Return);
}

inline ModalScript::Action password(const QString& text) {
    return [text](QDialog* gate) { typePassword(gate, text); };
}

inline ModalScript::Action escape() {
    return [](QDialog* gate) { QTest::keyClick(gate, Qt::Key_Escape); };
}

#endif  // BREVANTIS_TESTS_APP_MODAL_SCRIPT_H
