#include "ui/SpinButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "careers/NumericField.h"

namespace jf {

namespace {

// Auto-repeat of a held arrow, in milliseconds.
constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 60;

}  // namespace

SpinButton::SpinButton(QLineEdit* buddy, int width)
    : QWidget(buddy->parentWidget()), buddy_(buddy) {
    const QRect area = buddy_->geometry();
    const int buddyWidth = std::max(1, area.width() - width);
    buddy_->setGeometry(area.x(), area.y(), buddyWidth, area.height());
    setGeometry(area.x() + buddyWidth, area.y(), area.width() - buddyWidth, area.height());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto makeArrow = [this, layout](Qt::ArrowType arrow, int direction) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setAutoRepeatDelay(kRepeatDelayMs);
        button->setAutoRepeatInterval(kRepeatIntervalMs);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        button->installEventFilter(this);
        // `pressed` comes once at the press and once per repeat, never at
        // the release.
        connect(button, &QToolButton::pressed, this,
                [this, direction] { stepBy(direction, currentStep()); });
        layout->addWidget(button, 1);
        return button;
    };
    up_ = makeArrow(Qt::UpArrow, 1);
    down_ = makeArrow(Qt::DownArrow, -1);
    buddy_->installEventFilter(this);
}

void SpinButton::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, minimum_, maximum_);
}

void SpinButton::setAcceleration(int afterMs, int step) {
    accelerationMs_ = afterMs;
    acceleratedStep_ = step;
}

int SpinButton::currentStep() const {
    if (accelerationMs_ >= 0 && held_.isValid() && held_.elapsed() >= accelerationMs_) {
        return acceleratedStep_;
    }
    return 1;
}

void SpinButton::stepBy(int direction, int amount) {
    const std::optional<std::int64_t> typed =
        parseNumericField(buddy_->text().toStdString(), NumericKind::Integer);
    std::int64_t start = typed ? *typed : position_;
    start = std::clamp<std::int64_t>(start, minimum_, maximum_);
    const std::int64_t moved = start + (direction > 0 ? amount : -amount);
    position_ = static_cast<int>(std::clamp<std::int64_t>(moved, minimum_, maximum_));
    const QString text = QString::number(position_);
    if (buddy_->text() != text) {
        buddy_->setText(text);
    }
}

bool SpinButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            stepBy(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    } else if (watched == up_ || watched == down_) {
        if (event->type() == QEvent::MouseButtonPress) {
            held_.start();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            held_.invalidate();
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace jf
