#include "library/group_selector.h"

#include <QMouseEvent>
#include <QPainter>

namespace korvane {

void SelectorPicture::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

GroupSelectors::GroupSelectors(QWidget* parent) : QObject(parent)
{
    auto makeButton = [parent](const char* name) {
        auto* button = new QWidget(parent);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoFillBackground(true);
        QPalette pal = button->palette();
        pal.setColor(QPalette::Window, Qt::black);
        button->setPalette(pal);
        return button;
    };
    btnNormal = makeButton("btnNormal");
    btnEvent = makeButton("btnEvent");
    imgNormal = new SelectorPicture(btnNormal);
    imgNormalGray = new SelectorPicture(btnNormal);
    imgEvent = new SelectorPicture(btnEvent);
    imgEventGray = new SelectorPicture(btnEvent);
    plWordNormal = new SelectorPicture(btnNormal);
    plWordEvent = new SelectorPicture(btnEvent);
    plWordNormal->setObjectName(QStringLiteral("plWordNormal"));
    plWordEvent->setObjectName(QStringLiteral("plWordEvent"));
    for (SelectorPicture* word : {plWordNormal, plWordEvent}) {
        word->setAlignment(Qt::AlignCenter);
        word->setFont(QFont(QStringLiteral("Meiryo UI"), 12));
        QPalette pal = word->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        word->setPalette(pal);
    }
    SetWords(QStringLiteral("Normal"), QStringLiteral("Event"));
    connect(imgNormalGray, &SelectorPicture::clicked, this, [this] { emit pictureClicked(1); });
    connect(imgEventGray, &SelectorPicture::clicked, this, [this] { emit pictureClicked(0); });
    connect(plWordNormal, &SelectorPicture::clicked, this, [this] { emit wordClicked(1); });
    connect(plWordEvent, &SelectorPicture::clicked, this, [this] { emit wordClicked(0); });
    Show(1);
}

void GroupSelectors::SetWords(const QString& normal, const QString& event)
{
    plWordNormal->setText(normal);
    plWordEvent->setText(event);
}

void GroupSelectors::Paint(SelectorPicture* picture, bool lit)
{
    QPixmap pixmap(picture->size());
    pixmap.fill(Qt::black);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(lit ? QColor(0, 160, 212) : QColor(74, 74, 74));
    const qreal radius = picture->height() / 2.0;
    p.drawRoundedRect(QRectF(picture->rect()).adjusted(1, 1, -1, -1), radius, radius);
    p.end();
    picture->setPixmap(pixmap);
}

void GroupSelectors::PlaceIn(QWidget* button, const QRect& r, SelectorPicture* lit, SelectorPicture* gray,
                             SelectorPicture* word)
{
    button->setGeometry(r);
    // The pictures fill their selector; the word lies over them, centred.
    for (SelectorPicture* picture : {lit, gray}) {
        picture->setGeometry(0, 0, r.width(), r.height());
        Paint(picture, picture == lit);
    }
    const int wordHeight = word->sizeHint().height();
    word->setGeometry(0, (r.height() - wordHeight) / 2, r.width(), wordHeight);
    word->raise();
}

void GroupSelectors::Place(const QRect& event, const QRect& normal)
{
    PlaceIn(btnEvent, event, imgEvent, imgEventGray, plWordEvent);
    PlaceIn(btnNormal, normal, imgNormal, imgNormalGray, plWordNormal);
}

void GroupSelectors::Show(int group)
{
    if (group == 1) {
        imgEventGray->show();
        imgNormalGray->hide();
        imgNormal->show();
    } else if (group == 0) {
        imgEventGray->hide();
        imgNormalGray->show();
        imgNormal->hide();
    }
    plWordNormal->raise();
    plWordEvent->raise();
}

} // namespace korvane
