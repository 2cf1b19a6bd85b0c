#pragma once
// What the small modal dialogs share: a fixed client size, the silver background, "Meiryo UI"
// labels and buttons, modal results as the program compares them (OK 1, Cancel 2, No 7), and
// the widening that keeps a long text whole.
#include <QDialog>
#include <QRect>
#include <vector>

class QFrame;
class QLabel;
class QPushButton;

namespace korvane {

inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrNo = 7;

inline constexpr int LabelFontSize = 11;
inline constexpr int ButtonFontSize = 12;

// The colour of inactive title-bar gradients that the dialogs' message labels sit on.
QColor InformationBackground();
QFont DialogFont(int pointSize);

class KorvaneDialog : public QDialog {
    Q_OBJECT
public:
    // A dialog of `width` x `height` client pixels with a fixed frame and a close box.
    KorvaneDialog(QWidget* parent, const char* name, int width, int height);

    // The close box and Esc give Cancel, as a dialog's own close does.
    void reject() override { done(mrCancel); }

    // Widens the dialog from its designed size when a text of a fitted label would not fit,
    // keeping everything centred; back to the designed size when all texts fit. ShowCentered
    // calls it before placing the dialog.
    void FitTexts();

protected:
    void SetSilver();
    QLabel* AddLabel(QWidget* parent, const char* name, const QRect& r, int pointSize, bool centred);
    QPushButton* AddButton(const char* name, const QRect& r, const QString& text, int modalResult,
                           int pointSize = ButtonFontSize);
    QFrame* AddWhitePanel(const char* name, const QRect& r, bool loweredBevel);
    // A label whose text must stay whole: the dialog grows to its text's width.
    void FitLabel(QLabel* label) { fitted_.push_back(label); }
    // Records the finished layout as the designed one.
    void KeepDesign();

private:
    struct Placed {
        QWidget* widget;
        QRect rect;
    };
    std::vector<QLabel*> fitted_;
    std::vector<Placed> design_;
    QSize designSize_;
};

} // namespace korvane
