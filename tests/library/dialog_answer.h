#pragma once
// Answers the next modal file dialog of a test: picks a file, or cancels when it is empty.
#include <QApplication>
#include <QFileDialog>
#include <QObject>
#include <QStringList>
#include <QTimer>

namespace korvane::test {

class DialogAnswer : public QObject {
public:
    explicit DialogAnswer(const QString& file) : file_(file)
    {
        timer_.setInterval(20);
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!d)
                return;
            timer_.stop();
            filters = d->nameFilters();
            if (file_.isEmpty()) {
                d->reject();
            } else {
                d->selectFile(file_);
                static_cast<QDialog*>(d)->done(QDialog::Accepted);
            }
        });
        timer_.start();
    }
    QStringList filters;

private:
    QString file_;
    QTimer timer_;
};

} // namespace korvane::test
