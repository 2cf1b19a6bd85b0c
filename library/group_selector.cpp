#include "library/group_selector.h"

#include <QMouseEvent>

#include "ui/skin_pictures.h"

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
    imgNormal->setObjectName(QStringLiteral("imgNormal"));
    imgNormalGray->setObjectName(QStringLiteral("imgNormalGray"));
    imgEvent->setObjectName(QStringLiteral("imgEvent"));
    imgEventGray->setObjectName(QStringLiteral("imgEventGray"));
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

void GroupSelectors::Paint(SelectorPicture* picture)
{
    picture->setPixmap(RenderSkinPicture(picture->objectName(), picture->size(), picture->devicePixelRatioF()));
}

void GroupSelectors::Repaint()
{
    for (SelectorPicture* picture : {imgNormal, imgNormalGray, imgEvent, imgEventGray})
        Paint(picture);
    plWordNormal->raise();
    plWordEvent->raise();
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
