// The bare toolkit window bench_startup compares the program with: a program of its own that
// loads nothing beyond Qt Widgets, shows a window of the main window's size and ends at its
// first paint, saying "shown".

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

class FirstPaint final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FirstPaint watcher;
    QWidget window;
    window.resize(529, 346);
    window.installEventFilter(&watcher);
    window.show();
    return QApplication::exec();
}
