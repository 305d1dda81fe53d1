#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace sonvara::test {

// The modal dialog on top, if any: the active modal widget, or a visible message box or file
// dialog (window-modal boxes opened with open()).
inline QWidget* TopModal() {
    if (QWidget* w = QApplication::activeModalWidget()) {
        return w;
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && (qobject_cast<QMessageBox*>(w) || qobject_cast<QFileDialog*>(w))) {
            return w;
        }
    }
    return nullptr;
}

// Polls for a modal widget of type T every 10 ms and hands it to the action; runs the action
// at most `times` times (each for a new widget), or for every one when times is negative.
template <typename T>
class CModalAnswerer {
public:
    CModalAnswerer(std::function<void(T*)> action, int times = 1)
        : m_Action(std::move(action)), m_Left(times) {
        QObject::connect(&m_Timer, &QTimer::timeout, [this] { Poll(); });
        m_Timer.start(10);
    }
    int Answered() const { return m_Answered; }

private:
    void Poll() {
        if (m_Left == 0) {
            m_Timer.stop();
            return;
        }
        T* w = qobject_cast<T*>(TopModal());
        if (!w || (m_Last && m_Last == w) || !w->isVisible()) {
            return;
        }
        m_Last = w;
        ++m_Answered;
        if (m_Left > 0) {
            --m_Left;
        }
        m_Action(w);
    }

    QTimer m_Timer;
    std::function<void(T*)> m_Action;
    int m_Left;
    int m_Answered = 0;
    QPointer<QWidget> m_Last;
};

// Presses the button of a message box with the given role.
inline void Press(QMessageBox* box, QMessageBox::StandardButton which) {
    if (QAbstractButton* b = box->button(which)) {
        b->click();
    }
}

}  // namespace sonvara::test
