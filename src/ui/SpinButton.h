#pragma once
// A spin button attached to a free-text edit field: it sits at the field's
// right edge (the field gives up that width), steps the number the field
// holds up or down within its own range, and writes the new position into
// the field as a plain integer without thousands separators. The Up and
// Down keys in the field step it too. What may be typed is the field's own
// affair (its validator), and what counts as valid is the dialog's check,
// whose range may differ from the spin range.
//
// A step starts from the number in the field, brought into the spin range;
// when the field holds no number it starts from the last position.

#include <QElapsedTimer>
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace jf {

class SpinButton final : public QWidget {
    Q_OBJECT

public:
    // Attaches to `buddy`, whose geometry must already be set; `width` in
    // pixels. The button becomes a sibling of the buddy.
    SpinButton(QLineEdit* buddy, int width);

    void setRange(int minimum, int maximum);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    // The last position written or read.
    int position() const { return position_; }

    // While an arrow is held longer than `afterMs`, each step moves by
    // `step` instead of 1.
    void setAcceleration(int afterMs, int step);

    // One step up (direction > 0) or down by `amount`, as an arrow does.
    void stepBy(int direction, int amount = 1);

    QLineEdit* buddy() const { return buddy_; }
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The step of an arrow press now, from how long the arrow is held.
    int currentStep() const;

    QLineEdit* buddy_;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    int accelerationMs_ = -1;
    int acceleratedStep_ = 1;
    QElapsedTimer held_;
};

}  // namespace jf
