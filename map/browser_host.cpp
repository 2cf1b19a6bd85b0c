#include "map/browser_host.h"

#include <QEvent>
#include <QWebEngineView>
#include <QWindow>

namespace korvane {

BrowserHost::BrowserHost(QWebEngineView* view, QWidget* parent) : QWidget(parent), view_(view)
{
    setAttribute(Qt::WA_NativeWindow);
    // The browser window is the only thing drawn here.
    setAttribute(Qt::WA_NoSystemBackground);
    view_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    view_->setAttribute(Qt::WA_ShowWithoutActivating);
}

BrowserHost::~BrowserHost()
{
    view_->setProperty(kBrowserClosingProperty, true);
    delete view_;
}

void BrowserHost::Attach()
{
    QWindow* own = windowHandle();
    if (!own) {
        (void)winId();
        own = windowHandle();
    }
    if (!view_->windowHandle())
        (void)view_->winId();
    QWindow* browser = view_->windowHandle();
    if (own && browser && browser->parent() != own)
        browser->setParent(own);
    view_->setGeometry(QRect(QPoint(0, 0), size()));
}

bool BrowserHost::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
        Attach();
        view_->show();
        break;
    case QEvent::Hide:
        view_->hide();
        break;
    case QEvent::Resize:
    case QEvent::WinIdChange:
        if (view_->windowHandle() || isVisible())
            Attach();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

} // namespace korvane
