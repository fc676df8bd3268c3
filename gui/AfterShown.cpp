#include "gui/AfterShown.h"

#include "base/Guard.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

/// A window that is shown but not drawn is counted as shown after this long.
constexpr int kUndrawnMs = 1000;

class FirstPaintWatch final : public QObject {
public:
    FirstPaintWatch(QWidget* window, QObject* context, std::function<void()> action)
        : QObject(context), m_window(window), m_action(std::move(action)) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && !m_done) {
            if (event->type() == QEvent::Paint)
                // Queued, so that the paint reaches the screen first.
                QTimer::singleShot(0, this, [this] { run(); });
            else if (event->type() == QEvent::Show)
                QTimer::singleShot(kUndrawnMs, this, [this] { run(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void run() {
        if (m_done)
            return;
        m_done = true;
        if (m_window)
            m_window->removeEventFilter(this);
        // The action may wait in an event loop of its own; this watch is gone once it is done.
        const std::function<void()> action = std::move(m_action);
        deleteLater();
        guarded(action);
    }

    QPointer<QWidget> m_window;
    std::function<void()> m_action;
    bool m_done = false;
};

} // namespace

void runAfterShown(QWidget* window, QObject* context, std::function<void()> action) {
    new FirstPaintWatch(window, context, std::move(action));
}
