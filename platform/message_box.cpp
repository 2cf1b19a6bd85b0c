#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace korvane {
namespace {
MessageSink* g_sink = nullptr;

QMessageBox::Icon ToQtIcon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Warning: return QMessageBox::Warning;
    case BoxIcon::Error: return QMessageBox::Critical;
    case BoxIcon::Question: return QMessageBox::Question;
    case BoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void SetMessageSink(MessageSink* sink) { g_sink = sink; }
MessageSink* CurrentMessageSink() { return g_sink; }

int ShowMessageBox(const QString& caption, const QString& text, BoxIcon icon, BoxButtons buttons)
{
    if (g_sink)
        return g_sink->Show(caption, text, icon, buttons);
    QMessageBox box(ToQtIcon(icon), caption, text);
    switch (buttons) {
    case BoxButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case BoxButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case BoxButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return kResultOk;
    case QMessageBox::Yes: return kResultYes;
    case QMessageBox::No: return kResultNo;
    default: return kResultCancel;
    }
}

QString ErrorNumberText(int code)
{
    return QStringLiteral("ERROR 0x%1").arg(code, 4, 16, QLatin1Char('0')).toUpper().replace(QStringLiteral("ERROR 0X"), QStringLiteral("ERROR 0x"));
}

void ShowErrorNumber(int code)
{
    ShowMessageBox(QStringLiteral("GoogleMap"), ErrorNumberText(code), BoxIcon::Error);
}

} // namespace korvane
