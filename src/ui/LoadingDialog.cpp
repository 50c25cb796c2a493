#include "ui/LoadingDialog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QTimerEvent>
#include <chrono>

#include "ui/DialogSupport.h"
#include "ui/DialogUnits.h"

namespace jf {

namespace {
constexpr char kCaption[] = "Loading Jobforge 3";
constexpr char kHeading[] = "Loading needed files...";
// Window size in dialog units.
constexpr int kWidthDu = 186;
constexpr int kHeightDu = 57;

// Prompts that run `before` ahead of every message box and file choice.
class BeforeEachBox final : public Prompts {
public:
    BeforeEachBox(Prompts& inner, std::function<void()> before)
        : inner_(inner), before_(std::move(before)) {}

    PromptAnswer show(const PromptMessage& message) override {
        before_();
        return inner_.show(message);
    }
    void status(const std::string& text) override { inner_.status(text); }
    std::optional<std::string> chooseOpenFile(const FileChoice& choice) override {
        before_();
        return inner_.chooseOpenFile(choice);
    }
    std::optional<std::string> chooseSaveFile(const FileChoice& choice) override {
        before_();
        return inner_.chooseSaveFile(choice);
    }

private:
    Prompts& inner_;
    std::function<void()> before_;
};
}  // namespace

LoadingDialog::LoadingDialog(LoadRequest& request, Work work, Prompts* boxes, QWidget* parent)
    : QDialog(parent),
      request_(request),
      work_(std::move(work)),
      ownBoxes_(this),
      shownFirst_(std::make_unique<BeforeEachBox>(boxes != nullptr ? *boxes : ownBoxes_,
                                                  [this] { showIfHidden(); })),
      bridge_(*shownFirst_, this, [this](const QString& text) { setStatus(text); }) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);

    const DialogUnits du(font());
    setFixedSize(du.size(kWidthDu, kHeightDu));
    auto* heading = new QLabel(QString::fromUtf8(kHeading), this);
    heading->setGeometry(du.rect(7, 7, 172, 8));
    // The status line starts empty until the loader writes its first text.
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setGeometry(du.rect(21, 20, 158, 8));
    cancel_ = new QPushButton(QString::fromUtf8(kCancelButtonText), this);
    cancel_->setGeometry(du.rect(67, 36, 50, 14));
    connect(cancel_, &QPushButton::clicked, this, &LoadingDialog::reject);
}

LoadingDialog::~LoadingDialog() {
    runEnded_ = true;  // a late call from the worker changes nothing now
    if (worker_.joinable()) {
        request_.cancelRequested.store(1);
        // The worker may be waiting for a message box run on this thread:
        // keep serving events until it has finished.
        while (request_.finished.load() == 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, kTimerPeriodMs);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        joinWorker();
    }
}

QString LoadingDialog::statusText() const {
    return status_->text();
}

void LoadingDialog::setStatus(const QString& text) {
    status_->setText(text);
}

void LoadingDialog::reject() {
    request_.resultCode.store(LoadResult::Cancel);
    request_.cancelRequested.store(1);
}

int LoadingDialog::execWhenSlow(int delayMs) {
    QEventLoop wait;
    hiddenWait_ = &wait;
    QTimer::singleShot(delayMs, &wait, &QEventLoop::quit);
    startWork();
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    hiddenWait_ = nullptr;
    return runEnded_ ? result() : exec();
}

void LoadingDialog::showIfHidden() {
    if (!runEnded_ && !isVisible()) {
        show();
    }
}

void LoadingDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        startWork();
    }
}

void LoadingDialog::startWork() {
    if (timerId_ != 0) {
        return;
    }
    timerId_ = startTimer(kTimerPeriodMs);
    worker_ = std::thread([this] {
        work_(request_, bridge_);
        request_.finished.store(1);
        // The window closes as soon as the loader is done, not at the next
        // timer tick. A window destroyed first drops the call with it.
        QMetaObject::invokeMethod(
            this, [this] { finishRun(); }, Qt::QueuedConnection);
    });
}

void LoadingDialog::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timerId_) {
        QDialog::timerEvent(event);
        return;
    }
    finishRun();
}

void LoadingDialog::finishRun() {
    if (runEnded_ || request_.finished.load() != 1) {
        return;
    }
    // The run ends once; the timer has nothing more to do.
    runEnded_ = true;
    killTimer(timerId_);
    joinWorker();
    done(static_cast<int>(request_.resultCode.load()));
    if (hiddenWait_ != nullptr) {
        hiddenWait_->quit();
    }
}

void LoadingDialog::joinWorker() {
    if (worker_.joinable()) {
        worker_.join();
        workerDone_ = true;
    }
}

}  // namespace jf
