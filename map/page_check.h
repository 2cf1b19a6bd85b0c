#pragma once
// A page check: fetches one address and reports whether the final answer, after redirects, had
// a 2xx status. It stands for the hidden checker browsers: nothing of the page is read.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
#include <QNetworkReply>

namespace korvane {

class PageCheck : public QObject {
    Q_OBJECT
public:
    PageCheck(QNetworkAccessManager& network, const QString& userAgent, QObject* parent = nullptr);
    ~PageCheck() override;

    // Starts a check; a check still running is abandoned. An empty or invalid address fails
    // on the next pass of the event loop. A check that has no status within timeoutMs fails,
    // however slowly the server keeps sending; the body is never kept (at most kBodyMax bytes
    // are buffered before the check ends on the status).
    void Navigate(const QString& address);
    bool Running() const { return reply_ != nullptr; }
    int timeoutMs = 10000;
    static constexpr qint64 kBodyMax = 64 * 1024;

signals:
    // success: a 2xx answer; status: the final HTTP status, or 0 without an answer.
    void navigationCompleted(bool success, int status);

private:
    void Finished();
    void BodyArrived();
    void DeadlinePassed();
    void Report(bool success, int status, const QString& failure, const QUrl& url);

    QNetworkAccessManager& network_;
    QString userAgent_;
    QPointer<QNetworkReply> reply_;
    QString lastFailure_;
    QTimer deadline_;
};

} // namespace korvane
