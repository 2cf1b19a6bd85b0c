#include "map/page_check.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include "map/map_log.h"

namespace korvane {

PageCheck::PageCheck(QNetworkAccessManager& network, const QString& userAgent, QObject* parent)
    : QObject(parent), network_(network), userAgent_(userAgent)
{
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, &PageCheck::DeadlinePassed);
}

PageCheck::~PageCheck()
{
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
}

void PageCheck::Navigate(const QString& address)
{
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
        reply_ = nullptr;
    }
    deadline_.stop();
    const QUrl url(address);
    if (address.isEmpty() || !url.isValid() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        QTimer::singleShot(0, this, [this] { emit navigationCompleted(false, 0); });
        return;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent_);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(timeoutMs);
    reply_ = network_.get(request);
    // Nothing of the page is kept: the answer's status is all a check needs.
    reply_->setReadBufferSize(kBodyMax);
    connect(reply_, &QNetworkReply::finished, this, &PageCheck::Finished);
    connect(reply_, &QNetworkReply::readyRead, this, &PageCheck::BodyArrived);
    // The transfer timeout only ends a silent server; one that trickles ends at the deadline.
    deadline_.start(timeoutMs);
}

void PageCheck::BodyArrived()
{
    // The first bytes of the final answer's body: its status is known, the rest is not needed.
    QNetworkReply* reply = reply_;
    if (!reply)
        return;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return;
    reply_ = nullptr;
    deadline_.stop();
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    const int code = status.toInt();
    Report(code >= 200 && code < 300, code, QStringLiteral("HTTP status %1").arg(code), reply->url());
}

void PageCheck::DeadlinePassed()
{
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    if (!reply)
        return;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    Report(false, 0, QStringLiteral("no whole answer within %1 ms").arg(timeoutMs), reply->url());
}

void PageCheck::Report(bool success, int status, const QString& failure, const QUrl& url)
{
    // A check repeated while offline fails the same way every time: said once.
    const QString outcome = success ? QString() : failure;
    if (!success && outcome != lastFailure_)
        qCInfo(lcMap) << "page check failed:" << url << status << outcome;
    lastFailure_ = outcome;
    emit navigationCompleted(success, status);
}

void PageCheck::Finished()
{
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    if (!reply)
        return;
    deadline_.stop();
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool success = reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
    Report(success, status, reply->errorString(), reply->url());
}

} // namespace korvane
