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
//
// execWhenSlow() runs the same load but shows the window only when the load
// takes a while or a message box is due, so that a quick load opens no window.

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <thread>

#include "platform/Prompts.h"
#include "startup/Loader.h"
#include "ui/GuiThreadPrompts.h"
#include "ui/QtPrompts.h"

class QEventLoop;
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
    // How long execWhenSlow waits before it shows the window.
    static constexpr int kShowWhenSlowMs = 300;

    // `request` must outlive the dialog. `boxes` answers the worker's message
    // boxes and file choices on the interface thread; nullptr means real
    // message boxes owned by this window.
    LoadingDialog(LoadRequest& request, Work work, Prompts* boxes = nullptr,
                  QWidget* parent = nullptr);
    // Waits for a worker still running (answering its prompts meanwhile).
    ~LoadingDialog() override;

    // Starts the work at once, hidden, and shows the window (exec()) only
    // when the work has not finished after `delayMs` or when a message box or
    // file choice is due (the window is shown first and owns it). Until then
    // user input waits (it is handled once the window is up or the load has
    // ended), so nothing can be done in another window during the load.
    // Returns what exec() returns; a load that ended unseen gives the same
    // result value.
    int execWhenSlow(int delayMs = kShowWhenSlowMs);

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
    // Starts the timer and the worker (once).
    void startWork();
    // Shows the window unless it is up or the run has ended.
    void showIfHidden();
    void joinWorker();
    // Ends the modal run once the loader has finished (at most once).
    void finishRun();

    LoadRequest& request_;
    Work work_;
    QtPrompts ownBoxes_;
    // The worker's prompts: the window is shown before each box.
    std::unique_ptr<Prompts> shownFirst_;
    GuiThreadPrompts bridge_;
    QLabel* status_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int timerId_ = 0;
    bool runEnded_ = false;
    // The hidden wait of execWhenSlow, while it runs.
    QEventLoop* hiddenWait_ = nullptr;
    std::thread worker_;
    bool workerDone_ = false;
};

}  // namespace jf
