#include "ui/LoadingDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "UiTestHelpers.h"
#include "support/ScriptedPrompts.h"

namespace jf {
namespace {

using test::ScriptedPrompts;
using test::waitUntil;

// Waits on the worker thread until the flag is set (or a long time passed).
void waitForFlag(const std::atomic<int>& flag) {
    for (int i = 0; i < 20000 && flag.load() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

QPushButton* cancelButton(LoadingDialog& dialog) {
    return dialog.findChild<QPushButton*>();
}

TEST(LoadingDialogTest, LayoutTexts) {
    LoadRequest request;
    ScriptedPrompts prompts;
    LoadingDialog dialog(
        request, [](LoadRequest&, Prompts&) {}, &prompts);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Loading Jobforge 3"));
    QStringList labels;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        labels << label->text();
    }
    EXPECT_TRUE(labels.contains(QStringLiteral("Loading needed files...")));
    EXPECT_EQ(dialog.statusText(), QString());
    ASSERT_NE(cancelButton(dialog), nullptr);
    EXPECT_EQ(cancelButton(dialog)->text(), QStringLiteral("Cancel"));
    EXPECT_FALSE(dialog.workerStarted());
}

TEST(LoadingDialogTest, StatusTextsAndACompleteLoad) {
    LoadRequest request;
    ScriptedPrompts prompts;
    std::atomic<int> go{0};
    LoadingDialog dialog(
        request,
        [&](LoadRequest&, Prompts& p) {
            p.status("CarPortal.iff");
            p.status("Work.iff");
            waitForFlag(go);
            p.status("Loading Bitmaps...");
        },
        &prompts);
    dialog.show();
    ASSERT_TRUE(waitUntil([&] { return dialog.statusText() == QStringLiteral("Work.iff"); }));
    EXPECT_TRUE(dialog.isVisible());
    go = 1;
    ASSERT_TRUE(waitUntil([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), static_cast<int>(LoadResult::Ok));
    EXPECT_EQ(request.finished.load(), 1);
    EXPECT_EQ(request.cancelRequested.load(), 0);
    const std::vector<std::string> expected = {"CarPortal.iff", "Work.iff", "Loading Bitmaps..."};
    EXPECT_EQ(prompts.statuses, expected);
}

TEST(LoadingDialogTest, WorkerMessageBoxesRunOnTheInterfaceThread) {
    LoadRequest request;
    ScriptedPrompts prompts;
    prompts.answers = {PromptAnswer::Yes};
    std::atomic<bool> onInterfaceThread{false};
    prompts.onShow = [&](const PromptMessage&) {
        onInterfaceThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    };
    PromptAnswer seen = PromptAnswer::Cancel;
    LoadingDialog dialog(
        request,
        [&](LoadRequest&, Prompts& p) {
            seen = p.show({"Question?", "Jobforge 3", PromptButtons::YesNo, PromptIcon::Question});
        },
        &prompts);
    dialog.show();
    ASSERT_TRUE(waitUntil([&] { return !dialog.isVisible(); }));
    EXPECT_TRUE(onInterfaceThread);
    EXPECT_EQ(seen, PromptAnswer::Yes);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Question?");
}

// Counts the times a window is shown.
struct ShowCounter final : QObject {
    int shows = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        shows += event->type() == QEvent::Show ? 1 : 0;
        return false;
    }
};

// execWhenSlow: a quick load opens no window; a box, or a load that takes
// longer than the delay, finds the window up.
TEST(LoadingDialogTest, ShownOnlyWhenSlowOrWhenABoxIsDue) {
    constexpr int kLongDelayMs = 20000;
    ScriptedPrompts prompts;
    prompts.answers = {PromptAnswer::Ok};
    bool visibleAtBox = false;
    LoadingDialog* current = nullptr;
    prompts.onShow = [&](const PromptMessage&) { visibleAtBox = current->isVisible(); };
    for (const bool withBox : {false, true}) {
        LoadRequest request;
        LoadingDialog dialog(
            request,
            [withBox](LoadRequest&, Prompts& p) {
                p.status("Work.iff");
                if (withBox) {
                    p.show(warningMessage("Cannot load the CarPortal.iff file!"));
                }
            },
            &prompts);
        current = &dialog;
        ShowCounter counter;
        dialog.installEventFilter(&counter);
        EXPECT_EQ(dialog.execWhenSlow(kLongDelayMs), static_cast<int>(LoadResult::Ok));
        EXPECT_EQ(request.finished.load(), 1);
        EXPECT_EQ(counter.shows, withBox ? 1 : 0);
        EXPECT_EQ(visibleAtBox, withBox);
        EXPECT_FALSE(dialog.isVisible());
    }

    LoadRequest request;
    std::atomic<int> go{0};
    LoadingDialog slow(
        request, [&](LoadRequest&, Prompts&) { waitForFlag(go); }, &prompts);
    bool visibleWhileSlow = false;
    QTimer::singleShot(50, &slow, [&] {
        visibleWhileSlow = slow.isVisible();
        go = 1;
    });
    EXPECT_EQ(slow.execWhenSlow(1), static_cast<int>(LoadResult::Ok));
    EXPECT_TRUE(visibleWhileSlow);
}

TEST(LoadingDialogTest, CancelOnlySetsTheFlagsUntilTheLoaderHasFinished) {
    LoadRequest request;
    ScriptedPrompts prompts;
    std::atomic<int> sawCancel{0};
    LoadingDialog dialog(
        request,
        [&](LoadRequest& r, Prompts&) {
            waitForFlag(r.cancelRequested);
            sawCancel = r.cancelRequested.load();
            // A step in progress still completes before the loader stops.
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        },
        &prompts);
    dialog.show();
    ASSERT_TRUE(waitUntil([&] { return dialog.workerStarted(); }));
    QTest::mouseClick(cancelButton(dialog), Qt::LeftButton);
    EXPECT_EQ(request.cancelRequested.load(), 1);
    EXPECT_EQ(request.resultCode.load(), LoadResult::Cancel);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_TRUE(waitUntil([&] { return sawCancel.load() == 1; }));
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_TRUE(waitUntil([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), static_cast<int>(LoadResult::Cancel));
}

TEST(LoadingDialogTest, EscapeAndTheCloseBoxAreCancel) {
    LoadRequest request;
    ScriptedPrompts prompts;
    std::atomic<int> release{0};
    LoadingDialog dialog(
        request, [&](LoadRequest&, Prompts&) { waitForFlag(release); }, &prompts);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(request.cancelRequested.load(), 1);
    EXPECT_EQ(request.resultCode.load(), LoadResult::Cancel);
    EXPECT_TRUE(dialog.isVisible());

    request.cancelRequested = 0;
    EXPECT_FALSE(dialog.close());
    EXPECT_EQ(request.cancelRequested.load(), 1);
    EXPECT_TRUE(dialog.isVisible());

    release = 1;
    ASSERT_TRUE(waitUntil([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), static_cast<int>(LoadResult::Cancel));
}

TEST(LoadingDialogTest, CancelWhileAMessageBoxIsOpen) {
    LoadRequest request;
    ScriptedPrompts prompts;
    LoadingDialog* shownDialog = nullptr;
    prompts.onShow = [&](const PromptMessage&) { shownDialog->reject(); };
    bool stoppedAtCheckPoint = false;
    LoadingDialog dialog(
        request,
        [&](LoadRequest& r, Prompts& p) {
            p.show(warningMessage("Cannot load the CarPortal.iff file!"));
            stoppedAtCheckPoint = r.cancelRequested.load() == 1;
        },
        &prompts);
    shownDialog = &dialog;
    dialog.show();
    ASSERT_TRUE(waitUntil([&] { return !dialog.isVisible(); }));
    EXPECT_TRUE(stoppedAtCheckPoint);
    EXPECT_EQ(dialog.result(), static_cast<int>(LoadResult::Cancel));
}

TEST(LoadingDialogTest, AFatalErrorEndsWithCancel) {
    LoadRequest request;
    ScriptedPrompts prompts;
    LoadingDialog dialog(
        request,
        [&](LoadRequest& r, Prompts& p) {
            p.show(errorMessage("Invalid Careers file!"));
            r.resultCode = LoadResult::Cancel;
        },
        &prompts);
    dialog.show();
    ASSERT_TRUE(waitUntil([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), static_cast<int>(LoadResult::Cancel));
    EXPECT_EQ(request.cancelRequested.load(), 0);
}

TEST(LoadingDialogTest, DestroyingTheWindowWaitsForTheWorker) {
    LoadRequest request;
    ScriptedPrompts prompts;
    std::atomic<int> workerDone{0};
    {
        LoadingDialog dialog(
            request,
            [&](LoadRequest& r, Prompts& p) {
                waitForFlag(r.cancelRequested);
                p.show(warningMessage("late box"));
                workerDone = 1;
            },
            &prompts);
        dialog.show();
        ASSERT_TRUE(waitUntil([&] { return dialog.workerStarted(); }));
    }
    EXPECT_EQ(workerDone.load(), 1);
    EXPECT_EQ(request.finished.load(), 1);
}

}  // namespace
}  // namespace jf
