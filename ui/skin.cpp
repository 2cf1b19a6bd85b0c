#include "ui/skin.h"

namespace korvane {

QSize StartupWindowSize(double scale)
{
    return QSize(static_cast<int>(1100 * scale), static_cast<int>(700 * scale));
}

QPoint CentredOnScreen(const QSize& screen, const QSize& window)
{
    return QPoint(static_cast<int>((screen.width() - window.width()) * 0.5),
                  static_cast<int>((screen.height() - window.height()) * 0.5));
}

const std::vector<PanelColour>& SkinColours()
{
    static const std::vector<PanelColour> colours = [] {
        std::vector<PanelColour> c;
        const QColor grey(93, 93, 93);
        for (const char* name : {"frmMain", "plCurve", "plVCRControl"})
            c.push_back({QString::fromLatin1(name), grey});
        for (const char* name : {"plVCRBackGround", "plInformation", "plVCR1", "plVCR2", "plFileControl_Normal",
                                 "plFileControl_Event", "gpMP4File_Normal", "gpMP4File_Event", "plFile",
                                 "tbVCR_Back", "plRoute", "btnEvent", "btnNormal"})
            c.push_back({QString::fromLatin1(name), QColor(0, 0, 0)});
        c.push_back({QStringLiteral("plTime"), QColor(160, 160, 164)});
        c.push_back({QStringLiteral("tbVCR_Front"), QColor(0, 160, 212)});
        // File-bar tracks until a folder is opened.
        c.push_back({QStringLiteral("tbFile_Back_Normal"), QColor(74, 74, 74)});
        c.push_back({QStringLiteral("tbFile_Back_Event"), QColor(74, 74, 74)});
        return c;
    }();
    return colours;
}

const std::vector<FontSpec>& SkinFonts()
{
    static const std::vector<FontSpec> fonts = [] {
        const QString arial = QStringLiteral("Arial");
        const QColor white(255, 255, 255);
        const QColor lightBlue(170, 215, 240);
        auto n = [](const char* name) { return QString::fromLatin1(name); };
        std::vector<FontSpec> f;
        f.push_back({n("lbSpeed"), {}, 40, {}, false});
        f.push_back({n("plTime"), arial, {}, white, false});
        f.push_back({n("btnEvent"), {}, {}, white, false});
        f.push_back({n("btnNormal"), {}, {}, white, false});
        f.push_back({n("lbTM_START"), arial, 11, white, false});
        f.push_back({n("lbTM_END"), arial, 11, white, false});
        f.push_back({n("lbAcceleration"), arial, {}, QColor(255, 255, 0), false});
        f.push_back({n("lbKmh"), arial, 15, {}, false});
        f.push_back({n("lbGPS"), QStringLiteral("BANKGOTHIC LT BT"), 16, lightBlue, false});
        f.push_back({n("lbGPS_NO_STATUS1"), arial, {}, lightBlue, false});
        f.push_back({n("lbGPS_NO_STATUS2"), arial, {}, lightBlue, false});
        f.push_back({n("lbDataType"), {}, {}, white, false});
        for (const char* name : {"lbT00", "lbT01", "lbT02", "lbT03", "lbT04", "lbT05", "lbT06"})
            f.push_back({n(name), arial, 11, white, true});
        for (const char* name : {"lb000", "lb025", "lb050", "lb075", "lb100"})
            f.push_back({n(name), arial, 11, QColor(16, 183, 253), false});
        for (const char* name : {"lbSP00", "lbSP20", "lbSP40", "lbSP60", "lbSP80"})
            f.push_back({n(name), arial, 11, QColor(70, 167, 89), false});
        f.push_back({n("lbSubtitle"), {}, {}, white, false});
        return f;
    }();
    return fonts;
}

} // namespace korvane
