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
    connect(reply_, &QNetworkReply::finished, this, &PageCheck::Finished);
}

void PageCheck::Finished()
{
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    if (!reply)
        return;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool success = reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
    // A check repeated while offline fails the same way every time: said once.
    const QString outcome = success ? QString() : reply->errorString();
    if (!success && outcome != lastFailure_)
        qCInfo(lcMap) << "page check failed:" << reply->url() << status << outcome;
    lastFailure_ = outcome;
    emit navigationCompleted(success, status);
}

} // namespace korvane
