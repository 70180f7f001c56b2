#include "platform/qt/qt_fonts.h"

#include <QStringList>

namespace bl::platform {

QFont MakeQtFont(FontId font) {
  if (font == FontId::Fixed || font == FontId::Narrow) {
    QFont f;
    f.setFamilies({QStringLiteral("Courier"), QStringLiteral("Liberation Mono"),
                   QStringLiteral("DejaVu Sans Mono")});
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(13);
    f.setKerning(false);
    return f;
  }
  // A cell height of 19 pixels: ascent plus descent of the face at 17 pixels.
  QFont f;
  f.setFamilies(
      {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(17);
  return f;
}

QFont MakeQtFontByHeight(int heightPx, bool fixedPitch, bool bold) {
  QFont f = fixedPitch ? MakeQtFont(FontId::Fixed) : MakeQtFont(FontId::Arial);
  // Printouts ask for "Courier New" (Liberation Mono has its metrics), then the screen's faces.
  if (fixedPitch) f.setFamilies(QStringList{QStringLiteral("Courier New")} + f.families());
  f.setPixelSize(std::max(1, heightPx * 9 / 10));
  f.setBold(bold);
  return f;
}

QString ToQt(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) { return text.toLatin1().toStdString(); }

QString Latin1Only(const QString& text) {
  QString kept;
  kept.reserve(text.size());
  for (const QChar c : text)
    if (c.unicode() <= 0xFF) kept.append(c);
  return kept;
}

}  // namespace bl::platform
