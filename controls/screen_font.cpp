#include "controls/screen_font.h"

#include <QStringList>

using namespace Qt::StringLiterals;

void installFontSubstitutes()
{
    QFont::insertSubstitutions(QString::fromUtf16(ScreenFontFamily),
        { u"IPAPGothic"_s, u"IPAPゴシック"_s, u"Noto Sans CJK JP"_s });
}

QFont screenFont(int pixelSize)
{
    QFont font(QString::fromUtf16(ScreenFontFamily));
    font.setPixelSize(pixelSize);
    return font;
}
