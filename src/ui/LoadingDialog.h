#pragma once
// The small modal progress window of the loading sequence.
//
// When shown it starts a repeating 100 ms timer and one worker thread that
// runs the load work with the LoadRequest. The worker's status texts appear
// in the status line; its message boxes are shown on the interface thread,
// owned by this window, while the worker waits for the answer. Cancel (the
// button, Escape or the close box) only sets resultCode to LoadResult::Cancel
// and cancelRequested to 1: the window stays up until the work has set
// `finished`, and the timer then ends the modal run with resultCode's value
// (LoadResult::Ok or LoadResult::Cancel as an int).

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <thread>

#include "platform/Prompts.h"
#include "startup/Loader.h"
#include "ui/GuiThreadPrompts.h"
#include "ui/QtPrompts.h"

class QLabel;
class QPushButton;

namespace jf {

class LoadingDialog final : public QDialog {
    Q_OBJECT

public:
    // The work run on the worker thread; it must set request.finished last
    // (runLoader does; the dialog sets it too once the work has returned).
    using Work = std::function<void(LoadRequest&, Prompts&)>;

    static constexpr int kTimerPeriodMs = 100;

    // `request` must outlive the dialog. `boxes` answers the worker's message
    // boxes and file choices on the interface thread; nullptr means real
    // message boxes owned by this window.
    LoadingDialog(LoadRequest& request, Work work, Prompts* boxes = nullptr,
                  QWidget* parent = nullptr);
    // Waits for a worker still running (answering its prompts meanwhile).
    ~LoadingDialog() override;

    QString statusText() const;
    bool workerStarted() const { return worker_.joinable() || workerDone_; }

public slots:
    // Cancel: sets the two flags and nothing else.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void setStatus(const QString& text);
    void joinWorker();
    // Ends the modal run once the loader has finished (at most once).
    void finishRun();

    LoadRequest& request_;
    Work work_;
    QtPrompts ownBoxes_;
    GuiThreadPrompts bridge_;
    QLabel* status_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int timerId_ = 0;
    bool runEnded_ = false;
    std::thread worker_;
    bool workerDone_ = false;
};

}  // namespace jf
