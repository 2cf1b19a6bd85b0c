#pragma once
// A page check: fetches one address and reports whether the final answer, after redirects, had
// a 2xx status. It stands for the hidden checker browsers: nothing of the page is read.
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
#include <QNetworkReply>

namespace korvane {

class PageCheck : public QObject {
    Q_OBJECT
public:
    PageCheck(QNetworkAccessManager& network, const QString& userAgent, QObject* parent = nullptr);
    ~PageCheck() override;

    // Starts a check; a check still running is abandoned. An empty or invalid address fails
    // on the next pass of the event loop. A server that does not answer fails after timeoutMs.
    void Navigate(const QString& address);
    bool Running() const { return reply_ != nullptr; }
    int timeoutMs = 10000;

signals:
    // success: a 2xx answer; status: the final HTTP status, or 0 without an answer.
    void navigationCompleted(bool success, int status);

private:
    void Finished();

    QNetworkAccessManager& network_;
    QString userAgent_;
    QPointer<QNetworkReply> reply_;
    QString lastFailure_;
};

} // namespace korvane
