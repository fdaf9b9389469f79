#include "qt/first_expose.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace mk {

namespace {

// The widget's Show comes before its native window is mapped; the window's first Expose after.
class FirstExpose : public QObject {
public:
    FirstExpose(QWidget& window, std::function<void()> run)
        : QObject(&window), m_window(window), m_run(std::move(run)) {
        // Asked while the window is being shown, its native window exists already.
        if (window.windowHandle() != nullptr) {
            window.windowHandle()->installEventFilter(this);
        }
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        QWindow* handle = m_window.windowHandle();
        if (watched == &m_window && event->type() == QEvent::Show && handle != nullptr) {
            handle->installEventFilter(this);
        } else if (watched == handle && event->type() == QEvent::Expose && handle->isExposed()) {
            handle->removeEventFilter(this);
            m_window.removeEventFilter(this);
            deleteLater();
            m_run();
        }
        return false;
    }

private:
    QWidget& m_window;
    std::function<void()> m_run;
};

}  // namespace

void OnFirstExpose(QWidget& window, std::function<void()> run) {
    new FirstExpose(window, std::move(run));
}

}  // namespace mk
