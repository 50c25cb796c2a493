// One QApplication for the whole test binary, on the offscreen platform
// unless another one is asked for.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

class QtApplicationEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        application_ = new QApplication(argc_, argv_);
        QApplication::setApplicationName(QStringLiteral("Jobforge 3"));
    }
    void TearDown() override {
        delete application_;
        application_ = nullptr;
    }

private:
    static inline char name_[] = "test_ui";
    static inline char* argv_[] = {name_, nullptr};
    static inline int argc_ = 1;
    QApplication* application_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace
