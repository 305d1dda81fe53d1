#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <string>
#include <type_traits>

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

// Answers modal dialogs as a user would, the one helper of every window test: a timer polls for
// the modal dialog on top and hands each new visible one of type T to the answer. An answer that
// returns bool says whether it took the dialog (false: not this one, keep looking); a void answer
// takes every dialog of type T. It answers `times` dialogs, or every one when times is negative,
// for as long as it lives: it waits for a dialog the program opens, never for a time.
template <typename T = QWidget>
class CModalAnswerer {
public:
    template <typename F>
    explicit CModalAnswerer(F answer, int times = 1) : m_Left(times) {
        if constexpr (std::is_void_v<std::invoke_result_t<F, T*>>) {
            m_Answer = [answer = std::move(answer)](T* w) mutable {
                answer(w);
                return true;
            };
        } else {
            m_Answer = std::move(answer);
        }
        QObject::connect(&m_Timer, &QTimer::timeout, [this] { Poll(); });
        m_Timer.start(10);
    }
    CModalAnswerer(const CModalAnswerer&) = delete;
    CModalAnswerer& operator=(const CModalAnswerer&) = delete;

    // How many dialogs it took.
    int Answered() const { return m_Answered; }

private:
    void Poll() {
        if (m_Left == 0) {
            m_Timer.stop();
            return;
        }
        T* w = qobject_cast<T*>(TopModal());
        // A dialog it took stays "new" only once; QPointer forgets a deleted one, so a later
        // dialog at the same address is answered too.
        if (w == nullptr || !w->isVisible() || (m_Last && m_Last == w)) {
            return;
        }
        if (!m_Answer(w)) {
            return;
        }
        m_Last = w;
        ++m_Answered;
        if (m_Left > 0) {
            --m_Left;
        }
    }

    QTimer m_Timer;
    std::function<bool(T*)> m_Answer;
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

// Answers a (non-native) file dialog as a user does: types the name into its name field and
// accepts. QFileDialog::selectFile leaves that field alone while it has the keyboard, so a test
// that selected the name would get the proposed name or its own depending on when the focus came.
inline bool TypeIntoFileDialog(QWidget* w, const std::string& name) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    auto* edit = dialog != nullptr ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
    if (edit == nullptr) {
        return false;
    }
    edit->setText(QString::fromStdString(name));
    static_cast<QDialog*>(dialog)->accept();
    return true;
}

}  // namespace sonvara::test
