#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>

namespace ts::testing {

// Acts on a modal dialog of type D once it is open, as a user would. It
// looks on a timer of its own: declared after what the action refers to, it
// is gone before they are, so nothing of it outlives the test, even when the
// dialog never opens. It acts once; `again` waits for the next dialog.
template <class D = QDialog>
class WhenModalOpens {
public:
    explicit WhenModalOpens(std::function<void(D&)> act) : act_(std::move(act)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
            if (!dialog) return;
            timer_.stop();
            ++times_;
            act_(*dialog);
        });
        again();
    }
    WhenModalOpens(const WhenModalOpens&) = delete;
    WhenModalOpens& operator=(const WhenModalOpens&) = delete;

    void again() { timer_.start(0); }
    // How many dialogs it has acted on.
    int times() const { return times_; }

private:
    std::function<void(D&)> act_;
    QTimer timer_;
    int times_ = 0;
};

}  // namespace ts::testing
