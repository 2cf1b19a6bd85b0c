#include "app/termination_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace korvane {
namespace {
int g_pipe[2] = {-1, -1};

void OnSignal(int signo)
{
    const int saved = errno;
    const char byte = static_cast<char>(signo);
    if (g_pipe[1] >= 0)
        [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}
} // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal))
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Received(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
}

void TerminationSignals::Received()
{
    char buffer[16];
    while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    if (handled_)
        return;
    handled_ = true;
    if (onSignal_)
        onSignal_();
}

void QuitWithoutConfirmation(const std::function<void()>& closeChannels)
{
    if (closeChannels)
        closeChannels();
    // Leaves every event loop, a dialog's too, so no box holds the shut-down.
    QCoreApplication::exit(0);
}

} // namespace korvane
