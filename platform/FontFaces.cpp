#include "platform/FontFaces.h"

#include <QFont>
#include <QStringList>

namespace quorvane::FontFaces {

void installSubstitutions() {
    const QStringList ming = {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                              QStringLiteral("HanaMinA"), QStringLiteral("HanaMinB")};
    const QStringList kai = {QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL UKai TW"),
                             QStringLiteral("AR PL UMing CN"), QStringLiteral("HanaMinA"),
                             QStringLiteral("HanaMinB")};
    for (const char16_t* face :
         {u"宋体", u"SimSun", u"新宋体", u"NSimSun", u"仿宋_GB2312", u"仿宋", u"黑体", u"SimHei"})
        QFont::insertSubstitutions(QString::fromUtf16(face), ming);
    for (const char16_t* face : {u"楷体_GB2312", u"楷体", u"KaiTi", u"KaiTi_GB2312"})
        QFont::insertSubstitutions(QString::fromUtf16(face), kai);
    // Western faces: a metric look-alike first, the Chinese face for ideographs.
    const QStringList sans =
        QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")} + ming;
    for (const char16_t* face : {u"Arial", u"MS Sans Serif", u"Tahoma"})
        QFont::insertSubstitutions(QString::fromUtf16(face), sans);
}

} // namespace quorvane::FontFaces
