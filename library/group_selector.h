#pragma once
// The two group selectors under the grids, btnNormal and btnEvent. Each holds a lit picture, a
// grey picture over it while the group is not shown, and the group's word over both. A click on
// a grey picture selects its group at any time; a click on a word only while the viewer is idle.
// The pictures are the skin's own; the window layout places every part by its name.
#include <QLabel>
#include <QWidget>

namespace korvane {

class SelectorPicture : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();
protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class GroupSelectors : public QObject {
    Q_OBJECT
public:
    explicit GroupSelectors(QWidget* parent);

    // Redraws the pictures at the sizes the window layout gave them.
    void Repaint();
    // Shows group 1 (Normal) or 0 (Event) as the selected one; -1 only paints both black.
    void Show(int group);
    void SetWords(const QString& normal, const QString& event);

    QWidget* btnNormal;
    QWidget* btnEvent;
    SelectorPicture* imgNormal;
    SelectorPicture* imgNormalGray;
    SelectorPicture* imgEvent;
    SelectorPicture* imgEventGray;
    SelectorPicture* plWordNormal;
    SelectorPicture* plWordEvent;

signals:
    void pictureClicked(int group);   // imgNormalGrayClick / imgEventGrayClick
    void wordClicked(int group);      // plWordNormalClick / plWordEventClick

private:
    void Paint(SelectorPicture* picture);
};

} // namespace korvane
