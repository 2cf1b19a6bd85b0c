#pragma once
// Every message box of the program goes through ShowMessageBox, so that tests can install a
// sink that records the texts instead of blocking on a modal box.
#include <QString>

namespace korvane {

enum class BoxIcon { None, Information, Warning, Error, Question };
enum class BoxButtons { Ok, OkCancel, YesNo };

// Modal results as the program compares them.
constexpr int kResultOk = 1;
constexpr int kResultCancel = 2;
constexpr int kResultYes = 6;
constexpr int kResultNo = 7;

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual int Show(const QString& caption, const QString& text, BoxIcon icon, BoxButtons buttons) = 0;
};

// Installs a sink (nullptr restores the real modal boxes). Not owned.
void SetMessageSink(MessageSink* sink);
MessageSink* CurrentMessageSink();

// Shows a box without owner and returns the modal result.
int ShowMessageBox(const QString& caption, const QString& text, BoxIcon icon = BoxIcon::None,
                   BoxButtons buttons = BoxButtons::Ok);

// "ERROR 0x%04X" with the caption "GoogleMap" and the error icon: the playback machinery's
// and the thumbnail tool's error box.
void ShowErrorNumber(int code);
QString ErrorNumberText(int code);

} // namespace korvane
