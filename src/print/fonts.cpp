#include "print/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace zq {
namespace {
const QStringList kCjkFaces{QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
    QStringLiteral("Noto Sans SC"), QStringLiteral("Microsoft YaHei"), QStringLiteral("SimHei"),
    QStringLiteral("Droid Sans Fallback")};
const QStringList kSansFaces{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans")};
} // namespace

void installFontSubstitutes()
{
    const QStringList installed = QFontDatabase::families();
    auto substitute = [&](const QString &face, const QStringList &candidates) {
        if (installed.contains(face, Qt::CaseInsensitive))
            return;
        QStringList usable;
        for (const QString &c : candidates)
            if (installed.contains(c, Qt::CaseInsensitive))
                usable.append(c);
        // CJK faces last, so Latin faces keep their own glyphs but Chinese still renders.
        for (const QString &c : kCjkFaces)
            if (installed.contains(c, Qt::CaseInsensitive) && !usable.contains(c))
                usable.append(c);
        if (!usable.isEmpty())
            QFont::insertSubstitutions(face, usable);
    };
    // Some CJK fonts carry an empty glyph for symbols such as the degree sign
    // (WenQuanYi's ℃), which would print as nothing; Latin faces go first (the
    // narrow digits of Liberation Sans, then DejaVu Sans for ℃) and the
    // Chinese falls through to the CJK face.
    for (const QString &cjk :
        {QStringLiteral("华文细黑"), QStringLiteral("宋体"), QStringLiteral("黑体"), QStringLiteral("幼圆")})
        substitute(cjk, QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")} + kCjkFaces);
    for (const QString &latin : {QStringLiteral("Arial"), QStringLiteral("Arial Black"), QStringLiteral("Arial Narrow"),
             QStringLiteral("Basemic Symbol")})
        substitute(latin, kSansFaces);
}

QFont designFont(const QString &family, double points, bool bold)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    if (family == QLatin1String("Arial Black"))
        f.setWeight(QFont::Black);
    return f;
}
} // namespace zq
