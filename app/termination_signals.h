#pragma once
// SIGTERM and SIGINT for the viewer: the signal handler only writes to a pipe; the GUI thread
// reads it through a socket notifier and runs the shut-down that a confirmed close runs
// (no question asked): kernels ended, the control block unlinked, the working folder purged.
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace korvane {

class TerminationSignals : public QObject {
public:
    // Installs the handlers; `onSignal` runs on the GUI thread, once, at the first signal.
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    void Received();

    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
    bool handled_ = false;
};

// What the viewer does on such a signal: closes its channels and leaves the event loop, so
// that the normal shut-down after it ends the kernels and purges the working folder.
void QuitWithoutConfirmation(const std::function<void()>& closeChannels);

} // namespace korvane
