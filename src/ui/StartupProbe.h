#pragma once
// The start-up measurement of `./dev.sh bench` (bench/startup.sh): once the
// watched window has painted itself for the first time, the wall clock is
// printed to the standard output as "shown <microseconds since 1970>" and
// `finish` runs (it ends the program). The bench compares that moment with
// the moment it launched the program. Used by the editor when started with
// JF_STARTUP_PROBE set, and by the bare window the bench compares it with.

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <functional>
#include <utility>

namespace jf {

class StartupProbe final : public QObject {
public:
    StartupProbe(QWidget& window, std::function<void()> finish)
        : QObject(&window), finish_(std::move(finish)) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            // After this paint has reached the screen.
            QTimer::singleShot(0, this, [this] {
                const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::system_clock::now().time_since_epoch());
                std::printf("shown %lld\n", static_cast<long long>(now.count()));
                std::fflush(stdout);
                finish_();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> finish_;
    bool painted_ = false;
};

}  // namespace jf
